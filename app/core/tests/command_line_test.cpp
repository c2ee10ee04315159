#include "app/core/command_line.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace app {
namespace {

TEST(CommandLine, SeveralOptionsInOneArgumentKeepTheirCase) {
  const CommandLineOptions options =
      ParseCommandLine("  /db:Shop /HOST:srv1 /User:Admin /psw:S3cret /PORT:3307 ");
  EXPECT_EQ(options.database, "Shop");
  EXPECT_EQ(options.host, "srv1");
  EXPECT_EQ(options.user, "Admin");
  EXPECT_EQ(options.password, "S3cret");
  EXPECT_EQ(options.port, "3307");
  EXPECT_FALSE(options.sqlMode);
  EXPECT_FALSE(options.runFile);
}

TEST(CommandLine, LimitsLaterTokensAndTheRunRule) {
  EXPECT_EQ(ParseCommandLine("/DB:a /DB:b").database, "b");
  EXPECT_EQ(ParseCommandLine("/DB:" + std::string(40, 'x')).database, std::string(32, 'x'));
  EXPECT_EQ(ParseCommandLine("/SQLMOD:3").sqlMode, 3);
  EXPECT_EQ(ParseCommandLine("/SQLMOD:12").sqlMode, 1);
  EXPECT_THROW(ParseCommandLine("/SQLMOD:x"), platform::EConvertError);
  EXPECT_THROW(ParseCommandLine("/SQLMOD:"), platform::EConvertError);
  EXPECT_EQ(ParseCommandLine("/RUN:/home/u/Batch.sql").runFile, "/home/u/Batch.sql");
  EXPECT_EQ(ParseCommandLine("/DB:x /run:/tmp/Run.SQL").runFile, "/tmp/Run.SQL");
  EXPECT_FALSE(ParseCommandLine("/RUN:/tmp/a.sql /DB:x").runFile);  // not the last token
  EXPECT_EQ(ParseCommandLine("/RUN:" + std::string(200, 'r')).runFile, std::string(128, 'r'));
  EXPECT_FALSE(ParseCommandLine("").database);
  EXPECT_FALSE(ParseCommandLine("/DBX:a").database);
}

}  // namespace
}  // namespace app
