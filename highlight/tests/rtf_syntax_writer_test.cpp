#include "highlight/rtf_syntax_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "highlight/sql_rtf_highlighter.h"
#include "platform/errors.h"

namespace highlight {
namespace {

const std::string kCrLf = "\r\n";

// Answers from a table, as a platform would for the fonts it has.
class TableFontFacts final : public FontFactsSource {
 public:
  explicit TableFontFacts(std::map<std::string, FontFacts> facts) : facts_(std::move(facts)) {}
  FontFacts FactsFor(std::string_view fontName) const override {
    return facts_.at(std::string(fontName));
  }

 private:
  std::map<std::string, FontFacts> facts_;
};

TEST(RtfSyntaxWriter, CharsetAndFamilyWords) {
  const struct {
    int charset;
    const char* word;
  } charsets[] = {{0, "fcharset0"},     {1, "fcharset1"}, {2, "fcharset2"}, {128, "fcharset128"},
                  {255, "fcharset255"}, {3, ""},          {161, ""},        {204, ""}};
  for (const auto& c : charsets) {
    EXPECT_EQ(RtfCharsetWord(c.charset), c.word) << c.charset;
  }
  const struct {
    int from;
    int to;
    const char* word;
  } families[] = {{0, 15, "fdontcare"}, {16, 31, "froman"},  {32, 47, "fswiss"},
                  {48, 63, "fmodern"},  {64, 79, "fscript"}, {80, 95, "fdecorative"},
                  {96, 255, "froman"}};
  for (const auto& f : families) {
    for (int value = f.from; value <= f.to; ++value) {
      EXPECT_EQ(RtfFamilyWord(value), f.word) << value;
    }
  }
}

TEST(RtfSyntaxWriter, FontTableFromWhatThePlatformSays) {
  const TableFontFacts facts({{"Courier New", {0, 49}},
                              {"Symbolic", {2, 34}},
                              {"Times", {204, 18}},
                              {"Caf\xC3\xA9 \xE2\x89\xA0", {1, 0}}});
  TRtfSyntaxWriter writer(facts);
  EXPECT_EQ(writer.FontTable(), "{\\f0\\fmodern\\fcharset0 Courier New;}");
  writer.SetFonts({"Courier New", "Symbolic", "Times", "Caf\xC3\xA9 \xE2\x89\xA0"});
  EXPECT_EQ(writer.FontTable(),
            "{\\f0\\fmodern\\fcharset0 Courier New;}"
            "{\\f1\\fswiss\\fcharset2 Symbolic;}"
            "{\\f2\\froman Times;}"
            "{\\f3\\fdontcare\\fcharset1 Caf\xE9 \\u8800?;}");
  EXPECT_EQ(TRtfSyntaxWriter().FontTable(), "{\\f0\\fdontcare\\fcharset0 Courier New;}");
}

TEST(RtfSyntaxWriter, ColorTable) {
  TRtfSyntaxWriter writer;
  EXPECT_EQ(writer.ColorTable(), "");
  EXPECT_EQ(writer.ColorEntry({1, 20, 255}), "\\red1\\green20\\blue255;");
  writer.SetColors({{1, 20, 255}, {0, 0, 0}});
  EXPECT_EQ(
      writer.ColorTable(),
      "{\\colortbl\\red0\\green0\\blue0;\\red1\\green20\\blue255;\\red0\\green0\\blue0;}" + kCrLf);
  writer.SetColors({});
  EXPECT_EQ(writer.ColorTable(), "{\\colortbl\\red0\\green0\\blue0;}" + kCrLf);

  TSqlRtfHighlighter sql;
  const std::string sqlColors =
      "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue128;\\red0\\green0\\blue0;"
      "\\red0\\green0\\blue0;\\red0\\green0\\blue0;\\red0\\green0\\blue0;"
      "\\red0\\green0\\blue255;\\red0\\green0\\blue0;}" +
      kCrLf;
  EXPECT_EQ(sql.ColorTable(), sqlColors);
  sql.SetColors({{9, 9, 9}});
  sql.ResetColors();
  EXPECT_EQ(sql.ColorTable(), sqlColors);
}

TEST(RtfSyntaxWriter, BaseWriterIsAnEmptyDocument) {
  TRtfSyntaxWriter writer;
  writer.SetText("select 1");
  EXPECT_EQ(writer.EscapeText("{\\}"), "{\\}");
  EXPECT_EQ(writer.FormatToken(3, "x"), "\\cf3 x");
  EXPECT_EQ(writer.GetRtf(),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl"
            "{\\f0\\fdontcare\\fcharset0 Courier New;}}" +
                kCrLf + "\\deflang1033\\pard\\plain\\f0\\fs20\\f0  }");
}

TEST(SqlRtfHighlighter, EscapeAndFormat) {
  const TSqlRtfHighlighter sql;
  const struct {
    const char* text;
    const char* escaped;
  } escapes[] = {{"\\", "\\\\"},       {"{", "\\{"},
                 {"}", "\\}"},         {"a\\{b}c", "a\\\\\\{b\\}c"},
                 {"\\par", "\\\\par"}, {"plain", "plain"}};
  for (const auto& e : escapes) {
    EXPECT_EQ(sql.EscapeText(e.text), e.escaped) << e.text;
  }
  EXPECT_EQ(sql.FormatToken(1, "-- x"), "\\cf1 \\i -- x\\i0 ");
  EXPECT_EQ(sql.FormatToken(3, "FROM"), "\\cf3 \\b FROM\\b0 ");
  for (const int attribute : {2, 4, 5, 6, 7}) {
    EXPECT_EQ(sql.FormatToken(attribute, "t"), "\\cf" + std::to_string(attribute) + " t");
  }
}

TEST(SqlRtfHighlighter, CharactersOutsideTheCodePage) {
  const struct {
    std::string text;
    std::string encoded;
  } cases[] = {
      {"abc", "abc"},
      {"\xC3\xA9", "\xE9"},                              // e acute: its code page byte
      {"\xE2\x82\xAC", "\x80"},                          // euro sign
      {"\xC5\xBD", "\x8E"},                              // Z caron
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},                  // no-break space, y diaeresis
      {"\xE2\x89\xA0", "\\u8800?"},                      // not-equal sign
      {"\xC2\x81", "\\u129?"},                           // a C1 control: not in the code page
      {"\xEF\xBF\xBF", "\\u-1?"},                        // U+FFFF: signed 16-bit form
      {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},       // outside the BMP: surrogate pair
      {"\xFF", "\\u-3?"},                                // invalid UTF-8: U+FFFD
      {std::string("a\0b", 3), std::string("a\0b", 3)},  // NUL stays
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeRtfText(c.text), c.encoded) << c.text;
  }
}

TEST(SqlRtfHighlighter, WholeDocumentByteForByte) {
  const TableFontFacts facts({{"Courier New", {0, 49}}});
  TSqlRtfHighlighter sql(facts);
  sql.SetText(
      "SELECT 'a{b}' -- c\\\r\n"
      "/* x\r\n"
      "y */ $5;\n"
      "\xC3\xA9 \xE2\x89\xA0\xE2\x82\xAC\rt.n1");
  const std::string expected =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl"
      "{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
      "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue128;\\red0\\green0\\blue0;"
      "\\red0\\green0\\blue0;\\red0\\green0\\blue0;\\red0\\green0\\blue0;"
      "\\red0\\green0\\blue255;\\red0\\green0\\blue0;}\r\n"
      "\\deflang1033\\pard\\plain\\f0\\fs20"
      "\\f0 "
      "\\cf3 \\b SELECT\\b0 "  // keyword
      "\\cf5  "                // blank
      "\\cf6 'a\\{b\\}'"       // string with braces
      "\\cf5  "
      "\\cf1 \\i -- c\\\\\\i0 "  // line comment ending in a backslash
      "\\par\\cf5 \r\n"          // CR LF
      "\\cf1 \\i /* x\\i0 "      // block comment, first line
      "\\par\\cf5 \r\n"
      "\\cf1 \\i y */\\i0 "  // block comment, last line
      "\\cf5  "
      "\\cf7 $"     // other
      "\\cf5 5"     // lone digit
      "\\cf5 ;"     // symbol
      "\\cf5 \n"    // lone LF: no paragraph
      "\\cf7 \xE9"  // code page character
      "\\cf5  "
      "\\cf7 \\u8800?"  // outside the code page
      "\\cf7 \x80"      // euro sign
      "\\par\\cf5 \r"   // lone CR
      "\\cf2 t"
      "\\cf5 ."
      "\\cf2 n1"
      " }";
  EXPECT_EQ(sql.GetRtf(), expected);

  std::ostringstream stream;
  sql.SetText("");
  sql.SaveToStream(stream);
  EXPECT_EQ(stream.str(), expected.substr(0, expected.find("\\f0 \\cf3")) + "\\f0  }");
}

TEST(SqlRtfHighlighter, FailingStreamIsAnError) {
  TSqlRtfHighlighter sql;
  sql.SetText("select 1");
  std::ostream broken(nullptr);
  EXPECT_THROW(sql.SaveToStream(broken), platform::EInOutError);
}

}  // namespace
}  // namespace highlight
