#include "app/commands/sql_file_commands.h"

#include "app/commands/file_transfer.h"
#include "platform/shared_text_file.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {
namespace {

using translation::TranslateText;

platform::FileDialogRequest SqlFileRequest(const char* title, const std::string& directory) {
  platform::FileDialogRequest request;
  request.title = TranslateText(title);
  request.filter = "SQL|*.SQL";
  request.filterIndex = 1;
  request.defaultExtension = "SQL";
  request.initialDirectory = directory;
  return request;
}

}  // namespace

void SqlFileCommands::OpenSqlFile() {
  const auto chosen =
      platform::Dialogs().OpenFileDialog(SqlFileRequest("Open SQL file", host_.Settings().sqlDir));
  if (!chosen) {
    return;
  }
  const std::unique_ptr<platform::SharedTextFile> file = OpenExistingForReading(chosen->fileName);
  std::string text;
  std::string line;
  for (bool first = true; file->ReadLine(line); first = false) {
    if (!first) {
      text += '\n';
    }
    text += line;
  }
  file->Close();
  host_.SetEditorText(text);
  currentSqlFile_ = chosen->fileName;
  host_.Settings().sqlDir = DirectoryOf(chosen->fileName);
  host_.AddLogLine(chosen->fileName + " " + TranslateText("SQL file readed"));
}

void SqlFileCommands::SaveSqlFile() {
  platform::FileDialogRequest request = SqlFileRequest("Save SQL file", host_.Settings().sqlDir);
  request.fileName = currentSqlFile_;
  const auto chosen = platform::Dialogs().SaveFileDialog(request);
  if (!chosen) {
    return;
  }
  // The file chosen is replaced only once the whole text is written.
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kReplace);
  const std::string text = host_.EditorText();
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    file.WriteLine(std::string_view(text).substr(start, end - start));
    if (end == std::string::npos) {
      break;
    }
    start = end + 1;
  }
  file.Close();
  currentSqlFile_ = chosen->fileName;
  host_.Settings().sqlDir = DirectoryOf(chosen->fileName);
  host_.AddLogLine(chosen->fileName + " " + TranslateText("SQL file saved"));
}

void SqlFileCommands::ClearSqlEditor() {
  host_.SetEditorText({});
  host_.AddLogLine(TranslateText("Clear SQL editor"));
}

}  // namespace app
