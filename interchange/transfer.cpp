#include "interchange/transfer.h"

#include <cstdio>

#include "platform/user_dialogs.h"

namespace interchange {

std::string CountText(int count) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%8d", count);
  return buffer;
}

TTransferResult FinishExport(const TTransferResult& result, const std::string& fileName, bool okMsg,
                             const char* caption) {
  if (!result.Cancelled() && okMsg) {
    platform::Dialogs().ShowMessage(
        "Exportálva " + fileName + " fileba " + CountText(result.records) + " db rekord", caption);
  }
  return result;
}

void CancelPendingRecord(dataset::TDataSet& dataSet) noexcept {
  try {
    const dataset::TDataSetState state = dataSet.State();
    if (state == dataset::TDataSetState::dsInsert || state == dataset::TDataSetState::dsEdit) {
      dataSet.Cancel();
    }
  } catch (...) {
    // The original error is what the caller needs to see.
  }
}

}  // namespace interchange
