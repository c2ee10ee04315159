// Moving a table or a database between the server and a file: SQL dumps
// written here and read back by the batch runner, and CSV and XML files
// through the interchange components.

#include <QComboBox>
#include <QFileInfo>
#include <QTreeWidget>
#include <exception>

#include "app/core/table_script.h"
#include "app/window/main_window.h"
#include "app/window/transfer_progress.h"
#include "interchange/csv_exp_imp.h"
#include "interchange/xml_exp_imp.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"
#include "translation/translation.h"
#include "uniaccess/sql_literals.h"

namespace app {
namespace {

using translation::TranslateText;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QString& text) {
  return text.toStdString();
}

int LevelOf(const QTreeWidgetItem* node) {
  int level = 0;
  for (const QTreeWidgetItem* parent = node->parent(); parent != nullptr;
       parent = parent->parent()) {
    ++level;
  }
  return level;
}

bool Holds(const std::string& fileName, const char* extension) {
  return platform::UpperCase(fileName).find(extension) != std::string::npos;
}

constexpr int kProgressStep = 1000;

}  // namespace

void TFormBrindle::PrepareToolConnection(const std::string& fileName) {
  settings_.outDir = QFileInfo(Q(fileName)).absolutePath().toStdString() + "/";
  UseSelectedDatabase(DB2);
}

void TFormBrindle::ExportNode() {
  if (rememberedNode_ == nullptr || CBDatabase->currentText().isEmpty())
    return;
  const int level = LevelOf(rememberedNode_);
  try {
    if (level == 2)
      ExportTable(S(rememberedNode_->text(0)));
    if (level == 1)
      ExportDatabase(S(CBDatabase->currentText()));
  } catch (const std::exception& error) {
    T2.Close();
    DB2.Disconnect();
    SetStatusText(QString());
    dialogs_.ShowError(error.what());
  }
}

void TFormBrindle::ImportNode() {
  if (rememberedNode_ == nullptr || CBDatabase->currentText().isEmpty())
    return;
  const int level = LevelOf(rememberedNode_);
  try {
    if (level == 2)
      ImportTable(S(rememberedNode_->text(0)));
    if (level == 1)
      ImportDatabase(S(CBDatabase->currentText()));
  } catch (const std::exception& error) {
    T2.Close();
    DB2.Disconnect();
    SetStatusText(QString());
    dialogs_.ShowError(error.what());
  }
}

void TFormBrindle::DumpTable(platform::SharedTextFile& file, const std::string& table) {
  SetStatusText(Q("Save table data " + table));
  uniaccess::Backend& backend = *DB2.ActiveBackend();
  // The server's own column types re-create the table as it was; a column
  // the dataset does not carry would be lost, so such a table is refused.
  std::vector<std::string> types;
  const std::vector<uniaccess::Backend::ColumnType> columns =
      backend.ColumnTypes(DB2.Handle(), table);
  if (!columns.empty()) {
    std::string missing;
    for (const auto& column : columns) {
      if (T2.FindField(column.name) == nullptr)
        missing += (missing.empty() ? "" : ", ") + column.name;
    }
    if (!missing.empty()) {
      throw platform::Exception("The table " + table +
                                " holds columns a dump cannot carry yet: " + missing);
    }
    for (int i = 0; i < T2.FieldCount(); ++i) {
      for (const auto& column : columns) {
        if (platform::SameText(column.name, T2.Fields(i).FieldName()))
          types.push_back(column.type);
      }
    }
  }
  const std::string now = platform::DateTimeToStr(platform::Now());
  file.WriteLine("/*  " + S(CBDatabase->currentText()) + "." + table + " " + now + " */");
  file.WriteLine("/* --------------------------------------------- */");
  file.WriteLine("DROP TABLE IF EXISTS " + table + ";");
  for (const std::string& line :
       TableScript(ScriptPart::kTable, table, T2, {}, types.empty() ? nullptr : &types)) {
    file.WriteLine(line);
  }
  TransferProgress progress(this, Q(TranslateText("Export table data ") + table));
  const interchange::TProgressEvent step = progress.Callback();
  T2.DisableControls();
  int rows = 0;
  try {
    for (T2.First(); !T2.Eof(); T2.Next()) {
      std::string values;
      for (int i = 0; i < T2.FieldCount(); ++i) {
        if (i > 0)
          values += ",";
        values += uniaccess::FieldSqlLiteral(backend, DB2.Handle(), T2.Fields(i));
      }
      file.WriteLine("INSERT INTO " + table + " VALUES(" + values + ");");
      if (++rows % kProgressStep == 0 && !step(rows)) {
        throw platform::Exception(TranslateText("Export cancelled after ") + std::to_string(rows) +
                                  TranslateText(" rows"));
      }
    }
  } catch (...) {
    T2.EnableControls();
    throw;
  }
  T2.EnableControls();
  for (const std::string& line : DumpIndexScript(table, T2.GetIndexNames())) {
    file.WriteLine(line);
  }
}

void TFormBrindle::ExportTable(const std::string& table) {
  platform::FileDialogRequest request;
  request.title = TranslateText("Export table data to file");
  request.filter = "SQL|*.SQL|XML|*.XML|CSV|*.CSV";
  request.defaultExtension = "SQL";
  request.initialDirectory = settings_.outDir;
  request.fileName = table;
  const auto chosen = dialogs_.SaveFileDialog(request);
  if (!chosen)
    return;
  const std::string& fileName = chosen->fileName;
  platform::BusyCursor busy(dialogs_);
  PrepareToolConnection(fileName);
  T2.SetTablename(table);
  T2.Open();
  if (Holds(fileName, ".CSV") || Holds(fileName, ".XML")) {
    SetStatusText(Q("Save table data " + table));
    TransferProgress progress(this, Q(TranslateText("Export table data ") + table));
    interchange::TTransferResult result;
    if (Holds(fileName, ".CSV")) {
      interchange::TCSVEXPIMP csv;
      csv.SetDatasource(&DS2);
      csv.SetCSVnev(fileName);
      csv.OnProgress = progress.Callback();
      result = csv.Export();
    } else {
      interchange::TXMLEXPIMP xml;
      xml.SetDatasource(&DS2);
      xml.SetXMLnev(fileName);
      xml.OnProgress = progress.Callback();
      result = xml.Export();
    }
    if (result.Cancelled())
      AddLogLine(TranslateText("Export cancelled: ") + fileName);
  } else if (Holds(fileName, ".SQL")) {
    platform::SharedTextFile file(fileName, platform::TextFileMode::kRewrite,
                                  platform::SharedTextFile::kDefaultBufferSize, dialogs_);
    DumpTable(file, table);
    file.Close();
  }
  T2.Close();
  DB2.Disconnect();
  AddLogLine(TranslateText("Export table data ") + table + " --> " + fileName);
  SetStatusText(QString());
}

void TFormBrindle::ExportDatabase(const std::string& database) {
  platform::FileDialogRequest request;
  request.title = TranslateText("Save database to file");
  request.filter = "SQL|*.SQL";
  request.defaultExtension = "SQL";
  request.initialDirectory = settings_.outDir;
  request.fileName = database;
  const auto chosen = dialogs_.SaveFileDialog(request);
  if (!chosen)
    return;
  platform::BusyCursor busy(dialogs_);
  PrepareToolConnection(chosen->fileName);
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kRewrite,
                                platform::SharedTextFile::kDefaultBufferSize, dialogs_);
  file.WriteLine("/*  Database dump " + database + " " + platform::DateTimeToStr(platform::Now()) +
                 " */");
  for (const std::string& table : DB2.GetTableNames()) {
    T2.SetTablename(table);
    T2.Open();
    DumpTable(file, table);
    T2.Close();
  }
  DB2.Disconnect();
  file.Close();
  AddLogLine(TranslateText("Export database ") + database + " --> " + chosen->fileName);
  SetStatusText(QString());
}

void TFormBrindle::ImportTable(const std::string& table) {
  platform::FileDialogRequest request;
  request.title = TranslateText("Import table data from file");
  request.filter = "SQL|*.SQL|XML|*.XML|CSV|*.CSV";
  request.defaultExtension = "SQL";
  request.initialDirectory = settings_.outDir;
  request.fileName = table;
  const auto chosen = dialogs_.OpenFileDialog(request);
  if (!chosen)
    return;
  const std::string& fileName = chosen->fileName;
  platform::BusyCursor busy(dialogs_);
  PrepareToolConnection(fileName);
  T2.SetTablename(table);
  T2.Open();
  if (Holds(fileName, ".CSV") || Holds(fileName, ".XML")) {
    const bool csvFile = Holds(fileName, ".CSV");
    SetStatusText(Q((csvFile ? "Open table data  " : "Open table data ") + table));
    TransferProgress progress(this, Q(TranslateText("Import table data ") + table));
    interchange::TTransferResult result;
    if (csvFile) {
      interchange::TCSVEXPIMP csv;
      csv.SetDatasource(&DS2);
      csv.SetCSVnev(fileName);
      csv.OnProgress = progress.Callback();
      result = csv.Import();
    } else {
      interchange::TXMLEXPIMP xml;
      xml.SetDatasource(&DS2);
      xml.SetXMLnev(fileName);
      xml.OnProgress = progress.Callback();
      result = xml.Import();
    }
    if (result.Cancelled()) {
      AddLogLine(TranslateText("Import cancelled after ") + std::to_string(result.records) +
                 TranslateText(" rows"));
    }
  } else if (Holds(fileName, ".SQL")) {
    platform::SharedTextFile file(fileName, platform::TextFileMode::kReset,
                                  platform::SharedTextFile::kDefaultBufferSize, dialogs_);
    RunBatchFile(file);
    file.Close();
  }
  T2.Close();
  DB2.Disconnect();
  AddLogLine(TranslateText("Import table data ") + table + " <-- " + fileName);
  SetStatusText(QString());
}

void TFormBrindle::ImportDatabase(const std::string& database) {
  platform::FileDialogRequest request;
  request.title = TranslateText("Open database from file");
  request.filter = "SQL|*.SQL";
  request.defaultExtension = "SQL";
  request.initialDirectory = settings_.outDir;
  request.fileName = database;
  const auto chosen = dialogs_.OpenFileDialog(request);
  if (!chosen)
    return;
  platform::BusyCursor busy(dialogs_);
  PrepareToolConnection(chosen->fileName);
  platform::SharedTextFile file(chosen->fileName, platform::TextFileMode::kReset,
                                platform::SharedTextFile::kDefaultBufferSize, dialogs_);
  RunBatchFile(file);
  DB2.Disconnect();
  file.Close();
  AddLogLine(TranslateText("Import database ") + database + " --> " + chosen->fileName);
  SetStatusText(QString());
}

}  // namespace app
