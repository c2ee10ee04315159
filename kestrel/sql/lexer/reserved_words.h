#pragma once
// The reserved-word table of the SQL dialect.
//
// A word's index is its identity: parsers test a token against a particular
// word (TReservedWord::kSelect), never against its spelling, and the indexes
// are fixed. 0 to 234 are the standard SQL words, 235 to 264 the engine's
// own. 265 (kNoWord) marks a token that holds no reserved word and, as the
// argument of IsReservedWord, stands for any word.
//
// Lookup folds ASCII letters only, as the scanner does; END-EXEC holds a "-"
// and can never be scanned as one word, but keeps its place in the table.

#include <cstdint>
#include <string_view>

namespace kestrel {

// X(Name, "SPELLING") for every word in index order.
#define KESTREL_RESERVED_WORDS(X)                                   \
  /*   0 */ X(Absolute, "ABSOLUTE")                                 \
  /*   1 */ X(Action, "ACTION")                                     \
  /*   2 */ X(Add, "ADD")                                           \
  /*   3 */ X(All, "ALL")                                           \
  /*   4 */ X(Allocate, "ALLOCATE")                                 \
  /*   5 */ X(Alter, "ALTER")                                       \
  /*   6 */ X(And, "AND")                                           \
  /*   7 */ X(Any, "ANY")                                           \
  /*   8 */ X(Are, "ARE")                                           \
  /*   9 */ X(As, "AS")                                             \
  /*  10 */ X(Asc, "ASC")                                           \
  /*  11 */ X(Assertion, "ASSERTION")                               \
  /*  12 */ X(At, "AT")                                             \
  /*  13 */ X(Authorization, "AUTHORIZATION")                       \
  /*  14 */ X(Avg, "AVG")                                           \
  /*  15 */ X(Begin, "BEGIN")                                       \
  /*  16 */ X(Between, "BETWEEN")                                   \
  /*  17 */ X(Bit, "BIT")                                           \
  /*  18 */ X(BitLength, "BIT_LENGTH")                              \
  /*  19 */ X(Both, "BOTH")                                         \
  /*  20 */ X(By, "BY")                                             \
  /*  21 */ X(Cascade, "CASCADE")                                   \
  /*  22 */ X(Cascaded, "CASCADED")                                 \
  /*  23 */ X(Case, "CASE")                                         \
  /*  24 */ X(Cast, "CAST")                                         \
  /*  25 */ X(Catalog, "CATALOG")                                   \
  /*  26 */ X(Char, "CHAR")                                         \
  /*  27 */ X(Character, "CHARACTER")                               \
  /*  28 */ X(CharLength, "CHAR_LENGTH")                            \
  /*  29 */ X(CharacterLength, "CHARACTER_LENGTH")                  \
  /*  30 */ X(Check, "CHECK")                                       \
  /*  31 */ X(Close, "CLOSE")                                       \
  /*  32 */ X(Coalesce, "COALESCE")                                 \
  /*  33 */ X(Collate, "COLLATE")                                   \
  /*  34 */ X(Collation, "COLLATION")                               \
  /*  35 */ X(Column, "COLUMN")                                     \
  /*  36 */ X(Commit, "COMMIT")                                     \
  /*  37 */ X(Connect, "CONNECT")                                   \
  /*  38 */ X(Connection, "CONNECTION")                             \
  /*  39 */ X(Constraint, "CONSTRAINT")                             \
  /*  40 */ X(Constraints, "CONSTRAINTS")                           \
  /*  41 */ X(Continue, "CONTINUE")                                 \
  /*  42 */ X(Convert, "CONVERT")                                   \
  /*  43 */ X(Corresponding, "CORRESPONDING")                       \
  /*  44 */ X(Count, "COUNT")                                       \
  /*  45 */ X(Create, "CREATE")                                     \
  /*  46 */ X(Cross, "CROSS")                                       \
  /*  47 */ X(Current, "CURRENT")                                   \
  /*  48 */ X(CurrentDate, "CURRENT_DATE")                          \
  /*  49 */ X(CurrentTime, "CURRENT_TIME")                          \
  /*  50 */ X(CurrentTimestamp, "CURRENT_TIMESTAMP")                \
  /*  51 */ X(CurrentUser, "CURRENT_USER")                          \
  /*  52 */ X(Cursor, "CURSOR")                                     \
  /*  53 */ X(Date, "DATE")                                         \
  /*  54 */ X(Day, "DAY")                                           \
  /*  55 */ X(Deallocate, "DEALLOCATE")                             \
  /*  56 */ X(Dec, "DEC")                                           \
  /*  57 */ X(Decimal, "DECIMAL")                                   \
  /*  58 */ X(Declare, "DECLARE")                                   \
  /*  59 */ X(Default, "DEFAULT")                                   \
  /*  60 */ X(Deferrable, "DEFERRABLE")                             \
  /*  61 */ X(Deferred, "DEFERRED")                                 \
  /*  62 */ X(Delete, "DELETE")                                     \
  /*  63 */ X(Desc, "DESC")                                         \
  /*  64 */ X(Describe, "DESCRIBE")                                 \
  /*  65 */ X(Descriptor, "DESCRIPTOR")                             \
  /*  66 */ X(Diagnostics, "DIAGNOSTICS")                           \
  /*  67 */ X(Disconnect, "DISCONNECT")                             \
  /*  68 */ X(Distinct, "DISTINCT")                                 \
  /*  69 */ X(Domain, "DOMAIN")                                     \
  /*  70 */ X(Double, "DOUBLE")                                     \
  /*  71 */ X(Drop, "DROP")                                         \
  /*  72 */ X(Else, "ELSE")                                         \
  /*  73 */ X(End, "END")                                           \
  /*  74 */ X(EndExec, "END-EXEC")                                  \
  /*  75 */ X(Escape, "ESCAPE")                                     \
  /*  76 */ X(Except, "EXCEPT")                                     \
  /*  77 */ X(Exception, "EXCEPTION")                               \
  /*  78 */ X(Exec, "EXEC")                                         \
  /*  79 */ X(Execute, "EXECUTE")                                   \
  /*  80 */ X(Exists, "EXISTS")                                     \
  /*  81 */ X(External, "EXTERNAL")                                 \
  /*  82 */ X(Extract, "EXTRACT")                                   \
  /*  83 */ X(False, "FALSE")                                       \
  /*  84 */ X(Fetch, "FETCH")                                       \
  /*  85 */ X(First, "FIRST")                                       \
  /*  86 */ X(Float, "FLOAT")                                       \
  /*  87 */ X(For, "FOR")                                           \
  /*  88 */ X(Foreign, "FOREIGN")                                   \
  /*  89 */ X(Found, "FOUND")                                       \
  /*  90 */ X(From, "FROM")                                         \
  /*  91 */ X(Full, "FULL")                                         \
  /*  92 */ X(Get, "GET")                                           \
  /*  93 */ X(Global, "GLOBAL")                                     \
  /*  94 */ X(Go, "GO")                                             \
  /*  95 */ X(Goto, "GOTO")                                         \
  /*  96 */ X(Grant, "GRANT")                                       \
  /*  97 */ X(Group, "GROUP")                                       \
  /*  98 */ X(Hex, "HEX")                                           \
  /*  99 */ X(Having, "HAVING")                                     \
  /* 100 */ X(Hour, "HOUR")                                         \
  /* 101 */ X(Identity, "IDENTITY")                                 \
  /* 102 */ X(If, "IF")                                             \
  /* 103 */ X(Immediate, "IMMEDIATE")                               \
  /* 104 */ X(In, "IN")                                             \
  /* 105 */ X(Indicator, "INDICATOR")                               \
  /* 106 */ X(Initially, "INITIALLY")                               \
  /* 107 */ X(Inner, "INNER")                                       \
  /* 108 */ X(Input, "INPUT")                                       \
  /* 109 */ X(Insensitive, "INSENSITIVE")                           \
  /* 110 */ X(Insert, "INSERT")                                     \
  /* 111 */ X(Int, "INT")                                           \
  /* 112 */ X(Integer, "INTEGER")                                   \
  /* 113 */ X(Intersect, "INTERSECT")                               \
  /* 114 */ X(Interval, "INTERVAL")                                 \
  /* 115 */ X(Into, "INTO")                                         \
  /* 116 */ X(Is, "IS")                                             \
  /* 117 */ X(Isolation, "ISOLATION")                               \
  /* 118 */ X(Join, "JOIN")                                         \
  /* 119 */ X(Key, "KEY")                                           \
  /* 120 */ X(Language, "LANGUAGE")                                 \
  /* 121 */ X(Last, "LAST")                                         \
  /* 122 */ X(Leading, "LEADING")                                   \
  /* 123 */ X(Left, "LEFT")                                         \
  /* 124 */ X(Level, "LEVEL")                                       \
  /* 125 */ X(Like, "LIKE")                                         \
  /* 126 */ X(Local, "LOCAL")                                       \
  /* 127 */ X(Lower, "LOWER")                                       \
  /* 128 */ X(Match, "MATCH")                                       \
  /* 129 */ X(Max, "MAX")                                           \
  /* 130 */ X(Memory, "MEMORY")                                     \
  /* 131 */ X(Mime64, "MIME64")                                     \
  /* 132 */ X(Min, "MIN")                                           \
  /* 133 */ X(Minus, "MINUS")                                       \
  /* 134 */ X(Minute, "MINUTE")                                     \
  /* 135 */ X(Module, "MODULE")                                     \
  /* 136 */ X(Month, "MONTH")                                       \
  /* 137 */ X(Names, "NAMES")                                       \
  /* 138 */ X(National, "NATIONAL")                                 \
  /* 139 */ X(Natural, "NATURAL")                                   \
  /* 140 */ X(Nchar, "NCHAR")                                       \
  /* 141 */ X(Next, "NEXT")                                         \
  /* 142 */ X(No, "NO")                                             \
  /* 143 */ X(NoFlush, "NOFLUSH")                                   \
  /* 144 */ X(Not, "NOT")                                           \
  /* 145 */ X(Null, "NULL")                                         \
  /* 146 */ X(NullIf, "NULLIF")                                     \
  /* 147 */ X(Numeric, "NUMERIC")                                   \
  /* 148 */ X(OctetLength, "OCTET_LENGTH")                          \
  /* 149 */ X(Of, "OF")                                             \
  /* 150 */ X(On, "ON")                                             \
  /* 151 */ X(Only, "ONLY")                                         \
  /* 152 */ X(Open, "OPEN")                                         \
  /* 153 */ X(Option, "OPTION")                                     \
  /* 154 */ X(Or, "OR")                                             \
  /* 155 */ X(Order, "ORDER")                                       \
  /* 156 */ X(Outer, "OUTER")                                       \
  /* 157 */ X(Output, "OUTPUT")                                     \
  /* 158 */ X(Overlaps, "OVERLAPS")                                 \
  /* 159 */ X(Pad, "PAD")                                           \
  /* 160 */ X(Partial, "PARTIAL")                                   \
  /* 161 */ X(Position, "POSITION")                                 \
  /* 162 */ X(Precision, "PRECISION")                               \
  /* 163 */ X(Prepare, "PREPARE")                                   \
  /* 164 */ X(Preserve, "PRESERVE")                                 \
  /* 165 */ X(Primary, "PRIMARY")                                   \
  /* 166 */ X(Prior, "PRIOR")                                       \
  /* 167 */ X(Privileges, "PRIVILEGES")                             \
  /* 168 */ X(Procedure, "PROCEDURE")                               \
  /* 169 */ X(Public, "PUBLIC")                                     \
  /* 170 */ X(Read, "READ")                                         \
  /* 171 */ X(Real, "REAL")                                         \
  /* 172 */ X(References, "REFERENCES")                             \
  /* 173 */ X(Relative, "RELATIVE")                                 \
  /* 174 */ X(Restrict, "RESTRICT")                                 \
  /* 175 */ X(Revoke, "REVOKE")                                     \
  /* 176 */ X(Right, "RIGHT")                                       \
  /* 177 */ X(Rollback, "ROLLBACK")                                 \
  /* 178 */ X(Rows, "ROWS")                                         \
  /* 179 */ X(Schema, "SCHEMA")                                     \
  /* 180 */ X(Scroll, "SCROLL")                                     \
  /* 181 */ X(Second, "SECOND")                                     \
  /* 182 */ X(Section, "SECTION")                                   \
  /* 183 */ X(Select, "SELECT")                                     \
  /* 184 */ X(Session, "SESSION")                                   \
  /* 185 */ X(SessionUser, "SESSION_USER")                          \
  /* 186 */ X(Set, "SET")                                           \
  /* 187 */ X(Size, "SIZE")                                         \
  /* 188 */ X(Smallint, "SMALLINT")                                 \
  /* 189 */ X(Some, "SOME")                                         \
  /* 190 */ X(Space, "SPACE")                                       \
  /* 191 */ X(Sql, "SQL")                                           \
  /* 192 */ X(SqlCode, "SQLCODE")                                   \
  /* 193 */ X(SqlError, "SQLERROR")                                 \
  /* 194 */ X(SqlState, "SQLSTATE")                                 \
  /* 195 */ X(Start, "START")                                       \
  /* 196 */ X(Substring, "SUBSTRING")                               \
  /* 197 */ X(Sum, "SUM")                                           \
  /* 198 */ X(SystemUser, "SYSTEM_USER")                            \
  /* 199 */ X(Table, "TABLE")                                       \
  /* 200 */ X(Temporary, "TEMPORARY")                               \
  /* 201 */ X(Then, "THEN")                                         \
  /* 202 */ X(Time, "TIME")                                         \
  /* 203 */ X(Timestamp, "TIMESTAMP")                               \
  /* 204 */ X(TimezoneHour, "TIMEZONE_HOUR")                        \
  /* 205 */ X(TimezoneMinute, "TIMEZONE_MINUTE")                    \
  /* 206 */ X(To, "TO")                                             \
  /* 207 */ X(Top, "TOP")                                           \
  /* 208 */ X(Trailing, "TRAILING")                                 \
  /* 209 */ X(Transaction, "TRANSACTION")                           \
  /* 210 */ X(Translate, "TRANSLATE")                               \
  /* 211 */ X(Translation, "TRANSLATION")                           \
  /* 212 */ X(Trim, "TRIM")                                         \
  /* 213 */ X(True, "TRUE")                                         \
  /* 214 */ X(Union, "UNION")                                       \
  /* 215 */ X(Unique, "UNIQUE")                                     \
  /* 216 */ X(Unknown, "UNKNOWN")                                   \
  /* 217 */ X(Update, "UPDATE")                                     \
  /* 218 */ X(Upper, "UPPER")                                       \
  /* 219 */ X(Usage, "USAGE")                                       \
  /* 220 */ X(User, "USER")                                         \
  /* 221 */ X(Using, "USING")                                       \
  /* 222 */ X(Value, "VALUE")                                       \
  /* 223 */ X(Values, "VALUES")                                     \
  /* 224 */ X(Varchar, "VARCHAR")                                   \
  /* 225 */ X(Varying, "VARYING")                                   \
  /* 226 */ X(View, "VIEW")                                         \
  /* 227 */ X(When, "WHEN")                                         \
  /* 228 */ X(Whenever, "WHENEVER")                                 \
  /* 229 */ X(Where, "WHERE")                                       \
  /* 230 */ X(With, "WITH")                                         \
  /* 231 */ X(Work, "WORK")                                         \
  /* 232 */ X(Write, "WRITE")                                       \
  /* 233 */ X(Year, "YEAR")                                         \
  /* 234 */ X(Zone, "ZONE")                                         \
  /* 235 */ X(Password, "PASSWORD")                                 \
  /* 236 */ X(BlobBlockSize, "BLOBBLOCKSIZE")                       \
  /* 237 */ X(BlobCompressionMode, "BLOBCOMPRESSIONMODE")           \
  /* 238 */ X(BlobCompressionAlgorithm, "BLOBCOMPRESSIONALGORITHM") \
  /* 239 */ X(LastAutoInc, "LASTAUTOINC")                           \
  /* 240 */ X(Modify, "MODIFY")                                     \
  /* 241 */ X(New, "NEW")                                           \
  /* 242 */ X(Index, "INDEX")                                       \
  /* 243 */ X(NoCase, "NOCASE")                                     \
  /* 244 */ X(LTrim, "LTRIM")                                       \
  /* 245 */ X(RTrim, "RTRIM")                                       \
  /* 246 */ X(Pos, "POS")                                           \
  /* 247 */ X(Length, "LENGTH")                                     \
  /* 248 */ X(SysDate, "SYSDATE")                                   \
  /* 249 */ X(Now, "NOW")                                           \
  /* 250 */ X(ToBlob, "TOBLOB")                                     \
  /* 251 */ X(ToDate, "TODATE")                                     \
  /* 252 */ X(ToString, "TOSTRING")                                 \
  /* 253 */ X(AutoIndexes, "AUTOINDEXES")                           \
  /* 254 */ X(NoAutoIndexes, "NOAUTOINDEXES")                       \
  /* 255 */ X(Increment, "INCREMENT")                               \
  /* 256 */ X(LastValue, "LASTVALUE")                               \
  /* 257 */ X(MaxValue, "MAXVALUE")                                 \
  /* 258 */ X(MinValue, "MINVALUE")                                 \
  /* 259 */ X(Cycled, "CYCLED")                                     \
  /* 260 */ X(NoMaxValue, "NOMAXVALUE")                             \
  /* 261 */ X(NoMinValue, "NOMINVALUE")                             \
  /* 262 */ X(NoCycled, "NOCYCLED")                                 \
  /* 263 */ X(InitialValue, "INITIALVALUE")                         \
  /* 264 */ X(Rename, "RENAME")

enum class TReservedWord : int16_t {
#define KESTREL_RESERVED_WORD_ENUM(name, text) k##name,
  KESTREL_RESERVED_WORDS(KESTREL_RESERVED_WORD_ENUM)
#undef KESTREL_RESERVED_WORD_ENUM
  // 265: no word in a token; any word as the argument of IsReservedWord.
  kNoWord,
  kAnyWord = kNoWord,
};

inline constexpr int16_t kReservedWordCount = static_cast<int16_t>(TReservedWord::kNoWord);
static_assert(kReservedWordCount == 265);

// The spelling of a word (upper case); empty for kNoWord and out-of-range values.
std::string_view ReservedWordText(TReservedWord word);

// The word spelled by text, ASCII letters compared without regard to case;
// kNoWord when there is none. Allocates nothing.
TReservedWord FindReservedWord(std::string_view text);

}  // namespace kestrel
