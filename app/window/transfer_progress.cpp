#include "app/window/transfer_progress.h"

#include <QApplication>
#include <QProgressDialog>

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
