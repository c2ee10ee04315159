#include "app/desktop/qt_user_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/qt_text.h"

namespace app {
namespace {

using platform::DialogButton;

using platform::qt::QText;
using platform::qt::StdText;

struct ButtonPair {
  DialogButton ours;
  QMessageBox::StandardButton qt;
};

constexpr ButtonPair kButtons[] = {
    {DialogButton::kOk, QMessageBox::Ok},
    {DialogButton::kCancel, QMessageBox::Cancel},
    {DialogButton::kYes, QMessageBox::Yes},
    {DialogButton::kNo, QMessageBox::No},
    {DialogButton::kAbort, QMessageBox::Abort},
    {DialogButton::kRetry, QMessageBox::Retry},
    {DialogButton::kIgnore, QMessageBox::Ignore},
    {DialogButton::kYesToAll, QMessageBox::YesToAll},
    {DialogButton::kNoToAll, QMessageBox::NoToAll},
};

QMessageBox::StandardButton ToQt(DialogButton button) {
  for (const ButtonPair& pair : kButtons) {
    if (pair.ours == button) {
      return pair.qt;
    }
  }
  return QMessageBox::NoButton;
}

DialogButton FromQt(int button) {
  for (const ButtonPair& pair : kButtons) {
    if (pair.qt == button) {
      return pair.ours;
    }
  }
  return DialogButton::kNone;
}

QMessageBox::Icon IconOf(platform::MessageKind kind) {
  switch (kind) {
    case platform::MessageKind::kWarning:
      return QMessageBox::Warning;
    case platform::MessageKind::kError:
      return QMessageBox::Critical;
    case platform::MessageKind::kInformation:
      return QMessageBox::Information;
    case platform::MessageKind::kConfirmation:
      return QMessageBox::Question;
    case platform::MessageKind::kPlain:
      break;
  }
  return QMessageBox::NoIcon;
}

QString CaptionOr(std::string_view caption) {
  return caption.empty() ? QApplication::applicationName() : QText(caption);
}

// Sets up a file dialog from a request; the dialog is run by the caller.
void Prepare(QFileDialog& dialog, const platform::FileDialogRequest& request) {
  dialog.setWindowTitle(QText(request.title));
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = request.filterIndex - 1;
    if (index >= 0 && index < filters.size()) {
      dialog.selectNameFilter(filters[index]);
    }
  }
  if (!request.defaultExtension.empty()) {
    dialog.setDefaultSuffix(QText(request.defaultExtension));
  }
  if (!request.initialDirectory.empty()) {
    dialog.setDirectory(QText(request.initialDirectory));
  }
  if (!request.fileName.empty()) {
    dialog.selectFile(QText(request.fileName));
  }
}

std::optional<platform::FileDialogResult> RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  platform::FileDialogResult result;
  result.fileName = StdText(dialog.selectedFiles().first());
  const int index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
  result.filterIndex = index < 0 ? 1 : index + 1;
  return result;
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QText(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      patterns << trimmed;
      for (const QString& other : {trimmed.toLower(), trimmed.toUpper()}) {
        if (!patterns.contains(other)) {
          patterns << other;
        }
      }
    }
    filters << parts[i] + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

DialogButton QtUserDialogs::ShowMessageBox(const platform::MessageRequest& request) {
  QMessageBox box(IconOf(request.kind), CaptionOr(request.caption), QText(request.text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  for (const ButtonPair& pair : kButtons) {
    if (platform::HasButton(request.buttons, pair.ours)) {
      box.addButton(pair.qt);
    }
  }
  if (box.buttons().isEmpty()) {
    box.addButton(QMessageBox::Ok);
  }
  if (QAbstractButton* preferred = box.button(ToQt(request.defaultButton))) {
    box.setDefaultButton(qobject_cast<QPushButton*>(preferred));
    box.setEscapeButton(preferred);
  }
  const int answer = box.exec();
  const DialogButton pressed = FromQt(answer);
  return pressed == DialogButton::kNone ? request.defaultButton : pressed;
}

std::optional<std::string> QtUserDialogs::InputBox(std::string_view caption,
                                                   std::string_view prompt,
                                                   std::string_view initialText) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(QApplication::activeWindow(), CaptionOr(caption), QText(prompt),
                            QLineEdit::Normal, QText(initialText), &ok);
  if (!ok) {
    return std::nullopt;
  }
  return StdText(text);
}

std::optional<platform::FileDialogResult> QtUserDialogs::OpenFileDialog(
    const platform::FileDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  Prepare(dialog, request);
  return RunFileDialog(dialog);
}

std::optional<platform::FileDialogResult> QtUserDialogs::SaveFileDialog(
    const platform::FileDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  Prepare(dialog, request);
  return RunFileDialog(dialog);
}

std::optional<platform::FontChoice> QtUserDialogs::FontDialog(const platform::FontChoice& initial) {
  QFont font(QText(initial.name), initial.size);
  font.setBold(initial.bold);
  font.setItalic(initial.italic);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
  if (!ok) {
    return std::nullopt;
  }
  return platform::FontChoice{StdText(chosen.family()), chosen.pointSize(), chosen.bold(),
                              chosen.italic()};
}

void QtUserDialogs::BeginBusyCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserDialogs::EndBusyCursor() {
  QApplication::restoreOverrideCursor();
}

void QtUserDialogs::ProcessMessages() {
  QCoreApplication::processEvents();
}

}  // namespace app
