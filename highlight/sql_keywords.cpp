#include "highlight/sql_keywords.h"

namespace highlight {
namespace {

constexpr std::string_view kKeywords[] = {
    "ACTIVE",     "AFTER",       "ALL",       "ALTER",       "AND",      "ANY",
    "AS",         "ASC",         "ASCENDING", "AT",          "AUTO",     "BASE_NAME",
    "BEFORE",     "BEGIN",       "BETWEEN",   "BY",          "CACHE",    "CAST",
    "CHECK",      "COLUMN",      "COMMIT",    "COMMITTED",   "COMPUTED", "CONDITIONAL",
    "CONSTRAINT", "CONTAINING",  "COUNT",     "CREATE",      "CURRENT",  "CURSOR",
    "DATABASE",   "DEBUG",       "DECLARE",   "DEFAULT",     "DELETE",   "DESC",
    "DESCENDING", "DISTINCT",    "DO",        "DOMAIN",      "DROP",     "ELSE",
    "END",        "ENTRY_POINT", "ESCAPE",    "EXCEPTION",   "EXECUTE",  "EXISTS",
    "EXIT",       "EXTERNAL",    "EXTRACT",   "FILTER",      "FOR",      "FOREIGN",
    "FROM",       "FULL",        "FUNCTION",  "GENERATOR",   "GRANT",    "GROUP",
    "HAVING",     "IF",          "IN",        "INACTIVE",    "INDEX",    "INNER",
    "INSERT",     "INTO",        "IS",        "ISOLATION",   "JOIN",     "KEY",
    "LEFT",       "LEVEL",       "LIKE",      "MERGE",       "NAMES",    "NO",
    "NOT",        "NULL",        "OF",        "ON",          "ONLY",     "OR",
    "ORDER",      "OUTER",       "PARAMETER", "PASSWORD",    "PLAN",     "POSITION",
    "PRIMARY",    "PRIVILEGES",  "PROCEDURE", "PROTECTED",   "READ",     "RETAIN",
    "RETURNS",    "REVOKE",      "RIGHT",     "ROLLBACK",    "SCHEMA",   "SELECT",
    "SET",        "SHADOW",      "SHARED",    "SNAPSHOT",    "SOME",     "SUSPEND",
    "TABLE",      "THEN",        "TO",        "TRANSACTION", "TRIGGER",  "UNCOMMITTED",
    "UNION",      "UNIQUE",      "UPDATE",    "USER",        "USING",    "VIEW",
    "WAIT",       "WHEN",        "WHERE",     "WHILE",       "WITH",     "WORK",
};
static_assert(std::size(kKeywords) == 126);

constexpr int LetterValue(char c) {
  if (c >= 'A' && c <= 'Z') {
    return c - 'A' + 1;
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 1;
  }
  return 0;
}

constexpr char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

using BucketTable = std::array<std::vector<std::string_view>, kKeywordBuckets>;

const BucketTable& Buckets() {
  static const BucketTable table = [] {
    BucketTable built;
    for (const std::string_view keyword : kKeywords) {
      built[static_cast<std::size_t>(KeywordBucket(keyword))].push_back(keyword);
    }
    return built;
  }();
  return table;
}

}  // namespace

std::span<const std::string_view> SqlKeywords() {
  return kKeywords;
}

int KeywordBucket(std::string_view word) {
  int sum = 0;
  for (const char c : word) {
    sum += LetterValue(c);
    if (sum >= kKeywordBuckets) {
      return -1;
    }
  }
  return sum;
}

bool IsSqlKeyword(std::string_view word) {
  const int bucket = KeywordBucket(word);
  if (bucket < 0) {
    return false;
  }
  for (const std::string_view keyword : Buckets()[static_cast<std::size_t>(bucket)]) {
    if (keyword.size() != word.size()) {
      continue;
    }
    bool same = true;
    for (std::size_t index = 0; index < word.size() && same; ++index) {
      same = UpperAscii(word[index]) == keyword[index];
    }
    if (same) {
      return true;
    }
  }
  return false;
}

}  // namespace highlight
