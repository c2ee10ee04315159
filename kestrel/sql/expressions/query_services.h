#pragma once
// The services an expression reaches beyond its own tree: running a
// subquery and opening a table for LASTAUTOINC. The query component and the
// table components provide them; an expression holds non-owning pointers to
// them (TKestrelExpression::SetSubQueryRunner, SetTableOpener).
//
// Without a runner a subquery still parses (its text is rebuilt from the
// tokens), and evaluating it raises "Subqueries are not available: no query
// runner is installed" (10852). Without a table opener LASTAUTOINC does not
// parse: "LASTAUTOINC is not available: no table access is installed"
// (30336).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kestrel/sql/lexer/sql_params.h"
#include "kestrel/storage/values/data_types.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

// Where a subquery runs: the outer expression's database, session and
// in-memory setting, and the outer query's parameters (each parameter of the
// subquery takes the value of the outer one of the same name).
struct TKestrelSubQueryContext {
  std::string DatabaseName;
  std::string SessionName;
  bool InMemory = false;
  const TKestrelSQLParams* OuterParams = nullptr;
};

// One prepared, non-correlated subquery. Only its first column is read.
class TKestrelSubQuery {
 public:
  virtual ~TKestrelSubQuery() = default;
  // Runs the query; the current row is then the first one.
  virtual void Open() = 0;
  // Frees the result; Open may be called again.
  virtual void Close() = 0;
  virtual bool Eof() const = 0;
  virtual void Next() = 0;
  // The current row's first column.
  virtual void ReadFirstColumn(TKestrelVariant& value) = 0;
  // Whether some row's first column equals value (a NULL value looks for
  // NULL), by the dataset's locate. REQUIRES: Open.
  virtual bool LocateFirstColumn(const TKestrelVariant& value) = 0;
  // The declared type and size of the first column.
  virtual TKestrelDataType FirstColumnDataType() = 0;
  virtual int32_t FirstColumnSize() = 0;
};

class TKestrelSubQueryRunner {
 public:
  virtual ~TKestrelSubQueryRunner() = default;
  // Creates and prepares the query for a subquery's text; parse errors of
  // the text propagate.
  virtual std::unique_ptr<TKestrelSubQuery> CreateSubQuery(
      const std::string& sqlText, const TKestrelSubQueryContext& context) = 0;
};

// A table opened read-only for LASTAUTOINC.
class TKestrelOpenedTable {
 public:
  virtual ~TKestrelOpenedTable() = default;
  // The field's number and declared type; false when there is no such field.
  virtual bool FindField(std::string_view fieldName, int32_t& fieldNo,
                         TKestrelDataType& dataType) const = 0;
  // The calling session's last auto-increment value of the field; the
  // storage side's errors propagate.
  virtual int64_t LastAutoIncValue(int32_t fieldNo) = 0;
};

class TKestrelTableOpener {
 public:
  virtual ~TKestrelTableOpener() = default;
  // Opens a table read-only; errors (no such table) propagate.
  virtual std::unique_ptr<TKestrelOpenedTable> OpenReadOnly(std::string_view databaseName,
                                                            std::string_view sessionName,
                                                            std::string_view tableName,
                                                            bool inMemory) = 0;
};

}  // namespace kestrel
