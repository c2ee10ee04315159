// Column facts to fields and column texts to values, without a server.

#include "uniaccess/mysql/mysql_values.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include <cmath>

#include "platform/format_settings.h"
#include "uniaccess/unisql_query.h"

namespace uniaccess::mysql {
namespace {

using dataset::TFieldType;

TEST(MysqlColumns, EachTypeCodeMapsToItsFieldOrIsLeftOut) {
  struct Case {
    int type;
    bool isUnsigned;
    TFieldType expected;
  };
  const Case cases[] = {
      {MYSQL_TYPE_DECIMAL, false, TFieldType::ftFloat},
      {MYSQL_TYPE_NEWDECIMAL, false, TFieldType::ftFloat},
      {MYSQL_TYPE_FLOAT, false, TFieldType::ftFloat},
      {MYSQL_TYPE_DOUBLE, false, TFieldType::ftFloat},
      {MYSQL_TYPE_TINY, false, TFieldType::ftInteger},
      {MYSQL_TYPE_SHORT, false, TFieldType::ftInteger},
      {MYSQL_TYPE_INT24, false, TFieldType::ftInteger},
      {MYSQL_TYPE_LONG, false, TFieldType::ftInteger},
      {MYSQL_TYPE_LONG, true, TFieldType::ftLargeint},
      {MYSQL_TYPE_LONGLONG, false, TFieldType::ftLargeint},
      {MYSQL_TYPE_TIMESTAMP, false, TFieldType::ftDateTime},
      {MYSQL_TYPE_DATETIME, false, TFieldType::ftDateTime},
      {MYSQL_TYPE_DATE, false, TFieldType::ftDate},
      {MYSQL_TYPE_TIME, false, TFieldType::ftTime},
      {MYSQL_TYPE_ENUM, false, TFieldType::ftString},
      {MYSQL_TYPE_SET, false, TFieldType::ftString},
      {MYSQL_TYPE_VAR_STRING, false, TFieldType::ftString},
      {MYSQL_TYPE_STRING, false, TFieldType::ftString},
      {MYSQL_TYPE_NULL, false, TFieldType::ftUnknown},
      {MYSQL_TYPE_YEAR, false, TFieldType::ftUnknown},
      {MYSQL_TYPE_NEWDATE, false, TFieldType::ftUnknown},
      {MYSQL_TYPE_BLOB, false, TFieldType::ftUnknown},
      {MYSQL_TYPE_BIT, false, TFieldType::ftUnknown},
  };
  for (const Case& c : cases) {
    MysqlColumnFacts facts;
    facts.name = "c";
    facts.type = c.type;
    facts.isUnsigned = c.isUnsigned;
    facts.length = 10;
    EXPECT_EQ(DescribeMysqlColumn(facts).type, c.expected) << "type " << c.type;
  }
}

TEST(MysqlColumns, StringWidthIsTheDeclaredWidthOrOne) {
  MysqlColumnFacts facts;
  facts.type = MYSQL_TYPE_VAR_STRING;
  facts.length = 40;
  facts.charMaxLen = 4;
  UniFieldDesc desc = DescribeMysqlColumn(facts);
  EXPECT_EQ(desc.size, 40);
  EXPECT_EQ(desc.displayWidth, 10);
  facts.length = 0;
  EXPECT_EQ(DescribeMysqlColumn(facts).size, 1);
  // A function result declared enormous takes the longest value it holds.
  facts.length = 4294967295u;
  facts.maxLength = 120000;
  EXPECT_EQ(DescribeMysqlColumn(facts).size, 120000);
}

TEST(MysqlTexts, FloatsReadWhateverTheDecimalSeparator) {
  for (char separator : {'.', ','}) {
    platform::ScopedDecimalSeparator scoped(separator);
    std::string cleaned;
    EXPECT_EQ(MysqlFloat("12.5", cleaned), 12.5) << separator;
    EXPECT_EQ(MysqlFloat("1.5e3", cleaned), 1500.0) << separator;
    EXPECT_EQ(MysqlFloat("-0.25", cleaned), -0.25) << separator;
    EXPECT_FALSE(MysqlFloat("1.2.3", cleaned).has_value());
    EXPECT_EQ(cleaned, std::string("1") + separator + "2" + separator + "3");
  }
}

TEST(MysqlTexts, DatesTimesAndDateTimes) {
  using platform::EncodeDate;
  using platform::EncodeTime;
  EXPECT_EQ(MysqlDate("2003-05-17"), EncodeDate(2003, 5, 17));
  EXPECT_EQ(MysqlDate("1900-05-01"), EncodeDate(1900, 5, 1));  // before 1901 is a date too
  EXPECT_EQ(MysqlDate("1850-03-17"), EncodeDate(1850, 3, 17));
  EXPECT_FALSE(MysqlDate("0000-00-00").has_value());
  EXPECT_FALSE(MysqlDate("2003-00-17").has_value());
  EXPECT_FALSE(MysqlDate("2003-02-30").has_value());
  EXPECT_FALSE(MysqlDate("").has_value());

  const auto moment = MysqlDateTime("2003-05-17 13:45:30");
  ASSERT_TRUE(moment.has_value());
  EXPECT_EQ(platform::DateOf(*moment), EncodeDate(2003, 5, 17));
  EXPECT_NEAR(platform::TimeOf(*moment), EncodeTime(13, 45, 30, 0), 1e-9);
  EXPECT_EQ(MysqlDateTime("1900-05-01 10:00:00").value_or(0) >= EncodeDate(1900, 5, 1), true);
  EXPECT_FALSE(MysqlDateTime("0000-00-00 00:00:00").has_value());

  EXPECT_DOUBLE_EQ(MysqlTime("13:45:30").value_or(-1), EncodeTime(13, 45, 30, 0));
  EXPECT_DOUBLE_EQ(MysqlTime("838:59:59").value_or(-1), (838 * 3600 + 59 * 60 + 59) / 86400.0);
  EXPECT_DOUBLE_EQ(MysqlTime("-01:30:00").value_or(0), -EncodeTime(1, 30, 0, 0));
  EXPECT_FALSE(MysqlTime("noon").has_value());
}

TEST(QueryParameters, MarkersAreReplacedIgnoringCaseAndWordEnds) {
  struct Case {
    std::string text;
    std::vector<std::string> names;
    std::vector<std::string> values;
    std::string expected;
  };
  const Case cases[] = {
      {"select * from t where a=:name and b=:NAME",
       {"NAME"},
       {"'x'"},
       "select * from t where a='x' and b='x'"},
      {"select :idx, :id", {"ID"}, {"7"}, "select 7x, 7"},
      {"select :a, :b", {"A", "B"}, {":B", "2"}, "select 2, 2"},
      {"select :self", {"SELF"}, {"(:SELF)"}, "select (:SELF)"},
      {"select 1", {"X"}, {"9"}, "select 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubstituteParams(c.text, c.names, c.values), c.expected) << c.text;
  }
  TUniSQLQuery query;
  query.SetSQL("select :Name\r\nfrom t");
  query.SetParam("name", "1");
  query.SetParam("NAME", "2");
  EXPECT_EQ(query.SubstitutedText(), "select 2\r\nfrom t");
}

}  // namespace
}  // namespace uniaccess::mysql
