#pragma once
// SQL dumps of tables and the batch run that reads them back: a dump is a
// plain script ("/*  db.table date */", a rule line, DROP TABLE IF EXISTS,
// CREATE TABLE with the server's column types, one INSERT per record with
// exact literals and NULLs, the indexes), and a batch run executes a script
// statement by statement (a statement ends at a line ending in ";").

#include <functional>
#include <string>

#include "platform/errors.h"
#include "platform/shared_text_file.h"
#include "uniaccess/unisql_query.h"
#include "uniaccess/unisql_table.h"

namespace app {

// Called with the rows written (or statements run) so far, every 1000 rows
// or 100 statements; false cancels.
using DumpProgress = std::function<bool(int done)>;

// A dump or batch run stopped by its progress callback; what was written or
// run so far stays.
class DumpCancelled : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

// Writes the dump of the open table. Raises when the table holds columns a
// dump cannot carry, and DumpCancelled when the progress callback cancels.
void WriteTableDump(platform::SharedTextFile& file, uniaccess::TUniSQLTable& table,
                    const std::string& database, const DumpProgress& progress = {});

// How far a batch run came.
struct BatchResult {
  int statementsRun = 0;    // the failed one included
  int failedStatement = 0;  // 1-based; 0 when every statement ran
  int failedLine = 0;       // the file line that statement starts on
  bool Succeeded() const { return failedStatement == 0; }
};

// Runs the file through the query, statement by statement, and stops at the
// first statement that fails (its error has been shown): later statements
// usually build on it, and a dump would otherwise pour out one error per
// row. Errors raised by the data access propagate; DumpCancelled when the
// progress callback cancels.
BatchResult RunBatch(platform::SharedTextFile& file, uniaccess::TUniSQLQuery& query,
                     const DumpProgress& progress = {});

}  // namespace app
