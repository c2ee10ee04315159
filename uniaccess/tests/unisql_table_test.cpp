// The table component against the test run's MariaDB server: its open
// statement, the statements its edits become, and how the fetched result
// shows them.

#include "uniaccess/unisql_table.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "uniaccess/testing/mysql_test_server.h"

namespace uniaccess {
namespace {

using platform::testing::ScriptedUserDialogs;
using Rows = std::vector<std::vector<std::string>>;

class UniSqlTable : public testing::MysqlTest {
 protected:
  void SetUp() override {
    MysqlTest::SetUp();
    Configure(database_component_);
    database_component_.SetConnected(true);
    ASSERT_TRUE(database_component_.Connected());
    table_.SetDatabase(&database_component_);
  }
  void TearDown() override {
    table_.Close();
    database_component_.SetConnected(false);
    MysqlTest::TearDown();
  }
  dataset::TField& Field(const char* name) { return table_.FieldByName(name); }

  TUniSQLDatabase database_component_;
  TUniSQLTable table_;
};

TEST_F(UniSqlTable, OpenStatementHasTheFilterAndOrderLines) {
  table_.SetTablename("t");
  EXPECT_EQ(table_.OpenStatement(), "SELECT * FROM t");
  table_.SetFilter("a>1");
  EXPECT_EQ(table_.OpenStatement(), "SELECT * FROM t");
  table_.SetFiltered(true);
  table_.SetIndexFields("b");
  EXPECT_EQ(table_.OpenStatement(), "SELECT * FROM t\r\nWHERE a>1\r\nORDER BY b");

  Run("create table t (a int, b varchar(5))");
  Run("insert into t values (1,'z'),(2,'y'),(3,'x')");
  table_.Open();
  EXPECT_EQ(table_.RecordCount(), 2);
  EXPECT_EQ(Field("b").AsString(), "x");
}

TEST_F(UniSqlTable, TextsWithQuotesBackslashesSemicolonsAndAccentsRoundTrip) {
  Run("create table people (id int, name varchar(40), born date, score double)");
  Run("insert into people values (1, 'plain', '1970-01-02', 1.5)");
  table_.SetTablename("people");
  table_.SetIndexFields("id");
  table_.Open();
  ScriptedUserDialogs dialogs;  // no error may appear

  const std::vector<std::string> names = {"O'Brien", "C:\\x;y", "say \"hi\"; then",
                                          "Ärvíztűrő tükörfúrógép", "line\r\nbreak"};
  int id = 2;
  for (const std::string& name : names) {
    table_.Append();
    Field("id").SetAsInteger(id++);
    Field("name").SetAsString(name);
    table_.Post();
    EXPECT_EQ(Field("name").AsString(), name);
  }
  Rows expected = {{"plain"}};
  for (const std::string& name : names)
    expected.push_back({name});
  EXPECT_EQ(Query("select name from people order by id"), expected);

  // An edit finds its row by the old values, quotes included.
  table_.Close();
  table_.Open();
  table_.SetRecNo(2);
  ASSERT_EQ(Field("name").AsString(), "O'Brien");
  table_.Edit();
  Field("name").SetAsString("O'Neill\\;");
  Field("score").SetAsFloat(2.25);
  table_.Post();
  EXPECT_EQ(Query("select name, score from people where id = 2"), (Rows{{"O'Neill\\;", "2.25"}}));

  table_.SetRecNo(3);
  ASSERT_EQ(Field("name").AsString(), "C:\\x;y");
  table_.Delete();
  EXPECT_EQ(Query("select count(*) from people where name like 'C:%'"), (Rows{{"0"}}));
  EXPECT_EQ(Query("select count(*) from people"), (Rows{{"5"}}));
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

TEST_F(UniSqlTable, KeyWhereNamesTheRowByAllItsValues) {
  Run("create table k (n int, f double, s varchar(9), d date, dt datetime, tm time)");
  Run("insert into k values (0, 3.5, 'it''s', '2003-05-17', '2003-05-17 13:45:30', '13:45:30'),"
      " (7, 0, NULL, NULL, '1850-03-17 00:00:00', NULL)");
  table_.SetTablename("k");
  table_.SetIndexFields("n");
  table_.Open();
  EXPECT_EQ(table_.KeyWhere(),
            "WHERE (n=0 or n is NULL) and f=3.5 and s='it\\'s' and d='2003-05-17' and "
            "dt='2003-05-17 13:45:30' and tm='13:45:30';\r\n");
  table_.Next();
  EXPECT_EQ(table_.KeyWhere(),
            "WHERE n=7 and (f=0 or f is NULL) and (s='' or s is NULL) and (d is NULL or "
            "d='1900-01-01') and (dt='1850-03-17 00:00:00' or dt is NULL or dt='1900-01-01') and "
            "tm is NULL;\r\n");
  // Both rows can be edited through them.
  table_.Edit();
  Field("s").SetAsString("set");
  table_.Post();
  table_.First();
  table_.Edit();
  Field("s").SetAsString("again");
  table_.Post();
  EXPECT_EQ(Query("select n, s, d, tm from k order by n"),
            (Rows{{"0", "again", "2003-05-17", "13:45:30"}, {"7", "set", "NULL", "NULL"}}));
}

TEST_F(UniSqlTable, EmptyTextsAndNullsStayApartThroughEdits) {
  Run("create table e (id int, s varchar(5))");
  Run("insert into e values (1, ''), (2, NULL)");
  table_.SetTablename("e");
  table_.SetIndexFields("id");
  table_.Open();
  EXPECT_FALSE(Field("s").IsNull());
  EXPECT_EQ(Field("s").AsString(), "");
  table_.Edit();
  Field("id").SetAsInteger(10);
  table_.Post();
  table_.Next();
  EXPECT_TRUE(Field("s").IsNull());
  table_.Edit();
  Field("id").SetAsInteger(20);
  table_.Post();
  EXPECT_EQ(Query("select id, s from e order by id"), (Rows{{"10", ""}, {"20", "NULL"}}));
}

TEST_F(UniSqlTable, AutoIncFieldNumbersFromTheLargestValue) {
  Run("create table a (id int, name varchar(10))");
  table_.SetTablename("a");
  table_.SetAutoIncField("id");
  table_.SetIndexFields("id");
  table_.Open();
  table_.Append();
  Field("name").SetAsString("first");
  table_.Post();
  EXPECT_EQ(Field("id").AsInteger(), 1);
  Run("insert into a values (41, 'direct')");
  table_.Append();
  Field("name").SetAsString("next");
  table_.Post();
  EXPECT_EQ(Field("id").AsInteger(), 42);
  EXPECT_EQ(Query("select id, name from a order by id"),
            (Rows{{"1", "first"}, {"41", "direct"}, {"42", "next"}}));
  // The tables are unlocked again: another statement on the connection works.
  EXPECT_EQ(Query("select count(*) from a"), (Rows{{"3"}}));
}

TEST_F(UniSqlTable, DeletedRowsAreSkippedWhileTheResultStaysOpen) {
  Run("create table r (id int)");
  Run("insert into r values (0),(1),(2),(3),(4)");
  table_.SetTablename("r");
  table_.SetIndexFields("id");
  table_.Open();
  table_.SetRecNo(4);  // row 3
  table_.Delete();
  EXPECT_EQ(Field("id").AsInteger(), 4);
  table_.SetRecNo(3);  // row 2
  table_.Next();
  EXPECT_EQ(Field("id").AsInteger(), 4);
  table_.Delete();  // row 4: nothing follows, the view falls back to row 2
  EXPECT_EQ(Field("id").AsInteger(), 2);
  table_.Next();
  EXPECT_TRUE(table_.Eof());
  EXPECT_EQ(Field("id").AsInteger(), 2);
  table_.First();
  std::vector<int> ids;
  for (; !table_.Eof(); table_.Next())
    ids.push_back(Field("id").AsInteger());
  EXPECT_EQ(ids, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(table_.Cache().size(), 2u);
  EXPECT_EQ(Query("select count(*) from r"), (Rows{{"3"}}));
}

TEST_F(UniSqlTable, TheHundredthPostReopensAtTheSameRecord) {
  Run("create table c (id int, v int)");
  std::string values;
  for (int i = 1; i <= 120; ++i)
    values += (i > 1 ? "," : "") + ("(" + std::to_string(i) + ",0)");
  Run("insert into c values " + values);
  table_.SetTablename("c");
  table_.SetIndexFields("id");
  table_.Open();
  int opens = 0;
  table_.AfterOpen = [&](dataset::TDataSet&) { ++opens; };
  for (int i = 1; i <= 99; ++i) {
    table_.SetRecNo(i);
    table_.Edit();
    Field("v").SetAsInteger(i);
    table_.Post();
  }
  EXPECT_EQ(table_.Cache().size(), 99u);
  EXPECT_EQ(opens, 0);
  table_.SetRecNo(100);
  table_.Edit();
  Field("v").SetAsInteger(100);
  table_.Post();
  EXPECT_EQ(opens, 1);
  EXPECT_TRUE(table_.Cache().empty());
  EXPECT_EQ(table_.RecNo(), 100);
  EXPECT_EQ(Field("id").AsInteger(), 100);
  EXPECT_EQ(Field("v").AsInteger(), 100);
  EXPECT_EQ(Query("select sum(v) from c"), (Rows{{"5050"}}));
}

TEST_F(UniSqlTable, IndexNamesAndReadOnly) {
  Run("create table x (a int, b int, c int, key ab (a, b), unique key c_key (c))");
  table_.SetTablename("x");
  std::vector<std::string> indexes = table_.GetIndexNames().Items();
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<std::string>{"ab (a,b)", "c_key (c)"}));
  table_.SetReadOnly(true);
  table_.Open();
  EXPECT_FALSE(table_.CanModify());
  EXPECT_THROW(table_.Append(), platform::EDatabaseError);
}

}  // namespace
}  // namespace uniaccess
