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
  // A line shown above the count ("Table 2 of 5: orders").
  void SetStage(const QString& stage) { *stage_ = stage; }

 private:
  std::unique_ptr<QProgressDialog> dialog_;
  std::shared_ptr<QString> stage_ = std::make_shared<QString>();
};

}  // namespace app

#include <string>

#include "dataset/data_source.h"

namespace app {

enum class TransferDirection { kExport, kImport };

// Exports or imports a dataset through the CSV component when the file name
// holds ".CSV" (any letter case), through the XML component otherwise.
interchange::TTransferResult TransferFile(dataset::TDataSource& source, const std::string& fileName,
                                          TransferDirection direction,
                                          const interchange::TProgressEvent& progress);

}  // namespace app
