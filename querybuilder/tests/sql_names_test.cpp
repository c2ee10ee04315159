// Which names are quoted in generated SQL, and how each backend quotes them.

#include "querybuilder/sql_names.h"

#include <gtest/gtest.h>

namespace querybuilder {
namespace {

TEST(SqlNames, PlainIdentifiersStandAsTheyAre) {
  for (const char* name : {"id", "customer_id", "_x", "T2", "Customers", "name", "total"})
    EXPECT_EQ(SqlName(name, SqlNameDialect::kMySql), name) << name;
}

TEST(SqlNames, NamesThatAreNotPlainIdentifiersOrAreReservedAreQuoted) {
  const char* quoted[] = {"",       "order items", "1st",   "a-b",    "tábla", "x.y",
                          "select", "ORDER",       "Group", "key",    "index", "rank",
                          "top",    "limit",       "desc",  "values", "from"};
  for (const char* name : quoted)
    EXPECT_TRUE(NameNeedsQuoting(name)) << name;
}

TEST(SqlNames, EachDialectDoublesItsOwnClosingQuote) {
  EXPECT_EQ(QuotedSqlName("x`; drop table y", SqlNameDialect::kMySql), "`x``; drop table y`");
  EXPECT_EQ(QuotedSqlName("a\"b]c`", SqlNameDialect::kSqlServer), "\"a\"\"b]c`\"");
  EXPECT_EQ(QuotedSqlName("a\"b]c`", SqlNameDialect::kKestrel), "[a\"b]]c`]");
}

TEST(SqlNames, BackendNamesChooseTheDialect) {
  EXPECT_EQ(DialectOfBackend("MySQL"), SqlNameDialect::kMySql);
  EXPECT_EQ(DialectOfBackend("ADO"), SqlNameDialect::kSqlServer);
  EXPECT_EQ(DialectOfBackend("KestrelTable"), SqlNameDialect::kKestrel);
}

}  // namespace
}  // namespace querybuilder
