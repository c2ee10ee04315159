#include "querybuilder/wren_types.h"

#include "platform/text.h"

namespace querybuilder {
namespace {

constexpr std::array<std::string_view, kWrenOperatorCount> kOperatorTexts = {"=",  "<",  ">",
                                                                             "<=", ">=", "<>"};
constexpr std::array<std::string_view, kWrenJoinTypeCount> kJoinTypeLabels = {
    "Inner", "Left Outer", "Right Outer", "Full Outer"};
constexpr std::array<std::string_view, kWrenJoinTypeCount> kJoinTypeSql = {
    "", " LEFT OUTER JOIN ", " RIGHT OUTER JOIN ", " FULL OUTER JOIN "};
constexpr std::array<std::string_view, 3> kSortTexts = {"", "Asc", "Desc"};
constexpr std::array<std::string_view, 6> kFunctionTexts = {"",    "Avg", "Count",
                                                            "Max", "Min", "Sum"};

template <typename Enum, std::size_t N>
std::optional<Enum> FromText(const std::array<std::string_view, N>& texts, std::string_view text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (platform::SameText(texts[i], text))
      return static_cast<Enum>(i);
  }
  return std::nullopt;
}

}  // namespace

std::string_view OperatorText(TWrenOperator op) {
  return kOperatorTexts[static_cast<int>(op)];
}

std::string_view JoinTypeLabel(TWrenJoinType type) {
  return kJoinTypeLabels[static_cast<int>(type)];
}

std::string_view JoinTypeSql(TWrenJoinType type) {
  return kJoinTypeSql[static_cast<int>(type)];
}

std::optional<TWrenOperator> OperatorFromIndex(int index) {
  if (index < 0 || index >= kWrenOperatorCount)
    return std::nullopt;
  return static_cast<TWrenOperator>(index);
}

std::optional<TWrenJoinType> JoinTypeFromIndex(int index) {
  if (index < 0 || index >= kWrenJoinTypeCount)
    return std::nullopt;
  return static_cast<TWrenJoinType>(index);
}

std::string_view SortText(TWrenSort sort) {
  return kSortTexts[static_cast<int>(sort)];
}

std::string_view FunctionText(TWrenFunction function) {
  return kFunctionTexts[static_cast<int>(function)];
}

std::optional<TWrenSort> SortFromText(std::string_view text) {
  return FromText<TWrenSort>(kSortTexts, text);
}

std::optional<TWrenFunction> FunctionFromText(std::string_view text) {
  return FromText<TWrenFunction>(kFunctionTexts, text);
}

}  // namespace querybuilder
