#pragma once
// What the CSV and XML components tell their caller about one export or
// import, and the progress callback through which a caller follows a long
// run and may stop it.

#include <cstddef>
#include <functional>
#include <string>

#include "dataset/dataset.h"

namespace interchange {

enum class TTransferOutcome {
  kCompleted,
  kCancelled,    // the progress callback asked to stop
  kFileMissing,  // the file to import does not exist (the user was told)
};

struct TTransferResult {
  TTransferOutcome outcome = TTransferOutcome::kCompleted;
  int records = 0;  // records written, or records posted

  bool Completed() const { return outcome == TTransferOutcome::kCompleted; }
  bool Cancelled() const { return outcome == TTransferOutcome::kCancelled; }
};

// Called with the number of records done so far; returning false cancels
// the run after that record.
using TProgressEvent = std::function<bool(int recordsDone)>;

// Calls the progress callback every `interval` records.
class ProgressReporter {
 public:
  ProgressReporter(const TProgressEvent& event, int interval)
      : event_(event), interval_(interval < 1 ? 1 : interval) {}
  // False when the caller asked to stop.
  bool Step(int recordsDone) const {
    return !event_ || recordsDone % interval_ != 0 || event_(recordsDone);
  }

 private:
  const TProgressEvent& event_;
  int interval_;
};

// File buffers of the components: larger than the classic 128 bytes, which
// would cost a system call every other line of a million-row file.
inline constexpr std::size_t kFileBufferSize = 64 * 1024;

// A record count as the components' messages show it ("%8d").
std::string CountText(int count);

// The end of an export: a completed one reports the count when okMsg is
// set, under the caption. (A cancelled one has dropped its new file, which
// would pass for the whole result: a file of that name is as it was.)
TTransferResult FinishExport(const TTransferResult& result, const std::string& fileName, bool okMsg,
                             const char* caption);

// Ends an append or edit left open when an import stops on an error, so the
// dataset is back in browse state for the caller.
void CancelPendingRecord(dataset::TDataSet& dataSet) noexcept;

}  // namespace interchange
