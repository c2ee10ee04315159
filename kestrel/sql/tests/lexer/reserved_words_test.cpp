#include "kestrel/sql/lexer/reserved_words.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

// Every word in index order; the index is the word's identity.
constexpr const char* kWordsInOrder =
    "ABSOLUTE ACTION ADD ALL ALLOCATE ALTER AND ANY ARE AS ASC ASSERTION AT AUTHORIZATION "
    "AVG BEGIN BETWEEN BIT BIT_LENGTH BOTH BY CASCADE CASCADED CASE CAST CATALOG CHAR "
    "CHARACTER CHAR_LENGTH CHARACTER_LENGTH CHECK CLOSE COALESCE COLLATE COLLATION COLUMN "
    "COMMIT CONNECT CONNECTION CONSTRAINT CONSTRAINTS CONTINUE CONVERT CORRESPONDING COUNT "
    "CREATE CROSS CURRENT CURRENT_DATE CURRENT_TIME CURRENT_TIMESTAMP CURRENT_USER CURSOR "
    "DATE DAY DEALLOCATE DEC DECIMAL DECLARE DEFAULT DEFERRABLE DEFERRED DELETE DESC "
    "DESCRIBE DESCRIPTOR DIAGNOSTICS DISCONNECT DISTINCT DOMAIN DOUBLE DROP ELSE END "
    "END-EXEC ESCAPE EXCEPT EXCEPTION EXEC EXECUTE EXISTS EXTERNAL EXTRACT FALSE FETCH "
    "FIRST FLOAT FOR FOREIGN FOUND FROM FULL GET GLOBAL GO GOTO GRANT GROUP HEX HAVING "
    "HOUR IDENTITY IF IMMEDIATE IN INDICATOR INITIALLY INNER INPUT INSENSITIVE INSERT INT "
    "INTEGER INTERSECT INTERVAL INTO IS ISOLATION JOIN KEY LANGUAGE LAST LEADING LEFT "
    "LEVEL LIKE LOCAL LOWER MATCH MAX MEMORY MIME64 MIN MINUS MINUTE MODULE MONTH NAMES "
    "NATIONAL NATURAL NCHAR NEXT NO NOFLUSH NOT NULL NULLIF NUMERIC OCTET_LENGTH OF ON "
    "ONLY OPEN OPTION OR ORDER OUTER OUTPUT OVERLAPS PAD PARTIAL POSITION PRECISION "
    "PREPARE PRESERVE PRIMARY PRIOR PRIVILEGES PROCEDURE PUBLIC READ REAL REFERENCES "
    "RELATIVE RESTRICT REVOKE RIGHT ROLLBACK ROWS SCHEMA SCROLL SECOND SECTION SELECT "
    "SESSION SESSION_USER SET SIZE SMALLINT SOME SPACE SQL SQLCODE SQLERROR SQLSTATE START "
    "SUBSTRING SUM SYSTEM_USER TABLE TEMPORARY THEN TIME TIMESTAMP TIMEZONE_HOUR "
    "TIMEZONE_MINUTE TO TOP TRAILING TRANSACTION TRANSLATE TRANSLATION TRIM TRUE UNION "
    "UNIQUE UNKNOWN UPDATE UPPER USAGE USER USING VALUE VALUES VARCHAR VARYING VIEW WHEN "
    "WHENEVER WHERE WITH WORK WRITE YEAR ZONE PASSWORD BLOBBLOCKSIZE BLOBCOMPRESSIONMODE "
    "BLOBCOMPRESSIONALGORITHM LASTAUTOINC MODIFY NEW INDEX NOCASE LTRIM RTRIM POS LENGTH "
    "SYSDATE NOW TOBLOB TODATE TOSTRING AUTOINDEXES NOAUTOINDEXES INCREMENT LASTVALUE "
    "MAXVALUE MINVALUE CYCLED NOMAXVALUE NOMINVALUE NOCYCLED INITIALVALUE RENAME";

std::vector<std::string> WordsInOrder() {
  std::istringstream stream(kWordsInOrder);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) {
    words.push_back(word);
  }
  return words;
}

TReservedWord Word(std::size_t index) {
  return static_cast<TReservedWord>(index);
}

std::string Mixed(std::string word) {
  for (std::size_t i = 0; i < word.size(); i += 2) {
    if (word[i] >= 'A' && word[i] <= 'Z') {
      word[i] = static_cast<char>(word[i] + 32);
    }
  }
  return word;
}

TEST(ReservedWords, TableHoldsEveryWordAtItsIndex) {
  const std::vector<std::string> words = WordsInOrder();
  ASSERT_EQ(words.size(), 265u);
  ASSERT_EQ(kReservedWordCount, 265);
  for (std::size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(ReservedWordText(Word(i)), words[i]) << i;
  }
  EXPECT_EQ(ReservedWordText(TReservedWord::kNoWord), "");
  EXPECT_EQ(ReservedWordText(Word(400)), "");
  EXPECT_EQ(ReservedWordText(static_cast<TReservedWord>(-1)), "");
}

TEST(ReservedWords, NamedIndexesAreFixed) {
  const struct {
    TReservedWord word;
    int16_t index;
    const char* text;
  } cases[] = {
      {TReservedWord::kAbsolute, 0, "ABSOLUTE"}, {TReservedWord::kAnd, 6, "AND"},
      {TReservedWord::kEndExec, 74, "END-EXEC"}, {TReservedWord::kSelect, 183, "SELECT"},
      {TReservedWord::kZone, 234, "ZONE"},       {TReservedWord::kPassword, 235, "PASSWORD"},
      {TReservedWord::kToBlob, 250, "TOBLOB"},   {TReservedWord::kRename, 264, "RENAME"},
      {TReservedWord::kNoWord, 265, ""},         {TReservedWord::kAnyWord, 265, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int16_t>(c.word), c.index) << c.text;
    EXPECT_EQ(ReservedWordText(c.word), c.text);
  }
}

TEST(ReservedWords, LookupFoldsAsciiLettersOnly) {
  const std::vector<std::string> words = WordsInOrder();
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string lower = words[i];
    for (char& c : lower) {
      c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    EXPECT_EQ(FindReservedWord(words[i]), Word(i)) << words[i];
    EXPECT_EQ(FindReservedWord(lower), Word(i)) << lower;
    EXPECT_EQ(FindReservedWord(Mixed(words[i])), Word(i)) << Mixed(words[i]);
    EXPECT_EQ(FindReservedWord(words[i] + "X"), TReservedWord::kNoWord) << words[i];
  }
  const char* const notWords[] = {"",        "S",       "SELEC",      "SELECTS",
                                  "_SELECT", "SELECT ", "\xC3\x84ND", "BLOBCOMPRESSIONALGORITHMS",
                                  "1",       "<>",      ":SELECT"};
  for (const char* text : notWords) {
    EXPECT_EQ(FindReservedWord(text), TReservedWord::kNoWord) << text;
  }
  EXPECT_EQ(FindReservedWord(std::string_view("FROM\0", 5)), TReservedWord::kNoWord);
  EXPECT_EQ(FindReservedWord("bLoBcOmPrEsSiOnAlGoRiThM"), TReservedWord::kBlobCompressionAlgorithm);
  // Only ASCII letters fold: the dotless and dotted i of other scripts do not.
  EXPECT_EQ(FindReservedWord("\xC4\xB0N"), TReservedWord::kNoWord);
  EXPECT_EQ(FindReservedWord("\xC4\xB1n"), TReservedWord::kNoWord);
}

}  // namespace
}  // namespace kestrel
