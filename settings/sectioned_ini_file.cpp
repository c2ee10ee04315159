#include "settings/sectioned_ini_file.h"

#include <filesystem>
#include <memory>

#include "platform/errors.h"
#include "platform/shared_text_file.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

namespace settings {
namespace {

constexpr char kEndOfFileMark = '\x1A';

std::string_view Cut(std::string_view text) {
  return platform::Utf8Prefix(text, TSectionedIniFile::kMaxLength);
}

// The key of a line is the text before its first "="; a line without one has
// no key.
bool LineHasKey(std::string_view line, std::string_view key) {
  const std::size_t equals = line.find('=');
  return equals != std::string_view::npos && platform::SameText(line.substr(0, equals), key);
}

int FindKeyLine(const platform::StringList& lines, std::string_view key) {
  for (std::size_t i = 0; i < lines.Count(); ++i) {
    if (LineHasKey(lines[i], key)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

std::string TrimmedAroundEquals(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return std::string(line);
  }
  std::size_t keyEnd = equals;
  while (keyEnd > 0 && IsBlankOrTab(line[keyEnd - 1])) {
    --keyEnd;
  }
  std::size_t valueStart = equals + 1;
  while (valueStart < line.size() && IsBlankOrTab(line[valueStart])) {
    ++valueStart;
  }
  return std::string(line.substr(0, keyEnd)) + "=" + std::string(line.substr(valueStart));
}

std::string WithoutQuotes(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return std::string(line);
  }
  const std::string_view value = line.substr(equals + 1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return std::string(line.substr(0, equals + 1)) + std::string(value.substr(1, value.size() - 2));
  }
  return std::string(line);
}

std::string WithoutTrailingControls(std::string_view line) {
  while (!line.empty() && static_cast<unsigned char>(line.back()) < '!') {
    line.remove_suffix(1);
  }
  return std::string(line);
}

}  // namespace

TSectionedIniFile::TSectionedIniFile(std::string fileName) {
  SetFileName(std::move(fileName));
}

TSectionedIniFile::~TSectionedIniFile() {
  try {
    UpdateFile();
  } catch (const std::exception& error) {
    // UpdateFile reports its own failures; this only keeps the destructor safe.
    std::fprintf(stderr, "settings: %s\n", error.what());
  }
}

void TSectionedIniFile::SetFileName(std::string fileName) {
  UpdateFile();
  sections_.Clear();
  currentSection_ = 0;
  fileName_ = std::move(fileName);
  Load();
}

void TSectionedIniFile::Load() {
  std::error_code error;
  if (fileName_.empty() || !std::filesystem::exists(fileName_, error)) {
    modified_ = false;
    return;
  }
  platform::SharedTextFile file(fileName_, platform::TextFileMode::kReset, kTextBufferSize);
  TSection* section = nullptr;
  std::string raw;
  while (file.ReadLine(raw)) {
    std::string_view line = Cut(raw);
    if (line.size() == 1 && line.front() == kEndOfFileMark) {
      continue;
    }
    if (options_.commentLines && !line.empty() && line.front() == ';') {
      continue;
    }
    if (line.empty()) {
      continue;
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = &sections_.Add(std::string(line.substr(1, line.size() - 2)));
      continue;
    }
    AppendLoadedLine(line, section);
  }
  file.Close();
  ResolveDuplicateSections();
  modified_ = false;
}

void TSectionedIniFile::AppendLoadedLine(std::string_view line, TSection* section) {
  std::string text(line);
  if (options_.trimAroundEquals) {
    text = TrimmedAroundEquals(text);
  }
  if (options_.stripQuotes) {
    text = WithoutQuotes(text);
  }
  if (options_.trimEnd) {
    text = WithoutTrailingControls(text);
  }
  if (options_.keysOnly && text.find('=') == std::string::npos) {
    return;
  }
  // Lines before the first header belong to no section and are dropped.
  if (section != nullptr) {
    section->lines.Add(std::move(text));
  }
}

void TSectionedIniFile::ResolveDuplicateSections() {
  for (std::size_t earlier = 0; earlier < sections_.Count(); ++earlier) {
    std::size_t later = earlier + 1;
    while (later < sections_.Count()) {
      if (!platform::SameText(sections_[earlier].name, sections_[later].name)) {
        ++later;
        continue;
      }
      const bool keepEarlier =
          !duplicateHook_ ||
          duplicateHook_(sections_[earlier].name, sections_[earlier].lines, sections_[later].lines);
      if (keepEarlier) {
        sections_.Delete(later);
        continue;
      }
      // The later section survives in its own place; the one now at
      // `earlier` must be looked at afresh.
      sections_.Delete(earlier);
      later = earlier + 1;
      if (earlier >= sections_.Count()) {
        break;
      }
    }
  }
  sections_.ResetLookup();
}

TSection* TSectionedIniFile::FindSectionForKey(std::string_view section, bool create) {
  const std::size_t count = sections_.Count();
  if (currentSection_ >= count) {
    currentSection_ = 0;
  }
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t index = (currentSection_ + step) % count;
    if (platform::SameText(sections_[index].name, section)) {
      currentSection_ = index;
      return &sections_[index];
    }
  }
  if (!create) {
    return nullptr;
  }
  TSection& added = sections_.Add(std::string(Cut(section)));
  currentSection_ = sections_.Count() - 1;
  return &added;
}

std::string TSectionedIniFile::ReadString(std::string_view section, std::string_view key,
                                          std::string_view fallback) {
  const TSection* found = FindSectionForKey(section, false);
  if (found == nullptr) {
    return std::string(fallback);
  }
  const int line = FindKeyLine(found->lines, key);
  if (line < 0) {
    return std::string(fallback);
  }
  const std::string& text = found->lines[static_cast<std::size_t>(line)];
  return std::string(Cut(std::string_view(text).substr(text.find('=') + 1)));
}

void TSectionedIniFile::WriteString(std::string_view section, std::string_view key,
                                    std::string_view value) {
  if (key.empty()) {
    if (!section.empty() || !value.empty()) {
      EraseSection(section);
    } else {
      UpdateFile();
    }
    return;
  }
  const std::string line(Cut(std::string(key) + "=" + std::string(value)));
  TSection* found = FindSectionForKey(section, true);
  const int index = FindKeyLine(found->lines, key);
  if (index < 0) {
    found->lines.Add(line);
    MarkModified();
  } else if (found->lines[static_cast<std::size_t>(index)] != line) {
    found->lines[static_cast<std::size_t>(index)] = line;
    MarkModified();
  }
}

int32_t TSectionedIniFile::ReadInteger(std::string_view section, std::string_view key,
                                       int32_t fallback) {
  std::string text = ReadString(section, key, "");
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.replace(0, 2, "$");
  }
  return platform::StrToIntDef(text, fallback);
}

void TSectionedIniFile::WriteInteger(std::string_view section, std::string_view key,
                                     int32_t value) {
  WriteString(section, key, std::to_string(value));
}

bool TSectionedIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TSectionedIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TSectionedIniFile::ReadSection(std::string_view section, platform::StringList& keys) {
  const int index = sections_.IndexOf(section);
  if (index < 0) {
    return;
  }
  for (const std::string& line : sections_[static_cast<std::size_t>(index)].lines) {
    keys.Add(line.substr(0, line.find('=')));
  }
}

void TSectionedIniFile::ReadSections(platform::StringList& names) const {
  names.Clear();
  for (std::size_t i = 0; i < sections_.Count(); ++i) {
    names.Add(sections_[i].name);
  }
}

void TSectionedIniFile::ReadSectionValues(std::string_view section, platform::StringList& lines) {
  const int index = sections_.IndexOf(section);
  if (index < 0) {
    return;
  }
  for (const std::string& line : sections_[static_cast<std::size_t>(index)].lines) {
    lines.Add(line);
  }
}

void TSectionedIniFile::EraseSection(std::string_view section) {
  const int index = sections_.IndexOf(section);
  if (index < 0) {
    return;
  }
  sections_.Delete(static_cast<std::size_t>(index));
  sections_.ResetLookup();
  MarkModified();
  if (currentSection_ >= sections_.Count()) {
    currentSection_ = 0;
  }
}

bool TSectionedIniFile::SectionExists(std::string_view section) {
  return sections_.IndexOf(section) >= 0;
}

void TSectionedIniFile::DeleteKey(std::string_view section, std::string_view key) {
  TSection* found = FindSectionForKey(section, true);
  const int index = FindKeyLine(found->lines, key);
  if (index >= 0) {
    found->lines.Delete(static_cast<std::size_t>(index));
    MarkModified();
  }
}

void TSectionedIniFile::GetStrings(platform::StringList& lines) const {
  for (std::size_t i = 0; i < sections_.Count(); ++i) {
    const TSection& section = sections_[i];
    if (section.lines.Empty()) {
      continue;
    }
    lines.Add("[" + section.name + "]");
    for (const std::string& line : section.lines) {
      lines.Add(line);
    }
    lines.Add("");
  }
}

void TSectionedIniFile::CompleteFileName() {
  if (!fileName_.empty() && fileName_.front() != '/') {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!error) {
      fileName_ = (current / fileName_).string();
    }
  }
}

void TSectionedIniFile::UpdateFile() {
  CompleteFileName();
  if (!modified_ || fileName_.empty()) {
    return;
  }
  if (ReplaceFile()) {
    modified_ = false;
  }
}

// Writes the content beside the file and renames it over the file. On any
// failure the old file stays as it was and the store stays modified.
bool TSectionedIniFile::ReplaceFile() {
  std::unique_ptr<platform::SharedTextFile> file;
  try {
    file = std::make_unique<platform::SharedTextFile>(fileName_, platform::TextFileMode::kReplace,
                                                      kTextBufferSize);
    platform::StringList lines;
    GetStrings(lines);
    for (const std::string& line : lines) {
      file->WriteLine(line);
    }
    file->Sync();
  } catch (const platform::EInOutError&) {
    ReportWriteFailure("nem irható");
    return false;
  }
  // What is left is putting the new file in the old one's place.
  try {
    file->Close();
  } catch (const platform::EInOutError&) {
    ReportWriteFailure("nem törölhető");
    return false;
  }
  failureReported_ = false;
  return true;
}

// A failed write is told once; the store keeps its content and stays
// modified, so a later flush (at the latest when it is destroyed) tries
// again, and the program goes on: ending it would lose the user's work.
void TSectionedIniFile::ReportWriteFailure(std::string_view message) {
  if (!failureReported_) {
    failureReported_ = true;
    platform::Dialogs().ShowError(message, "error");
  }
}

}  // namespace settings
