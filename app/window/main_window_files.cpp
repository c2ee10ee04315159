// The SQL file commands: open, save and clear the editor.

#include <QFileInfo>
#include <QPlainTextEdit>

#include "app/window/main_window.h"
#include "platform/errors.h"
#include "platform/shared_text_file.h"
#include "translation/translation.h"

namespace app {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string DirectoryOf(const std::string& fileName) {
  return QFileInfo(Q(fileName)).absolutePath().toStdString() + "/";
}

platform::FileDialogRequest SqlFileRequest(const char* title, const std::string& directory) {
  platform::FileDialogRequest request;
  request.title = translation::TranslateText(title);
  request.filter = "SQL|*.SQL";
  request.filterIndex = 1;
  request.defaultExtension = "SQL";
  request.initialDirectory = directory;
  return request;
}

}  // namespace

void TFormBrindle::OpenSqlFile() {
  const auto chosen = dialogs_.OpenFileDialog(SqlFileRequest("Open SQL file", settings_.sqlDir));
  if (!chosen) {
    return;
  }
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kReset);
  QStringList lines;
  std::string line;
  while (file.ReadLine(line)) {
    lines << Q(line);
  }
  file.Close();
  MemoSQL->setPlainText(lines.join('\n'));
  currentSqlFile_ = chosen->fileName;
  settings_.sqlDir = DirectoryOf(chosen->fileName);
  AddLogLine(chosen->fileName + " " + translation::TranslateText("SQL file readed"));
}

void TFormBrindle::SaveSqlFile() {
  platform::FileDialogRequest request = SqlFileRequest("Save SQL file", settings_.sqlDir);
  request.fileName = currentSqlFile_;
  const auto chosen = dialogs_.SaveFileDialog(request);
  if (!chosen) {
    return;
  }
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kRewrite);
  const QStringList lines = MemoSQL->toPlainText().split('\n');
  for (const QString& line : lines) {
    file.WriteLine(line.toStdString());
  }
  file.Close();
  currentSqlFile_ = chosen->fileName;
  settings_.sqlDir = DirectoryOf(chosen->fileName);
  AddLogLine(chosen->fileName + " " + translation::TranslateText("SQL file saved"));
}

void TFormBrindle::ClearSqlEditor() {
  MemoSQL->clear();
  AddLogLine(translation::TranslateText("Clear SQL editor"));
}

bool TFormBrindle::RunStartupBatch(const std::string& fileName) {
  // Opening for reading would create a missing file and run nothing: a
  // mistyped name must fail the run instead.
  if (!QFileInfo::exists(Q(fileName))) {
    throw platform::EInOutError(2, "File not found: " + fileName);
  }
  platform::SharedTextFile file(fileName, platform::TextFileMode::kReset);
  const bool succeeded = RunBatchFile(file);
  file.Close();
  return succeeded;
}

}  // namespace app
