#include "platform/testing/scripted_user_dialogs.h"

#include <gtest/gtest.h>

namespace platform::testing {

const char* DialogKindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::kMessage:
      return "message box";
    case DialogKind::kInput:
      return "input box";
    case DialogKind::kOpenFile:
      return "open dialog";
    case DialogKind::kSaveFile:
      return "save dialog";
    case DialogKind::kFont:
      return "font dialog";
  }
  return "dialog";
}

std::string ShownDialog::Text() const {
  switch (kind) {
    case DialogKind::kMessage:
      return message.text;
    case DialogKind::kInput:
      return prompt;
    case DialogKind::kOpenFile:
    case DialogKind::kSaveFile:
      return file.title;
    case DialogKind::kFont:
      return font.name;
  }
  return {};
}

ScriptedUserDialogs::ScriptedUserDialogs() : previous_(InstallUserDialogs(this)) {}

ScriptedUserDialogs::~ScriptedUserDialogs() {
  InstallUserDialogs(previous_);
  for (const Answer& answer : answers_) {
    ADD_FAILURE() << "an expected " << DialogKindName(answer.kind) << " was never shown";
  }
  if (busyDepth_ != 0) {
    ADD_FAILURE() << "the busy cursor was left on (depth " << busyDepth_ << ")";
  }
}

void ScriptedUserDialogs::AnswerMessage(DialogButton button) {
  answers_.push_back({DialogKind::kMessage, true, button, {}, 1, {}});
}

void ScriptedUserDialogs::AnswerInput(std::string text) {
  answers_.push_back({DialogKind::kInput, true, DialogButton::kOk, std::move(text), 1, {}});
}

void ScriptedUserDialogs::CancelInput() {
  answers_.push_back({DialogKind::kInput, false, DialogButton::kCancel, {}, 1, {}});
}

void ScriptedUserDialogs::AnswerOpenFile(std::string fileName, int filterIndex) {
  answers_.push_back(
      {DialogKind::kOpenFile, true, DialogButton::kOk, std::move(fileName), filterIndex, {}});
}

void ScriptedUserDialogs::CancelOpenFile() {
  answers_.push_back({DialogKind::kOpenFile, false, DialogButton::kCancel, {}, 1, {}});
}

void ScriptedUserDialogs::AnswerSaveFile(std::string fileName, int filterIndex) {
  answers_.push_back(
      {DialogKind::kSaveFile, true, DialogButton::kOk, std::move(fileName), filterIndex, {}});
}

void ScriptedUserDialogs::CancelSaveFile() {
  answers_.push_back({DialogKind::kSaveFile, false, DialogButton::kCancel, {}, 1, {}});
}

void ScriptedUserDialogs::AnswerFont(FontChoice font) {
  answers_.push_back({DialogKind::kFont, true, DialogButton::kOk, {}, 1, std::move(font)});
}

void ScriptedUserDialogs::CancelFont() {
  answers_.push_back({DialogKind::kFont, false, DialogButton::kCancel, {}, 1, {}});
}

std::vector<std::string> ScriptedUserDialogs::MessageTexts() const {
  std::vector<std::string> texts;
  for (const ShownDialog& dialog : shown_) {
    if (dialog.kind == DialogKind::kMessage) {
      texts.push_back(dialog.message.text);
    }
  }
  return texts;
}

std::optional<ScriptedUserDialogs::Answer> ScriptedUserDialogs::TakeAnswer(
    const ShownDialog& dialog) {
  shown_.push_back(dialog);
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected " << DialogKindName(dialog.kind) << ": \"" << dialog.Text()
                  << "\"";
    return std::nullopt;
  }
  if (answers_.front().kind != dialog.kind) {
    ADD_FAILURE() << "the script expected: " << DialogKindName(answers_.front().kind)
                  << "; shown instead: " << DialogKindName(dialog.kind) << " \"" << dialog.Text()
                  << "\"";
    answers_.pop_front();
    return std::nullopt;
  }
  Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

DialogButton ScriptedUserDialogs::ShowMessageBox(const MessageRequest& request) {
  ShownDialog dialog;
  dialog.kind = DialogKind::kMessage;
  dialog.message = request;
  dialog.caption = request.caption;
  const std::optional<Answer> answer = TakeAnswer(dialog);
  if (!answer) {
    return DialogButton::kNone;
  }
  if (!HasButton(request.buttons, answer->button)) {
    ADD_FAILURE() << "the message box \"" << request.text << "\" has no button the script pressed";
  }
  return answer->button;
}

std::optional<std::string> ScriptedUserDialogs::InputBox(std::string_view caption,
                                                         std::string_view prompt,
                                                         std::string_view initialText) {
  ShownDialog dialog;
  dialog.kind = DialogKind::kInput;
  dialog.caption = caption;
  dialog.prompt = prompt;
  dialog.initialText = initialText;
  const std::optional<Answer> answer = TakeAnswer(dialog);
  if (!answer || !answer->accepted) {
    return std::nullopt;
  }
  return answer->text;
}

std::optional<FileDialogResult> ScriptedUserDialogs::FileAnswer(const ShownDialog& dialog) {
  const std::optional<Answer> answer = TakeAnswer(dialog);
  if (!answer || !answer->accepted) {
    return std::nullopt;
  }
  return FileDialogResult{answer->text, answer->filterIndex};
}

std::optional<FileDialogResult> ScriptedUserDialogs::OpenFileDialog(
    const FileDialogRequest& request) {
  ShownDialog dialog;
  dialog.kind = DialogKind::kOpenFile;
  dialog.file = request;
  return FileAnswer(dialog);
}

std::optional<FileDialogResult> ScriptedUserDialogs::SaveFileDialog(
    const FileDialogRequest& request) {
  ShownDialog dialog;
  dialog.kind = DialogKind::kSaveFile;
  dialog.file = request;
  return FileAnswer(dialog);
}

std::optional<FontChoice> ScriptedUserDialogs::FontDialog(const FontChoice& initial) {
  ShownDialog dialog;
  dialog.kind = DialogKind::kFont;
  dialog.font = initial;
  const std::optional<Answer> answer = TakeAnswer(dialog);
  if (!answer || !answer->accepted) {
    return std::nullopt;
  }
  return answer->font;
}

void ScriptedUserDialogs::BeginBusyCursor() {
  ++busyDepth_;
  ++busyCursorUses_;
}

void ScriptedUserDialogs::EndBusyCursor() {
  if (busyDepth_ == 0) {
    ADD_FAILURE() << "the busy cursor was ended more often than begun";
    return;
  }
  --busyDepth_;
}

void ScriptedUserDialogs::ProcessMessages() {
  ++processMessagesCalls_;
  if (onProcessMessages) {
    onProcessMessages(processMessagesCalls_);
  }
}

}  // namespace platform::testing
