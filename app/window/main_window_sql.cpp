// Running SQL from the editor, the result grid's commands and batch files.

#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <exception>

#include "app/core/sql_text.h"
#include "app/core/table_dump.h"
#include "app/window/main_window.h"
#include "app/window/transfer_progress.h"
#include "dataset/qt/dataset_table_model.h"
#include "platform/text.h"
#include "translation/translation.h"

namespace app {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QColor kOrderedTitleColor(255, 0, 0);

}  // namespace

void TFormBrindle::ReplaceEditorText(const std::string& text) {
  // CR LF is the file form of a line break; the editor keeps lines.
  QString lines = Q(text);
  lines.replace("\r\n", "\n");
  QTextCursor cursor(MemoSQL->document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(lines);
  cursor.endEditBlock();
  MemoSQL->setTextCursor(cursor);
}

void TFormBrindle::ShowResultRowCount() {
  EditRowNo->setText(QString::number(Q1.RecordCount()));
}

void TFormBrindle::RunLastSql() {
  if (Q1.Active())
    Q1.Close();
  UseSelectedDatabase(DB1);
  Q1.SetSQL(platform::StringList{});
  const LastStatement last = PickLastStatement(MemoSQL->toPlainText().toStdString());
  if (!last.statement.empty())
    RunSqlText(last.statement);
  ReplaceEditorText(last.editorText);
}

void TFormBrindle::RunAllSql() {
  if (Q1.Active())
    Q1.Close();
  UseSelectedDatabase(DB1);
  RunSqlText(MemoSQL->toPlainText().toStdString());
}

void TFormBrindle::RunSqlText(const std::string& text) {
  Q1.SetSQL(text);
  const bool executed = IsExecutedStatement(text);
  SetStatusText(QString());
  try {
    if (!executed) {
      resultModel_->ClearTitleColors();
      orderedColumn_ = -1;
      Q1.Open();
      if (Q1.LastRunFailed()) {
        // The data access has shown the server's text already.
        AddLogLine("SQL ERROR");
        return;
      }
      DBGrid->show();
      PCBottom->setCurrentIndex(0);
      DBGrid->setFocus();
      AddLogLine(translation::TranslateText("query opened"));
      ShowResultRowCount();
    } else {
      Q1.ExecSQL();
      DBGrid->hide();
      AddLogLine(Q1.LastRunFailed() ? std::string("SQL ERROR")
                                    : translation::TranslateText("SQL executed."));
    }
  } catch (const std::exception&) {
    dialogs_.ShowError("SQL ERROR");
    AddLogLine("SQL ERROR");
  }
}

void TFormBrindle::RefreshResult() {
  if (!Q1.Active())
    return;
  const int ordered = orderedColumn_;
  try {
    Q1.Close();
    Q1.Open();
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
  }
  if (ordered >= 0)
    resultModel_->SetTitleColor(ordered, kOrderedTitleColor);
  orderedColumn_ = ordered;
  AddLogLine(translation::TranslateText("Result grid is refresh"));
  ShowResultRowCount();
}

void TFormBrindle::CloseResult() {
  if (Q1.Active()) {
    Q1.Close();
    DBGrid->hide();
    AddLogLine(translation::TranslateText("Query closed"));
  }
  resultModel_->ClearTitleColors();
  orderedColumn_ = -1;
  SetStatusText(QString());
  EditRowNo->clear();
}

void TFormBrindle::OrderResultBy(int column) {
  if (!Q1.Active())
    return;
  platform::BusyCursor busy;
  try {
    Q1.Close();
    Q1.SetSQL(platform::StringList(OrderedByColumn(Q1.SQL().Items(), column + 1)));
    Q1.Open();
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
  }
  resultModel_->ClearTitleColors();
  resultModel_->SetTitleColor(column, kOrderedTitleColor);
  orderedColumn_ = column;
}

void TFormBrindle::SaveResult() {
  if (!Q1.Active())
    return;
  platform::FileDialogRequest request;
  request.title = translation::TranslateText("Result grid save");
  request.filter = "XML|*.XML|CSV|*.CSV";
  request.filterIndex = 1;
  request.defaultExtension = "XML";
  request.initialDirectory = settings_.outDir;
  request.fileName = translation::TranslateText("Result");
  const auto chosen = dialogs_.SaveFileDialog(request);
  if (!chosen)
    return;
  std::string fileName = chosen->fileName;
  if (QFileInfo(Q(fileName)).fileName().indexOf('.') < 0) {
    fileName += chosen->filterIndex == 2 ? ".csv" : ".xml";
  }
  settings_.outDir = QFileInfo(Q(fileName)).absolutePath().toStdString() + "/";
  TransferProgress progress(this, Q(translation::TranslateText("Result grid save")));
  try {
    const interchange::TTransferResult result =
        TransferFile(DS1, fileName, TransferDirection::kExport, progress.Callback());
    if (result.Cancelled()) {
      AddLogLine(fileName + " " + translation::TranslateText("Saving the result was cancelled."));
      return;
    }
    AddLogLine(fileName + " " + translation::TranslateText(" Result grid saved."));
  } catch (const std::exception& error) {
    dialogs_.ShowError(error.what());
  }
}

bool TFormBrindle::RunBatchFile(platform::SharedTextFile& file,
                                const std::function<bool(int statements)>& progress) {
  if (!DB2.Connected())
    DB2.Connect();
  platform::BusyCursor busy;
  SetStatusText(Q(translation::TranslateText("Run Batch SQL ")));
  const bool succeeded = RunBatch(file, Q2, progress).Succeeded();
  SetStatusText(QString());
  return succeeded;
}

}  // namespace app
