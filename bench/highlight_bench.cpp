// How long the SQL editor's coloring takes on a 50,000-line script: loading
// it, one keystroke in its middle, opening and closing a block comment there
// (in a script without block comments, so that every line after it changes
// color), and the "Copy as RTF" document.
// An uncolored editor doing the same work is the peer. Prints figures only.
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>

#include "highlight/qt/sql_editor_coloring.h"

namespace {

constexpr int kLines = 50000;

// Without block comments, a comment opened in the middle reaches the end.
QString Script(bool withBlockComments) {
  static const char* const kShapes[] = {
      "SELECT c.id, c.name, SUM(o.total) AS total FROM customers c",
      "  INNER JOIN orders o ON o.customer_id = c.id -- only paid orders",
      "WHERE o.status = 'paid' AND o.created >= \"2024-01-01\" AND o.total > 12.50",
      "GROUP BY c.id, c.name HAVING COUNT(*) > 3 ORDER BY total DESC;",
      "/* a comment that spans",
      "   two lines */ UPDATE t SET n = n + 1, s = 'x\\y' WHERE k IN (1, 2, 3);",
      "INSERT INTO log (id, note) VALUES (0x1F, 'caf\xC3\xA9 \xE2\x82\xAC'); # done",
      "",
  };
  constexpr int kShapeCount = static_cast<int>(std::size(kShapes));
  QString text;
  text.reserve(kLines * 64);
  for (int line = 0; line < kLines; ++line) {
    const char* shape = kShapes[line % kShapeCount];
    if (!withBlockComments && std::string_view(shape).find("/*") != std::string_view::npos) {
      shape = "-- a line comment instead of the block comment";
    } else if (!withBlockComments && std::string_view(shape).find("*/") != std::string_view::npos) {
      shape = "UPDATE t SET n = n + 1, s = 'x\\y' WHERE k IN (1, 2, 3);";
    }
    text += QString::fromUtf8(shape);
    if (line + 1 < kLines) {
      text += QLatin1Char('\n');
    }
  }
  return text;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

void PressKey(QPlainTextEdit& editor, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&editor, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&editor, &release);
}

void PutCaretInMiddle(QPlainTextEdit& editor) {
  // Line 25,001 is a plain SELECT line; the caret goes after its keyword.
  QTextCursor cursor(editor.document()->findBlockByNumber(kLines / 2));
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 6);
  editor.setTextCursor(cursor);
  editor.centerCursor();
}

struct Figures {
  double load = 0;
  double keystroke = 0;
  double openComment = 0;
  double closeComment = 0;
};

Figures Measure(bool colored, bool withBlockComments) {
  const QString script = Script(withBlockComments);
  QPlainTextEdit editor;
  editor.resize(800, 600);
  editor.show();
  std::unique_ptr<highlight::SqlEditorColoring> coloring;
  if (colored) {
    coloring = highlight::AttachSqlEditorColoring(editor);
  }
  Figures figures;
  figures.load = Milliseconds([&] {
    editor.setPlainText(script);
    QApplication::processEvents();
  });
  PutCaretInMiddle(editor);
  QApplication::processEvents();

  constexpr int kKeystrokes = 200;
  const double typing = Milliseconds([&] {
    for (int index = 0; index < kKeystrokes; ++index) {
      PressKey(editor, Qt::Key_X, QStringLiteral("x"));
      QApplication::processEvents();
    }
  });
  figures.keystroke = typing / kKeystrokes;

  QTextCursor start = editor.textCursor();
  start.movePosition(QTextCursor::StartOfBlock);
  editor.setTextCursor(start);
  figures.openComment = Milliseconds([&] {
    PressKey(editor, Qt::Key_Slash, QStringLiteral("/"));
    PressKey(editor, Qt::Key_Asterisk, QStringLiteral("*"));
    QApplication::processEvents();
  });
  figures.closeComment = Milliseconds([&] {
    PressKey(editor, Qt::Key_Asterisk, QStringLiteral("*"));
    PressKey(editor, Qt::Key_Slash, QStringLiteral("/"));
    QApplication::processEvents();
  });
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const Figures plain = Measure(false, true);
  const Figures colored = Measure(true, true);
  const Figures plainRipple = Measure(false, false);
  const Figures coloredRipple = Measure(true, false);

  const QString script = Script(true);
  std::printf("SQL editor coloring, %d lines (%lld characters)\n", kLines,
              static_cast<long long>(script.size()));
  std::printf("%-34s %12s %12s %8s\n", "", "colored ms", "plain ms", "ratio");
  const auto row = [](const char* what, double coloredMs, double plainMs) {
    std::printf("%-34s %12.3f %12.3f %8.2f\n", what, coloredMs, plainMs,
                plainMs > 0 ? coloredMs / plainMs : 0.0);
  };
  row("load (setPlainText)", colored.load, plain.load);
  row("one keystroke in the middle", colored.keystroke, plain.keystroke);
  row("open \"/*\" in the middle", colored.openComment, plain.openComment);
  row("close it with \"*/\"", colored.closeComment, plain.closeComment);
  std::printf("without block comments in the script, so the color of every line below changes:\n");
  row("open \"/*\" in the middle", coloredRipple.openComment, plainRipple.openComment);
  row("close it with \"*/\"", coloredRipple.closeComment, plainRipple.closeComment);

  QPlainTextEdit editor;
  editor.setPlainText(script);
  const auto coloring = highlight::AttachSqlEditorColoring(editor);
  std::size_t rtfBytes = 0;
  const double rtf = Milliseconds([&] { rtfBytes = coloring->EditorRtf().size(); });
  std::printf("%-34s %12.3f   (%zu bytes)\n", "\"Copy as RTF\" document", rtf, rtfBytes);
  return 0;
}
