#pragma once
// Interface translation: every caption and message is looked up in the
// language's translation files before it is shown. The files fill
// themselves: a text that is looked up and not found is written with itself
// as value, so a translator only edits values.
//
// Files live in the language directory and use the settings-file format
// with the single section "Translation": one "<window>.lng" per window and
// "Strings.lng" for messages.

#include <memory>
#include <string>
#include <string_view>

#include "settings/sectioned_ini_file.h"

namespace translation {

inline constexpr const char* kSection = "Translation";
inline constexpr const char* kMissing = "@";

// Translation is off until the main window switches it on.
void SwitchOn(std::string languageDirectory);
void SwitchOff();
bool Enabled();
const std::string& LanguageDirectory();

// The language directory without one trailing "/", created when missing;
// throws platform::EInOutError when it cannot be created.
std::string PreparedLanguageDirectory();
// The path of a translation file in the language directory (or the current
// directory when none is set).
std::string TranslationFilePath(std::string_view fileName);

// The translated message; the text itself while translation is off or the
// message is new (it is then recorded in "Strings.lng").
std::string TranslateText(std::string_view text);

// Writes "Strings.lng" when messages were added, then closes it. Called at
// the end of the run.
void FinishTranslation();

// One window's translation file, open while the window is translated.
class TFormTranslation {
 public:
  explicit TFormTranslation(std::string_view formName);
  // Looks the key up. Found: returns the translation. Missing: records the
  // current text under the key and returns it unchanged.
  std::string Lookup(std::string_view key, std::string_view currentText);
  // Writes the file when anything was added.
  void Finish();

 private:
  std::unique_ptr<settings::TSectionedIniFile> store_;
};

}  // namespace translation
