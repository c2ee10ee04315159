#pragma once
// An in-memory copy of a sectioned settings file: "[name]" header lines, each
// followed by key=value lines. Opening the store reads the whole file; reads
// and writes work on the copy; the file is rewritten as a whole, and only when
// something changed, when the store is flushed or destroyed.
//
// A line's key is the text before its first "=", its value the text after it;
// keys and section names compare without regard to letter case and are not
// trimmed. Lines and values are limited to 255 bytes (cut at a character
// boundary). Lines before the first header, empty lines and sections without
// lines do not survive a rewrite; every written section is followed by one
// empty line, and lines end with CR LF.
//
// The file is replaced atomically (platform::SharedTextFile's replacing
// mode): the new content goes to a temporary file in the same directory, is
// flushed to disk and renamed over the old file, so a crash or a full disk
// never leaves a half-written or missing file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/string_list.h"
#include "settings/section_list.h"

namespace settings {

// How ordinary lines are treated while loading; all off by default.
struct TIniLoadOptions {
  bool commentLines = false;      // a line starting with ";" is skipped
  bool trimAroundEquals = false;  // blanks and tabs around the first "=" go
  bool stripQuotes = false;       // a value in matching '"' or "'" loses them
  bool trimEnd = false;           // trailing characters below "!" go
  bool keysOnly = false;          // a line without "=" is skipped
};

// Decides between two sections of the same name: true keeps the earlier one.
// Whatever the caller needs besides (the "user value") travels in the closure.
using TDuplicateSectionHook = std::function<bool(
    std::string_view name, const platform::StringList& earlier, const platform::StringList& later)>;

class TSectionedIniFile {
 public:
  static constexpr std::size_t kMaxLength = 255;
  static constexpr std::size_t kTextBufferSize = 28672;

  // Loads the file; a missing file gives an empty store. Failures to replace
  // the file later are reported through the installed user dialogs.
  explicit TSectionedIniFile(std::string fileName);
  // Writes the file when anything changed.
  ~TSectionedIniFile();
  TSectionedIniFile(const TSectionedIniFile&) = delete;
  TSectionedIniFile& operator=(const TSectionedIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }
  // Flushes the current content, then loads the new file.
  void SetFileName(std::string fileName);

  const TIniLoadOptions& LoadOptions() const { return options_; }
  // Takes effect at the next SetFileName.
  void SetLoadOptions(const TIniLoadOptions& options) { options_ = options; }
  void SetDuplicateSectionHook(TDuplicateSectionHook hook) { duplicateHook_ = std::move(hook); }

  bool Modified() const { return modified_; }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Decimal, or hexadecimal after "$" or "0x" (any letter case); the fallback
  // for anything that is not a valid integer.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  bool ReadBool(std::string_view section, std::string_view key, bool fallback);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Adds the key of every line of the section.
  void ReadSection(std::string_view section, platform::StringList& keys);
  // Replaces the list's content with the section names in file order.
  void ReadSections(platform::StringList& names) const;
  // Adds every line of the section unchanged.
  void ReadSectionValues(std::string_view section, platform::StringList& lines);
  void EraseSection(std::string_view section);
  bool SectionExists(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  // Appends the file's text: each section that has lines as its header, its
  // lines and one empty line.
  void GetStrings(platform::StringList& lines) const;

  // Writes the file when modified.
  void UpdateFile();

 private:
  void Load();
  void AppendLoadedLine(std::string_view line, TSection* section);
  void ResolveDuplicateSections();
  // Finds the section starting at the current one; creates it when asked.
  TSection* FindSectionForKey(std::string_view section, bool create);
  void CompleteFileName();
  bool ReplaceFile();
  void ReportWriteFailure(std::string_view message);
  void MarkModified() {
    modified_ = true;
    failureReported_ = false;
  }

  std::string fileName_;
  TSectionList sections_;
  std::size_t currentSection_ = 0;
  bool modified_ = false;
  // A write failed and was told; cleared by a change or a good write.
  bool failureReported_ = false;
  TIniLoadOptions options_;
  TDuplicateSectionHook duplicateHook_;
};

}  // namespace settings
