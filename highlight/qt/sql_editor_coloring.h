#pragma once
// Coloring of the SQL editor and its "Copy as RTF" command.
//
// SqlSyntaxHighlighter colors a QTextDocument line by line with the SQL
// tokenizer: comments navy italic, keywords bold, strings blue, everything
// else black, all in "Courier New" at 10 points whatever font the editor is
// set to. A line's block state is the tokenizer's range state at its end
// (1 inside a block comment, 0 otherwise), so an edit re-colors only its own
// line, plus the following lines for as long as their starting state changes.
// Formats live in the layout, not in the text: the caret, the selection, the
// scroll position and the undo history are never touched.
//
// SqlEditorColoring is what the main window attaches to its editor: the
// highlighter plus the action "Copy as RTF", which puts the RTF writer's
// document of the whole editor text on the clipboard (lines joined by CR LF)
// as "text/rtf" and "application/rtf", with the plain text beside it.

#include <QAction>
#include <QFont>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <memory>
#include <string>

#include "highlight/sql_rtf_highlighter.h"

namespace highlight {

class SqlSyntaxHighlighter final : public QSyntaxHighlighter {
 public:
  static constexpr int kBlockStateDefault = 0;
  static constexpr int kBlockStateInComment = 1;

  // Colors nothing until a document is set.
  SqlSyntaxHighlighter();

  // The format of every token of a kind.
  const QTextCharFormat& FormatFor(SqlTokenKind kind) const;

 protected:
  void highlightBlock(const QString& text) override;

 private:
  TSqlRtfHighlighter tokenizer_;
  std::array<QTextCharFormat, 9> formats_;
};

class SqlEditorColoring {
 public:
  // Colors the editor's text at once and from then on as it changes. The
  // editor keeps its own font; the colored text shows in DocumentFont().
  explicit SqlEditorColoring(QPlainTextEdit& editor);
  ~SqlEditorColoring();
  SqlEditorColoring(const SqlEditorColoring&) = delete;
  SqlEditorColoring& operator=(const SqlEditorColoring&) = delete;

  // "Copy as RTF", for the editor's pop-up menu.
  QAction& CopyAsRtfAction() { return *copyAsRtf_; }
  // The RTF document of the editor's whole text.
  std::string EditorRtf() const;
  // What the action does.
  void CopyAsRtf() const;

  SqlSyntaxHighlighter& Highlighter() { return *highlighter_; }

  // "Courier New", 10 points (a fixed-pitch face where it is missing).
  static QFont DocumentFont();

 private:
  QPointer<QPlainTextEdit> editor_;
  std::unique_ptr<SqlSyntaxHighlighter> highlighter_;
  std::unique_ptr<QAction> copyAsRtf_;
};

// The one call the main window makes for its editor. Keep the result as long
// as the editor lives (it may also outlive the editor safely).
std::unique_ptr<SqlEditorColoring> AttachSqlEditorColoring(QPlainTextEdit& editor);

}  // namespace highlight
