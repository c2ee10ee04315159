// The main window's life: the create handler (settings, command line,
// translation), the first activation, the connection panel's connect and
// the SQL mode change, and closing.

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <filesystem>

#include "app/core/command_line.h"
#include "app/window/connect_panel.h"
#include "app/window/main_window.h"
#include "platform/errors.h"
#include "translation/qt/translate_form.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QString& text) {
  return text.toStdString();
}

QFont FontOf(const std::string& name, int size) {
  QFont font(Q(name));
  if (size > 0) {
    font.setPointSize(size);
  }
  return font;
}

}  // namespace

bool TFormBrindle::RunCreateHandler() {
  try {
    uniaccess::GlobalSqlModeState().sqlMode = uniaccess::kSqlModeMySql;
    settings_ = ReadMainSettings(SettingsPath(), startup_.programDirectory);

    CBLanguages->clear();
    for (const std::string& language : settings_.languages) {
      CBLanguages->addItem(Q(language));
    }
    if (settings_.languageNo < 0 || settings_.languageNo >= CBLanguages->count()) {
      throw platform::Exception("List index out of bounds (" +
                                std::to_string(settings_.languageNo) + ")");
    }
    CBLanguages->setCurrentIndex(settings_.languageNo);
    languageDirectory_ = startup_.programDirectory + S(CBLanguages->currentText());

    uniaccess::GlobalSqlModeState().sqlMode = settings_.sqlMode;
    MemoSQL->setFont(FontOf(settings_.fontName1, settings_.fontSize1));
    TreeView->setFont(FontOf(settings_.fontName2, settings_.fontSize2));
    DBGrid->setFont(FontOf(settings_.fontName3, settings_.fontSize3));
    MemoMessages->setFont(FontOf(settings_.fontName3, settings_.fontSize3));

    const CommandLineOptions options = ParseCommandLine(startup_.firstArgument);
    for (uniaccess::TUniSQLDatabase* database : {&DB1, &DB2}) {
      if (options.database)
        database->SetDatabasename(*options.database);
      if (options.host)
        database->SetHost(*options.host);
      if (options.user)
        database->SetUser(*options.user);
      if (options.password)
        database->Setpassword(*options.password);
      if (options.port)
        database->SetPort(*options.port);
    }
    if (options.sqlMode) {
      uniaccess::GlobalSqlModeState().sqlMode = *options.sqlMode;
    }
    const int mode = uniaccess::GlobalSqlModeState().sqlMode;
    CBSQLmode->setCurrentIndex(mode < CBSQLmode->count() ? mode : 0);

    uniaccess::SqlModeState& state = uniaccess::GlobalSqlModeState();
    state.systemDatabaseName = mode == uniaccess::kSqlModeMySql   ? "mysql"
                               : mode == uniaccess::kSqlModeMsSql ? "master"
                                                                  : "";
    const std::string dataDirectory = uniaccess::SqlModeState::DefaultDataDirectory();
    std::filesystem::create_directories(dataDirectory);
    uniaccess::SetDataDirectory(dataDirectory);

    pendingTreeWidth_ = std::max(10, settings_.treeX);
    pendingBottomHeight_ = std::max(10, settings_.pcBottomY);
    ApplyPendingSplitterSizes();

    translation::SwitchOn(languageDirectory_);
    translation::PreparedLanguageDirectory();
    const QStringList languages = [this] {
      QStringList items;
      for (int i = 0; i < CBLanguages->count(); ++i) {
        items << CBLanguages->itemText(i);
      }
      return items;
    }();
    const int languageIndex = CBLanguages->currentIndex();
    translation::TranslateForm(*this);
    CBLanguages->clear();
    CBLanguages->addItems(languages);
    CBLanguages->setCurrentIndex(languageIndex);

    currentSqlFile_.clear();
    rememberedNode_ = nullptr;

    if (options.runFile) {
      batchRun_ = true;
      exitCode_ = RunStartupBatch(*options.runFile) ? 0 : 1;
      return false;
    }
  } catch (const std::exception& error) {
    // The rest of the start-up is skipped; the window goes on as far as it got.
    dialogs_.ShowError(error.what());
    if (batchRun_) {
      exitCode_ = 1;
      return false;
    }
  }
  return true;
}

void TFormBrindle::ApplyPendingSplitterSizes() {
  const QList<int> across = SplitterVertical->sizes();
  const int width = std::max(across.value(0) + across.value(1), pendingTreeWidth_ + 1);
  SplitterVertical->setSizes({pendingTreeWidth_, width - pendingTreeWidth_});
  const QList<int> down = SplitterHorizontal->sizes();
  const int height = std::max(down.value(0) + down.value(1), pendingBottomHeight_ + 1);
  SplitterHorizontal->setSizes({height - pendingBottomHeight_, pendingBottomHeight_});
}

void TFormBrindle::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    ApplyPendingSplitterSizes();
    FirstActivation();
  }
}

void TFormBrindle::FirstActivation() {
  TreeView->clear();
  auto* root = new QTreeWidgetItem(TreeView, QStringList{"root"});
  root->setExpanded(true);
  ShowConnectPanel();
}

void TFormBrindle::ShowConnectPanel() {
  PanelTop->setEnabled(false);
  TreeView->setEnabled(false);
  MemoSQL->setEnabled(false);
  PCBottom->setEnabled(false);
  PanelConnect->show();
  PanelConnect->raise();
  for (QAction* item : menuBar()->actions()) {
    const QString name = item->objectName();
    item->setEnabled(name == "Help1" || name == "Exit2");
  }
  QStringList modes;
  for (int i = 0; i < CBSQLmode->count(); ++i) {
    modes << CBSQLmode->itemText(i);
  }
  PanelConnect->LoadProfiles(SettingsPath(), modes);
}

void TFormBrindle::ConnectFromPanel() {
  CloseAllConnections();
  const ConnectionProfile profile = PanelConnect->Values();
  for (uniaccess::TUniSQLDatabase* database : {&DB1, &DB2}) {
    database->SetHost(profile.host);
    database->SetPort(profile.port);
    database->SetUser(profile.user);
    database->Setpassword(profile.password);
  }
  CBSQLmode->setCurrentIndex(profile.sqlMode);
  ApplySqlModeChange();
  // Without a path of its own a profile keeps the default data directory.
  if (!profile.path.empty()) {
    uniaccess::SetDataDirectory(profile.path);
  }
  PanelTop->setEnabled(true);
  TreeView->setEnabled(true);
  MemoSQL->setEnabled(true);
  PCBottom->setEnabled(true);
  PanelConnect->hide();
  for (QAction* item : menuBar()->actions()) {
    item->setEnabled(true);
  }
  WriteLastProfileIndex(SettingsPath(), PanelConnect->SelectedIndex());
  RebuildTree();
  MemoSQL->setFocus();
}

void TFormBrindle::CloseAllConnections() {
  // Datasets first: they borrow the connections' handles.
  Q1.Close();
  Q2.Close();
  T2.Close();
  DBGrid->hide();
  DB1.Disconnect();
  DB2.Disconnect();
}

void TFormBrindle::ApplySqlModeChange() {
  CloseAllConnections();
  const int mode = std::max(0, CBSQLmode->currentIndex());
  uniaccess::SqlModeState& state = uniaccess::GlobalSqlModeState();
  state.sqlMode = mode;
  state.systemDatabaseName = mode == uniaccess::kSqlModeMySql   ? "mysql"
                             : mode == uniaccess::kSqlModeMsSql ? "master"
                                                                : "";
  uniaccess::SetDataDirectory(uniaccess::SqlModeState::DefaultDataDirectory());
  RebuildTree();
}

MainSettings TFormBrindle::CollectSettings() const {
  MainSettings settings = settings_;
  settings.treeX = TreeView->width();
  settings.pcBottomY = PCBottom->height();
  settings.languageNo = CBLanguages->currentIndex();
  settings.languages.Clear();
  for (int i = 0; i < CBLanguages->count(); ++i) {
    settings.languages.Add(S(CBLanguages->itemText(i)));
  }
  settings.fontName1 = S(MemoSQL->font().family());
  settings.fontName2 = S(TreeView->font().family());
  settings.fontName3 = S(DBGrid->font().family());
  settings.fontSize1 = MemoSQL->font().pointSize();
  settings.fontSize2 = TreeView->font().pointSize();
  settings.fontSize3 = DBGrid->font().pointSize();
  return settings;
}

void TFormBrindle::closeEvent(QCloseEvent* event) {
  CloseAllConnections();
  if (!batchRun_) {
    try {
      WriteMainSettings(SettingsPath(), CollectSettings());
    } catch (const std::exception& error) {
      dialogs_.ShowError(error.what());
    }
  }
  event->accept();
}

}  // namespace app
