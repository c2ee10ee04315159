#include "app/core/sql_text.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(SqlText, QueriesAndStatementsAreToldApartOutsideComments) {
  const struct {
    const char* sql;
    bool executed;
  } cases[] = {
      {"select * from t", false},
      {"update t set a=1", true},
      {"Insert into t values (1)", true},
      {"select * from t where a='drop table'", true},  // keywords count inside literals
      {"select exitcode from t", true},
      {"-- update the list\r\nselect * from t", false},
      {"// delete later\r\nselect * from t", false},
      {"/* drop this */ select * from t", false},
      {"select 1 /* unterminated comment update x", false},
      {"select 1 -- no line break delete ", false},
      {"select 1\n-- lf only update\nupdate t set a=1", true},
      {"show tables", false},
      {"begin transaction", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsExecutedStatement(c.sql), c.executed) << c.sql;
  }
  EXPECT_EQ(ClassificationCopy("a/*x*/b--y\r\nc//z\r\nd"), "ABCD");
}

TEST(SqlText, RunLastPicksTheStatementAfterTheLastSemicolon) {
  const struct {
    const char* editor;
    const char* statement;
    const char* editorAfter;
  } cases[] = {
      {"select * from t;", "select * from t", "select * from t;\r\n"},
      {"  select 1;\r\nselect 2  ", "\r\nselect 2", "select 1;\r\nselect 2;\r\n"},
      {"a;b;c;", "c", "a;b;c;\r\n"},
      {";select 1", ";select 1", ";select 1;\r\n"},  // a first ";" does not split
      {"select 1", "select 1", "select 1;\r\n"},
      {"   ", "", ""},
  };
  for (const auto& c : cases) {
    const LastStatement last = PickLastStatement(c.editor);
    EXPECT_EQ(last.statement, c.statement) << c.editor;
    EXPECT_EQ(last.editorText, c.editorAfter) << c.editor;
  }
}

TEST(SqlText, OrderingKeepsASingleOrderByClause) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(OrderedByColumn({"select * from t"}, 2), (Lines{"select * from t", "ORDER BY 2"}));
  EXPECT_EQ(OrderedByColumn(OrderedByColumn({"select * from t"}, 2), 3),
            (Lines{"select * from t", "ORDER BY 3"}));
  EXPECT_EQ(OrderedByColumn({"select * from t order by a desc limit 5"}, 1),
            (Lines{"select * from t ", "ORDER BY 1"}));
  EXPECT_EQ(OrderedByColumn({"select *", "from t", "Order By b", "limit 3"}, 4),
            (Lines{"select *", "from t", "ORDER BY 4"}));
}

TEST(SqlText, BatchStatementsEndAtALineEndingWithSemicolon) {
  const std::vector<std::string> file = {"create table a (x int);",
                                         "insert into a",
                                         "",
                                         "values (1);",
                                         "select 1; ",
                                         "select 2",
                                         "from t; ",
                                         "select 3;",
                                         "  ",
                                         "tail"};
  std::size_t next = 0;
  auto readLine = [&](std::string& line) {
    if (next >= file.size()) {
      return false;
    }
    line = file[next++];
    return true;
  };
  std::vector<std::vector<std::string>> statements;
  bool more = true;
  while (more) {
    auto lines = BatchStatementReader::Next(readLine, more);
    if (!lines.empty()) {
      statements.push_back(lines);
    }
  }
  const std::vector<std::vector<std::string>> expected = {
      {"create table a (x int);"},
      {"insert into a", " ", "values (1);"},
      // a first line is judged trimmed; a later "; " keeps the statement open
      {"select 1; "},
      {"select 2", "from t; ", "select 3;"},
      {"  ", "tail"},  // a blank line does not end anything
  };
  EXPECT_EQ(statements, expected);
}

}  // namespace
}  // namespace app
