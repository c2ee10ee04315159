#include "app/window/transfer_progress.h"

#include <QApplication>
#include <QProgressDialog>

#include "platform/qt/qt_text.h"
#include "translation/translation.h"

namespace app {

using platform::qt::QText;

TransferProgress::TransferProgress(QWidget* parent, const QString& title)
    : dialog_(std::make_unique<QProgressDialog>(title, QText(translation::TranslateText("Cancel")),
                                                0, 0, parent)) {
  dialog_->setObjectName("TransferProgress");
  dialog_->setWindowTitle(title);
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
}

TransferProgress::~TransferProgress() = default;

void TransferProgress::SetStage(std::string_view stage) {
  *stage_ = QText(stage);
}

interchange::TProgressEvent TransferProgress::Callback() {
  QProgressDialog* dialog = dialog_.get();
  std::shared_ptr<QString> stage = stage_;
  return [dialog, stage](int done) {
    const QString count = QText(translation::TranslateText("Done:")) + " " + QString::number(done);
    dialog->setLabelText(stage->isEmpty() ? count : *stage + "\n" + count);
    dialog->setValue(0);
    // Shown, and so modal, before the event loop runs: until then a click
    // on the window would reach it in the middle of the run.
    if (!dialog->isVisible()) {
      dialog->show();
    }
    QApplication::processEvents();
    return !dialog->wasCanceled();
  };
}

}  // namespace app
