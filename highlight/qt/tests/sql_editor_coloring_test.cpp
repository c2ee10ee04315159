#include "highlight/qt/sql_editor_coloring.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <optional>

#include "highlight/qt/qt_font_facts.h"

namespace highlight {
namespace {

// One application for the whole run, gone before the toolkit's own globals
// are torn down at exit.
class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[19] = "highlight_qt_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// GoogleTest owns the environments it is given.
[[maybe_unused]] ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

class SqlEditorColoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_.resize(400, 300);
    editor_.show();
    coloring_ = AttachSqlEditorColoring(editor_);
  }

  QTextBlock Line(int number) const { return editor_.document()->findBlockByNumber(number - 1); }

  // The format the layout of a line gives to one of its characters.
  static std::optional<QTextCharFormat> FormatAt(const QTextBlock& block, int position) {
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
      if (position >= range.start && position < range.start + range.length) {
        return range.format;
      }
    }
    return std::nullopt;
  }

  enum class Look { kComment, kKeyword, kString, kPlain };

  // Every character of [from, from + count) of the line looks as expected.
  static void ExpectLook(const QTextBlock& block, int from, int count, Look look) {
    for (int position = from; position < from + count; ++position) {
      SCOPED_TRACE("line " + std::to_string(block.blockNumber() + 1) + ", column " +
                   std::to_string(position) + " of \"" + block.text().toStdString() + "\"");
      const std::optional<QTextCharFormat> format = FormatAt(block, position);
      ASSERT_TRUE(format.has_value());
      const QColor expectedColor = look == Look::kComment  ? QColor(0, 0, 128)
                                   : look == Look::kString ? QColor(0, 0, 255)
                                                           : QColor(0, 0, 0);
      EXPECT_EQ(format->foreground().color(), expectedColor);
      EXPECT_EQ(format->fontItalic(), look == Look::kComment);
      EXPECT_EQ(format->fontWeight() == QFont::Bold, look == Look::kKeyword);
      EXPECT_EQ(format->fontFamilies().toStringList(), QStringList{"Courier New"});
      EXPECT_EQ(format->fontPointSize(), 10.0);
    }
  }

  QPlainTextEdit editor_;
  std::unique_ptr<SqlEditorColoring> coloring_;
};

TEST_F(SqlEditorColoringTest, TypedTextTakesTheFormatsOfItsTokens) {
  QTest::keyClicks(&editor_, "select 'abc' x1 -- note");
  const QTextBlock line = Line(1);
  ASSERT_EQ(line.text(), "select 'abc' x1 -- note");
  ExpectLook(line, 0, 6, Look::kKeyword);
  ExpectLook(line, 6, 1, Look::kPlain);
  ExpectLook(line, 7, 5, Look::kString);
  ExpectLook(line, 12, 4, Look::kPlain);
  ExpectLook(line, 16, 7, Look::kComment);

  // Characters outside ASCII take their UTF-16 width, no more.
  editor_.setPlainText(QString::fromUtf8("'\xC3\xA9\xF0\x9F\x98\x80' FROM $"));
  ExpectLook(Line(1), 0, 5, Look::kString);
  ExpectLook(Line(1), 5, 1, Look::kPlain);
  ExpectLook(Line(1), 6, 4, Look::kKeyword);
  ExpectLook(Line(1), 10, 2, Look::kPlain);
}

TEST_F(SqlEditorColoringTest, BlockCommentColorsFollowingLinesUntilClosed) {
  QTest::keyClicks(&editor_, "/* open");
  QTest::keyClick(&editor_, Qt::Key_Return);
  QTest::keyClicks(&editor_, "select middle");
  QTest::keyClick(&editor_, Qt::Key_Return);
  QTest::keyClicks(&editor_, "'still'");
  ExpectLook(Line(1), 0, 7, Look::kComment);
  ExpectLook(Line(2), 0, 13, Look::kComment);
  ExpectLook(Line(3), 0, 7, Look::kComment);

  QTest::keyClicks(&editor_, " */ from");
  QTest::keyClick(&editor_, Qt::Key_Return);
  QTest::keyClicks(&editor_, "where");
  ExpectLook(Line(3), 0, 10, Look::kComment);
  ExpectLook(Line(3), 10, 1, Look::kPlain);
  ExpectLook(Line(3), 11, 4, Look::kKeyword);
  ExpectLook(Line(4), 0, 5, Look::kKeyword);

  // Taking the opener away uncolors the lines it held.
  QTextCursor cursor(editor_.document());
  cursor.setPosition(0);
  cursor.deleteChar();
  ExpectLook(Line(2), 0, 6, Look::kKeyword);
  ExpectLook(Line(3), 0, 7, Look::kString);
}

TEST_F(SqlEditorColoringTest, ColoringLeavesCaretSelectionScrollAndUndoAlone) {
  QPlainTextEdit plain;
  plain.resize(400, 300);
  plain.show();
  QString text;
  for (int line = 1; line <= 300; ++line) {
    text += QStringLiteral("select col%1 from t%1;\n").arg(line);
  }
  for (QPlainTextEdit* editor : {&editor_, &plain}) {
    editor->setPlainText(text);
    QTextCursor selection(editor->document()->findBlockByNumber(199));
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    editor->setTextCursor(selection);
    editor->verticalScrollBar()->setValue(150);
    // An edit far above the visible lines opens a comment over all of them.
    QTextCursor(editor->document()).insertText("/*");
  }
  ExpectLook(Line(200), 0, 5, Look::kComment);
  EXPECT_EQ(editor_.textCursor().selectedText(), "select col200 from t200;");
  EXPECT_EQ(editor_.textCursor().anchor(), plain.textCursor().anchor());
  EXPECT_EQ(editor_.textCursor().position(), plain.textCursor().position());
  EXPECT_EQ(editor_.verticalScrollBar()->value(), 150);
  EXPECT_EQ(editor_.verticalScrollBar()->value(), plain.verticalScrollBar()->value());
  EXPECT_EQ(editor_.document()->availableUndoSteps(), plain.document()->availableUndoSteps());
  EXPECT_EQ(editor_.toPlainText(), plain.toPlainText());

  editor_.undo();
  EXPECT_EQ(editor_.toPlainText(), text);
  ExpectLook(Line(200), 0, 6, Look::kKeyword);
}

TEST_F(SqlEditorColoringTest, TextPresentBeforeAttachingIsColoredAtOnce) {
  QPlainTextEdit editor;
  editor.setPlainText("delete from t");
  const auto coloring = AttachSqlEditorColoring(editor);
  ExpectLook(editor.document()->firstBlock(), 0, 6, Look::kKeyword);
  // The editor's own font is not changed.
  EXPECT_EQ(editor.font(), QApplication::font(&editor));
}

TEST_F(SqlEditorColoringTest, CopyAsRtfPutsTheDocumentOnTheClipboard) {
  editor_.setPlainText(QString::fromUtf8("select '{x}'\n/* a\n b */ \xE2\x89\xA0"));
  EXPECT_EQ(coloring_->CopyAsRtfAction().text(), "Copy as RTF");
  QApplication::clipboard()->clear();
  coloring_->CopyAsRtfAction().trigger();

  TSqlRtfHighlighter writer(QtFontFacts());
  writer.SetText("select '{x}'\r\n/* a\r\n b */ \xE2\x89\xA0");
  const QByteArray expected = QByteArray::fromStdString(writer.GetRtf());
  ASSERT_TRUE(expected.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
  ASSERT_TRUE(expected.contains("\\par\\cf5 \r\n\\cf1 \\i  b */\\i0 "));
  ASSERT_TRUE(expected.contains("\\cf6 '\\{x\\}'"));
  ASSERT_TRUE(expected.contains("\\u8800?"));

  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data("text/rtf"), expected);
  EXPECT_EQ(data->data("application/rtf"), expected);
  EXPECT_EQ(data->text(), editor_.toPlainText());
}

TEST_F(SqlEditorColoringTest, QtFontFactsDescribeTheMatchedFont) {
  const FontFacts facts = QtFontFacts().FactsFor("Courier New");
  // Whatever face stands in for it here covers Latin text.
  EXPECT_EQ(facts.charset, 0);
  const bool fixedPitch = QFontInfo(QFont("Courier New")).fixedPitch();
  EXPECT_EQ(facts.pitchAndFamily >> 4 == 3, fixedPitch);
  EXPECT_EQ((facts.pitchAndFamily & 1) == 1, !fixedPitch);
}

TEST_F(SqlEditorColoringTest, EditorMayGoFirst) {
  auto editor = std::make_unique<QPlainTextEdit>();
  editor->setPlainText("select 1");
  auto coloring = AttachSqlEditorColoring(*editor);
  editor.reset();
  EXPECT_EQ(coloring->EditorRtf(), TSqlRtfHighlighter(QtFontFacts()).GetRtf());
  coloring->CopyAsRtf();
  coloring.reset();
}

}  // namespace
}  // namespace highlight
