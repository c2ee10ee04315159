#pragma once
// A select-list item and the ordered lists of them (TKestrelFields) that
// statements use for select lists, key column lists and grouping lists.
// Expressions resolve pseudonyms against a select list and hand join keys
// out as such lists.

#include <memory>
#include <string>
#include <vector>

#include "kestrel/sql/expressions/expression.h"

namespace kestrel {

struct TKestrelSelectListItem {
  std::string FieldName;  // "*" for t.*
  bool AllTableFields = false;
  std::string TableName;  // the qualifier
  bool IsExpression = false;
  std::unique_ptr<TKestrelExpression> Expression;  // kept only when IsExpression
  std::string Pseudonym;                           // the AS name
};

// An item holding only a column's table and field name.
TKestrelSelectListItem ColumnItem(std::string tableName, std::string fieldName);

}  // namespace kestrel
