#include "platform/user_dialogs.h"

#include <iostream>

namespace platform {
namespace {

HeadlessUserDialogs& Headless() {
  static HeadlessUserDialogs headless;
  return headless;
}

UserDialogs*& Installed() {
  static UserDialogs* installed = nullptr;
  return installed;
}

}  // namespace

void UserDialogs::ShowMessage(std::string_view text, std::string_view caption) {
  MessageRequest request;
  request.text = text;
  request.caption = caption;
  ShowMessageBox(request);
}

void UserDialogs::ShowError(std::string_view text, std::string_view caption) {
  MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.kind = MessageKind::kError;
  ShowMessageBox(request);
}

bool UserDialogs::Confirm(std::string_view text, std::string_view caption) {
  MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.kind = MessageKind::kConfirmation;
  request.buttons = DialogButton::kYes | DialogButton::kNo;
  request.defaultButton = DialogButton::kNo;
  return ShowMessageBox(request) == DialogButton::kYes;
}

UserDialogs& Dialogs() {
  UserDialogs* installed = Installed();
  return installed != nullptr ? *installed : Headless();
}

UserDialogs* InstallUserDialogs(UserDialogs* dialogs) {
  UserDialogs* previous = Installed();
  Installed() = dialogs;
  return previous;
}

DialogButton HeadlessUserDialogs::ShowMessageBox(const MessageRequest& request) {
  if (request.kind == MessageKind::kError) {
    ++errorsShown_;
  }
  std::cerr << (request.caption.empty() ? std::string("Brindle") : request.caption) << ": "
            << request.text << '\n';
  return request.defaultButton;
}

std::optional<std::string> HeadlessUserDialogs::InputBox(std::string_view, std::string_view,
                                                         std::string_view) {
  return std::nullopt;
}

std::optional<FileDialogResult> HeadlessUserDialogs::OpenFileDialog(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<FileDialogResult> HeadlessUserDialogs::SaveFileDialog(const FileDialogRequest&) {
  return std::nullopt;
}

std::optional<FontChoice> HeadlessUserDialogs::FontDialog(const FontChoice&) {
  return std::nullopt;
}

}  // namespace platform
