#pragma once
// The small value sets of the query builder: link operators and join types
// (stored in query files by index), and the option cells of a grid column
// (stored by their texts). One table each, so the SQL, the dialogs and the
// files cannot disagree.

#include <array>
#include <optional>
#include <string_view>

namespace querybuilder {

// Link operators in index order; the index is what query files store.
enum class TWrenOperator : int {
  kEqual,
  kLess,
  kGreater,
  kLessOrEqual,
  kGreaterOrEqual,
  kNotEqual
};
inline constexpr int kWrenOperatorCount = 6;

// Join types in index order; the index is what query files store.
enum class TWrenJoinType : int { kInner, kLeftOuter, kRightOuter, kFullOuter };
inline constexpr int kWrenJoinTypeCount = 4;

// The operator as SQL and the link dialog write it: "=", "<", ">", "<=",
// ">=", "<>".
std::string_view OperatorText(TWrenOperator op);
// "Inner", "Left Outer", "Right Outer", "Full Outer".
std::string_view JoinTypeLabel(TWrenJoinType type);
// The join between two FROM items: " LEFT OUTER JOIN " and the like; empty
// for Inner, which becomes a WHERE condition instead.
std::string_view JoinTypeSql(TWrenJoinType type);

// Null when the index is out of range (a damaged file).
std::optional<TWrenOperator> OperatorFromIndex(int index);
std::optional<TWrenJoinType> JoinTypeFromIndex(int index);

enum class TWrenSort { kNone, kAsc, kDesc };
enum class TWrenFunction { kNone, kAvg, kCount, kMax, kMin, kSum };

// Cell texts: "", "Asc", "Desc"; "", "Avg", "Count", "Max", "Min", "Sum".
std::string_view SortText(TWrenSort sort);
std::string_view FunctionText(TWrenFunction function);
// The value of a cell text, letter case ignored; null for any other text.
std::optional<TWrenSort> SortFromText(std::string_view text);
std::optional<TWrenFunction> FunctionFromText(std::string_view text);

inline constexpr std::string_view kShowText = "Show";
inline constexpr std::string_view kGroupText = "Group";

// The six rows of the column grid, titled in its first column.
enum class TWrenGridRow : int { kField, kTable, kShow, kSort, kFunction, kGroup };
inline constexpr std::array<std::string_view, 6> kWrenGridRowTitles = {
    "Field", "Table", "Show", "Sort", "Function", "Group"};

// The field list entry that stands for every field of a table.
inline constexpr std::string_view kAllFieldsEntry = "*";

}  // namespace querybuilder
