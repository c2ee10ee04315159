#pragma once
// TFormBrindle, the main window: the toolbar, the database tree on the
// left, the SQL editor above the result and message pages, the status panel
// and the connection panel. This class owns the widgets and components and
// wires them up; the commands live in their own files (startup, connection
// profiles, SQL running, the tree).

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/core/main_settings.h"
#include "dataset/data_source.h"
#include "platform/shared_text_file.h"
#include "platform/user_dialogs.h"
#include "uniaccess/unisql_database.h"
#include "uniaccess/unisql_query.h"
#include "uniaccess/unisql_table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace highlight {
class SqlEditorColoring;
}

namespace dataset::qt {
class DatasetTableModel;
}

namespace app {

class TConnectPanel;
class TAboutBox;
class TFormdataEditor;

class TFormBrindle : public QMainWindow {
 public:
  struct StartupInfo {
    std::string programDirectory;  // with its trailing "/"
    std::string firstArgument;     // the program's first command-line argument
  };

  TFormBrindle(StartupInfo startup, platform::UserDialogs& dialogs);
  ~TFormBrindle() override;

  // The create handler: settings, command line, translation. Returns false
  // when the program is to end at once (a "/RUN:" batch ran).
  bool RunCreateHandler();
  // 0, or non-zero when a batch run failed.
  int ExitCode() const { return exitCode_; }

  // Appends a line to the message log, which keeps at most 200 lines.
  void AddLogLine(std::string_view text);
  void SetStatusText(const QString& text);
  // Points a connection at the database named in CBDatabase and connects it.
  void UseSelectedDatabase(uniaccess::TUniSQLDatabase& connection);
  // Empties the tree down to its root, lists the databases under it and
  // fills CBDatabase.
  void RebuildTree();
  // The tree's commands; table commands act on the remembered table node.
  void CreateDatabase();
  void DropDatabase();
  void DropTable();
  void EmptyTable();
  void ViewData();
  void EditTable();
  void ShowTableStructure();
  void ReindexTable();
  void DropIndex();
  // "Export" and "Import" on the remembered node: a table to or from an SQL
  // dump, a CSV or an XML file; a database to or from an SQL dump.
  void ExportNode();
  void ImportNode();
  // Writes the dump of T2 (open on the table) into the file.
  void DumpTable(platform::SharedTextFile& file, const std::string& table);
  // Shows the connection panel and loads the profiles.
  void ShowConnectPanel();
  // Running SQL from the editor.
  void RunLastSql();
  void RunAllSql();
  // Opens a query into the grid or executes a statement, and logs which.
  void RunSqlText(const std::string& text);
  // Runs a file statement by statement through Q2; false when a statement
  // failed. Errors raised by the data access propagate.
  bool RunBatchFile(platform::SharedTextFile& file,
                    const std::function<bool(int statements)>& progress = {});
  // The result grid's commands.
  void RefreshResult();
  // Saves the open result as CSV or XML, chosen by the file name.
  void SaveResult();
  void CloseResult();
  void OrderResultBy(int column);
  dataset::qt::DatasetTableModel& ResultModel() { return *resultModel_; }
  // The SQL file commands.
  void OpenSqlFile();
  void SaveSqlFile();
  void ClearSqlEditor();
  // Closes the result and tool datasets and disconnects both connections.
  void CloseAllConnections();
  // Applies the toolbar's SQL mode: closes everything, sets the mode, the
  // system database and the data directory, rebuilds the tree.
  void ApplySqlModeChange();

  const std::string& ProgramDirectory() const { return startup_.programDirectory; }
  std::string SettingsPath() const;
  std::string LanguageDirectory() const { return languageDirectory_; }
  platform::UserDialogs& Dialogs() { return dialogs_; }

  // The data access components.
  uniaccess::TUniSQLDatabase DB1;
  uniaccess::TUniSQLDatabase DB2;
  uniaccess::TUniSQLQuery Q1;
  dataset::TDataSource DS1;
  uniaccess::TUniSQLQuery Q2;
  uniaccess::TUniSQLTable T2;
  dataset::TDataSource DS2;

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

  // Menus and pop-up menus.
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
  QAction* MenuItem(QMenu* menu, const char* name, const char* caption);

  void ApplySettings(const MainSettings& settings);
  MainSettings CollectSettings() const;
  void ClampTreeWidth();
  void ClampBottomHeight();
  void SetFont(int target);
  void OpenHelpFile(const std::string& path, bool checkExists);
  void NotAvailableYet(const char* feature);
  // Runs on the first show: the tree is reset to its root and the
  // connection panel appears.
  void FirstActivation();
  // "&Connect" on the connection panel.
  void ConnectFromPanel();
  // Runs a "/RUN:" file through the tool connection; false when it failed.
  bool RunStartupBatch(const std::string& fileName);
  void ExpandTreeNode(QTreeWidgetItem* node);
  void TreeClicked();
  // Enables the tree's pop-up items by the remembered node's level and shows it.
  void ShowTreePopup(const QPoint& at);
  void ApplyPendingSplitterSizes();
  // Closes the tool datasets and connects DB2 to the database CBDatabase names.
  void ConnectToolToCurrentDatabase();
  // The remembered node when it is a table node and CBDatabase has text.
  QTreeWidgetItem* RememberedTable() const;
  void ExportTable(const std::string& table);
  void ExportDatabase(const std::string& database);
  void ImportTable(const std::string& table);
  void ImportDatabase(const std::string& database);
  // The file dialog of an export or import, in the export directory.
  platform::FileDialogRequest TransferRequest(const char* title, const char* filter,
                                              const std::string& proposedName) const;
  // Runs an export or import on the remembered node's level; a cancelled
  // run is logged, an error shown, and the tool connection closed.
  void RunNodeTransfer(const std::function<void(int level)>& transfer);
  // Busy work on DB2 for a file: the export directory follows the file.
  void PrepareToolConnection(const std::string& fileName);
  // Runs one statement through Q2; false (and the log line) when it failed.
  bool RunToolStatement(const std::string& statement, const char* failureLog);

  QAction* actionCreateDatabase_ = nullptr;
  QAction* actionDropDatabase_ = nullptr;
  QAction* actionExport_ = nullptr;
  QAction* actionImport_ = nullptr;
  QAction* actionRunLast_ = nullptr;
  QAction* actionRunAll_ = nullptr;

  // Replaces the editor text as one undoable edit.
  void ReplaceEditorText(const std::string& text);
  void ShowResultRowCount();

  std::unique_ptr<highlight::SqlEditorColoring> memoSqlColoring_;
  dataset::qt::DatasetTableModel* resultModel_ = nullptr;
  // The grid column whose title is red (the result's ORDER BY), or -1.
  int orderedColumn_ = -1;
  StartupInfo startup_;
  platform::UserDialogs& dialogs_;
  MainSettings settings_;
  std::string languageDirectory_;
  std::string currentSqlFile_;
  // The node of the last mouse press on the tree; commands act on it.
  QTreeWidgetItem* rememberedNode_ = nullptr;
  bool activated_ = false;
  bool batchRun_ = false;
  int pendingTreeWidth_ = 100;
  int pendingBottomHeight_ = 100;
  int exitCode_ = 0;
};

}  // namespace app
