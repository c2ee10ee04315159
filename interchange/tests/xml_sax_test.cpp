#include "interchange/xml_sax.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/errors.h"
#include "platform/testing/temp_directory.h"

namespace interchange {
namespace {

using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;

// Writes every event as one line of text.
class RecordingHandler : public TSAXDocumentHandler {
 public:
  void StartDocument() override { events.push_back("start document"); }
  void EndDocument() override { events.push_back("end document"); }
  void StartElement(const std::string& name, const TSAXAttributeList& attributes) override {
    std::string event = "<" + name;
    for (const TSAXAttribute& attribute : attributes) {
      event += " " + attribute.name + "=[" + attribute.value + "]" + attribute.type;
    }
    events.push_back(event + ">");
  }
  void EndElement(const std::string& name) override { events.push_back("</" + name + ">"); }
  void Characters(const std::string& text) override { events.push_back("text[" + text + "]"); }

  std::vector<std::string> events;
};

std::vector<std::string> EventsOf(const std::string& content) {
  TempDirectory dir;
  WriteFileBytes(dir.File("doc.xml"), content);
  RecordingHandler handler;
  TSAXParser parser(handler);
  parser.Parse(dir.File("doc.xml"));
  return handler.events;
}

using Events = std::vector<std::string>;

TEST(SaxReader, TagsAttributesAndText) {
  EXPECT_EQ(EventsOf("<a x=\"1/2\" y=3>text</a>"),
            (Events{"start document", "text[ ]", "<a x=[1/2]CDATA y=[3]CDATA>", "text[text]",
                    "</a>", "end document"}));
}

TEST(SaxReader, EmptyElementsAndProcessingInstructions) {
  EXPECT_EQ(EventsOf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r><b/><c /></r>\r\n"),
            (Events{"start document", "text[ ]", "<?xml version=[1.0]CDATA encoding=[UTF-8]CDATA>",
                    "<r>", "<b>", "</b>", "<c>", "</c>", "</r>", "end document"}));
}

TEST(SaxReader, LineBreaksReadAsBlanksAndEntitiesStayAsTheyAre) {
  EXPECT_EQ(EventsOf("<p>one\r\n\r\ntwo &amp; three</p>"),
            (Events{"start document", "text[ ]", "<p>", "text[one two &amp; three]", "</p>",
                    "end document"}));
  // Several tags on the last line are all reported.
  EXPECT_EQ(EventsOf("<t>\n<a>1</a><b>2</b></t>"),
            (Events{"start document", "text[ ]", "<t>", "<a>", "text[1]", "</a>", "<b>", "text[2]",
                    "</b>", "</t>", "end document"}));
}

TEST(SaxReader, MalformedMarkupNeverFails) {
  const std::string samples[] = {"<a",        "<a x=\"unclosed>", "</>", "<<>>",
                                 "text only", "<a b c>",          ""};
  for (const std::string& sample : samples) {
    const Events events = EventsOf(sample);
    ASSERT_GE(events.size(), 2u) << sample;
    EXPECT_EQ(events.front(), "start document");
    EXPECT_EQ(events.back(), "end document");
  }
  EXPECT_EQ(EventsOf("<a b c>"), (Events{"start document", "text[ ]", "<a>", "end document"}));
  // A quoted value may run over a line break.
  EXPECT_EQ(EventsOf("<a v=\"x\ny\">"),
            (Events{"start document", "text[ ]", "<a v=[x y]CDATA>", "end document"}));
}

TEST(SaxReader, MissingFileIsAnError) {
  RecordingHandler handler;
  TSAXParser parser(handler);
  EXPECT_THROW(parser.Parse("/nonexistent/dir/doc.xml"), platform::EInOutError);
  // In a directory that exists the file is not created as an empty document.
  TempDirectory dir;
  EXPECT_THROW(parser.Parse(dir.File("absent.xml")), platform::EInOutError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("absent.xml")));
  EXPECT_TRUE(handler.events.empty());
}

TEST(SaxReader, ProcessingInstructionOverSeveralLines) {
  EXPECT_EQ(EventsOf("<?xml-stylesheet href=\"xml-data.xsl\"\r\n"
                     "     type=\"text/xsl\"\r\n"
                     "     title=\"/my dir/a.xml adatok\" ?>\r\n<TABLE/>"),
            (Events{"start document", "text[ ]",
                    "<?xml-stylesheet href=[xml-data.xsl]CDATA type=[text/xsl]CDATA "
                    "title=[/my dir/a.xml adatok]CDATA>",
                    "<TABLE>", "</TABLE>", "end document"}));
}

TEST(SaxReader, QuotesInTextAreOrdinaryCharacters) {
  // Only markup groups text in quotes; a lone quote in text must not swallow
  // the tags after it.
  EXPECT_EQ(EventsOf("<a>5\" pipe</a><b>\"x\"y</b>"),
            (Events{"start document", "text[ ]", "<a>", "text[5\" pipe]", "</a>", "<b>",
                    "text[\"x\"y]", "</b>", "end document"}));
  // Inside a tag a quoted value keeps its blanks, ">" and "/".
  EXPECT_EQ(
      EventsOf("<a v=\"x > y / z\"/>"),
      (Events{"start document", "text[ ]", "<a v=[x > y / z]CDATA>", "</a>", "end document"}));
}

TEST(SaxReader, NamesAndValuesAreCut) {
  const std::string longName(40, 'n');
  const std::string longValue(300, 'v');
  EXPECT_EQ(EventsOf("<" + longName + " " + longName + "=\"" + longValue + "\">"),
            (Events{"start document", "text[ ]",
                    "<" + std::string(32, 'n') + " " + std::string(31, 'n') + "=[" +
                        std::string(255, 'v') + "]CDATA>",
                    "end document"}));
}

TEST(SaxReader, CountsLinesIncludingEmptyOnes) {
  TempDirectory dir;
  WriteFileBytes(dir.File("doc.xml"), "<a>\r\n\r\n\n<b/>\r\n</a>\r\n");
  RecordingHandler handler;
  TSAXParser parser(handler);
  parser.Parse(dir.File("doc.xml"));
  EXPECT_EQ(parser.LineCount(), 5);
  EXPECT_EQ(handler.events,
            (Events{"start document", "text[ ]", "<a>", "<b>", "</b>", "</a>", "end document"}));
}

}  // namespace
}  // namespace interchange
