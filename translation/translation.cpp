#include "translation/translation.h"

#include <filesystem>

#include "platform/errors.h"
#include "platform/text.h"

namespace translation {
namespace {

struct TranslationState {
  bool enabled = false;
  std::string languageDirectory;
  std::unique_ptr<settings::TSectionedIniFile> strings;
};

TranslationState& State() {
  static TranslationState state;
  return state;
}

// Reads a key; a missing key gets the current text as its value.
std::string LookupIn(settings::TSectionedIniFile& store, std::string_view key,
                     std::string_view currentText) {
  // A key line ends at its first "=", so such a text can never be found
  // again; recording it would add a line at every lookup.
  if (key.find('=') != std::string_view::npos) {
    return std::string(currentText);
  }
  const std::string found = store.ReadString(kSection, key, kMissing);
  if (found != kMissing) {
    return found;
  }
  store.WriteString(kSection, key, currentText);
  return std::string(currentText);
}

}  // namespace

void SwitchOn(std::string languageDirectory) {
  State().enabled = true;
  State().languageDirectory = std::move(languageDirectory);
}

void SwitchOff() {
  State().enabled = false;
}

bool Enabled() {
  return State().enabled;
}

const std::string& LanguageDirectory() {
  return State().languageDirectory;
}

std::string PreparedLanguageDirectory() {
  std::string directory = State().languageDirectory;
  if (!directory.empty() && directory.back() == '/') {
    directory.pop_back();
  }
  if (!directory.empty()) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
      const int code = error ? error.value() : ENOTDIR;
      throw platform::EInOutError(code, "I/O error " + std::to_string(code) +
                                            ": cannot create the language directory " + directory);
    }
  }
  return directory;
}

std::string TranslationFilePath(std::string_view fileName) {
  const std::string directory = PreparedLanguageDirectory();
  return directory.empty() ? std::string(fileName) : directory + "/" + std::string(fileName);
}

std::string TranslateText(std::string_view text) {
  TranslationState& state = State();
  if (!state.enabled) {
    return std::string(text);
  }
  if (!state.strings) {
    state.strings =
        std::make_unique<settings::TSectionedIniFile>(TranslationFilePath("Strings.lng"));
  }
  return LookupIn(*state.strings,
                  platform::Utf8Prefix(text, settings::TSectionedIniFile::kMaxLength), text);
}

void FinishTranslation() {
  TranslationState& state = State();
  if (state.strings) {
    state.strings->UpdateFile();
    state.strings.reset();
  }
}

TFormTranslation::TFormTranslation(std::string_view formName)
    : store_(std::make_unique<settings::TSectionedIniFile>(
          TranslationFilePath(std::string(formName) + ".lng"))) {}

std::string TFormTranslation::Lookup(std::string_view key, std::string_view currentText) {
  return LookupIn(*store_, key, currentText);
}

void TFormTranslation::Finish() {
  store_->UpdateFile();
}

}  // namespace translation
