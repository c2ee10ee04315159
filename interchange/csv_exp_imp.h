#pragma once
// TCSVEXPIMP: writes the records of a dataset to a delimited text file and
// appends the lines of such a file to a dataset.
//
// File format: one line per record ending in CR LF; every value, the last one
// included, is followed by the separator; with Elsonemkell the first line
// holds the field names. Values by field type:
//
// | field type                    | written as                                        |
// |-------------------------------|---------------------------------------------------|
// | string, memo                  | "text", an inner double quote written twice       |
// | bytes, BLOB                   | "bytes", quoted the same way                      |
// | float                         | right-aligned in 12, 4 decimals                   |
// | integer, auto-increment, large| right-aligned in 12                               |
// | small integer, word           | right-aligned in 7                                |
// | boolean                       | True or False                                     |
// | currency, BCD with a size     | right-aligned in 14, 2 decimals                   |
// | BCD without a size            | right-aligned in 14, as an integer                |
// | date                          | the short date format, four-digit year            |
// | time                          | hh:nn:ss, ".zzz" when there are milliseconds      |
// | date-time                     | the date, and a blank and the time unless midnight|
// | NULL of any type, other types | nothing (only the separator)                      |
//
// A number that its fixed form would round is written in its shortest exact
// form instead; a number longer than its width is written whole. A value
// holding the separator's first character, a double quote or a line break is
// quoted whatever its type. A quoted value may run over line breaks, which
// are kept as they are in the file.
//
// On import an unquoted empty value is NULL and "" an empty text. Files of
// the older form, whose texts had their double quotes turned into "'" and
// their ";" into ",", read as they did: a quoted value ends at the next single
// double quote.

#include <string>
#include <string_view>

#include "dataset/data_source.h"
#include "interchange/transfer.h"

namespace interchange {

class TCSVEXPIMP {
 public:
  TCSVEXPIMP() = default;
  TCSVEXPIMP(const TCSVEXPIMP&) = delete;
  TCSVEXPIMP& operator=(const TCSVEXPIMP&) = delete;

  dataset::TDataSource* Datasource() const { return datasource_; }
  void SetDatasource(dataset::TDataSource* source) { datasource_ = source; }
  // Relative to the working directory unless absolute.
  const std::string& CSVnev() const { return csvNev_; }
  void SetCSVnev(std::string_view name) { csvNev_ = std::string(name); }
  // Written after every value; on import only its first character counts
  // (";" when it is empty).
  const std::string& Elvalaszt() const { return elvalaszt_; }
  void SetElvalaszt(std::string_view separator) { elvalaszt_ = std::string(separator); }
  // Export: write a header line of field names; import: skip the first line.
  bool Elsonemkell() const { return elsonemkell_; }
  void SetElsonemkell(bool value) { elsonemkell_ = value; }
  // Show the completion message.
  bool OKMsg() const { return okMsg_; }
  void SetOKMsg(bool value) { okMsg_ = value; }

  // Called every ProgressInterval() records.
  TProgressEvent OnProgress;
  int ProgressInterval() const { return progressInterval_; }
  void SetProgressInterval(int records) { progressInterval_ = records; }

  // Writes the whole dataset to CSVnev, replacing the file only once it is
  // whole: a cancelled or failed export leaves a file of that name as it
  // was (or none). Throws EInOutError on file errors and the dataset's
  // errors (a closed dataset, a missing data source).
  TTransferResult Export();
  // Appends the file's lines to the dataset. Bad values are reported to the
  // user as they come and the import goes on; records posted before a
  // cancellation or an error stay.
  TTransferResult Import();

 private:
  dataset::TDataSet& DataSet() const;
  char SeparatorChar() const;

  dataset::TDataSource* datasource_ = nullptr;
  std::string csvNev_ = "Export.CSV";
  std::string elvalaszt_ = ";";
  bool elsonemkell_ = false;
  bool okMsg_ = true;
  int progressInterval_ = 1000;
};

}  // namespace interchange
