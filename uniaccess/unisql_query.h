#pragma once
// TUniSQLQuery: runs SQL text written by the user or built by the program.
// Named parameters (":NAME") are replaced by their values as plain text
// before the text runs; ExecSQL runs a script statement by statement.

#include <string>
#include <string_view>
#include <vector>

#include "platform/string_list.h"
#include "uniaccess/unisql_dataset.h"

namespace uniaccess {

class TUniSQLQuery : public Tunisqldataset {
 public:
  TUniSQLQuery() = default;
  ~TUniSQLQuery() override;

  const platform::StringList& SQL() const { return sql_; }
  // Copies the lines; the next open builds the field definitions anew.
  void SetSQL(const platform::StringList& lines);
  void SetSQL(std::string_view text);
  // Values are inserted as they are: a caller wanting a string literal
  // passes the quotes. Names ignore letter case.
  void SetParam(std::string_view name, std::string_view value);
  // The text of SQL with every parameter substituted.
  std::string SubstitutedText() const;

  // Runs each statement of the script on its own; a failing one is shown
  // and the rest still run, unless StopsAtFirstFailure.
  void ExecSQL() override;
  // Off by default: the user's scripts run on past a failing statement. A
  // caller for whom the whole text is one unit (a batch file's statement)
  // turns it on, and ExecSQL stops at the first piece that fails.
  bool StopsAtFirstFailure() const { return stopAtFirstFailure_; }
  void SetStopAtFirstFailure(bool stop) { stopAtFirstFailure_ = stop; }

 protected:
  void PrepareStatement() override;

 private:
  platform::StringList sql_;
  std::vector<std::string> paramNames_;  // upper-cased
  std::vector<std::string> paramValues_;
  bool stopAtFirstFailure_ = false;
};

// Replaces each ":NAME" marker (any letter case, no word boundary) by the
// value, parameters in order; each parameter's markers in one pass.
std::string SubstituteParams(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values);

}  // namespace uniaccess
