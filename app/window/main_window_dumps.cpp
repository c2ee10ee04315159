// Moving a table or a database between the server and a file: SQL dumps
// written here and read back by the batch runner, and CSV and XML files
// through the interchange components.

#include <QComboBox>
#include <QFileInfo>
#include <QTreeWidget>
#include <exception>

#include "app/core/table_dump.h"
#include "app/window/main_window.h"
#include "app/window/transfer_progress.h"
#include "app/window/tree_nodes.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"
#include "translation/translation.h"

namespace app {
namespace {

using translation::TranslateText;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QString& text) {
  return text.toStdString();
}

bool Holds(const std::string& fileName, const char* extension) {
  return platform::UpperCase(fileName).find(extension) != std::string::npos;
}

}  // namespace

platform::FileDialogRequest TFormBrindle::TransferRequest(const char* title, const char* filter,
                                                          const std::string& proposedName) const {
  platform::FileDialogRequest request;
  request.title = TranslateText(title);
  request.filter = filter;
  request.defaultExtension = "SQL";
  request.initialDirectory = settings_.outDir;
  request.fileName = proposedName;
  return request;
}

void TFormBrindle::RunNodeTransfer(const std::function<void(int level)>& transfer) {
  if (rememberedNode_ == nullptr || CBDatabase->currentText().isEmpty())
    return;
  try {
    transfer(TreeLevelOf(rememberedNode_));
  } catch (const DumpCancelled& cancelled) {
    // What was written or run so far stays; the log says where it stopped.
    T2.Close();
    DB2.Disconnect();
    SetStatusText(QString());
    AddLogLine(cancelled.Message());
  } catch (const std::exception& error) {
    T2.Close();
    DB2.Disconnect();
    SetStatusText(QString());
    dialogs_.ShowError(error.what());
  }
}

void TFormBrindle::PrepareToolConnection(const std::string& fileName) {
  settings_.outDir = QFileInfo(Q(fileName)).absolutePath().toStdString() + "/";
  UseSelectedDatabase(DB2);
}

void TFormBrindle::ExportNode() {
  RunNodeTransfer([this](int level) {
    if (level == 2)
      ExportTable(S(rememberedNode_->text(0)));
    if (level == 1)
      ExportDatabase(S(CBDatabase->currentText()));
  });
}

void TFormBrindle::ImportNode() {
  RunNodeTransfer([this](int level) {
    if (level == 2)
      ImportTable(S(rememberedNode_->text(0)));
    if (level == 1)
      ImportDatabase(S(CBDatabase->currentText()));
  });
}

void TFormBrindle::DumpTable(platform::SharedTextFile& file, const std::string& table) {
  SetStatusText(Q("Save table data " + table));
  TransferProgress progress(this, Q(TranslateText("Export table data ") + table));
  WriteTableDump(file, T2, S(CBDatabase->currentText()), progress.Callback());
}

void TFormBrindle::ExportTable(const std::string& table) {
  const auto chosen = dialogs_.SaveFileDialog(
      TransferRequest("Export table data to file", "SQL|*.SQL|XML|*.XML|CSV|*.CSV", table));
  if (!chosen)
    return;
  const std::string& fileName = chosen->fileName;
  platform::BusyCursor busy;
  PrepareToolConnection(fileName);
  T2.SetTablename(table);
  T2.Open();
  if (Holds(fileName, ".CSV") || Holds(fileName, ".XML")) {
    SetStatusText(Q("Save table data " + table));
    TransferProgress progress(this, Q(TranslateText("Export table data ") + table));
    const interchange::TTransferResult result =
        TransferFile(DS2, fileName, TransferDirection::kExport, progress.Callback());
    if (result.Cancelled())
      AddLogLine(TranslateText("Export cancelled: ") + fileName);
  } else if (Holds(fileName, ".SQL")) {
    platform::SharedTextFile file(fileName, platform::TextFileMode::kRewrite);
    DumpTable(file, table);
    file.Close();
  }
  T2.Close();
  DB2.Disconnect();
  AddLogLine(TranslateText("Export table data ") + table + " --> " + fileName);
  SetStatusText(QString());
}

void TFormBrindle::ExportDatabase(const std::string& database) {
  const auto chosen =
      dialogs_.SaveFileDialog(TransferRequest("Save database to file", "SQL|*.SQL", database));
  if (!chosen)
    return;
  platform::BusyCursor busy;
  PrepareToolConnection(chosen->fileName);
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kRewrite);
  file.WriteLine("/*  Database dump " + database + " " + platform::DateTimeToStr(platform::Now()) +
                 " */");
  TransferProgress progress(this, Q(TranslateText("Save database to file")));
  const platform::StringList tables = DB2.GetTableNames();
  for (size_t i = 0; i < tables.Count(); ++i) {
    const std::string& table = tables[i];
    SetStatusText(Q("Save table data " + table));
    progress.SetStage(Q(TranslateText("Table") + " " + std::to_string(i + 1) + " / " +
                        std::to_string(tables.Count()) + ": " + table));
    T2.SetTablename(table);
    T2.Open();
    WriteTableDump(file, T2, database, progress.Callback());
    T2.Close();
  }
  DB2.Disconnect();
  file.Close();
  AddLogLine(TranslateText("Export database ") + database + " --> " + chosen->fileName);
  SetStatusText(QString());
}

void TFormBrindle::ImportTable(const std::string& table) {
  const auto chosen = dialogs_.OpenFileDialog(
      TransferRequest("Import table data from file", "SQL|*.SQL|XML|*.XML|CSV|*.CSV", table));
  if (!chosen)
    return;
  const std::string& fileName = chosen->fileName;
  platform::BusyCursor busy;
  PrepareToolConnection(fileName);
  T2.SetTablename(table);
  T2.Open();
  if (Holds(fileName, ".CSV") || Holds(fileName, ".XML")) {
    const bool csvFile = Holds(fileName, ".CSV");
    SetStatusText(Q((csvFile ? "Open table data  " : "Open table data ") + table));
    TransferProgress progress(this, Q(TranslateText("Import table data ") + table));
    const interchange::TTransferResult result =
        TransferFile(DS2, fileName, TransferDirection::kImport, progress.Callback());
    if (result.Cancelled()) {
      AddLogLine(TranslateText("Import cancelled after ") + std::to_string(result.records) +
                 TranslateText(" rows"));
    }
  } else if (Holds(fileName, ".SQL")) {
    platform::SharedTextFile file(fileName, platform::TextFileMode::kReset);
    TransferProgress progress(this, Q(TranslateText("Import table data ") + table));
    progress.SetStage(Q(TranslateText("Statements run")));
    RunBatchFile(file, progress.Callback());
    file.Close();
  }
  T2.Close();
  DB2.Disconnect();
  AddLogLine(TranslateText("Import table data ") + table + " <-- " + fileName);
  SetStatusText(QString());
}

void TFormBrindle::ImportDatabase(const std::string& database) {
  const auto chosen =
      dialogs_.OpenFileDialog(TransferRequest("Open database from file", "SQL|*.SQL", database));
  if (!chosen)
    return;
  platform::BusyCursor busy;
  PrepareToolConnection(chosen->fileName);
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kReset);
  TransferProgress progress(this, Q(TranslateText("Open database from file")));
  progress.SetStage(Q(TranslateText("Statements run")));
  RunBatchFile(file, progress.Callback());
  DB2.Disconnect();
  file.Close();
  AddLogLine(TranslateText("Import database ") + database + " --> " + chosen->fileName);
  SetStatusText(QString());
}

}  // namespace app
