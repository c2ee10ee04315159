#include "kestrel/sql/expressions/nodes_subquery.h"

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

TKestrelExprNodeSubQuery::TKestrelExprNodeSubQuery(std::string sqlText,
                                                   std::unique_ptr<TKestrelSubQuery> query)
    : sqlText_(std::move(sqlText)), query_(std::move(query)) {}

TKestrelSubQuery& TKestrelExprNodeSubQuery::Query() const {
  if (query_ == nullptr) {
    throw EKestrelException("Subqueries are not available: no query runner is installed", 10852);
  }
  return *query_;
}

const TKestrelVariant& TKestrelExprNodeSubQuery::Evaluate() {
  if (Evaluated) {
    return Value;
  }
  TKestrelSubQuery& query = Query();
  query.Open();
  if (query.Eof()) {
    query.Close();
    throw EKestrelException("Subquery returns no rows", 10848);
  }
  TKestrelVariant first;
  query.ReadFirstColumn(first);
  query.Next();
  const bool more = !query.Eof();
  query.Close();
  if (more) {
    throw EKestrelException("Subquery returns multiple rows", 10849);
  }
  Value.Assign(first, true);
  Evaluated = true;
  return Value;
}

TKestrelDataType TKestrelExprNodeSubQuery::GetDataType() const {
  return Query().FirstColumnDataType();
}

int32_t TKestrelExprNodeSubQuery::GetDataSize() const {
  return Query().FirstColumnSize();
}

TKestrelExprNodeSubQueryIN::~TKestrelExprNodeSubQueryIN() {
  if (open_) {
    try {
      Query().Close();
    } catch (const std::exception&) {
      // The query goes with the node either way.
    }
  }
}

const TKestrelVariant& TKestrelExprNodeSubQueryIN::Evaluate() {
  StoreTruth(Value, EvaluateTruth());
  return Value;
}

TKestrelTruth TKestrelExprNodeSubQueryIN::EvaluateTruth() {
  if (Children.empty()) {
    throw EKestrelException("Error parsing subquery with IN - no argumnet passed", 10850);
  }
  const TKestrelVariant& left = Child(0).Evaluate();
  TKestrelSubQuery& query = Query();
  if (!open_) {
    query.Open();
    open_ = true;
  }
  return TruthOf(query.LocateFirstColumn(left) != Negated);
}

const TKestrelVariant& TKestrelExprNodeSubQueryExists::Evaluate() {
  StoreTruth(Value, EvaluateTruth());
  return Value;
}

TKestrelTruth TKestrelExprNodeSubQueryExists::EvaluateTruth() {
  if (!Evaluated) {
    TKestrelSubQuery& query = Query();
    query.Open();
    hasRows_ = !query.Eof();
    query.Close();
    Evaluated = true;
  }
  return TruthOf(hasRows_ != Negated);
}

}  // namespace kestrel
