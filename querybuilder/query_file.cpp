#include "querybuilder/query_file.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/errors.h"
#include "platform/shared_text_file.h"
#include "platform/text.h"
#include "querybuilder/wren_engine.h"
#include "translation/translation.h"

namespace querybuilder {
namespace {

using translation::TranslateText;

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kFirstSectionLine = 8;
constexpr std::size_t kProblemsShown = 20;

constexpr std::string_view kLinksHeading = "[Links]";
constexpr std::string_view kColumnsHeading = "[Columns]";
constexpr std::string_view kEndHeading = "[End]";

struct Escape {
  char character;
  std::string_view code;
};
constexpr Escape kEscapes[] = {{'%', "%25"},  {',', "%2C"},  {';', "%3B"},
                               {'\r', "%0D"}, {'\n', "%0A"}, {'[', "%5B"}};

std::string Flag(bool value) {
  return value ? "1" : "0";
}

// Values joined by "," and closed by ";".
std::string ValueLine(const std::vector<std::string>& values) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0)
      line += ',';
    line += values[i];
  }
  return line + ";";
}

// Takes values from the front of a line: the text before the first ",";
// without one, the text before the first ";"; without either, nothing (and
// the line stays as it is).
class LineValues {
 public:
  explicit LineValues(std::string_view line) : rest_(line) {}

  std::string_view NextRaw() {
    std::size_t end = rest_.find(',');
    if (end == std::string_view::npos)
      end = rest_.find(';');
    if (end == std::string_view::npos)
      return {};
    const std::string_view value = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    return value;
  }
  std::string NextText() { return UnescapeQueryFileValue(NextRaw()); }
  // Throws platform::EConvertError when the value is no integer.
  int NextInt() { return platform::StrToInt(NextRaw()); }
  bool NextFlag() { return NextInt() != 0; }

 private:
  std::string_view rest_;
};

// The reading of one file: the lines, the model they go into, and what
// could not be taken over.
class QueryFileReader {
 public:
  QueryFileReader(std::vector<std::string> lines, QueryModel& model, WrenWindowLayout& layout,
                  QueryFileReadResult& result)
      : lines_(std::move(lines)), model_(model), layout_(layout), result_(result) {}

  void Read() {
    std::size_t index = 3;
    try {
      if (!HasLine(3))
        return Note(lines_.size(), TranslateText("The file ends before its options."));
      ReadPlacement(lines_[3]);
      index = 4;
      if (!HasLine(4))
        return Note(lines_.size(), TranslateText("The file ends before its options."));
      ReadPanes(lines_[4]);
      index = 6;
      if (!HasLine(6))
        return Note(lines_.size(), TranslateText("The file ends before its database."));
      ReadDatabase(lines_[6]);
      ReadSections(index);
    } catch (const platform::EConvertError& error) {
      Note(index, error.Message() + " " + TranslateText("(reading stopped here)"));
    }
  }

 private:
  enum class Section { kTables, kLinks, kColumns, kUnknown };

  bool HasLine(std::size_t index) const { return index < lines_.size(); }

  void Note(std::size_t index, std::string problem) {
    result_.problems.push_back(TranslateText("line") + " " + std::to_string(index + 1) + ": " +
                               problem);
  }

  void ReadPlacement(std::string_view line) {
    if (!line.empty() && line.front() == '+') {
      layout_.maximized = true;
    } else {
      LineValues values(line);
      WrenWindowLayout read = layout_;
      read.top = values.NextInt();
      read.left = values.NextInt();
      read.height = values.NextInt();
      read.width = values.NextInt();
      read.maximized = false;
      layout_ = read;
    }
    result_.placementRead = true;
  }

  void ReadPanes(std::string_view line) {
    LineValues values(line);
    WrenWindowLayout read = layout_;
    read.showTables = values.NextFlag();
    read.tableListWidth = values.NextInt();
    read.showPages = values.NextFlag();
    read.pageAreaHeight = values.NextInt();
    layout_ = read;
    result_.panesRead = true;
  }

  void ReadDatabase(std::string_view line) {
    LineValues values(line);
    const std::string name = values.NextText();
    const bool showSystemTables = values.NextFlag();
    TWrenEngine& engine = model_.Engine();
    engine.SetDatabaseName(name);
    engine.SetShowSystemTables(showSystemTables);
    result_.databaseRead = true;
    try {
      engine.ReadTableList();
      engine.GenerateAliases();
    } catch (const std::exception&) {
      // As when the window loads the list: the data access has shown what
      // failed, and the boxes still read their own fields.
    }
  }

  void ReadSections(std::size_t& index) {
    Section section = Section::kTables;
    for (index = kFirstSectionLine; index < lines_.size(); ++index) {
      const std::string& line = lines_[index];
      if (platform::Trim(line).empty())
        continue;
      if (line == kLinksHeading) {
        section = Section::kLinks;
      } else if (line == kColumnsHeading) {
        section = Section::kColumns;
      } else if (line == kEndHeading) {
        return;
      } else if (line.front() == '[') {
        section = Section::kUnknown;
        Note(index, TranslateText("Unknown section left out:") + " " + line);
      } else if (section == Section::kTables) {
        ReadTableLine(index, line);
      } else if (section == Section::kLinks) {
        ReadLinkLine(index, line);
      } else if (section == Section::kColumns) {
        ReadColumnLine(index, line);
      }
    }
    Note(lines_.size(), TranslateText("The file ends before [End]."));
  }

  void ReadTableLine(std::size_t index, std::string_view line) {
    LineValues values(line);
    const std::string name = values.NextText();
    TWrenTable* box = nullptr;
    try {
      const int top = std::clamp(values.NextInt(), 0, kCanvasLimit);
      const int left = std::clamp(values.NextInt(), 0, kCanvasLimit);
      if (name.empty())
        return Note(index, TranslateText("A table line without a table name is left out."));
      box = model_.AddTableQuietly(name, left, top);
      if (box == nullptr)
        return Note(index, TranslateText("The table is on the canvas already:") + " " + name);
      for (int field = 0; field < box->FieldCount(); ++field) {
        const std::string_view value = values.NextRaw();
        if (!value.empty())
          model_.SetFieldChecked(*box, field, platform::StrToInt(value) != 0);
      }
    } catch (const platform::Exception& error) {
      if (box != nullptr)
        model_.RemoveTable(*box);
      Note(index,
           TranslateText("The table is left out:") + " " + name + " (" + error.Message() + ")");
    }
  }

  void ReadLinkLine(std::size_t index, std::string_view line) {
    LineValues values(line);
    const std::string name1 = values.NextText();
    const int field1 = values.NextInt();
    const std::string name2 = values.NextText();
    const int field2 = values.NextInt();
    const std::optional<TWrenOperator> op = OperatorFromIndex(values.NextInt());
    const std::optional<TWrenJoinType> joinType = JoinTypeFromIndex(values.NextInt());
    TWrenTable* table1 = model_.FindTable(name1);
    TWrenTable* table2 = model_.FindTable(name2);
    if (table1 == nullptr || table2 == nullptr)
      return Note(index, TranslateText("A link to a table that is not on the canvas is left out."));
    if (!op || !joinType)
      return Note(index,
                  TranslateText("A link with an unknown operator or join type is left out."));
    switch (model_.AddLinkQuietly(*table1, field1, *table2, field2)) {
      case QueryModel::LinkResult::kAdded:
        model_.SetLinkOptions(*model_.Links().back(), *op, *joinType);
        return;
      case QueryModel::LinkResult::kAlreadyLinked:
        return Note(index, TranslateText("A repeated link is left out."));
      case QueryModel::LinkResult::kInvalid:
        return Note(index,
                    TranslateText("A link between fields that cannot be linked is left out."));
    }
  }

  void ReadColumnLine(std::size_t index, std::string_view line) {
    LineValues values(line);
    const int number = values.NextInt();
    const std::string field = values.NextText();
    const std::string table = values.NextText();
    const std::string_view show = values.NextRaw();
    const std::string_view sortText = values.NextRaw();
    const std::string_view functionText = values.NextRaw();
    const std::string_view group = values.NextRaw();

    const TWrenTable* box = model_.FindTable(table);
    if (box == nullptr)
      return Note(
          index, TranslateText("A column of a table that is not on the canvas is left out:") + " " +
                     table + "." + field);
    if (box->IndexOfField(field) < 0)
      return Note(index, TranslateText("A column of a field the table does not have is left out:") +
                             " " + table + "." + field);
    // Numbers count from 1; a number past the grid puts the column last.
    const int column = model_.InsertColumn(number <= 0 ? 0 : number - 1, field, table);
    model_.SetShow(column, ReadMark(index, show, kShowText, true));
    model_.SetGroup(column, ReadMark(index, group, kGroupText, false));
    if (const std::optional<TWrenSort> sort = SortFromText(sortText))
      model_.SetSort(column, *sort);
    else
      NoteUnknownValue(index, sortText);
    if (const std::optional<TWrenFunction> function = FunctionFromText(functionText))
      model_.SetFunction(column, *function);
    else
      NoteUnknownValue(index, functionText);
  }

  // A cell that is either empty or holds its mark text; any other text
  // leaves the cell at its default.
  bool ReadMark(std::size_t index, std::string_view value, std::string_view mark, bool fallback) {
    if (value.empty())
      return false;
    if (platform::SameText(value, mark))
      return true;
    NoteUnknownValue(index, value);
    return fallback;
  }

  void NoteUnknownValue(std::size_t index, std::string_view value) {
    Note(index, TranslateText("An unknown column option is left out:") + " " + std::string(value));
  }

  std::vector<std::string> lines_;
  QueryModel& model_;
  WrenWindowLayout& layout_;
  QueryFileReadResult& result_;
};

// The lines of the file, or nothing when it is not a query file (the
// message has been shown).
std::optional<std::vector<std::string>> ReadQueryLines(const std::string& path,
                                                       platform::UserDialogs& dialogs) {
  const std::string refusal =
      TranslateText("File ") + path + TranslateText(" is not Wrenfold's query file.");
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    dialogs.ShowMessage(TranslateText("File ") + path + TranslateText(" not found."));
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(path, error)) {
    dialogs.ShowMessage(refusal);
    return std::nullopt;
  }
  std::vector<std::string> lines;
  try {
    platform::SharedTextFile file(path, platform::TextFileMode::kReset);
    std::string line;
    if (!file.ReadLine(line) || line != kQueryFileSignature) {
      dialogs.ShowMessage(refusal);
      return std::nullopt;
    }
    lines.push_back(line);
    while (file.ReadLine(line))
      lines.push_back(line);
  } catch (const platform::EInOutError& failure) {
    dialogs.ShowError(failure.Message());
    return std::nullopt;
  }
  return lines;
}

std::string ProblemsMessage(const std::string& path, const std::vector<std::string>& problems) {
  std::string text =
      TranslateText("Query file ") + path + TranslateText(" could not be read completely:");
  for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i)
    text += std::string(kCrLf) + problems[i];
  if (problems.size() > kProblemsShown) {
    text += std::string(kCrLf) + "... " + std::to_string(problems.size() - kProblemsShown) +
            TranslateText(" more");
  }
  return text;
}

}  // namespace

std::string EscapeQueryFileValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const auto* escape = std::find_if(
        std::begin(kEscapes), std::end(kEscapes),
        [&](const Escape& candidate) { return candidate.character == c && (c != '[' || i == 0); });
    if (escape != std::end(kEscapes))
      escaped += escape->code;
    else
      escaped += c;
  }
  return escaped;
}

std::string UnescapeQueryFileValue(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 3 <= value.size()) {
      const std::string_view code = value.substr(i, 3);
      const auto* escape = std::find_if(
          std::begin(kEscapes), std::end(kEscapes),
          [&](const Escape& candidate) { return platform::SameText(candidate.code, code); });
      if (escape != std::end(kEscapes)) {
        text += escape->character;
        i += 2;
        continue;
      }
    }
    text += value[i];
  }
  return text;
}

void WriteQueryFile(const std::string& path, const QueryModel& model,
                    const WrenWindowLayout& layout) {
  const TWrenEngine& engine = model.Engine();
  std::vector<std::string> lines = {std::string(kQueryFileSignature), "# Don't change this file !",
                                    "[Options]"};
  lines.push_back(layout.maximized
                      ? std::string("+")
                      : ValueLine({std::to_string(layout.top), std::to_string(layout.left),
                                   std::to_string(layout.height), std::to_string(layout.width)}));
  lines.push_back(ValueLine({Flag(layout.showTables), std::to_string(layout.tableListWidth),
                             Flag(layout.showPages), std::to_string(layout.pageAreaHeight)}));
  lines.push_back("[Database]");
  lines.push_back(
      ValueLine({EscapeQueryFileValue(engine.DatabaseName()), Flag(engine.ShowSystemTables())}));
  lines.push_back("[Tables]");
  for (const auto& table : model.Tables()) {
    std::vector<std::string> values = {EscapeQueryFileValue(table->TableName()),
                                       std::to_string(table->Top()), std::to_string(table->Left())};
    for (const TWrenFieldEntry& entry : table->Fields())
      values.push_back(Flag(entry.checked));
    lines.push_back(ValueLine(values));
  }
  lines.push_back(std::string(kLinksHeading));
  for (const auto& link : model.Links()) {
    lines.push_back(
        ValueLine({EscapeQueryFileValue(link->Table1().TableName()), std::to_string(link->Field1()),
                   EscapeQueryFileValue(link->Table2().TableName()), std::to_string(link->Field2()),
                   std::to_string(static_cast<int>(link->Operator())),
                   std::to_string(static_cast<int>(link->JoinType()))}));
  }
  lines.push_back(std::string(kColumnsHeading));
  for (int i = 0; i < model.Grid().Count(); ++i) {
    const TWrenColumn& column = model.Grid().Column(i);
    lines.push_back(
        ValueLine({std::to_string(i + 1), EscapeQueryFileValue(column.field),
                   EscapeQueryFileValue(column.table), column.CellText(TWrenGridRow::kShow),
                   column.CellText(TWrenGridRow::kSort), column.CellText(TWrenGridRow::kFunction),
                   column.CellText(TWrenGridRow::kGroup)}));
  }
  lines.push_back(std::string(kEndHeading));

  // The old file stays whole until the new one is complete.
  const std::string partPath = path + ".part";
  try {
    platform::SharedTextFile file(partPath, platform::TextFileMode::kRewrite);
    for (const std::string& line : lines)
      file.WriteLine(line);
    file.Close();
  } catch (const platform::EInOutError&) {
    std::error_code ignored;
    std::filesystem::remove(partPath, ignored);
    throw;
  }
  std::error_code error;
  std::filesystem::rename(partPath, path, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(partPath, ignored);
    throw platform::EInOutError(error.value(),
                                "Cannot write file " + path + ": " + error.message());
  }
}

QueryFileReadResult ReadQueryFile(const std::string& path, QueryModel& model,
                                  WrenWindowLayout& layout) {
  QueryFileReadResult result;
  platform::UserDialogs& dialogs = model.Engine().Dialogs();
  std::optional<std::vector<std::string>> lines = ReadQueryLines(path, dialogs);
  if (!lines)
    return result;
  model.NewModel();
  QueryFileReader(std::move(*lines), model, layout, result).Read();
  if (result.problems.empty()) {
    result.outcome = QueryFileReadResult::Outcome::kRead;
  } else {
    result.outcome = QueryFileReadResult::Outcome::kPartial;
    dialogs.ShowMessage(ProblemsMessage(path, result.problems));
  }
  return result;
}

}  // namespace querybuilder
