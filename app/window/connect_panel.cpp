#include "app/window/connect_panel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/commands/command_guard.h"
#include "platform/qt/qt_text.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {
namespace {

using platform::qt::QText;
using platform::qt::StdText;

QLineEdit* NamedEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QLabel* NamedLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

TConnectPanel::TConnectPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("PanelConnect");
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);

  CBSQLservers = new QComboBox(this);
  CBSQLservers->setObjectName("CBSQLservers");
  BtnNew = new QPushButton("&New", this);
  BtnNew->setObjectName("BtnNew");
  BtnDelete = new QPushButton("&delete", this);
  BtnDelete->setObjectName("BtnDelete");
  EditSQLSrvDesc = NamedEdit(this, "EditSQLSrvDesc");
  CBSQLsrvMode = new QComboBox(this);
  CBSQLsrvMode->setObjectName("CBSQLsrvMode");
  EditSQLsrvHost = NamedEdit(this, "EditSQLsrvHost");
  EditSQLsrvPort = NamedEdit(this, "EditSQLsrvPort");
  EditSQLsrvUser = NamedEdit(this, "EditSQLsrvUser");
  EditSQLsrvPsw = NamedEdit(this, "EditSQLsrvPsw");
  EditSQLsrvPsw->setEchoMode(QLineEdit::Password);
  EditSQLsrvpath = NamedEdit(this, "EditSQLsrvpath");
  BtnConnect = new QPushButton("&Connect", this);
  BtnConnect->setObjectName("BtnConnect");
  BtnConnect->setDefault(true);
  BtnConnect->setAutoDefault(true);
  BtnSave = new QPushButton("&Save", this);
  BtnSave->setObjectName("BtnSave");

  auto* serverRow = new QHBoxLayout;
  serverRow->addWidget(CBSQLservers, 1);
  serverRow->addWidget(BtnNew);
  serverRow->addWidget(BtnDelete);
  auto* form = new QFormLayout;
  form->addRow(NamedLabel(this, "LabelServer", "SQL server:"), serverRow);
  form->addRow(NamedLabel(this, "LabelDescription", "Description:"), EditSQLSrvDesc);
  form->addRow(NamedLabel(this, "LabelMode", "SQL mode:"), CBSQLsrvMode);
  form->addRow(NamedLabel(this, "LabelHost", "Host:"), EditSQLsrvHost);
  form->addRow(NamedLabel(this, "LabelPort", "Port:"), EditSQLsrvPort);
  form->addRow(NamedLabel(this, "LabelUser", "User:"), EditSQLsrvUser);
  form->addRow(NamedLabel(this, "LabelPassword", "Passwiord:"), EditSQLsrvPsw);
  form->addRow(NamedLabel(this, "LabelPath", "Db.path:"), EditSQLsrvpath);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnConnect);
  buttons->addWidget(BtnSave);
  buttons->addStretch();
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(form);
  outer->addWidget(NamedLabel(this, "LabelNote", "(The password is not saveing)"));
  outer->addLayout(buttons);
  outer->addStretch();

  connect(CBSQLservers, qOverload<int>(&QComboBox::activated), this,
          [this] { Run([this] { ProfileSelectionChanged(); }); });
  connect(CBSQLsrvMode, qOverload<int>(&QComboBox::activated), this,
          [this] { Run([this] { PanelSqlModeChanged(); }); });
  connect(BtnNew, &QPushButton::clicked, this, [this] { Run([this] { NewProfile(); }); });
  connect(BtnDelete, &QPushButton::clicked, this, [this] { Run([this] { DeleteProfile(); }); });
  connect(BtnSave, &QPushButton::clicked, this, [this] { Run([this] { SaveProfile(); }); });
  connect(BtnConnect, &QPushButton::clicked, this, [this] {
    Run([this] {
      if (onConnect) {
        onConnect();
      }
    });
  });
  connect(EditSQLsrvPsw, &QLineEdit::returnPressed, BtnConnect, &QPushButton::click);
}

void TConnectPanel::Run(const std::function<void()>& command) {
  if (onCommand) {
    onCommand(command);
  } else {
    RunGuarded(nullptr, command);
  }
}

void TConnectPanel::LoadProfiles(const std::string& iniPath, const QStringList& sqlModes) {
  iniPath_ = iniPath;
  CBSQLservers->setCurrentIndex(-1);
  CBSQLsrvMode->clear();
  CBSQLsrvMode->addItems(sqlModes);
  records_ = ReadProfileRecords(iniPath);
  CBSQLservers->clear();
  for (const std::string& record : records_) {
    CBSQLservers->addItem(QText(ParseProfileRecord(record).description));
  }
  const int last = ReadLastProfileIndex(iniPath);
  CBSQLservers->setCurrentIndex(last < static_cast<int>(records_.size()) ? last : -1);
  ProfileSelectionChanged();
  CBSQLservers->setFocus();
}

int TConnectPanel::SelectedIndex() const {
  return CBSQLservers->currentIndex();
}

void TConnectPanel::ShowProfile(const ConnectionProfile& profile) {
  EditSQLSrvDesc->setText(QText(profile.description));
  CBSQLsrvMode->setCurrentIndex(profile.sqlMode < CBSQLsrvMode->count() ? profile.sqlMode : -1);
  EditSQLsrvHost->setText(QText(profile.host));
  EditSQLsrvPort->setText(QText(profile.port));
  EditSQLsrvUser->setText(QText(profile.user));
  EditSQLsrvPsw->setText(QText(profile.password));
  EditSQLsrvpath->setText(QText(profile.path));
  EditSQLsrvpath->setEnabled(profile.sqlMode != 0);
}

void TConnectPanel::ProfileSelectionChanged() {
  const int index = SelectedIndex();
  if (records_.empty() || index < 0) {
    ShowProfile({"Local MySQL", 0, "LocalHost", "3306", "root", "", ""});
    BtnDelete->setEnabled(false);
    return;
  }
  BtnDelete->setEnabled(true);
  ShowProfile(ParseProfileRecord(records_[static_cast<std::size_t>(index)]));
}

void TConnectPanel::PanelSqlModeChanged() {
  EditSQLsrvpath->setEnabled(CBSQLsrvMode->currentIndex() != 0);
}

ConnectionProfile TConnectPanel::Values() const {
  ConnectionProfile profile;
  profile.description = StdText(EditSQLSrvDesc->text());
  profile.sqlMode = std::max(0, CBSQLsrvMode->currentIndex());
  profile.host = StdText(EditSQLsrvHost->text());
  profile.port = StdText(EditSQLsrvPort->text());
  profile.user = StdText(EditSQLsrvUser->text());
  profile.password = StdText(EditSQLsrvPsw->text());
  profile.path = StdText(EditSQLsrvpath->text());
  return profile;
}

void TConnectPanel::NewProfile() {
  records_.push_back(NewProfileRecord());
  CBSQLservers->addItem(QText(translation::TranslateText("New Connection")));
  CBSQLservers->setCurrentIndex(CBSQLservers->count() - 1);
  ProfileSelectionChanged();
}

void TConnectPanel::DeleteProfile() {
  const int index = SelectedIndex();
  if (!records_.empty() && index >= 0) {
    records_.erase(records_.begin() + index);
    CBSQLservers->removeItem(index);
    CBSQLservers->setCurrentIndex(records_.empty() ? -1 : 0);
    ProfileSelectionChanged();
  }
  WriteAllRecords();
}

void TConnectPanel::SaveProfile() {
  const int index = SelectedIndex();
  if (index >= 0) {
    const ConnectionProfile profile = Values();
    if (platform::Trim(profile.description).empty()) {
      platform::Dialogs().ShowMessage(translation::TranslateText("Must write description!"));
      return;
    }
    if (profile.description.find('"') != std::string::npos) {
      platform::Dialogs().ShowMessage(translation::TranslateText("No use \"  in description!"));
      return;
    }
    records_[static_cast<std::size_t>(index)] = BuildProfileRecord(profile);
    CBSQLservers->setItemText(index, QText(profile.description));
    CBSQLservers->setCurrentIndex(CBSQLservers->count() - 1);
    ProfileSelectionChanged();
  }
  WriteAllRecords();
}

void TConnectPanel::WriteAllRecords() {
  WriteProfileRecords(iniPath_, records_);
}

}  // namespace app
