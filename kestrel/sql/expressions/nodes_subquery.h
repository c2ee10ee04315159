#pragma once
// Subqueries: scalar, IN and EXISTS. All are non-correlated; each runs
// through a TKestrelSubQuery created from its text by the expression's
// subquery runner when the expression is parsed.
//
// A scalar subquery runs on its first evaluation and must give exactly one
// row ("Subquery returns no rows", 10848; "Subquery returns multiple rows",
// 10849); its first column's value is kept and returned from then on. IN
// opens its query on the first evaluation and keeps it open, looking the
// left operand up in the first column; its result is never NULL. EXISTS
// runs once and keeps whether a row came back. Without a runner every
// evaluation raises "Subqueries are not available: no query runner is
// installed" (10852).

#include <memory>
#include <string>

#include "kestrel/sql/expressions/expr_node.h"
#include "kestrel/sql/expressions/query_services.h"

namespace kestrel {

class TKestrelExprNodeSubQuery : public TKestrelExprNode {
 public:
  // query may be null when no runner was installed.
  TKestrelExprNodeSubQuery(std::string sqlText, std::unique_ptr<TKestrelSubQuery> query);

  const TKestrelVariant& Evaluate() override;
  // The first column's declared type and size.
  TKestrelDataType GetDataType() const override;
  int32_t GetDataSize() const override;

  // The subquery's SQL text, rebuilt from its tokens.
  const std::string& SqlText() const { return sqlText_; }
  bool HasQuery() const { return query_ != nullptr; }

  bool Evaluated = false;
  bool Negated = false;

 protected:
  TKestrelSubQuery& Query() const;

 private:
  std::string sqlText_;
  std::unique_ptr<TKestrelSubQuery> query_;
};

class TKestrelExprNodeSubQueryIN : public TKestrelExprNodeSubQuery {
 public:
  using TKestrelExprNodeSubQuery::TKestrelExprNodeSubQuery;
  ~TKestrelExprNodeSubQueryIN() override;

  const TKestrelVariant& Evaluate() override;
  // "Error parsing subquery with IN - no argumnet passed" (10850) without a
  // left operand.
  TKestrelTruth EvaluateTruth() override;
  TKestrelDataType GetDataType() const override { return TKestrelDataType::kBoolean; }
  int32_t GetDataSize() const override { return 0; }

 private:
  bool open_ = false;
};

class TKestrelExprNodeSubQueryExists : public TKestrelExprNodeSubQuery {
 public:
  using TKestrelExprNodeSubQuery::TKestrelExprNodeSubQuery;

  const TKestrelVariant& Evaluate() override;
  TKestrelTruth EvaluateTruth() override;
  TKestrelDataType GetDataType() const override { return TKestrelDataType::kBoolean; }
  int32_t GetDataSize() const override { return 0; }

 private:
  bool hasRows_ = false;
};

}  // namespace kestrel
