#pragma once
// Names in generated SQL. A table, alias or field name is data: it goes into
// a statement as it stands when it is a plain identifier, and quoted in the
// backend's own way otherwise, so that blanks, reserved words and quote
// characters in a name can neither break nor change the statement.
//
// A plain identifier is an ASCII letter or "_" followed by ASCII letters,
// digits and "_", and is no reserved word of any dialect the program speaks
// (standard SQL, MySQL/MariaDB, SQL Server): the reserved words are shared
// so that a query built for one backend reads the same on another.

#include <string>
#include <string_view>

namespace querybuilder {

enum class SqlNameDialect {
  kMySql,      // `name`, a ` doubled
  kSqlServer,  // "name", a " doubled (one token for the dialect translation)
  kKestrel,    // [name], a ] doubled
};

// The dialect of a backend by its name ("MySQL", "ADO", "KestrelTable").
SqlNameDialect DialectOfBackend(std::string_view backendName);
// The dialect of the backend in force, or of the current SQL mode when none
// is installed yet.
SqlNameDialect CurrentNameDialect();

bool IsReservedSqlWord(std::string_view word);
bool NameNeedsQuoting(std::string_view name);
// Always quoted.
std::string QuotedSqlName(std::string_view name, SqlNameDialect dialect);
// Quoted only when it needs it.
std::string SqlName(std::string_view name, SqlNameDialect dialect);

}  // namespace querybuilder
