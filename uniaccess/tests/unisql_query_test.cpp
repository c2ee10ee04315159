// The query dataset against the test run's MariaDB server: the type mapping,
// navigation, parameters, scripts and the failures users see.

#include "uniaccess/unisql_query.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "dataset/fields.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "uniaccess/testing/mysql_test_server.h"

namespace uniaccess {
namespace {

using dataset::TFieldType;
using platform::DialogButton;
using platform::testing::ScriptedUserDialogs;

class UniSqlQuery : public testing::MysqlTest {
 protected:
  void SetUp() override {
    MysqlTest::SetUp();
    Configure(database_component_);
    database_component_.SetConnected(true);
    ASSERT_TRUE(database_component_.Connected());
    query_.SetDatabase(&database_component_);
  }
  void TearDown() override {
    query_.Close();
    database_component_.SetConnected(false);
    MysqlTest::TearDown();
  }
  void OpenQuery(const std::string& text) {
    query_.Close();
    query_.SetSQL(text);
    query_.Open();
  }
  std::vector<int> IdsFromHere() {
    std::vector<int> ids;
    for (; !query_.Eof(); query_.Next())
      ids.push_back(query_.FieldByName("id").AsInteger());
    return ids;
  }

  TUniSQLDatabase database_component_;
  TUniSQLQuery query_;
};

TEST_F(UniSqlQuery, EveryMappedColumnTypeReadsThroughItsField) {
  Run("create table t (id int, ti tinyint, si smallint, mi mediumint, big bigint,"
      " uint int unsigned, d double, f float, dec_ decimal(10,2), dt datetime, ts timestamp null,"
      " da date, tm time, vc varchar(8), ch char(3), en enum('a','b'), st set('x','y'),"
      " tx text, bl blob, yr year)");
  Run("insert into t values (1, -5, 300, 70000, 1099511627776, 4000000000, 12.5, 0.5, 3.25,"
      " '2003-05-17 13:45:30', '2003-05-17 13:45:30', '1850-03-17', '13:45:30', 'árvíz',"
      " 'ab', 'b', 'x,y', 'text', 'blob', 2024)");
  Run("insert into t (id) values (2)");
  ScriptedUserDialogs dialogs;  // no dialog may appear
  platform::ScopedDecimalSeparator comma(',');
  OpenQuery("select * from t order by id");

  const std::vector<std::pair<const char*, TFieldType>> expected = {
      {"id", TFieldType::ftInteger},   {"ti", TFieldType::ftInteger},
      {"si", TFieldType::ftInteger},   {"mi", TFieldType::ftInteger},
      {"big", TFieldType::ftLargeint}, {"uint", TFieldType::ftLargeint},
      {"d", TFieldType::ftFloat},      {"f", TFieldType::ftFloat},
      {"dec_", TFieldType::ftFloat},   {"dt", TFieldType::ftDateTime},
      {"ts", TFieldType::ftDateTime},  {"da", TFieldType::ftDate},
      {"tm", TFieldType::ftTime},      {"vc", TFieldType::ftString},
      {"ch", TFieldType::ftString},    {"en", TFieldType::ftString},
      {"st", TFieldType::ftString}};
  ASSERT_EQ(query_.FieldCount(), static_cast<int>(expected.size()))
      << "text, blob and year columns are left out";
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(query_.Fields(static_cast<int>(i)).FieldName(), expected[i].first);
    EXPECT_EQ(query_.Fields(static_cast<int>(i)).DataType(), expected[i].second)
        << expected[i].first;
  }
  EXPECT_EQ(query_.FindField("tx"), nullptr);

  auto field = [&](const char* name) -> dataset::TField& { return query_.FieldByName(name); };
  EXPECT_EQ(field("ti").AsInteger(), -5);
  EXPECT_EQ(field("mi").AsInteger(), 70000);
  EXPECT_EQ(field("big").AsLargeInt(), 1099511627776);
  EXPECT_EQ(field("uint").AsLargeInt(), 4000000000);
  EXPECT_DOUBLE_EQ(field("d").AsFloat(), 12.5);
  EXPECT_EQ(field("d").DisplayText(), "12,5");
  EXPECT_DOUBLE_EQ(field("dec_").AsFloat(), 3.25);
  const platform::DateTime moment =
      platform::EncodeDate(2003, 5, 17) + platform::EncodeTime(13, 45, 30, 0);
  EXPECT_NEAR(field("dt").AsDateTime(), moment, 1e-8);
  EXPECT_NEAR(field("ts").AsDateTime(), moment, 1e-8);
  EXPECT_EQ(field("da").AsDateTime(), platform::EncodeDate(1850, 3, 17));
  EXPECT_DOUBLE_EQ(field("tm").AsDateTime(), platform::EncodeTime(13, 45, 30, 0));
  EXPECT_EQ(field("vc").AsString(), "árvíz");
  EXPECT_EQ(field("ch").AsString(), "ab");
  EXPECT_EQ(field("st").AsString(), "x,y");

  query_.Next();  // the row of NULLs
  // NULL numbers read 0 and stay NULL.
  EXPECT_EQ(field("ti").AsInteger(), 0);
  EXPECT_TRUE(field("ti").IsNull());
  EXPECT_EQ(field("d").AsFloat(), 0);
  EXPECT_TRUE(field("big").IsNull());
  EXPECT_TRUE(field("vc").IsNull());
  EXPECT_EQ(field("vc").AsString(), "");
  for (const char* name : {"dt", "ts", "da", "tm"})
    EXPECT_TRUE(field(name).IsNull()) << name;
}

TEST_F(UniSqlQuery, ZeroDatesAreNoDateAndStringsAreCutToTheirWidth) {
  Run("set session sql_mode=''");
  Run("create table t (id int, da date, dt datetime, vc varchar(3))");
  Run("insert into t values (1, '0000-00-00', '0000-00-00 00:00:00', 'abc'),"
      " (2, '1900-05-01', '1900-05-01 10:00:00', 'x')");
  OpenQuery("select id, da, dt, vc, concat(vc, 'defgh') as longer from t order by id");
  EXPECT_TRUE(query_.FieldByName("da").IsNull());
  EXPECT_TRUE(query_.FieldByName("dt").IsNull());
  EXPECT_EQ(query_.FieldByName("longer").AsString(), "abcdefgh");
  query_.Next();
  EXPECT_EQ(query_.FieldByName("da").AsDateTime(), platform::EncodeDate(1900, 5, 1));
  EXPECT_NEAR(query_.FieldByName("dt").AsDateTime(),
              platform::EncodeDate(1900, 5, 1) + platform::EncodeTime(10, 0, 0, 0), 1e-8);
}

TEST_F(UniSqlQuery, RecNoAndNavigationOverTheStoredResult) {
  Run("create table t (id int)");
  Run("insert into t values (1),(2),(3),(4),(5)");
  OpenQuery("select id from t order by id");
  EXPECT_EQ(query_.RecordCount(), 5);
  EXPECT_EQ(query_.RecNo(), 1);
  query_.SetRecNo(5);
  EXPECT_EQ(query_.FieldByName("id").AsInteger(), 5);
  query_.SetRecNo(0);
  EXPECT_EQ(query_.RecNo(), 5);
  query_.SetRecNo(3);
  EXPECT_EQ(IdsFromHere(), (std::vector<int>{3, 4, 5}));
  query_.Last();
  query_.Prior();
  EXPECT_EQ(query_.FieldByName("id").AsInteger(), 4);
  const dataset::TBookmark four = query_.GetBookmark();
  query_.First();
  query_.GotoBookmark(four);
  EXPECT_EQ(query_.RecNo(), 4);
  EXPECT_TRUE(query_.Locate("id", dataset::Variant::FromInteger(2), 0));
  EXPECT_EQ(query_.RecNo(), 2);
  EXPECT_FALSE(query_.CanModify());
  EXPECT_THROW(query_.Edit(), platform::EDatabaseError);

  OpenQuery("select id from t where id > 100");
  EXPECT_TRUE(query_.IsEmpty());
  EXPECT_EQ(query_.RecNo(), 0);
}

TEST_F(UniSqlQuery, ExecSqlRunsEachStatementAndReportsFailuresOneByOne) {
  Run("create table t (id int, s varchar(40))");
  ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(DialogButton::kOk);
  query_.SetSQL(
      "insert into t values (1, 'a;b');\r\n"
      "insert into t values (2, \"it's; fine\"); -- comment; here\r\n"
      "insert into nowhere values (3);\r\n"
      "/* ; */ insert into t values (4, 'back\\\\slash;')");
  query_.ExecSQL();
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0].rfind("MySQL Error /", 0), 0u);
  EXPECT_NE(dialogs.MessageTexts()[0].find("nowhere"), std::string::npos);
  EXPECT_EQ(Query("select id, s from t order by id"),
            (std::vector<std::vector<std::string>>{
                {"1", "a;b"}, {"2", "it's; fine"}, {"4", "back\\slash;"}}));
  EXPECT_FALSE(query_.Active());

  query_.SetSQL("insert into t values (:ID, :TEXT)");
  query_.SetParam("id", "5");
  query_.SetParam("text", "'five'");
  query_.ExecSQL();
  EXPECT_EQ(Query("select s from t where id = 5"),
            (std::vector<std::vector<std::string>>{{"five"}}));
}

TEST_F(UniSqlQuery, AScriptThatIsOneUnitStopsAtItsFirstFailure) {
  Run("create table t (id int)");
  EXPECT_FALSE(query_.StopsAtFirstFailure()) << "scripts run on by default";
  query_.SetStopAtFirstFailure(true);
  ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(DialogButton::kOk);
  query_.SetSQL(
      "insert into t values (1); insert into nowhere values (2); insert into t values (3)");
  query_.ExecSQL();
  EXPECT_TRUE(query_.LastRunFailed());
  EXPECT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(Query("select id from t"), (std::vector<std::vector<std::string>>{{"1"}}));

  // A script without a failure runs whole, and the failure is forgotten.
  query_.SetSQL("insert into t values (4); insert into t values (5)");
  query_.ExecSQL();
  EXPECT_FALSE(query_.LastRunFailed());
  EXPECT_EQ(Query("select count(*) from t"), (std::vector<std::vector<std::string>>{{"3"}}));
}

TEST_F(UniSqlQuery, AFailingOpenShowsTheErrorOnceAndLeavesNoRows) {
  ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(DialogButton::kOk);
  OpenQuery("select * from missing_table");
  EXPECT_TRUE(query_.Active());
  EXPECT_TRUE(query_.IsEmpty());
  EXPECT_EQ(query_.FieldCount(), 0);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0].rfind("MySQL Error /", 0), 0u);

  TUniSQLQuery orphan;
  dialogs.AnswerMessage(DialogButton::kOk);
  orphan.SetSQL("select 1");
  orphan.Open();
  EXPECT_EQ(dialogs.MessageTexts().back(), "Database not defined!");
  EXPECT_TRUE(orphan.IsEmpty());
}

TEST_F(UniSqlQuery, FieldDefinitionsCanBeAskedForWhileClosed) {
  Run("create table t (a int, b varchar(5))");
  query_.SetSQL("select * from t");
  const dataset::TFieldDefs& defs = query_.UpdatedFieldDefs();
  ASSERT_EQ(defs.Count(), 2);
  EXPECT_EQ(defs[1].Name, "b");
  EXPECT_EQ(defs[1].DataType, TFieldType::ftString);
  EXPECT_FALSE(query_.Active());
}

TEST_F(UniSqlQuery, WithTesztIniInTheWorkingDirectoryTheStatementIsSaved) {
  platform::testing::TempDirectory directory;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory.Path());
  { std::ofstream("teszt.ini") << ""; }
  OpenQuery("select 42 as answer");
  std::ifstream saved("teszt.sql");
  std::string content((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  std::filesystem::current_path(previous);
  EXPECT_EQ(content, "select 42 as answer\r\n");
  EXPECT_EQ(query_.FieldByName("answer").AsInteger(), 42);
}

}  // namespace
}  // namespace uniaccess
