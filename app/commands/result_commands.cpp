#include "app/commands/result_commands.h"

#include <filesystem>

#include "app/commands/file_transfer.h"
#include "app/core/sql_text.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {

using translation::TranslateText;

void ResultCommands::RefreshResult() {
  uniaccess::TUniSQLQuery& query = host_.Components().Q1;
  if (!query.Active()) {
    return;
  }
  const int ordered = host_.OrderedColumn();
  query.Close();
  query.Open();
  if (query.LastRunFailed()) {
    // The server's text has been shown; the grid now holds no rows.
    host_.MarkOrderedColumn(-1);
    host_.SetRowCountText({});
    host_.AddLogLine(TranslateText("Result grid refresh failed"));
    return;
  }
  host_.MarkOrderedColumn(ordered);
  host_.AddLogLine(TranslateText("Result grid is refresh"));
  host_.SetRowCountText(std::to_string(query.RecordCount()));
}

void ResultCommands::CloseResult() {
  uniaccess::TUniSQLQuery& query = host_.Components().Q1;
  if (query.Active()) {
    query.Close();
    host_.HideResultGrid();
    host_.AddLogLine(TranslateText("Query closed"));
  }
  host_.MarkOrderedColumn(-1);
  host_.SetStatusText({});
  host_.SetRowCountText({});
}

void ResultCommands::OrderResultBy(int column) {
  uniaccess::TUniSQLQuery& query = host_.Components().Q1;
  if (!query.Active()) {
    return;
  }
  const platform::BusyCursor busy;
  query.Close();
  query.SetSQL(platform::StringList(OrderedByColumn(query.SQL().Items(), column + 1)));
  query.Open();
  if (query.LastRunFailed()) {
    // The server's text has been shown; the grid now holds no rows.
    host_.MarkOrderedColumn(-1);
    host_.SetRowCountText({});
    host_.AddLogLine("SQL ERROR");
    return;
  }
  host_.MarkOrderedColumn(column);
}

void ResultCommands::SaveResult() {
  ClientComponents& components = host_.Components();
  if (!components.Q1.Active()) {
    return;
  }
  platform::FileDialogRequest request;
  request.title = TranslateText("Result grid save");
  request.filter = "XML|*.XML|CSV|*.CSV";
  request.filterIndex = 1;
  request.defaultExtension = "XML";
  request.initialDirectory = host_.Settings().outDir;
  request.fileName = TranslateText("Result");
  const auto chosen = platform::Dialogs().SaveFileDialog(request);
  if (!chosen) {
    return;
  }
  std::string fileName = chosen->fileName;
  if (std::filesystem::path(fileName).filename().string().find('.') == std::string::npos) {
    fileName += chosen->filterIndex == 2 ? ".csv" : ".xml";
  }
  host_.Settings().outDir = DirectoryOf(fileName);
  const std::unique_ptr<ProgressView> progress =
      host_.StartProgress(TranslateText("Result grid save"));
  const interchange::TTransferResult result =
      TransferFile(components.DS1, fileName, TransferDirection::kExport, progress->Callback());
  if (result.Cancelled()) {
    host_.AddLogLine(fileName + " " + TranslateText("Saving the result was cancelled."));
    return;
  }
  host_.AddLogLine(fileName + " " + TranslateText(" Result grid saved."));
}

}  // namespace app
