#pragma once
// A fresh directory for one test, removed with everything in it at the end,
// a working directory for one block, and helpers to read and write whole
// files as bytes and to list a directory.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::testing {

class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of a file inside the directory, as text.
  std::string File(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// Makes a directory the working directory for its lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::filesystem::path& path);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
// The names of the entries in a directory, sorted.
std::vector<std::string> FileNamesIn(const std::filesystem::path& directory);

}  // namespace platform::testing
