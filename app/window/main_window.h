#pragma once
// TFormBrindle, the main window: the toolbar, the database tree on the
// left, the SQL editor above the result and message pages, the status panel
// and the connection panel. This class owns the widgets and wires them to
// the commands (app/commands/), which it reaches through its host
// (main_window_host.h). Every action, button, menu item and key handler
// runs through the command guard, so no failure ends the program.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/commands/client_commands.h"
#include "app/commands/client_components.h"
#include "app/commands/command_guard.h"
#include "app/commands/startup_commands.h"
#include "app/core/main_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace highlight {
class SqlEditorColoring;
}

namespace dataset::qt {
class DatasetTableModel;
}

namespace app {

class MainWindowHost;
class TConnectPanel;
class TAboutBox;
class TFormdataEditor;

class TFormBrindle : public QMainWindow, private StartupView {
 public:
  struct StartupInfo {
    std::string programDirectory;  // with its trailing "/"
    std::string firstArgument;     // the program's first command-line argument
  };

  explicit TFormBrindle(StartupInfo startup);
  ~TFormBrindle() override;

  // The create handler (app/commands/startup_commands.h). Returns false
  // when the program is to end at once (a "/RUN:" batch ran).
  bool RunCreateHandler();
  // 0, or non-zero when a batch run failed.
  int ExitCode() const;

  // Runs one command through the window's guard: an exception becomes the
  // error box and a log line, and the window goes on; a command arriving
  // while another runs is refused.
  void Guarded(const std::function<void()>& command);

  ClientComponents& Components() { return components_; }
  ClientCommands& Commands() { return *commands_; }
  CommandHost& Host();
  dataset::qt::DatasetTableModel& ResultModel() { return *resultModel_; }
  std::string ProgramDirectory() const override;
  std::string SettingsPath() const;
  std::string LanguageDirectory() const;
  MainSettings& Settings() { return settings_; }

  // The node of the last mouse press on the tree; commands act on it.
  QTreeWidgetItem* RememberedNode() const { return rememberedNode_; }
  void SetRememberedNode(QTreeWidgetItem* node) { rememberedNode_ = node; }
  // Deletes a node's children, forgetting the remembered node when it is
  // one of them.
  void DeleteChildren(QTreeWidgetItem* node);

  // Widgets, named as their objectName.
  QWidget* PanelTop = nullptr;
  QComboBox* CBDatabase = nullptr;
  QComboBox* CBSQLmode = nullptr;
  QPushButton* BtnRun = nullptr;
  QWidget* PanelStatus = nullptr;
  QLabel* LabelStatus = nullptr;
  QComboBox* CBLanguages = nullptr;
  QLineEdit* EditRowNo = nullptr;
  QSplitter* SplitterVertical = nullptr;
  QSplitter* SplitterHorizontal = nullptr;
  QTreeWidget* TreeView = nullptr;
  QPlainTextEdit* MemoSQL = nullptr;
  QTabWidget* PCBottom = nullptr;
  QTableView* DBGrid = nullptr;
  QPlainTextEdit* MemoMessages = nullptr;
  TConnectPanel* PanelConnect = nullptr;
  TAboutBox* AboutBox = nullptr;
  TFormdataEditor* FormdataEditor = nullptr;

  // Pop-up menus.
  QMenu* PopupSQL = nullptr;
  QMenu* PopupGrid = nullptr;
  QMenu* PopupTree = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildToolbar();
  void BuildStatusPanel();
  void BuildWorkArea();
  void BuildMenus();
  void BuildPopupMenus();
  // A menu item wired to a command.
  QAction* MenuItem(QMenu* menu, const char* name, const char* caption,
                    std::function<void()> command = {});
  // A signal without arguments wired to a command.
  template <typename Sender, typename Signal>
  void OnSignal(Sender* sender, Signal signal, std::function<void()> command);

  // What start-up shows (StartupView).
  void ShowSettings(const MainSettings& settings) override;
  void ShowSqlMode(int sqlMode) override;
  void ApplySizes(int treeWidth, int bottomHeight) override;
  void TranslateWindow() override;
  void ForgetRememberedNode() override;
  bool OpenWithDesktop(const std::string& path) override;
  void ApplyPendingSplitterSizes();
  MainSettings CollectSettings() const;
  void ClampTreeWidth();
  void ClampBottomHeight();
  void SetFont(int target);
  void NotAvailableYet(const char* feature);
  // Runs on the first show: the tree is reset to its root and the
  // connection panel appears.
  void FirstActivation();
  void ShowConnectPanel();
  // "&Connect" on the connection panel.
  void ConnectFromPanel();
  // Disables or enables the work area and the menu bar around the panel.
  void SetWorkAreaEnabled(bool enabled);
  void ExpandTreeNode(QTreeWidgetItem* node);
  void TreeClicked();
  // Enables the tree's pop-up items by the remembered node's level and shows it.
  void ShowTreePopup(const QPoint& at);

  std::unique_ptr<highlight::SqlEditorColoring> memoSqlColoring_;
  dataset::qt::DatasetTableModel* resultModel_ = nullptr;
  StartupInfo startup_;
  MainSettings settings_;
  ClientComponents components_;
  std::unique_ptr<MainWindowHost> host_;
  std::unique_ptr<CommandGuard> guard_;
  std::unique_ptr<ClientCommands> commands_;
  std::unique_ptr<StartupCommands> startupCommands_;
  QTreeWidgetItem* rememberedNode_ = nullptr;
  bool activated_ = false;
  int pendingTreeWidth_ = 100;
  int pendingBottomHeight_ = 100;
};

}  // namespace app
