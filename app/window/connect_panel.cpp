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
  CBSQLservers->setCurrentIndex(-1);
  CBSQLsrvMode->clear();
  CBSQLsrvMode->addItems(sqlModes);
  profiles_.Load(iniPath);
  CBSQLservers->setFocus();
}

int TConnectPanel::SelectedIndex() const {
  return CBSQLservers->currentIndex();
}

void TConnectPanel::ShowProfileList(const std::vector<std::string>& descriptions, int selected) {
  CBSQLservers->clear();
  for (const std::string& description : descriptions) {
    CBSQLservers->addItem(QText(description));
  }
  CBSQLservers->setCurrentIndex(selected);
}

void TConnectPanel::ShowProfile(const ConnectionProfile& profile) {
  EditSQLSrvDesc->setText(QText(profile.description));
  CBSQLsrvMode->setCurrentIndex(profile.sqlMode < CBSQLsrvMode->count() ? profile.sqlMode : -1);
  EditSQLsrvHost->setText(QText(profile.host));
  EditSQLsrvPort->setText(QText(profile.port));
  EditSQLsrvUser->setText(QText(profile.user));
  EditSQLsrvPsw->setText(QText(profile.password));
  EditSQLsrvpath->setText(QText(profile.path));
}

void TConnectPanel::EnableDelete(bool enabled) {
  BtnDelete->setEnabled(enabled);
}

void TConnectPanel::EnablePath(bool enabled) {
  EditSQLsrvpath->setEnabled(enabled);
}

void TConnectPanel::ProfileSelectionChanged() {
  profiles_.SelectionChanged();
}

void TConnectPanel::PanelSqlModeChanged() {
  profiles_.ModeChanged(CBSQLsrvMode->currentIndex());
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
  profiles_.New();
}

void TConnectPanel::DeleteProfile() {
  profiles_.Delete();
}

void TConnectPanel::SaveProfile() {
  profiles_.Save();
}

}  // namespace app
