#pragma once
// The query file: the builder's whole model (window layout, database, table
// boxes with their checked fields, links, column grid) as a text file of
// CR LF lines. Values in a line are separated by "," and a line of values
// ends with ";".
//
// | line | content                                                        |
// |------|----------------------------------------------------------------|
// | 0    | "# Wrenfold" (the signature; any other first line is refused)   |
// | 1    | "# Don't change this file !"                                   |
// | 2    | "[Options]"                                                    |
// | 3    | "+" when maximized, else top,left,height,width;                |
// | 4    | show-tables flag,table-list width,show-pages flag,pages height; |
// | 5    | "[Database]"                                                   |
// | 6    | database name,show-system-tables flag;                         |
// | 7    | "[Tables]"                                                     |
// | ...  | per box: table,top,left, then 1 or 0 per field entry ("*" first); |
// |      | "[Links]"                                                      |
// | ...  | per link: table 1,field index 1,table 2,field index 2,operator index,join type index; |
// |      | "[Columns]"                                                    |
// | ...  | per grid column: number from 1,Field,Table,Show,Sort,Function,Group; |
// |      | "[End]"; anything after it is ignored                          |
//
// Flags are 1 or 0; field indexes count the box's entries from 0 ("*").
// Names are written as they stand, except that "%", ",", ";", CR, LF and a
// leading "[" are written as %25, %2C, %3B, %0D, %0A and %5B, so that every
// name survives the line format; a reader takes any other "%" literally.
//
// Reading never raises for what a file holds: a file without the signature
// is refused with a message, and whatever a damaged, stale or newer file
// holds is read as far as it can be, with one message naming what was left
// out.

#include <string>
#include <string_view>
#include <vector>

#include "querybuilder/query_model.h"

namespace querybuilder {

inline constexpr std::string_view kQueryFileSignature = "# Wrenfold";

// The builder window's layout as the file keeps it.
struct WrenWindowLayout {
  bool maximized = false;
  int top = 0;
  int left = 0;
  int height = 0;
  int width = 0;
  bool showTables = true;
  int tableListWidth = 0;
  bool showPages = true;
  int pageAreaHeight = 0;

  bool operator==(const WrenWindowLayout&) const = default;
};

// Box positions read from a file are kept within 0..kCanvasLimit.
inline constexpr int kCanvasLimit = 100000;

std::string EscapeQueryFileValue(std::string_view value);
std::string UnescapeQueryFileValue(std::string_view value);

// Writes the model, the layout and the engine's database to the file,
// replacing it only once the whole text is written. Throws
// platform::EInOutError when the file cannot be written.
void WriteQueryFile(const std::string& path, const QueryModel& model,
                    const WrenWindowLayout& layout);

struct QueryFileReadResult {
  enum class Outcome {
    kRefused,  // not a query file (or not readable): nothing was changed
    kRead,     // read completely
    kPartial,  // read as far as it could be; the message named the rest
  };
  Outcome outcome = Outcome::kRefused;
  // What was left out or could not be read, one text per problem, each
  // naming its line.
  std::vector<std::string> problems;
  // Which parts of the layout the file gave (the rest of the layout is
  // unchanged); whether it named a database (the engine then holds it,
  // with its table list and aliases renewed).
  bool placementRead = false;
  bool panesRead = false;
  bool databaseRead = false;
};

// Clears the model and reads the file into it, the layout and the engine.
// Messages go through the engine's dialogs.
QueryFileReadResult ReadQueryFile(const std::string& path, QueryModel& model,
                                  WrenWindowLayout& layout);

}  // namespace querybuilder
