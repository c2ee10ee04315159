#include "app/commands/transfer_commands.h"

#include "app/commands/command_scope.h"
#include "app/commands/file_transfer.h"
#include "app/core/table_dump.h"
#include "platform/format_settings.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {
namespace {

using translation::TranslateText;

// Said after an export's cancellation: its new file has been dropped.
std::string NothingWritten() {
  return TranslateText("; nothing was written, the file is as it was");
}

}  // namespace

platform::FileDialogRequest TransferCommands::TransferRequest(
    const char* title, const char* filter, const std::string& proposedName) const {
  platform::FileDialogRequest request;
  request.title = TranslateText(title);
  request.filter = filter;
  request.defaultExtension = "SQL";
  request.initialDirectory = host_.Settings().outDir;
  request.fileName = proposedName;
  return request;
}

void TransferCommands::RunOnNode(const NamedTransfer& table, const NamedTransfer& database,
                                 const std::string& cancelledNote) {
  const std::optional<TreeNode> node = host_.RememberedNode();
  if (!node || host_.CurrentDatabase().empty()) {
    return;
  }
  std::string cancelled;
  try {
    if (node->level == TreeLevel::kTable) {
      table(node->text);
    } else if (node->level == TreeLevel::kDatabase) {
      database(host_.CurrentDatabase());
    }
  } catch (const DumpCancelled& stop) {
    // The user's choice, not a failure: the guards have closed the
    // connection; statements run so far stay, a dump's new file is dropped.
    cancelled = stop.Message() + cancelledNote;
  }
  if (!cancelled.empty()) {
    host_.AddLogLine(cancelled);
  }
}

bool TransferCommands::OpenToolTable(const ToolConnection& tool, const std::string& table) {
  if (!tool.Reached()) {
    return false;
  }
  uniaccess::TUniSQLTable& opened = host_.Components().T2;
  opened.SetTablename(table);
  opened.Open();
  return !opened.LastRunFailed();
}

void TransferCommands::ExportNode() {
  RunOnNode([this](const std::string& table) { ExportTable(table); },
            [this](const std::string& database) { ExportDatabase(database); }, NothingWritten());
}

void TransferCommands::ImportNode() {
  RunOnNode([this](const std::string& table) { ImportTable(table); },
            [this](const std::string& database) { ImportDatabase(database); }, {});
}

// What an export or import holds while it runs: the busy cursor, the tool
// connection to the toolbar's database and the status text; the export
// directory follows the chosen file.
class TransferCommands::Scope {
 public:
  Scope(CommandHost& host, const std::string& fileName)
      : tool_(FollowingFile(host, fileName), host.CurrentDatabase()), status_(host) {}

  const ToolConnection& Tool() const { return tool_; }
  ScopedStatusText& Status() { return status_; }

 private:
  static ClientComponents& FollowingFile(CommandHost& host, const std::string& fileName) {
    host.Settings().outDir = DirectoryOf(fileName);
    return host.Components();
  }

  const platform::BusyCursor busy_;
  ToolConnection tool_;
  ScopedStatusText status_;
};

void TransferCommands::ExportTable(const std::string& table) {
  const auto chosen = platform::Dialogs().SaveFileDialog(
      TransferRequest("Export table data to file", "SQL|*.SQL|XML|*.XML|CSV|*.CSV", table));
  if (!chosen) {
    return;
  }
  const std::string& fileName = chosen->fileName;
  const std::string done = TranslateText("Export table data ") + table + " --> " + fileName;
  if (!HasKnownType(fileName, done,
                    "(nothing exported: the name has no .SQL, .XML or .CSV in it)")) {
    return;
  }
  Scope scope(host_, fileName);
  if (!OpenToolTable(scope.Tool(), table)) {
    host_.AddLogLine(done + " " + TranslateText("failed"));
    return;
  }
  ClientComponents& components = host_.Components();
  const std::unique_ptr<ProgressView> progress =
      host_.StartProgress(TranslateText("Export table data ") + table);
  scope.Status().Set("Save table data " + table);
  if (TransferFileTypeOf(fileName) != TransferFileType::kSql) {
    const interchange::TTransferResult result =
        TransferFile(components.DS2, fileName, TransferDirection::kExport, progress->Callback());
    if (result.Cancelled()) {
      host_.AddLogLine(TranslateText("Export cancelled: ") + fileName + NothingWritten());
      return;
    }
  } else {
    // A dump stopped part way (cancelled, a server error, a full disk)
    // drops its new file, and a file of that name stays as it was.
    platform::SharedTextFile file(fileName, platform::TextFileMode::kReplace);
    WriteTableDump(file, components.T2, host_.CurrentDatabase(), progress->Callback());
    file.Close();
  }
  host_.AddLogLine(done);
}

void TransferCommands::ExportDatabase(const std::string& database) {
  const auto chosen = platform::Dialogs().SaveFileDialog(
      TransferRequest("Save database to file", "SQL|*.SQL", database));
  if (!chosen) {
    return;
  }
  const std::string done =
      TranslateText("Export database ") + database + " --> " + chosen->fileName;
  Scope scope(host_, chosen->fileName);
  if (!scope.Tool().Reached()) {
    host_.AddLogLine(done + " " + TranslateText("failed"));
    return;
  }
  ClientComponents& components = host_.Components();
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kReplace);
  file.WriteLine("/*  Database dump " + database + " " + platform::DateTimeToStr(platform::Now()) +
                 " */");
  const std::unique_ptr<ProgressView> progress =
      host_.StartProgress(TranslateText("Save database to file"));
  const platform::StringList tables = components.DB2.GetTableNames();
  for (size_t i = 0; i < tables.Count(); ++i) {
    const std::string& table = tables[i];
    scope.Status().Set("Save table data " + table);
    progress->SetStage(TranslateText("Table") + " " + std::to_string(i + 1) + " / " +
                       std::to_string(tables.Count()) + ": " + table);
    if (!OpenToolTable(scope.Tool(), table)) {
      // A dump without one of the tables would pass for the whole database.
      throw platform::Exception(TranslateText("The dump stopped: the table could not be read: ") +
                                table);
    }
    WriteTableDump(file, components.T2, database, progress->Callback());
    components.T2.Close();
  }
  file.Close();
  host_.AddLogLine(done);
}

bool TransferCommands::ImportSqlFile(const std::string& fileName, const std::string& progressTitle,
                                     const std::string& logLine) {
  const std::unique_ptr<platform::SharedTextFile> file = OpenExistingForReading(fileName);
  const std::unique_ptr<ProgressView> progress = host_.StartProgress(progressTitle);
  progress->SetStage(TranslateText("Statements run"));
  const BatchResult result = sql_.RunBatchFile(*file, progress->Callback());
  file->Close();
  if (!result.Succeeded()) {
    host_.AddLogLine(logLine + " " + BatchStopText(result));
    return false;
  }
  return true;
}

void TransferCommands::ImportTable(const std::string& table) {
  const auto chosen = platform::Dialogs().OpenFileDialog(
      TransferRequest("Import table data from file", "SQL|*.SQL|XML|*.XML|CSV|*.CSV", table));
  if (!chosen) {
    return;
  }
  const std::string& fileName = chosen->fileName;
  const std::string done = TranslateText("Import table data ") + table + " <-- " + fileName;
  if (!HasKnownType(fileName, done,
                    "(nothing imported: the name has no .SQL, .XML or .CSV in it)")) {
    return;
  }
  Scope scope(host_, fileName);
  if (!OpenToolTable(scope.Tool(), table)) {
    host_.AddLogLine(done + " " + TranslateText("failed"));
    return;
  }
  const TransferFileType type = TransferFileTypeOf(fileName);
  if (type == TransferFileType::kSql) {
    if (ImportSqlFile(fileName, TranslateText("Import table data ") + table, done)) {
      host_.AddLogLine(done);
    }
    return;
  }
  scope.Status().Set((type == TransferFileType::kCsv ? "Open table data  " : "Open table data ") +
                     table);
  const std::unique_ptr<ProgressView> progress =
      host_.StartProgress(TranslateText("Import table data ") + table);
  const interchange::TTransferResult result = TransferFile(
      host_.Components().DS2, fileName, TransferDirection::kImport, progress->Callback());
  if (result.Cancelled()) {
    host_.AddLogLine(TranslateText("Import cancelled after ") + std::to_string(result.records) +
                     TranslateText(" rows"));
  } else if (!result.Completed()) {
    // The component has told the user why.
    host_.AddLogLine(done + " " + TranslateText("failed"));
  } else {
    host_.AddLogLine(done);
  }
}

void TransferCommands::ImportDatabase(const std::string& database) {
  const auto chosen = platform::Dialogs().OpenFileDialog(
      TransferRequest("Open database from file", "SQL|*.SQL", database));
  if (!chosen) {
    return;
  }
  const std::string done =
      TranslateText("Import database ") + database + " --> " + chosen->fileName;
  const Scope scope(host_, chosen->fileName);
  if (!scope.Tool().Reached()) {
    host_.AddLogLine(done + " " + TranslateText("failed"));
    return;
  }
  if (ImportSqlFile(chosen->fileName, TranslateText("Open database from file"), done)) {
    host_.AddLogLine(done);
  }
}

bool TransferCommands::HasKnownType(const std::string& fileName, const std::string& done,
                                    const char* nothingDone) {
  if (TransferFileTypeOf(fileName) != TransferFileType::kNone) {
    return true;
  }
  host_.AddLogLine(done + " " + TranslateText(nothingDone));
  return false;
}

}  // namespace app
