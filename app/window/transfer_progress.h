#pragma once
// The progress dialog of a long export, import or batch run: what is done
// so far and a Cancel button. It appears at the first report of a run
// (1000 rows or 100 statements), modal over the window; the callback it
// hands out keeps the window painted and answers false once Cancel is
// pressed.

#include <QString>
#include <memory>

#include "app/commands/command_host.h"

class QProgressDialog;
class QWidget;

namespace app {

class TransferProgress : public ProgressView {
 public:
  TransferProgress(QWidget* parent, const QString& title);
  ~TransferProgress() override;
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;

  interchange::TProgressEvent Callback() override;
  void SetStage(std::string_view stage) override;

 private:
  std::unique_ptr<QProgressDialog> dialog_;
  std::shared_ptr<QString> stage_ = std::make_shared<QString>();
};

}  // namespace app
