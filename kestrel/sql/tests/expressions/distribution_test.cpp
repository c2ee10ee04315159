// Conditions split over a tree of operators, join keys taken out of them,
// binding to an operator's result columns and select-list pseudonyms.
//
// The operators are small stand-ins over real tables (the relational
// operators implement the same interface): a table operator answers for its
// table's columns under its name or alias; a join answers for both inputs.

#include <gtest/gtest.h>

#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/sql/expressions/select_list.h"
#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

class StandInOperator : public TKestrelExpressionOperator {
 public:
  // A table operator.
  StandInOperator(TKestrelTableData& table, std::string alias)
      : table_(std::make_unique<TableColumnSource>(table, false, std::move(alias))) {}
  // A join of two operators.
  StandInOperator(StandInOperator& left, TKestrelJoinKind kind, StandInOperator& right)
      : left_(&left), right_(&right), kind_(kind) {}

  int FindColumns(std::string_view tableName, std::string_view fieldName,
                  TKestrelColumnBinding* binding) const override {
    if (table_ == nullptr) {
      TKestrelColumnBinding rightBinding;
      const int inLeft = left_->FindColumns(tableName, fieldName, binding);
      const int inRight = right_->FindColumns(tableName, fieldName, &rightBinding);
      if (inLeft == 0 && inRight > 0 && binding != nullptr) {
        *binding = rightBinding;
        binding->ColumnNo += kRightColumns;
      }
      return inLeft + inRight;
    }
    return table_->FindColumns(tableName, fieldName, binding);
  }

  void ReadColumn(int32_t columnNo, TKestrelVariant& value) override {
    if (table_ == nullptr) {
      if (columnNo >= kRightColumns) {
        right_->ReadColumn(columnNo - kRightColumns, value);
      } else {
        left_->ReadColumn(columnNo, value);
      }
      return;
    }
    table_->ReadColumn(columnNo, value);
  }

  TKestrelExpressionOperator* Left() override { return left_; }
  TKestrelExpressionOperator* Right() override { return right_; }
  TKestrelJoinKind JoinKind() const override { return kind_; }
  void AttachCondition(std::unique_ptr<TKestrelExpression> condition) override {
    if (condition_ == nullptr) {
      condition_ = std::move(condition);
    } else {
      condition_->AndWith(std::move(condition));
    }
  }

  void SetCurrent(const uint8_t* record) { table_->SetCurrent(record); }
  TKestrelExpression* Condition() const { return condition_.get(); }
  int Terms() const {
    if (condition_ == nullptr || condition_->IsEmpty()) {
      return 0;
    }
    return condition_->Root()->Operator == TKestrelExprOp::kAnd
               ? static_cast<int>(condition_->Root()->Children.size())
               : 1;
  }

 private:
  static constexpr int32_t kRightColumns = 1000;
  std::unique_ptr<TableColumnSource> table_;  // null for a join
  StandInOperator* left_ = nullptr;
  StandInOperator* right_ = nullptr;
  TKestrelJoinKind kind_ = TKestrelJoinKind::kNone;
  std::unique_ptr<TKestrelExpression> condition_;
};

class Distribution : public ExpressionFixture {
 protected:
  Distribution() {
    TKestrelFieldDefs fields;
    fields.AddField("ID", TKestrelDataType::kInteger);
    fields.AddField("X", TKestrelDataType::kInteger);
    fields.AddField("B", TKestrelDataType::kInteger);
    other_ = &database_.CreateTableData("U", 10);
    other_->CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
  }

  // A condition parsed without binding, as statements parse WHERE.
  std::unique_ptr<TKestrelExpression> Where(const std::string& text) {
    auto expression = std::make_unique<TKestrelExpression>();
    TKestrelLexer lexer(text, nullptr);
    EXPECT_TRUE(lexer.NextStatement());
    expression->ParseCondition(lexer);
    return expression;
  }

  TKestrelTableData* other_ = nullptr;
};

TEST_F(Distribution, TermsGoToTheLowestOperatorThatCanEvaluateThem) {
  StandInOperator t(*table_, "x");
  StandInOperator u(*other_, "y");
  StandInOperator join(t, TKestrelJoinKind::kInner, u);
  auto where = Where("T.ID = 1 AND y.X > 2 AND T.ID = U.ID AND 1 = 1 AND Z.Q = 3");
  where->DistributeTo(join, false);
  EXPECT_EQ(t.Terms(), 2);         // T.ID = 1, 1 = 1
  EXPECT_EQ(u.Terms(), 1);         // y.X > 2
  EXPECT_EQ(join.Terms(), 1);      // T.ID = U.ID
  ASSERT_FALSE(where->IsEmpty());  // Z.Q = 3 is nobody's
  EXPECT_EQ(where->Root()->Children.size(), 1u);
  EXPECT_FALSE(where->CanEvaluateOn(join));
}

TEST_F(Distribution, OuterJoinsKeepTermsOutOfTheirInnerSides) {
  const struct {
    TKestrelJoinKind kind;
    int left, right, join;
  } cases[] = {
      {TKestrelJoinKind::kCross, 1, 1, 0},
      {TKestrelJoinKind::kLeftOuter, 1, 0, 1},
      {TKestrelJoinKind::kRightOuter, 0, 1, 1},
      {TKestrelJoinKind::kFullOuter, 0, 0, 2},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(static_cast<int>(test.kind));
    StandInOperator t(*table_, "");
    StandInOperator u(*other_, "");
    StandInOperator join(t, test.kind, u);
    auto where = Where("T.A = 1 AND U.X = 2");
    where->DistributeTo(join, false);
    EXPECT_EQ(t.Terms(), test.left);
    EXPECT_EQ(u.Terms(), test.right);
    EXPECT_EQ(join.Terms(), test.join);
    EXPECT_TRUE(where->IsEmpty());
  }
}

TEST_F(Distribution, ARootThatIsNoAndMovesWholeAndHavingStaysAtTheOperator) {
  StandInOperator t(*table_, "");
  StandInOperator u(*other_, "");
  StandInOperator join(t, TKestrelJoinKind::kInner, u);
  auto either = Where("T.A = 1 OR U.X = 2");
  either->DistributeTo(join, false);
  EXPECT_TRUE(either->IsEmpty());
  EXPECT_EQ(join.Terms(), 1);
  auto having = Where("T.A = 1");
  having->DistributeTo(join, true);
  EXPECT_EQ(t.Terms(), 0);
  EXPECT_EQ(join.Terms(), 2);  // ANDed to what it had
}

TEST_F(Distribution, GivenConditionsEvaluateOnTheirOperatorsRows) {
  StandInOperator t(*table_, "");
  auto where = Where("A = 1 AND NAME LIKE 'a%'");
  where->DistributeTo(t, false);
  ASSERT_NE(t.Condition(), nullptr);
  t.Condition()->BindToOperator(t);
  std::string truths;
  for (const auto& row : StoredRows()) {
    t.SetCurrent(row.data());
    truths += t.Condition()->EvaluateCondition() ? 'T' : 'F';
  }
  EXPECT_EQ(truths, "TFFFT");
}

TEST_F(Distribution, BindingToAnOperatorNeedsExactlyOneColumn) {
  StandInOperator t(*table_, "");
  StandInOperator u(*other_, "");
  StandInOperator join(t, TKestrelJoinKind::kInner, u);
  EXPECT_EQ(ErrorOf([&] { Where("B = 1")->BindToOperator(join); }), "30197 Field 'B' not found");
  EXPECT_EQ(ErrorOf([&] { Where("V.B = 1")->BindToOperator(join); }),
            "30197 Field 'V.B' not found");
  EXPECT_EQ(ErrorOf([&] { Where("U.B = 1 AND T.NAME = 'x'")->BindToOperator(join); }), "no error");
}

TEST_F(Distribution, JoinTermsAreEqualitiesOfColumnsFromBothSides) {
  StandInOperator t(*table_, "");
  StandInOperator u(*other_, "");
  auto where = Where("T.ID = U.ID AND T.A = 5 AND U.B = T.B AND T.ID = T.A AND U.X > T.A");
  TKestrelFields leftKeys;
  TKestrelFields rightKeys;
  EXPECT_EQ(where->ExtractJoinTerms(t, u, leftKeys, rightKeys), 2);
  ASSERT_EQ(rightKeys.size(), 2u);
  ASSERT_EQ(leftKeys.size(), 2u);
  EXPECT_EQ(rightKeys[0].TableName + "." + rightKeys[0].FieldName, "T.ID");
  EXPECT_EQ(leftKeys[0].TableName + "." + leftKeys[0].FieldName, "U.ID");
  EXPECT_EQ(rightKeys[1].TableName + "." + rightKeys[1].FieldName, "U.B");
  EXPECT_EQ(leftKeys[1].TableName + "." + leftKeys[1].FieldName, "T.B");
  EXPECT_EQ(where->Root()->Children.size(), 3u);

  auto single = Where("NAME = X");
  EXPECT_EQ(single->ExtractJoinTerms(t, u, leftKeys, rightKeys), 1);
  EXPECT_TRUE(single->IsEmpty());
  auto none = Where("T.ID = 1");
  EXPECT_EQ(none->ExtractJoinTerms(t, u, leftKeys, rightKeys), 0);
  EXPECT_FALSE(none->IsEmpty());
}

TEST_F(Distribution, AmbiguousJoinColumnsAreRefused) {
  StandInOperator t(*table_, "");
  StandInOperator u(*other_, "");
  TKestrelFields leftKeys;
  TKestrelFields rightKeys;
  EXPECT_EQ(ErrorOf([&] { Where("ID = U.X")->ExtractJoinTerms(t, u, leftKeys, rightKeys); }),
            "10404 Ambiguous field reference to 'ID'");
  EXPECT_EQ(ErrorOf([&] { Where("U.X = B")->ExtractJoinTerms(t, u, leftKeys, rightKeys); }),
            "10405 Ambiguous field reference to 'B'");
}

TEST_F(Distribution, PseudonymsOfPlainItemsStandForTheirColumns) {
  TKestrelFields selectList;
  TKestrelSelectListItem plain = ColumnItem("T", "NAME");
  plain.Pseudonym = "N";
  selectList.push_back(std::move(plain));
  TKestrelSelectListItem computed;
  computed.IsExpression = true;
  computed.Pseudonym = "TWICE";
  selectList.push_back(std::move(computed));

  auto where = Where("n LIKE 'a%' AND TWICE > 2 AND X.N = 1");
  where->ResolvePseudonyms(selectList);
  const auto& like = where->Root()->Child(0).Child(0);
  const auto& field = dynamic_cast<const TKestrelExprNodeField&>(like);
  EXPECT_EQ(field.TableName + "." + field.FieldName, "T.NAME");
  const auto& twice = dynamic_cast<const TKestrelExprNodeField&>(where->Root()->Child(1).Child(0));
  EXPECT_EQ(twice.QualifiedName(), "TWICE");
  const auto& qualified =
      dynamic_cast<const TKestrelExprNodeField&>(where->Root()->Child(2).Child(0));
  EXPECT_EQ(qualified.QualifiedName(), "X.N");
}

}  // namespace
}  // namespace kestrel
