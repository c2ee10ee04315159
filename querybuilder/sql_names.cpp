#include "querybuilder/sql_names.h"

#include <algorithm>
#include <iterator>

#include "kestrel/sql/lexer/reserved_words.h"
#include "uniaccess/backend.h"
#include "uniaccess/sql_mode.h"

namespace querybuilder {
namespace {

// Reserved words of MySQL/MariaDB and SQL Server that the engine's own
// table (standard SQL and its additions) does not hold. Sorted, upper case.
constexpr std::string_view kDialectReservedWords[] = {
    "ACCESSIBLE",
    "ANALYZE",
    "ASENSITIVE",
    "BACKUP",
    "BEFORE",
    "BIGINT",
    "BINARY",
    "BLOB",
    "BREAK",
    "BROWSE",
    "BULK",
    "CALL",
    "CHANGE",
    "CHECKPOINT",
    "CLUSTERED",
    "COMPUTE",
    "CONDITION",
    "CONTAINS",
    "CONTAINSTABLE",
    "CUBE",
    "CUME_DIST",
    "CURRENT_ROLE",
    "DATABASE",
    "DATABASES",
    "DAY_HOUR",
    "DAY_MICROSECOND",
    "DAY_MINUTE",
    "DAY_SECOND",
    "DBCC",
    "DELAYED",
    "DENSE_RANK",
    "DENY",
    "DETERMINISTIC",
    "DISK",
    "DISTINCTROW",
    "DISTRIBUTED",
    "DIV",
    "DUAL",
    "DUMP",
    "EACH",
    "ELSEIF",
    "EMPTY",
    "ENCLOSED",
    "ERRLVL",
    "ESCAPED",
    "EXIT",
    "EXPLAIN",
    "FILE",
    "FILLFACTOR",
    "FIRST_VALUE",
    "FLOAT4",
    "FLOAT8",
    "FORCE",
    "FREETEXT",
    "FREETEXTTABLE",
    "FULLTEXT",
    "FUNCTION",
    "GENERAL",
    "GENERATED",
    "GET",
    "GROUPING",
    "GROUPS",
    "HIGH_PRIORITY",
    "HOLDLOCK",
    "HOUR_MICROSECOND",
    "HOUR_MINUTE",
    "HOUR_SECOND",
    "IDENTITY",
    "IDENTITYCOL",
    "IDENTITY_INSERT",
    "IF",
    "IGNORE",
    "INDEX",
    "INFILE",
    "INOUT",
    "INT1",
    "INT2",
    "INT3",
    "INT4",
    "INT8",
    "ITERATE",
    "JSON_TABLE",
    "KEY",
    "KEYS",
    "KILL",
    "LAG",
    "LAST_VALUE",
    "LATERAL",
    "LEAD",
    "LEAVE",
    "LIMIT",
    "LINEAR",
    "LINENO",
    "LINES",
    "LOAD",
    "LOCALTIME",
    "LOCALTIMESTAMP",
    "LOCK",
    "LONG",
    "LONGBLOB",
    "LONGTEXT",
    "LOOP",
    "LOW_PRIORITY",
    "MASTER_HEARTBEAT_PERIOD",
    "MASTER_SSL_VERIFY_SERVER_CERT",
    "MAXVALUE",
    "MEDIUMBLOB",
    "MEDIUMINT",
    "MEDIUMTEXT",
    "MERGE",
    "MIDDLEINT",
    "MINUTE_MICROSECOND",
    "MINUTE_SECOND",
    "MOD",
    "MODIFIES",
    "NOCHECK",
    "NONCLUSTERED",
    "NO_WRITE_TO_BINLOG",
    "NTH_VALUE",
    "NTILE",
    "OF",
    "OFF",
    "OFFSET",
    "OFFSETS",
    "OPENDATASOURCE",
    "OPENQUERY",
    "OPENROWSET",
    "OPENXML",
    "OPTIMIZE",
    "OPTIMIZER_COSTS",
    "OPTIONALLY",
    "OUT",
    "OUTFILE",
    "OVER",
    "PAGE_CHECKSUM",
    "PARSE_VCOL_EXPR",
    "PARTITION",
    "PERCENT",
    "PERCENT_RANK",
    "PIVOT",
    "PLAN",
    "PRINT",
    "PROC",
    "PURGE",
    "RAISERROR",
    "RANGE",
    "RANK",
    "READS",
    "READTEXT",
    "READ_WRITE",
    "RECONFIGURE",
    "RECURSIVE",
    "REF_SYSTEM_ID",
    "REGEXP",
    "RELEASE",
    "RENAME",
    "REPEAT",
    "REPLACE",
    "REPLICATION",
    "REQUIRE",
    "RESIGNAL",
    "RESTORE",
    "RETURN",
    "RETURNING",
    "REVERT",
    "RLIKE",
    "ROW",
    "ROWCOUNT",
    "ROWGUIDCOL",
    "ROW_NUMBER",
    "RULE",
    "SAVE",
    "SCHEMAS",
    "SECOND_MICROSECOND",
    "SECURITYAUDIT",
    "SENSITIVE",
    "SEPARATOR",
    "SETUSER",
    "SHOW",
    "SHUTDOWN",
    "SIGNAL",
    "SLOW",
    "SPATIAL",
    "SPECIFIC",
    "SQLEXCEPTION",
    "SQLWARNING",
    "SQL_BIG_RESULT",
    "SQL_CALC_FOUND_ROWS",
    "SQL_SMALL_RESULT",
    "SSL",
    "STARTING",
    "STATISTICS",
    "STATS_AUTO_RECALC",
    "STATS_PERSISTENT",
    "STATS_SAMPLE_PAGES",
    "STORED",
    "STRAIGHT_JOIN",
    "SYSTEM",
    "TABLESAMPLE",
    "TERMINATED",
    "TEXTSIZE",
    "TINYBLOB",
    "TINYINT",
    "TINYTEXT",
    "TOP",
    "TRAN",
    "TRIGGER",
    "TRUNCATE",
    "TRY_CONVERT",
    "TSEQUAL",
    "UNDO",
    "UNLOCK",
    "UNPIVOT",
    "UNSIGNED",
    "UPDATETEXT",
    "USE",
    "UTC_DATE",
    "UTC_TIME",
    "UTC_TIMESTAMP",
    "VARBINARY",
    "VARCHARACTER",
    "VIRTUAL",
    "WAITFOR",
    "WHILE",
    "WINDOW",
    "WITHIN",
    "WRITETEXT",
    "XOR",
    "YEAR_MONTH",
    "ZEROFILL",
};

static_assert(std::is_sorted(std::begin(kDialectReservedWords), std::end(kDialectReservedWords)),
              "the reserved words are searched by halving");

bool AsciiLess(std::string_view left, std::string_view right) {
  return left < right;
}

bool IsIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentifierPart(char c) {
  return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

std::string Enclosed(std::string_view name, char open, char close) {
  std::string quoted(1, open);
  for (char c : name) {
    quoted += c;
    if (c == close)
      quoted += close;
  }
  quoted += close;
  return quoted;
}

}  // namespace

SqlNameDialect DialectOfBackend(std::string_view backendName) {
  if (backendName == "ADO")
    return SqlNameDialect::kSqlServer;
  if (backendName == "KestrelTable")
    return SqlNameDialect::kKestrel;
  return SqlNameDialect::kMySql;
}

SqlNameDialect CurrentNameDialect() {
  if (const uniaccess::Backend* backend = uniaccess::InstalledBackend())
    return DialectOfBackend(backend->Name());
  switch (uniaccess::GlobalSqlModeState().sqlMode) {
    case uniaccess::kSqlModeMsSql:
      return SqlNameDialect::kSqlServer;
    case uniaccess::kSqlModeKestrel:
      return SqlNameDialect::kKestrel;
    default:
      return SqlNameDialect::kMySql;
  }
}

bool IsReservedSqlWord(std::string_view word) {
  if (kestrel::FindReservedWord(word) != kestrel::TReservedWord::kNoWord)
    return true;
  if (word.size() > 40)
    return false;
  std::string upper(word);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return std::binary_search(std::begin(kDialectReservedWords), std::end(kDialectReservedWords),
                            std::string_view(upper), AsciiLess);
}

bool NameNeedsQuoting(std::string_view name) {
  if (name.empty() || !IsIdentifierStart(name.front()))
    return true;
  if (!std::all_of(name.begin(), name.end(), IsIdentifierPart))
    return true;
  return IsReservedSqlWord(name);
}

std::string QuotedSqlName(std::string_view name, SqlNameDialect dialect) {
  switch (dialect) {
    case SqlNameDialect::kSqlServer:
      return Enclosed(name, '"', '"');
    case SqlNameDialect::kKestrel:
      return Enclosed(name, '[', ']');
    case SqlNameDialect::kMySql:
      break;
  }
  return Enclosed(name, '`', '`');
}

std::string SqlName(std::string_view name, SqlNameDialect dialect) {
  if (NameNeedsQuoting(name))
    return QuotedSqlName(name, dialect);
  return std::string(name);
}

}  // namespace querybuilder
