#pragma once
// The progress dialog of a long export or import: rows done so far and a
// Cancel button. It appears only when the run lasts; the callback it hands
// out keeps the window responsive and answers false once Cancel is pressed.

#include <QString>
#include <memory>

#include "interchange/transfer.h"

class QProgressDialog;
class QWidget;

namespace app {

class TransferProgress {
 public:
  TransferProgress(QWidget* parent, const QString& title);
  ~TransferProgress();
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;

  interchange::TProgressEvent Callback();

 private:
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace app
