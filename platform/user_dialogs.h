#pragma once
// The one seam through which library code talks to the user: message boxes,
// confirmations, input boxes, file and font dialogs, the busy cursor and the
// message loop. The application installs an implementation over its widget
// toolkit; tests install a scripted one. Until something is installed a
// headless implementation answers every question with its default.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class MessageKind { kWarning, kError, kInformation, kConfirmation, kPlain };

// Buttons of a message box; a set of them is a bit mask.
enum class DialogButton : unsigned {
  kNone = 0,
  kOk = 1u << 0,
  kCancel = 1u << 1,
  kYes = 1u << 2,
  kNo = 1u << 3,
  kAbort = 1u << 4,
  kRetry = 1u << 5,
  kIgnore = 1u << 6,
  kYesToAll = 1u << 7,
  kNoToAll = 1u << 8,
};

using DialogButtons = unsigned;

constexpr DialogButtons operator|(DialogButton left, DialogButton right) {
  return static_cast<unsigned>(left) | static_cast<unsigned>(right);
}
constexpr DialogButtons operator|(DialogButtons left, DialogButton right) {
  return left | static_cast<unsigned>(right);
}
constexpr bool HasButton(DialogButtons buttons, DialogButton button) {
  return (buttons & static_cast<unsigned>(button)) != 0;
}

struct MessageRequest {
  std::string text;
  std::string caption;  // empty: the application's title
  MessageKind kind = MessageKind::kInformation;
  DialogButtons buttons = static_cast<unsigned>(DialogButton::kOk);
  DialogButton defaultButton = DialogButton::kOk;
};

struct FileDialogRequest {
  std::string title;
  // Pairs of description and patterns separated by "|":
  // "SQL files (*.sql)|*.sql|All files (*)|*".
  std::string filter;
  int filterIndex = 1;  // 1-based, as in the filter's pairs
  std::string defaultExtension;
  std::string initialDirectory;
  std::string fileName;  // the proposed name
};

struct FileDialogResult {
  std::string fileName;
  int filterIndex = 1;
};

struct FontChoice {
  std::string name;
  int size = 10;  // points
  bool bold = false;
  bool italic = false;

  bool operator==(const FontChoice&) const = default;
};

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // Returns the button the user pressed (the default button when the box
  // was closed another way).
  virtual DialogButton ShowMessageBox(const MessageRequest& request) = 0;
  // The text entered, or nothing when the user cancelled.
  virtual std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                              std::string_view initialText) = 0;
  virtual std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FontChoice> FontDialog(const FontChoice& initial) = 0;

  // Nested: the cursor stays busy until the outermost end.
  virtual void BeginBusyCursor() = 0;
  virtual void EndBusyCursor() = 0;
  // Lets the user interface handle pending events during long work.
  virtual void ProcessMessages() = 0;

  // An information box with an OK button.
  void ShowMessage(std::string_view text, std::string_view caption = {});
  // An error box with an OK button.
  void ShowError(std::string_view text, std::string_view caption = {});
  // A Yes/No question with No as the default button; true for Yes.
  bool Confirm(std::string_view text, std::string_view caption = "Sure?");
};

// The installed implementation (the headless one when none is installed).
UserDialogs& Dialogs();
// Installs dialogs (nullptr restores the headless one) and returns the
// previously installed implementation, nullptr meaning the headless one.
// The caller keeps ownership and must uninstall before destroying it.
UserDialogs* InstallUserDialogs(UserDialogs* dialogs);

// Answers every question with its default and writes messages to stderr.
class HeadlessUserDialogs : public UserDialogs {
 public:
  DialogButton ShowMessageBox(const MessageRequest& request) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initialText) override;
  std::optional<FileDialogResult> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<FontChoice> FontDialog(const FontChoice& initial) override;
  void BeginBusyCursor() override {}
  void EndBusyCursor() override {}
  void ProcessMessages() override {}
  // Error boxes shown so far: a batch run ends with a failure code when any.
  int ErrorsShown() const { return errorsShown_; }

 private:
  int errorsShown_ = 0;
};

// Shows the busy cursor for its lifetime.
class BusyCursor {
 public:
  // The dialogs installed now end the busy state they began, even when
  // others are installed meanwhile.
  BusyCursor() : dialogs_(Dialogs()) { dialogs_.BeginBusyCursor(); }
  ~BusyCursor() { dialogs_.EndBusyCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  UserDialogs& dialogs_;
};

}  // namespace platform
