#include "app/window/transfer_progress.h"

#include <QApplication>
#include <QProgressDialog>

#include "interchange/csv_exp_imp.h"
#include "interchange/xml_exp_imp.h"
#include "platform/text.h"
#include "translation/translation.h"

namespace app {

TransferProgress::TransferProgress(QWidget* parent, const QString& title)
    : dialog_(std::make_unique<QProgressDialog>(
          title, QString::fromStdString(translation::TranslateText("Cancel")), 0, 0, parent)) {
  dialog_->setObjectName("TransferProgress");
  dialog_->setWindowTitle(title);
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setMinimumDuration(500);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
}

TransferProgress::~TransferProgress() = default;

interchange::TProgressEvent TransferProgress::Callback() {
  QProgressDialog* dialog = dialog_.get();
  std::shared_ptr<QString> stage = stage_;
  return [dialog, stage](int rows) {
    const QString count =
        QString::fromStdString(translation::TranslateText("Done:")) + " " + QString::number(rows);
    dialog->setLabelText(stage->isEmpty() ? count : *stage + "\n" + count);
    dialog->setValue(0);
    QApplication::processEvents();
    return !dialog->wasCanceled();
  };
}

}  // namespace app

namespace app {

interchange::TTransferResult TransferFile(dataset::TDataSource& source, const std::string& fileName,
                                          TransferDirection direction,
                                          const interchange::TProgressEvent& progress) {
  const bool export_ = direction == TransferDirection::kExport;
  if (platform::UpperCase(fileName).find(".CSV") != std::string::npos) {
    interchange::TCSVEXPIMP csv;
    csv.SetDatasource(&source);
    csv.SetCSVnev(fileName);
    csv.OnProgress = progress;
    return export_ ? csv.Export() : csv.Import();
  }
  interchange::TXMLEXPIMP xml;
  xml.SetDatasource(&source);
  xml.SetXMLnev(fileName);
  xml.OnProgress = progress;
  return export_ ? xml.Export() : xml.Import();
}

}  // namespace app
