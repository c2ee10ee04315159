#include "uniaccess/statement_splitter.h"

#include <gtest/gtest.h>

namespace uniaccess {
namespace {

using Pieces = std::vector<std::string>;

TEST(StatementSplitter, CutsOnlyAtSemicolonsOutsideLiteralsAndComments) {
  const struct {
    const char* script;
    Pieces pieces;
  } cases[] = {
      {"a;b;", {"a", "b"}},
      {"a;;b", {"a", "", "b"}},
      {"  select 1  ", {"select 1"}},
      {"   \r\n ", {}},
      {"a;\r\n  ", {"a"}},
      {"insert into t values('x;y')", {"insert into t values('x;y')"}},
      {"insert into t values(\"x;y\");x", {"insert into t values(\"x;y\")", "x"}},
      {"select 'it''s;' ; b", {"select 'it''s;'", "b"}},
      {"select 'back\\';slash';b", {"select 'back\\';slash'", "b"}},
      {"select `a;b` from t;c", {"select `a;b` from t", "c"}},
      {"a -- note; here\n;b", {"a -- note; here", "b"}},
      {"a --x;b", {"a --x", "b"}},  // "--" without a blank starts no comment
      {"a # note; here\n;b", {"a # note; here", "b"}},
      {"a /* x; y */;b", {"a /* x; y */", "b"}},
      {"select 'unterminated;", {"select 'unterminated;"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitStatements(c.script), c.pieces) << c.script;
  }
}

}  // namespace
}  // namespace uniaccess
