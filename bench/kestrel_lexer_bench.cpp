// What scanning costs: a generated script of 200,000 statements lexed
// statement by statement with TKestrelLexer, next to SQLite's tokenizer
// walking the same statements (sqlite3_complete, which reads every token to
// find the statement's end). Also counts the heap allocations the lexer
// makes per statement once its token list has grown. Prints figures only.

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_allocations.h"
#include "kestrel/sql/lexer/kestrel_lexer.h"

namespace {

constexpr int kStatements = 200000;

volatile int64_t sink = 0;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Statements of the shapes a client sends: queries with joins and
// conditions, inserts with literals, comments and a parameter.
std::vector<std::string> Statements() {
  std::vector<std::string> statements;
  for (int i = 0; i < kStatements; ++i) {
    switch (i % 4) {
      case 0:
        statements.push_back(
            "SELECT c.id, c.name, o.total * 1.25 AS gross FROM customers c "
            "INNER JOIN orders o ON o.customer_id = c.id WHERE o.total >= " +
            std::to_string(i) + " AND c.name LIKE 'Sm%' ORDER BY gross DESC;\n");
        break;
      case 1:
        statements.push_back("INSERT INTO orders (id, customer_id, total, note) VALUES (" +
                             std::to_string(i) + ", " + std::to_string(i % 97) +
                             ", 12.5e2, 'it''s \"fine\"');\n");
        break;
      case 2:
        statements.push_back(
            "-- nightly clean-up\nUPDATE [order lines] SET qty = qty - 1 "
            "WHERE line_no <> :p AND (qty > 0 OR flag IS NULL);\n");
        break;
      default:
        statements.push_back(
            "/* report */ SELECT COUNT(*), SUM(total), MAX(total) FROM orders "
            "GROUP BY customer_id HAVING SUM(total) > 1000;\n");
        break;
    }
  }
  return statements;
}

}  // namespace

int main() {
  const std::vector<std::string> statements = Statements();
  std::string script;
  for (const std::string& statement : statements) {
    script += statement;
  }
  kestrel::TKestrelSQLParams params;
  params.AddParam().Name = "p";

  int64_t tokens = 0;
  uint64_t steadyAllocations = 0;
  const double lexerSeconds = Seconds([&] {
    kestrel::TKestrelLexer lexer(script, &params);
    int statementNo = 0;
    while (lexer.NextStatement()) {
      tokens += lexer.Command().NumTokens();
      if (++statementNo == 100) {
        steadyAllocations = HeapAllocations();
      }
    }
    steadyAllocations = HeapAllocations() - steadyAllocations;
  });
  const int64_t steadyStatements = kStatements - 100;

  const double sqliteSeconds = Seconds([&] {
    for (const std::string& statement : statements) {
      sink = sink + sqlite3_complete(statement.c_str());
    }
  });

  const double megabytes = static_cast<double>(script.size()) / 1e6;
  std::printf("Kestrel lexer: %d statements, %.1f MB, %lld tokens (peer: sqlite3_complete)\n\n",
              kStatements, megabytes, static_cast<long long>(tokens));
  std::printf("%-28s %8.1f MB/s   peer %8.1f MB/s   lexer/peer time %5.2f\n", "scan",
              megabytes / lexerSeconds, megabytes / sqliteSeconds,
              sqliteSeconds > 0 ? lexerSeconds / sqliteSeconds : 0);
  std::printf("%-28s %8.2f per statement (after the first 100; the parameter's copy is one)\n",
              "heap allocations", static_cast<double>(steadyAllocations) / steadyStatements);
  return 0;
}
