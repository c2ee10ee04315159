#include "platform/shared_text_file.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/errors.h"
#include "platform/testing/file_size_limit.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace platform {
namespace {

using testing::FileNamesIn;
using testing::ReadFileBytes;
using testing::ScriptedUserDialogs;
using testing::TempDirectory;
using testing::WriteFileBytes;

std::vector<std::string> ReadAllLines(const std::string& path, std::size_t bufferSize) {
  SharedTextFile file(path, TextFileMode::kReset, bufferSize);
  std::vector<std::string> lines;
  std::string line;
  while (file.ReadLine(line)) {
    lines.push_back(line);
  }
  EXPECT_TRUE(file.Eof());
  return lines;
}

// Another process that holds a lock on a file until told to let go.
class LockHolder {
 public:
  LockHolder(const std::string& path, int lockKind) {
    int toChild[2];
    int toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) {
      throw std::runtime_error("pipe");
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(toChild[1]);
      ::close(toParent[0]);
      const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
      char byte = (fd >= 0 && ::flock(fd, lockKind) == 0) ? 'L' : 'E';
      (void)!::write(toParent[1], &byte, 1);
      (void)!::read(toChild[0], &byte, 1);  // wait for the release order
      ::flock(fd, LOCK_UN);
      byte = 'U';
      (void)!::write(toParent[1], &byte, 1);
      ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    toChild_ = toChild[1];
    fromChild_ = toParent[0];
    char answer = 0;
    if (::read(fromChild_, &answer, 1) != 1 || answer != 'L') {
      throw std::runtime_error("the other process could not lock the file");
    }
  }

  ~LockHolder() {
    Release();
    ::close(toChild_);
    ::close(fromChild_);
    ::waitpid(pid_, nullptr, 0);
  }

  // Returns once the other process has unlocked the file.
  void Release() {
    if (released_) {
      return;
    }
    released_ = true;
    char byte = 'R';
    (void)!::write(toChild_, &byte, 1);
    (void)!::read(fromChild_, &byte, 1);
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  bool released_ = false;
};

TEST(SharedTextFile, WritesCrLfLinesAndReadsThemBack) {
  TempDirectory dir;
  const std::string path = dir.File("a.txt");
  {
    SharedTextFile file(path, TextFileMode::kRewrite);
    file.WriteLine("first");
    file.Write("sec");
    file.WriteLine("ond");
    file.WriteLine("");
    file.WriteLine(std::string(300, 'x'));  // longer than the buffer
    file.Close();
  }
  EXPECT_EQ(ReadFileBytes(path), "first\r\nsecond\r\n\r\n" + std::string(300, 'x') + "\r\n");
  EXPECT_EQ(ReadAllLines(path, SharedTextFile::kDefaultBufferSize),
            (std::vector<std::string>{"first", "second", "", std::string(300, 'x')}));
}

TEST(SharedTextFile, ReadsEveryLineEndingWhateverTheBufferSize) {
  TempDirectory dir;
  const std::string path = dir.File("mixed.txt");
  WriteFileBytes(path, "a\r\nbb\nccc\rdddd\r\n\r\n\n\x1A\nlast");
  const std::vector<std::string> expected = {"a", "bb", "ccc", "dddd", "", "", "\x1A", "last"};
  for (std::size_t bufferSize : {1u, 2u, 3u, 4u, 7u, 128u, 28672u}) {
    EXPECT_EQ(ReadAllLines(path, bufferSize), expected) << "buffer " << bufferSize;
  }
}

TEST(SharedTextFile, ResetCreatesAMissingFileAndRewriteTruncates) {
  TempDirectory dir;
  const std::string path = dir.File("new.txt");
  EXPECT_TRUE(ReadAllLines(path, 128).empty());
  EXPECT_TRUE(std::filesystem::exists(path));

  WriteFileBytes(path, "a much longer old content\r\n");
  {
    SharedTextFile file(path, TextFileMode::kRewrite);
    file.WriteLine("new");
  }
  EXPECT_EQ(ReadFileBytes(path), "new\r\n");
}

TEST(SharedTextFile, AppendWritesAtTheEnd) {
  TempDirectory dir;
  const std::string path = dir.File("log.txt");
  WriteFileBytes(path, "one\r\n");
  {
    SharedTextFile file(path, TextFileMode::kAppend);
    file.WriteLine("two");
    file.Close();
  }
  {
    SharedTextFile file(dir.File("fresh.txt"), TextFileMode::kAppend);
    file.WriteLine("only");
  }
  EXPECT_EQ(ReadFileBytes(path), "one\r\ntwo\r\n");
  EXPECT_EQ(ReadFileBytes(dir.File("fresh.txt")), "only\r\n");
}

TEST(SharedTextFile, ALockedFileIsRetriedThenFailsWithCode32) {
  TempDirectory dir;
  const std::string path = dir.File("locked.txt");
  WriteFileBytes(path, "content\r\n");
  LockHolder writer(path, LOCK_EX);
  for (TextFileMode mode : {TextFileMode::kReset, TextFileMode::kRewrite, TextFileMode::kAppend,
                            TextFileMode::kReplace}) {
    ScriptedUserDialogs dialogs;
    try {
      SharedTextFile file(path, mode);
      ADD_FAILURE() << "opened a locked file";
    } catch (const EInOutError& error) {
      EXPECT_EQ(error.ErrorCode(), 32);
    }
    // The message loop is serviced between the attempts.
    EXPECT_EQ(dialogs.ProcessMessagesCalls(), SharedTextFile::kOpenAttempts - 1);
  }
  EXPECT_EQ(ReadFileBytes(path), "content\r\n");  // the failed rewrite truncated nothing
  EXPECT_EQ(FileNamesIn(dir.Path()), std::vector<std::string>{"locked.txt"});
}

TEST(SharedTextFile, ReadersShareAndWritersWait) {
  TempDirectory dir;
  const std::string path = dir.File("shared.txt");
  WriteFileBytes(path, "x\r\n");
  LockHolder reader(path, LOCK_SH);
  EXPECT_EQ(ReadAllLines(path, 128), std::vector<std::string>{"x"});
  ScriptedUserDialogs dialogs;
  EXPECT_THROW(SharedTextFile(path, TextFileMode::kRewrite), EInOutError);
}

TEST(SharedTextFile, OpenSucceedsOnceTheOtherProcessLetsGo) {
  TempDirectory dir;
  const std::string path = dir.File("busy.txt");
  WriteFileBytes(path, "old\r\n");
  LockHolder writer(path, LOCK_EX);
  ScriptedUserDialogs dialogs;
  dialogs.onProcessMessages = [&writer](int call) {
    if (call == 50) {
      writer.Release();
    }
  };
  SharedTextFile file(path, TextFileMode::kRewrite);
  file.WriteLine("new");
  file.Close();
  EXPECT_EQ(dialogs.ProcessMessagesCalls(), 50);
  EXPECT_EQ(ReadFileBytes(path), "new\r\n");
}

TEST(SharedTextFile, OtherFailuresAreReportedAtOnceWithTheirCode) {
  TempDirectory dir;
  ScriptedUserDialogs dialogs;
  try {
    SharedTextFile file(dir.File("missing/dir/file.txt"), TextFileMode::kRewrite);
    ADD_FAILURE() << "opened a file in a missing directory";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ENOENT);
    EXPECT_NE(std::string(error.what()).find("missing/dir/file.txt"), std::string::npos);
  }
  EXPECT_EQ(dialogs.ProcessMessagesCalls(), 0);
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info;
}

TEST(SharedTextFile, AReplacementTakesTheOldFilesPlaceOnlyWhenClosed) {
  TempDirectory dir;
  const std::string path = dir.File("script.sql");
  WriteFileBytes(path, "old\r\n");
  ::chmod(path.c_str(), 0640);
  const ino_t before = StatOf(path).st_ino;
  {
    SharedTextFile file(path, TextFileMode::kReplace);
    file.WriteLine(std::string(300, 'n'));  // past the buffer: written out already
    EXPECT_EQ(ReadFileBytes(path), "old\r\n") << "the old file stays until Close";
    file.Close();
  }
  EXPECT_EQ(ReadFileBytes(path), std::string(300, 'n') + "\r\n");
  EXPECT_NE(StatOf(path).st_ino, before);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
  EXPECT_EQ(FileNamesIn(dir.Path()), std::vector<std::string>{"script.sql"});

  // A new file gets the permissions any new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  {
    SharedTextFile file(dir.File("new.sql"), TextFileMode::kReplace);
    file.WriteLine("x");
    file.Close();
  }
  EXPECT_EQ(ReadFileBytes(dir.File("new.sql")), "x\r\n");
  EXPECT_EQ(StatOf(dir.File("new.sql")).st_mode & 07777, 0666u & ~mask);

  // Through a link the file it points at is replaced; the link stays.
  std::filesystem::create_directory(dir.Path() / "real");
  const std::string real = dir.File("real/target.sql");
  WriteFileBytes(real, "old\r\n");
  std::filesystem::create_symlink(real, dir.Path() / "link.sql");
  {
    SharedTextFile file(dir.File("link.sql"), TextFileMode::kReplace);
    file.WriteLine("through the link");
    file.Close();
  }
  EXPECT_TRUE(S_ISLNK(StatOf(dir.File("link.sql")).st_mode));
  EXPECT_EQ(ReadFileBytes(real), "through the link\r\n");
  EXPECT_EQ(FileNamesIn(dir.Path() / "real"), std::vector<std::string>{"target.sql"});
}

TEST(SharedTextFile, AReplacementNotClosedOrFailedLeavesTheOldFileAsItWas) {
  TempDirectory dir;
  const std::string path = dir.File("dump.sql");
  const std::string old(4000, 'o');
  WriteFileBytes(path, old);

  // Destroyed without Close (a cancelled or failed run), or dropped.
  {
    SharedTextFile file(path, TextFileMode::kReplace);
    file.WriteLine(std::string(1000, 'n'));
  }
  {
    SharedTextFile file(path, TextFileMode::kReplace);
    file.WriteLine("n");
    file.Discard();
    file.Close();  // nothing left to put in place
  }
  {
    SharedTextFile file(dir.File("never.sql"), TextFileMode::kReplace);
    file.WriteLine("n");
  }
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(FileNamesIn(dir.Path()), std::vector<std::string>{"dump.sql"});

  // A write that fails (a full disk) is raised, and Close puts nothing in
  // place afterwards.
  {
    SharedTextFile file(path, TextFileMode::kReplace);
    {
      const testing::ScopedFileSizeLimit full(8192);
      try {
        for (int i = 0; i < 100; ++i) {
          file.WriteLine(std::string(199, 'n'));
        }
        ADD_FAILURE() << "the writes past the limit succeeded";
      } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EFBIG);
      }
    }
    EXPECT_THROW(file.Close(), EInOutError);
  }
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(FileNamesIn(dir.Path()), std::vector<std::string>{"dump.sql"});

  // Something that cannot be replaced is refused by Close, the new file
  // dropped.
  std::filesystem::create_directories(dir.Path() / "folder" / "inside");
  {
    SharedTextFile file(dir.File("folder"), TextFileMode::kReplace);
    file.WriteLine("n");
    try {
      file.Close();
      ADD_FAILURE() << "a folder was replaced";
    } catch (const EInOutError& error) {
      EXPECT_NE(std::string(error.what()).find("cannot replace"), std::string::npos)
          << error.what();
    }
  }
  EXPECT_EQ(FileNamesIn(dir.Path()), (std::vector<std::string>{"dump.sql", "folder"}));

  // A folder that cannot hold the new file is refused at once, by the name
  // asked for.
  ScriptedUserDialogs dialogs;
  try {
    SharedTextFile file(dir.File("missing/x.sql"), TextFileMode::kReplace);
    ADD_FAILURE() << "opened a file in a missing folder";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), ENOENT);
    EXPECT_NE(std::string(error.what()).find("cannot open " + dir.File("missing/x.sql")),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace platform
