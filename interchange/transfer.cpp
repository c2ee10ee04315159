#include "interchange/transfer.h"

namespace interchange {

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
