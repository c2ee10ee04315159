#pragma once
// The Generate SQL command: the canvas model turned into the engine's clause
// lists and those into SQL text.
//
// - SELECT: every shown grid column, alias.field, wrapped in its function.
// - FROM: outer links become joined items; a link whose table already sits
//   in a joined item extends that item, so no table appears twice. Every
//   other box is an item of its own.
// - WHERE: the Inner links, joined by AND. A link between two fields of the
//   same box is a WHERE condition whatever its join type: a table cannot be
//   outer-joined with itself under one alias.
// - GROUP BY: the columns marked Group.
// - ORDER BY: the sorted columns; a column with a function sorts by its
//   position among the shown columns (its aggregate when it is not shown).
//
// Aliases and field names are written in lower case, table names as the
// database spells them (table names are case-sensitive on some servers);
// every name is quoted in the engine's dialect when it needs it.

#include <string>

#include "querybuilder/query_model.h"
#include "querybuilder/wren_engine.h"

namespace querybuilder {

// Fills the engine's clause lists from the model. When no grid column is
// shown, shows "Columns are not selected." and returns false, changing
// nothing.
bool BuildClauses(const QueryModel& model, TWrenEngine& engine);

// BuildClauses, then the engine's GenerateSQL into sql. False (sql
// untouched) when there was nothing to select.
bool GenerateQuerySql(const QueryModel& model, TWrenEngine& engine, std::string& sql);

}  // namespace querybuilder
