#pragma once
// A UserDialogs for tests: installs itself for its lifetime, records every
// dialog shown and answers from a queue filled by the test. A dialog that the
// queue does not expect, and an answer left unused at the end, fail the
// running test.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/user_dialogs.h"

namespace platform::testing {

enum class DialogKind { kMessage, kInput, kOpenFile, kSaveFile, kFont };

const char* DialogKindName(DialogKind kind);

// One dialog as it was shown.
struct ShownDialog {
  DialogKind kind = DialogKind::kMessage;
  MessageRequest message;    // kMessage
  std::string caption;       // kInput (also the message's caption for kMessage)
  std::string prompt;        // kInput
  std::string initialText;   // kInput
  FileDialogRequest file;    // kOpenFile, kSaveFile
  FontChoice font;           // kFont: the preset font
  std::string Text() const;  // the message text or the input prompt
};

class ScriptedUserDialogs : public UserDialogs {
 public:
  ScriptedUserDialogs();
  ~ScriptedUserDialogs() override;
  ScriptedUserDialogs(const ScriptedUserDialogs&) = delete;
  ScriptedUserDialogs& operator=(const ScriptedUserDialogs&) = delete;

  // Queue the answers, in the order the dialogs will appear.
  void AnswerMessage(DialogButton button);
  void AnswerInput(std::string text);
  void CancelInput();
  void AnswerOpenFile(std::string fileName, int filterIndex = 1);
  void CancelOpenFile();
  void AnswerSaveFile(std::string fileName, int filterIndex = 1);
  void CancelSaveFile();
  void AnswerFont(FontChoice font);
  void CancelFont();

  const std::vector<ShownDialog>& Shown() const { return shown_; }
  // Texts of the message boxes shown, in order.
  std::vector<std::string> MessageTexts() const;
  std::size_t PendingAnswers() const { return answers_.size(); }

  int ProcessMessagesCalls() const { return processMessagesCalls_; }
  int BusyDepth() const { return busyDepth_; }
  int BusyCursorUses() const { return busyCursorUses_; }
  // Called on every ProcessMessages, after counting it.
  std::function<void(int call)> onProcessMessages;

  DialogButton ShowMessageBox(const MessageRequest& request) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initialText) override;
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<FontChoice> FontDialog(const FontChoice& initial) override;
  void BeginBusyCursor() override;
  void EndBusyCursor() override;
  void ProcessMessages() override;

 private:
  struct Answer {
    DialogKind kind;
    bool accepted = true;
    DialogButton button = DialogButton::kNone;
    std::string text;
    int filterIndex = 1;
    FontChoice font;
  };

  // Takes the front answer when it is of the expected kind; fails the test
  // otherwise.
  std::optional<Answer> TakeAnswer(const ShownDialog& dialog);
  std::optional<FileDialogResult> FileAnswer(const ShownDialog& dialog);

  UserDialogs* previous_;
  std::deque<Answer> answers_;
  std::vector<ShownDialog> shown_;
  int processMessagesCalls_ = 0;
  int busyDepth_ = 0;
  int busyCursorUses_ = 0;
};

}  // namespace platform::testing
