// The typed fast paths (numbers read straight from records, native
// arithmetic, direct comparisons) against the value layer's own operations
// on the same values: every sum, product, negation and comparison of
// Integer, LargeInt, SmallInt and Double columns over rows with extreme and
// random values must give the same value of the same type, or the same
// error.

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;
using ST = TKestrelStorageType;

class FastPaths : public ::testing::Test {
 protected:
  FastPaths() {
    TKestrelFieldDefs fields;
    fields.AddField("I", TKestrelDataType::kInteger);
    fields.AddField("L", TKestrelDataType::kLargeInt);
    fields.AddField("F", TKestrelDataType::kDouble);
    fields.AddField("S", TKestrelDataType::kSmallInt);
    table_ = &database_.CreateTableData("N", 10);
    table_->CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
    source_ = std::make_unique<TableColumnSource>(*table_);

    const std::vector<int32_t> ints = {
        0, 1, -1, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 46341};
    const std::vector<int64_t> larges = {0, -7, std::numeric_limits<int64_t>::max(),
                                         std::numeric_limits<int64_t>::min(), 3037000500};
    const std::vector<double> reals = {0.0, -0.5, 1e308, -1e308, 0.1, 3.0};
    std::mt19937 random(7);
    for (int row = 0; row < 120; ++row) {
      Row values;
      values.i = row < 60 ? ints[static_cast<std::size_t>(row) % ints.size()]
                          : static_cast<int32_t>(random());
      values.l = row < 60 ? larges[static_cast<std::size_t>(row / 2) % larges.size()]
                          : static_cast<int64_t>(uint64_t{random()} << 32 | random());
      values.f = row < 60 ? reals[static_cast<std::size_t>(row / 3) % reals.size()]
                          : std::uniform_real_distribution<double>(-1e6, 1e6)(random);
      values.s = static_cast<int16_t>(random());
      values.nulls = row % 11 == 5 ? 1 : row % 13 == 7 ? 2 : 0;
      rows_.push_back(values);
      Store(values);
    }
  }

  struct Row {
    int32_t i = 0;
    int64_t l = 0;
    double f = 0;
    int16_t s = 0;
    int nulls = 0;  // 1: I is NULL, 2: F is NULL
  };

  void Store(const Row& row) {
    std::vector<uint8_t> buffer(static_cast<std::size_t>(table_->RecordSize()));
    table_->InitRecord(buffer.data(), true, true);
    const TKestrelVariant values[] = {Integer(row), Large(row), Real(row), Small(row)};
    for (int field = 0; field < 4; ++field) {
      SetFieldValue(buffer.data(), field, *table_->FieldDefs().Items(field), values[field]);
    }
    records_.push_back(buffer);
  }

  static TKestrelVariant Integer(const Row& row) {
    TKestrelVariant value(ST::kSignedInt32);
    if (row.nulls != 1) {
      value.SetAsInteger(row.i);
    }
    return value;
  }
  static TKestrelVariant Large(const Row& row) {
    TKestrelVariant value(ST::kSignedInt64);
    value.SetAsLargeInt(row.l);
    return value;
  }
  static TKestrelVariant Real(const Row& row) {
    TKestrelVariant value(ST::kFloat);
    if (row.nulls != 2) {
      value.SetAsDouble(row.f);
    }
    return value;
  }
  static TKestrelVariant Small(const Row& row) {
    TKestrelVariant value(ST::kSignedInt16);
    value.SetAsSmallInt(row.s);
    return value;
  }

  // A value or an error as text, with the value's type.
  template <typename F>
  static std::string Outcome(F&& compute) {
    try {
      const TKestrelVariant value = compute();
      if (value.IsNull()) {
        return "NULL";
      }
      return std::string(StorageTypeName(value.DataType())) + " " + value.AsString();
    } catch (const platform::Exception& error) {
      return std::string("error ") + error.what();
    }
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_};
  TKestrelTableData* table_ = nullptr;
  std::unique_ptr<TableColumnSource> source_;
  std::vector<Row> rows_;
  std::vector<std::vector<uint8_t>> records_;
};

// The value layer's result for a sum or product of operands, NULL when any
// operand is.
TKestrelVariant Fold(const std::vector<TKestrelVariant>& operands, char op) {
  for (const TKestrelVariant& operand : operands) {
    if (operand.IsNull()) {
      return TKestrelVariant();
    }
  }
  TKestrelVariant result = operands[0];
  for (std::size_t i = 1; i < operands.size(); ++i) {
    if (op == '+') {
      result.Add(operands[i]);
    } else {
      result.Multiply(operands[i]);
    }
  }
  return result;
}

TKestrelVariant Negative(TKestrelVariant value) {
  value.Negate();
  return value;
}

TEST_F(FastPaths, ArithmeticEqualsTheValueOperations) {
  const struct {
    const char* text;
    std::function<TKestrelVariant(const Row&)> expected;
  } cases[] = {
      {"I + I",
       [](const Row& r) {
         return Fold({Integer(r), Integer(r)}, '+');
       }},
      {"I * I",
       [](const Row& r) {
         return Fold({Integer(r), Integer(r)}, '*');
       }},
      {"I + L",
       [](const Row& r) {
         return Fold({Integer(r), Large(r)}, '+');
       }},
      {"L * L",
       [](const Row& r) {
         return Fold({Large(r), Large(r)}, '*');
       }},
      {"L + I * I",
       [](const Row& r) {
         return Fold({Large(r), Fold({Integer(r), Integer(r)}, '*')}, '+');
       }},
      {"I + F",
       [](const Row& r) {
         return Fold({Integer(r), Real(r)}, '+');
       }},
      {"F * F",
       [](const Row& r) {
         return Fold({Real(r), Real(r)}, '*');
       }},
      {"F * L",
       [](const Row& r) {
         return Fold({Real(r), Large(r)}, '*');
       }},
      {"-I", [](const Row& r) { return Negative(Integer(r)); }},
      {"-L", [](const Row& r) { return Negative(Large(r)); }},
      {"I - L - F",
       [](const Row& r) {
         // Terms are evaluated in order: a NULL first term ends the sum.
         if (Integer(r).IsNull()) {
           return TKestrelVariant();
         }
         return Fold({Integer(r), Negative(Large(r)), Negative(Real(r))}, '+');
       }},
      {"I + S",
       [](const Row& r) {
         return Fold({Integer(r), Small(r)}, '+');
       }},
      {"S * 2 + I",
       [](const Row& r) {
         TKestrelVariant two;
         two.SetAsInteger(2);
         return Fold({Fold({Small(r), two}, '*'), Integer(r)}, '+');
       }},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.text);
    TKestrelExpression expression;
    expression.BindToCursor(source_.get());
    TKestrelLexer lexer(test.text, nullptr);
    ASSERT_TRUE(lexer.NextStatement());
    expression.ParseValue(lexer);
    for (std::size_t row = 0; row < rows_.size(); ++row) {
      expression.SetRecordBuffer(records_[row].data());
      EXPECT_EQ(Outcome([&] { return *expression.Evaluate(true); }),
                Outcome([&] { return test.expected(rows_[row]); }))
          << "row " << row;
    }
  }
}

TEST_F(FastPaths, ComparisonsEqualTheValueComparison) {
  const struct {
    const char* text;
    std::function<TKestrelCompareCode(const Row&)> code;
    const char* op;
  } cases[] = {
      {"I < L", [](const Row& r) { return Integer(r).Compare(Large(r), true, false, false); }, "<"},
      {"I = F", [](const Row& r) { return Integer(r).Compare(Real(r), true, false, false); }, "="},
      {"F >= L", [](const Row& r) { return Real(r).Compare(Large(r), true, false, false); }, ">="},
      {"S <> I", [](const Row& r) { return Small(r).Compare(Integer(r), true, false, false); },
       "<>"},
      {"I + I > L",
       [](const Row& r) {
         return Fold({Integer(r), Integer(r)}, '+').Compare(Large(r), true, false, false);
       },
       ">"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.text);
    TKestrelExpression condition;
    condition.ParseFilter(source_.get(), test.text, false, false);
    for (std::size_t row = 0; row < rows_.size(); ++row) {
      condition.SetRecordBuffer(records_[row].data());
      const TKestrelCompareCode code = test.code(rows_[row]);
      const std::string op = test.op;
      bool expected = false;
      if (code == TKestrelCompareCode::kEqual) {
        expected = op == "=" || op == ">=" || op == "<=";
      } else if (code == TKestrelCompareCode::kLess) {
        expected = op == "<" || op == "<=" || op == "<>";
      } else if (code == TKestrelCompareCode::kGreater) {
        expected = op == ">" || op == ">=" || op == "<>";
      } else {
        expected = op == "<>";  // a NULL side
      }
      EXPECT_EQ(condition.EvaluateCondition(), expected) << "row " << row;
    }
  }
}

}  // namespace
}  // namespace kestrel
