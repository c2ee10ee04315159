#include "uniaccess/sql_mode.h"

#include <gtest/gtest.h>

namespace uniaccess {
namespace {

TEST(SqlMode, TheModeListIsFixed) {
  const std::array<const char*, kSqlModeCount> expected = {
      "MySQL",  "InterBase", "(Postgrade)", "MSSQL",    "BDE",
      "(ODBC)", "(SyBase)",  "(Oracle)",    "(TIBSQL(", "(KestrelTable)"};
  for (int i = 0; i < kSqlModeCount; ++i) {
    EXPECT_STREQ(SqlModeNames()[static_cast<std::size_t>(i)],
                 expected[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(SystemDatabaseNameFor(0), "mysql");
  EXPECT_EQ(SystemDatabaseNameFor(3), "master");
  EXPECT_EQ(SystemDatabaseNameFor(9), "KestrelTable");
  EXPECT_EQ(SystemDatabaseNameFor(1), "");
}

TEST(SqlMode, DataDirectoryEndsWithASeparator) {
  const struct {
    const char* path;
    const char* stored;
  } cases[] = {{"/data/kestrel", "/data/kestrel/"}, {"/", "/"}, {"rel/dir/", "rel/dir/"}, {"", ""}};
  for (const auto& c : cases) {
    SetDataDirectory(c.path);
    EXPECT_EQ(GlobalSqlModeState().dataDirectory, c.stored);
  }
  EXPECT_EQ(SqlModeState::DefaultDataDirectory().back(), '/');
}

TEST(SqlMode, ObjectNamesCountUp) {
  GlobalSqlModeState().nameCounter = 1;
  EXPECT_EQ(NextObjectName("Database"), "Database1");
  EXPECT_EQ(NextObjectName("Query"), "Query2");
}

TEST(SqlMode, AModeWithoutBackendKeepsTheLastOne) {
  GlobalSqlModeState().sqlMode = kSqlModeMySql;
  Backend* mysqlBackend = InstallBackendForCurrentMode();
  ASSERT_NE(mysqlBackend, nullptr);
  GlobalSqlModeState().sqlMode = 4;  // BDE
  EXPECT_EQ(InstallBackendForCurrentMode(), mysqlBackend);
  EXPECT_EQ(GlobalSqlModeState().backendName, "MySQL");
  GlobalSqlModeState().sqlMode = kSqlModeMySql;
  EXPECT_TRUE(HasBackendFor(kSqlModeMySql));
  for (const int mode : {1, 2, 4, 5, 6, 7, 8}) {
    EXPECT_FALSE(HasBackendFor(mode)) << mode;
  }
}

}  // namespace
}  // namespace uniaccess
