#pragma once
// Text files opened the way every reader and writer of the program opens them:
//
// - kRewrite creates or truncates the file for writing;
// - kReset opens it for reading and keeps others from writing meanwhile
//   (a missing file is created empty first);
// - kAppend opens it for writing at its end (a missing file is created);
// - kReplace writes a new file beside the old one (a temporary file in the
//   same folder) and Close puts it in the old one's place in one step: it is
//   synced to disk and renamed over the old file, which keeps its permission
//   bits (a symbolic link keeps pointing at its file, which is replaced); an
//   old file that cannot be written is refused, as kRewrite refuses it. A
//   writer destroyed without Close, or whose write failed, drops the new file
//   and leaves the old one as it was, so a full disk or a cancelled run never
//   leaves half a file where a whole one was.
//
// Sharing uses advisory locks (flock): readers take a shared lock, writers an
// exclusive one (a replacing writer on the old file, until it is replaced),
// never blocking. An open that finds the file locked is retried
// up to kOpenAttempts times, servicing the message loop between attempts, and
// then fails with EInOutError code 32 (sharing violation). Any other failure to
// open raises EInOutError with the system's error code at once.
//
// Lines are read up to CR LF, LF or a lone CR; WriteLine ends lines with CR LF.
// Bytes pass through unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class TextFileMode { kRewrite, kReset, kAppend, kReplace };

class SharedTextFile {
 public:
  static constexpr std::size_t kDefaultBufferSize = 128;
  static constexpr int kOpenAttempts = 10001;

  // Throws EInOutError when the file cannot be opened.
  SharedTextFile(std::string path, TextFileMode mode, std::size_t bufferSize = kDefaultBufferSize);
  // Closes the file; a write error at this point is lost, so writers call
  // Close() themselves. A replacing writer not closed drops its new file.
  ~SharedTextFile();
  SharedTextFile(const SharedTextFile&) = delete;
  SharedTextFile& operator=(const SharedTextFile&) = delete;

  const std::string& Path() const { return path_; }
  TextFileMode Mode() const { return mode_; }
  bool IsOpen() const { return fd_ >= 0; }

  // REQUIRES: opened with kReset. Reads the next line without its ending;
  // false at the end of the file.
  bool ReadLine(std::string& line);
  // As ReadLine, and tells how the line ended: "\r\n", "\n", "\r", or empty
  // for a last line without an ending. Lets a reader rebuild line breaks that
  // belong to the data.
  bool ReadLine(std::string& line, std::string& ending);
  bool Eof();

  // REQUIRES: opened with kRewrite, kAppend or kReplace.
  void Write(std::string_view text);
  void WriteLine(std::string_view text);
  // Hands buffered text to the system; Sync also waits until it is on disk.
  void Flush();
  void Sync();
  // Flushes and closes; throws EInOutError when the last write fails. A
  // replacing writer is synced and renamed over the old file here; when any
  // of it fails, or an earlier write failed, the old file stays and Close
  // throws.
  void Close();
  // Closes without writing what is buffered; a replacing writer drops its
  // new file and leaves the old one as it was.
  void Discard() noexcept;

 private:
  void Open();
  // Opens path_ (or, replacing, the old file, which may be missing: then
  // -1) and takes the lock, retrying while another program holds it.
  int OpenLocked(const std::string& path, int flags, int lock, bool mayBeMissing);
  void OpenReplacement();
  void CommitReplacement();
  bool FillBuffer();
  [[noreturn]] void Fail(int errorCode, std::string_view action) const;

  std::string path_;
  TextFileMode mode_;
  // Replacing: the file renamed over (path_, or the file a link points at),
  // the new file written meanwhile, and the old file held locked (-1 when
  // there was none).
  std::string target_;
  std::string tempPath_;
  int targetFd_ = -1;
  bool writeFailed_ = false;
  std::size_t bufferSize_;
  int fd_ = -1;
  std::string buffer_;
  std::size_t bufferPos_ = 0;
  bool endOfFile_ = false;
};

}  // namespace platform
