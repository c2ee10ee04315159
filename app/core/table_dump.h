#pragma once
// SQL dumps of tables and the batch run that reads them back: a dump is a
// plain script ("/*  db.table date */", a rule line, DROP TABLE IF EXISTS,
// CREATE TABLE with the server's column types, one INSERT per record with
// exact literals and NULLs, the indexes), and a batch run executes a script
// statement by statement (a statement ends at a line ending in ";").

#include <functional>
#include <string>

#include "platform/shared_text_file.h"
#include "uniaccess/unisql_query.h"
#include "uniaccess/unisql_table.h"

namespace app {

// Called with the rows written so far (every 1000); false cancels.
using DumpProgress = std::function<bool(int rows)>;

// Writes the dump of the open table. Raises when the table holds columns a
// dump cannot carry, and when the progress callback cancels.
void WriteTableDump(platform::SharedTextFile& file, uniaccess::TUniSQLTable& table,
                    const std::string& database, const DumpProgress& progress = {});

// Runs the file through the query; false when a statement failed (its
// error has been shown). Errors raised by the data access propagate.
bool RunBatch(platform::SharedTextFile& file, uniaccess::TUniSQLQuery& query);

}  // namespace app
