#include "highlight/qt/sql_editor_coloring.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>
#include <exception>

#include "highlight/qt/qt_font_facts.h"
#include "platform/user_dialogs.h"

namespace highlight {
namespace {

QColor ToQColor(RgbColor color) {
  return QColor(color.red, color.green, color.blue);
}

// UTF-16 units taken by a run of valid UTF-8: one per sequence, two for a
// sequence of four bytes.
int Utf16Length(const char* bytes, std::size_t length) {
  int units = 0;
  for (std::size_t index = 0; index < length; ++index) {
    const auto byte = static_cast<unsigned char>(bytes[index]);
    if ((byte & 0xC0) != 0x80) {
      units += byte >= 0xF0 ? 2 : 1;
    }
  }
  return units;
}

}  // namespace

SqlSyntaxHighlighter::SqlSyntaxHighlighter() : QSyntaxHighlighter(static_cast<QObject*>(nullptr)) {
  const QFont font = SqlEditorColoring::DocumentFont();
  QTextCharFormat plain;
  plain.setFontFamilies(font.families());
  plain.setFontStyleHint(font.styleHint());
  plain.setFontPointSize(font.pointSizeF());
  plain.setForeground(ToQColor(TSqlRtfHighlighter::kBlack));
  // Copies share one format, so the layout compares neighbouring plain
  // tokens by pointer when it merges them into ranges.
  formats_.fill(plain);
  auto& comment = formats_[static_cast<std::size_t>(SqlTokenKind::kComment)];
  comment.setForeground(ToQColor(TSqlRtfHighlighter::kNavy));
  comment.setFontItalic(true);
  formats_[static_cast<std::size_t>(SqlTokenKind::kKeyword)].setFontWeight(QFont::Bold);
  formats_[static_cast<std::size_t>(SqlTokenKind::kString)].setForeground(
      ToQColor(TSqlRtfHighlighter::kBlue));
}

const QTextCharFormat& SqlSyntaxHighlighter::FormatFor(SqlTokenKind kind) const {
  return formats_[static_cast<std::size_t>(kind)];
}

void SqlSyntaxHighlighter::highlightBlock(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  tokenizer_.SetRangeState(previousBlockState() == kBlockStateInComment
                               ? SqlRangeState::kBlockComment
                               : SqlRangeState::kDefault);
  tokenizer_.SetLine(std::string(utf8.constData(), static_cast<std::size_t>(utf8.size())), 1);
  int start = 0;
  while (!tokenizer_.AtEnd()) {
    const int length =
        Utf16Length(utf8.constData() + tokenizer_.TokenPosition(), tokenizer_.TokenLength());
    setFormat(start, length, FormatFor(tokenizer_.TokenKind()));
    start += length;
    tokenizer_.Next();
  }
  setCurrentBlockState(tokenizer_.RangeState() == SqlRangeState::kBlockComment
                           ? kBlockStateInComment
                           : kBlockStateDefault);
}

SqlEditorColoring::SqlEditorColoring(QPlainTextEdit& editor)
    : editor_(&editor),
      highlighter_(std::make_unique<SqlSyntaxHighlighter>()),
      copyAsRtf_(std::make_unique<QAction>(QStringLiteral("Copy as RTF"))) {
  // The colors are meant for a white page, as in the document the writer
  // produces; a dark desktop theme must not swallow the black text.
  QPalette palette = editor.palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  editor.setPalette(palette);

  highlighter_->setDocument(editor.document());
  highlighter_->rehighlight();

  QObject::connect(copyAsRtf_.get(), &QAction::triggered, copyAsRtf_.get(), [this] {
    try {
      CopyAsRtf();
    } catch (const std::exception& error) {
      platform::Dialogs().ShowError(error.what());
    }
  });
}

SqlEditorColoring::~SqlEditorColoring() = default;

QFont SqlEditorColoring::DocumentFont() {
  QFont font(QStringLiteral("Courier New"), 10);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

std::string SqlEditorColoring::EditorRtf() const {
  std::string text;
  if (editor_ != nullptr) {
    const QTextDocument& document = *editor_->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
      if (block != document.begin()) {
        text += "\r\n";
      }
      text += block.text().toStdString();
    }
  }
  TSqlRtfHighlighter writer(QtFontFacts());
  writer.SetText(text);
  return writer.GetRtf();
}

void SqlEditorColoring::CopyAsRtf() const {
  if (editor_ == nullptr) {
    return;
  }
  const QByteArray rtf = QByteArray::fromStdString(EditorRtf());
  auto mime = std::make_unique<QMimeData>();
  mime->setText(editor_->toPlainText());
  mime->setData(QStringLiteral("text/rtf"), rtf);
  mime->setData(QStringLiteral("application/rtf"), rtf);
  // The clipboard takes ownership of the data.
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

std::unique_ptr<SqlEditorColoring> AttachSqlEditorColoring(QPlainTextEdit& editor) {
  return std::make_unique<SqlEditorColoring>(editor);
}

}  // namespace highlight
