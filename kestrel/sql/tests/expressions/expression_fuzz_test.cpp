// Random token soups parsed as filters and as values over the fixture table,
// and evaluated on its rows: every soup must give a result or an engine
// error, and a parse error must name a position inside the statement.
// Nothing may crash or escape as another kind of exception; run under the
// sanitizers this also checks memory and undefined behaviour.

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

constexpr int kSoups = 100000;

const char* const kTokens[] = {
    "A",         "B",          "ID",      "NAME",     "PRICE",    "D",
    "ACTIVE",    "W",          "S",       "U",        "NOTE",     "T.A",
    "[NAME]",    "X",          "1",       "0",        "2.5",      ".5",
    "1e3",       "'ab%'",      "''",      "'a_c'",    "'*'",      "NULL",
    "TRUE",      "FALSE",      "=",       "<>",       "<",        ">",
    "<=",        ">=",         "+",       "-",        "*",        "/",
    "||",        "(",          ")",       "(",        ")",        ",",
    "AND",       "OR",         "NOT",     "IS",       "LIKE",     "IN",
    "BETWEEN",   "EXISTS",     "UNKNOWN", "UPPER",    "LOWER",    "TRIM",
    "SUBSTRING", "FROM",       "FOR",     "POS",      "LENGTH",   "CAST",
    "AS",        "INTEGER",    "VARCHAR", "TODATE",   "TOSTRING", "'YYYY-MM-DD'",
    "SYSDATE",   "TOBLOB",     "HEX",     "'0AFF'",   "COUNT",    "SUM",
    "AVG",       "MIN",        "MAX",     "DISTINCT", "SELECT",   "LASTAUTOINC",
    ".",         "2147483647",
};

// "... at line L, column C" with L and C inside the statement's text.
bool PositionFits(const std::string& message, const std::string& text) {
  static const std::regex kPosition("at line ([0-9]+), column ([0-9]+)");
  std::smatch match;
  if (!std::regex_search(message, match, kPosition)) {
    return true;  // messages of the value layer carry no position
  }
  const int line = std::stoi(match[1]);
  const int column = std::stoi(match[2]);
  return line == 1 && column >= 1 && column <= static_cast<int>(text.size());
}

class ExpressionFuzz : public ExpressionFixture {};

TEST_F(ExpressionFuzz, TokenSoupsGiveAResultOrAnErrorWithAPosition) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kTokens) - 1);
  std::uniform_int_distribution<int> length(1, 14);
  const auto rows = StoredRows();
  int parsed = 0;
  int refused = 0;
  for (int soup = 0; soup < kSoups; ++soup) {
    std::string text;
    const int count = length(random);
    for (int i = 0; i < count; ++i) {
      text += (i == 0 ? "" : " ") + std::string(kTokens[pick(random)]);
    }
    SCOPED_TRACE(text);
    const bool asValue = soup % 2 == 1;
    try {
      std::unique_ptr<TKestrelExpression> expression;
      if (asValue) {
        expression = ValueOf(text);
      } else {
        expression = Filter(text);
      }
      ++parsed;
      for (const auto& row : rows) {
        expression->SetRecordBuffer(row.data());
        try {
          expression->ResetAggregate();
          expression->Accumulate();
          expression->Evaluate(true);
          if (!asValue) {
            expression->EvaluateCondition();
          }
          if (!expression->IsEmpty()) {
            expression->GetDataType();
            expression->GetDataSize();
          }
        } catch (const EKestrelException&) {
        } catch (const EArithmeticFault&) {
        } catch (const platform::EConvertError&) {
        }
      }
    } catch (const EKestrelException& error) {
      ++refused;
      EXPECT_TRUE(PositionFits(error.Text(), text)) << error.Text();
    }
  }
  // The soups reach both sides.
  EXPECT_GT(parsed, kSoups / 50);
  EXPECT_GT(refused, kSoups / 50);
}

}  // namespace
}  // namespace kestrel
