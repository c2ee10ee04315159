#include "app/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/commands/command_guard.h"
#include "app/window/about_box.h"
#include "app/window/connect_panel.h"
#include "app/window/data_editor.h"
#include "app/window/main_window_host.h"
#include "app/window/tree_nodes.h"
#include "dataset/qt/dataset_table_model.h"
#include "highlight/qt/sql_editor_coloring.h"
#include "platform/qt/qt_text.h"
#include "platform/user_dialogs.h"
#include "translation/qt/translate_form.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {
namespace {

using platform::qt::QText;
using platform::qt::StdText;
using translation::TranslateText;

constexpr int kToolbarHeight = 49;
constexpr int kStatusHeight = 29;

QToolButton* SpeedButton(QWidget* parent, const char* name, const char* hint,
                         QStyle::StandardPixmap icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setAutoRaise(true);
  button->setIconSize(QSize(24, 24));
  return button;
}

QLabel* NamedLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

QFont FontOf(const std::string& name, int size) {
  QFont font(QText(name));
  if (size > 0) {
    font.setPointSize(size);
  }
  return font;
}

bool IsWithin(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) {
  for (; node != nullptr; node = node->parent()) {
    if (node == ancestor) {
      return true;
    }
  }
  return false;
}

}  // namespace

TFormBrindle::TFormBrindle(StartupInfo startup) : startup_(std::move(startup)) {
  host_ = std::make_unique<MainWindowHost>(*this);
  guard_ = std::make_unique<CommandGuard>(host_.get());
  commands_ = std::make_unique<ClientCommands>(*host_);
  StartupView& view = *this;
  startupCommands_ = std::make_unique<StartupCommands>(*host_, view, commands_->connection,
                                                       commands_->sql, commands_->files);
  setObjectName("FormBrindle");
  setWindowTitle("Brindle");
  resize(784, 474);
  setFont(QFont("MS Sans Serif"));

  auto* central = new QWidget(this);
  central->setObjectName("PanelMain");
  setCentralWidget(central);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildToolbar();
  BuildWorkArea();
  BuildStatusPanel();
  layout->addWidget(PanelTop);
  layout->addWidget(SplitterVertical, 1);
  layout->addWidget(PanelStatus);
  BuildMenus();
  BuildPopupMenus();

  // The connection panel covers the editor and the pages while it is shown.
  QWidget* right = SplitterHorizontal->parentWidget();
  PanelConnect = new TConnectPanel(right);
  static_cast<QGridLayout*>(right->layout())->addWidget(PanelConnect, 0, 0);
  PanelConnect->hide();
  PanelConnect->onCommand = [this](const std::function<void()>& command) { Guarded(command); };
  PanelConnect->onConnect = [this] { ConnectFromPanel(); };

  connect(TreeView, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* node) { Guarded([this, node] { ExpandTreeNode(node); }); });
  TreeView->viewport()->installEventFilter(this);
  OnSignal(TreeView, &QTreeWidget::itemClicked, [this] { TreeClicked(); });
  AboutBox = new TAboutBox(this);
  FormdataEditor = new TFormdataEditor(this);
  resultModel_->SetDataSource(&components_.DS1);
  MemoSQL->installEventFilter(this);
}

TFormBrindle::~TFormBrindle() {
  // The grid's model is a child widget's object and outlives the members.
  resultModel_->SetDataSource(nullptr);
}

CommandHost& TFormBrindle::Host() {
  return *host_;
}

std::string TFormBrindle::SettingsPath() const {
  return startup_.programDirectory + kSettingsFileName;
}

void TFormBrindle::Guarded(const std::function<void()>& command) {
  guard_->Run(command);
}

template <typename Sender, typename Signal>
void TFormBrindle::OnSignal(Sender* sender, Signal signal, std::function<void()> command) {
  connect(sender, signal, this, [this, command = std::move(command)] { Guarded(command); });
}

QAction* TFormBrindle::MenuItem(QMenu* menu, const char* name, const char* caption,
                                std::function<void()> command) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  if (command) {
    OnSignal(action, &QAction::triggered, std::move(command));
  }
  return action;
}

// ---------------------------------------------------------------- layout

void TFormBrindle::BuildToolbar() {
  PanelTop = new QWidget(centralWidget());
  PanelTop->setObjectName("PanelTop");
  PanelTop->setFixedHeight(kToolbarHeight);
  auto* row = new QHBoxLayout(PanelTop);
  row->setContentsMargins(4, 2, 4, 2);
  auto* open = SpeedButton(PanelTop, "SBOpen", "Open SQL", QStyle::SP_DialogOpenButton);
  auto* save = SpeedButton(PanelTop, "SBSave", "Save SQL", QStyle::SP_DialogSaveButton);
  auto* clear = SpeedButton(PanelTop, "SBNew", "New SQL", QStyle::SP_FileIcon);
  auto* print = SpeedButton(PanelTop, "SBPrint", "Print result", QStyle::SP_FileDialogDetailedView);
  auto* about = SpeedButton(PanelTop, "SBHelp", "About", QStyle::SP_MessageBoxQuestion);
  auto* exit = SpeedButton(PanelTop, "SBExit", "Exit application", QStyle::SP_DialogCloseButton);
  CBDatabase = new QComboBox(PanelTop);
  CBDatabase->setObjectName("CBDatabase");
  CBDatabase->setEditable(true);
  CBDatabase->setMinimumWidth(160);
  CBSQLmode = new QComboBox(PanelTop);
  CBSQLmode->setObjectName("CBSQLmode");
  for (const char* mode : uniaccess::SqlModeNames()) {
    CBSQLmode->addItem(mode);
  }
  CBSQLmode->setCurrentIndex(0);
  BtnRun = new QPushButton("F3 Run last query", PanelTop);
  BtnRun->setObjectName("BtnRun");
  for (QWidget* widget : {static_cast<QWidget*>(open), static_cast<QWidget*>(save),
                          static_cast<QWidget*>(clear), static_cast<QWidget*>(print)}) {
    row->addWidget(widget);
  }
  row->addSpacing(8);
  row->addWidget(NamedLabel(PanelTop, "LabelDatabase", "Database:"));
  row->addWidget(CBDatabase);
  row->addSpacing(8);
  row->addWidget(NamedLabel(PanelTop, "LabelSQLmode", "SQL mode:"));
  row->addWidget(CBSQLmode);
  row->addSpacing(8);
  row->addWidget(BtnRun);
  row->addStretch();
  row->addWidget(about);
  row->addWidget(exit);

  OnSignal(about, &QToolButton::clicked, [this] { AboutBox->exec(); });
  // Closing is not a command: close() leads to the close handler, which
  // runs through the guard itself (and is refused while a command runs).
  connect(exit, &QToolButton::clicked, this, &QWidget::close);
  OnSignal(open, &QToolButton::clicked, [this] { commands_->files.OpenSqlFile(); });
  OnSignal(save, &QToolButton::clicked, [this] { commands_->files.SaveSqlFile(); });
  OnSignal(clear, &QToolButton::clicked, [this] { commands_->files.ClearSqlEditor(); });
  OnSignal(print, &QToolButton::clicked, [this] { NotAvailableYet("Print result"); });
  OnSignal(BtnRun, &QPushButton::clicked, [this] { commands_->sql.RunLastSql(); });
  connect(CBSQLmode, qOverload<int>(&QComboBox::activated), this, [this](int mode) {
    Guarded([this, mode] { commands_->connection.ChangeSqlMode(std::max(0, mode)); });
  });
}

void TFormBrindle::BuildStatusPanel() {
  PanelStatus = new QFrame(centralWidget());
  PanelStatus->setObjectName("PanelStatus");
  static_cast<QFrame*>(PanelStatus)->setFrameShape(QFrame::StyledPanel);
  PanelStatus->setFixedHeight(kStatusHeight);
  auto* row = new QHBoxLayout(PanelStatus);
  row->setContentsMargins(4, 0, 4, 0);
  LabelStatus = new QLabel(PanelStatus);
  LabelStatus->setObjectName("LabelStatus");
  CBLanguages = new QComboBox(PanelStatus);
  CBLanguages->setObjectName("CBLanguages");
  EditRowNo = new QLineEdit(PanelStatus);
  EditRowNo->setObjectName("EditRowNo");
  EditRowNo->setReadOnly(true);
  EditRowNo->setMaximumWidth(100);
  row->addWidget(LabelStatus, 1);
  row->addWidget(NamedLabel(PanelStatus, "LabelLanguage", "Language:"));
  row->addWidget(CBLanguages);
  row->addWidget(NamedLabel(PanelStatus, "LabelRowsNo", "Rows No:"));
  row->addWidget(EditRowNo);
  connect(CBLanguages, qOverload<int>(&QComboBox::activated), this,
          [this] { Guarded([this] { startupCommands_->LanguageChosen(); }); });
}

void TFormBrindle::BuildWorkArea() {
  SplitterVertical = new QSplitter(Qt::Horizontal, centralWidget());
  SplitterVertical->setObjectName("SplitterVertical");
  SplitterVertical->setChildrenCollapsible(false);
  TreeView = new QTreeWidget(SplitterVertical);
  TreeView->setObjectName("TreeView");
  TreeView->setHeaderHidden(true);
  TreeView->setMinimumWidth(10);

  auto* right = new QWidget(SplitterVertical);
  right->setObjectName("PanelRight");
  auto* rightLayout = new QGridLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  SplitterHorizontal = new QSplitter(Qt::Vertical, right);
  SplitterHorizontal->setObjectName("SplitterHorizontal");
  SplitterHorizontal->setChildrenCollapsible(false);
  rightLayout->addWidget(SplitterHorizontal, 0, 0);

  MemoSQL = new QPlainTextEdit(SplitterHorizontal);
  MemoSQL->setObjectName("MemoSQL");
  MemoSQL->setPlainText("select * from sysdatabases");
  MemoSQL->setLineWrapMode(QPlainTextEdit::NoWrap);

  PCBottom = new QTabWidget(SplitterHorizontal);
  PCBottom->setObjectName("PCBottom");
  PCBottom->setMinimumHeight(10);
  DBGrid = new QTableView;
  DBGrid->setObjectName("DBGrid");
  DBGrid->hide();
  resultModel_ = new dataset::qt::DatasetTableModel(DBGrid);
  DBGrid->setModel(resultModel_);
  DBGrid->verticalHeader()->setDefaultSectionSize(DBGrid->fontMetrics().height() + 6);
  connect(DBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    Guarded([this, column] { commands_->result.OrderResultBy(column); });
  });
  auto* resultPage = new QWidget;
  resultPage->setObjectName("TabResult");
  auto* resultLayout = new QVBoxLayout(resultPage);
  resultLayout->setContentsMargins(0, 0, 0, 0);
  resultLayout->addWidget(DBGrid);
  MemoMessages = new QPlainTextEdit;
  MemoMessages->setObjectName("MemoMessages");
  MemoMessages->setReadOnly(true);
  MemoMessages->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoMessages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoMessages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  PCBottom->addTab(resultPage, "Result");
  PCBottom->addTab(MemoMessages, "Messages");
  PCBottom->setCurrentIndex(1);

  SplitterVertical->setStretchFactor(1, 1);
  SplitterHorizontal->setStretchFactor(0, 1);
  OnSignal(SplitterVertical, &QSplitter::splitterMoved, [this] { ClampTreeWidth(); });
  OnSignal(SplitterHorizontal, &QSplitter::splitterMoved, [this] { ClampBottomHeight(); });
}

void TFormBrindle::BuildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu("&File");
  file->menuAction()->setObjectName("File1");
  MenuItem(file, "OpenSQLfile1", "&Open SQL file", [this] { commands_->files.OpenSqlFile(); });
  MenuItem(file, "SaveSQLas1", "&Save SQL as", [this] { commands_->files.SaveSqlFile(); });
  file->addSeparator();
  connect(MenuItem(file, "Exit1", "&Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* database = bar->addMenu("&Database");
  database->menuAction()->setObjectName("Database1");
  MenuItem(database, "Create1", "&Create", [this] { commands_->objects.CreateDatabase(); });
  MenuItem(database, "Drop1", "&Drop", [this] { commands_->objects.DropDatabase(); });
  MenuItem(database, "Export1", "&Export", [this] { commands_->transfers.ExportNode(); });
  MenuItem(database, "Import1", "&Import", [this] { commands_->transfers.ImportNode(); });
  MenuItem(database, "Reindex1", "&Reindex");  // no command attached

  QMenu* tools = bar->addMenu("&Tools");
  tools->menuAction()->setObjectName("Tools1");
  MenuItem(tools, "Mergetables1", "Merge tables", [this] { NotAvailableYet("Merge tables"); });
  MenuItem(tools, "SQLbuilder1", "SQL builder", [this] { NotAvailableYet("SQL builder"); });

  QMenu* run = bar->addMenu("&Run");
  run->menuAction()->setObjectName("Run1");
  MenuItem(run, "RunLastSQL1", "F3 &Run Last SQL", [this] { commands_->sql.RunLastSql(); });
  MenuItem(run, "RunAllSQL1", "Run &All SQL", [this] { commands_->sql.RunAllSql(); });

  QAction* reconnect = bar->addAction("ReConnect");
  reconnect->setObjectName("ReConnect1");
  OnSignal(reconnect, &QAction::triggered, [this] { ShowConnectPanel(); });

  QMenu* help = bar->addMenu("&Help");
  help->menuAction()->setObjectName("Help1");
  MenuItem(help, "About1", "About", [this] { AboutBox->exec(); });
  const struct {
    const char* name;
    const char* caption;
    HelpFile file;
  } helpItems[] = {{"SQLsintax1", "SQL sintax", HelpFile::kSqlSyntax},
                   {"Licence1", "Licence", HelpFile::kLicence},
                   {"MySQLhelp1", "MySQL help", HelpFile::kMysql},
                   {"Interbasehelp1", "Interbase help", HelpFile::kInterbase},
                   {"BDEHelp1", "BDE Help", HelpFile::kBde},
                   {"KestrelTableHelp1", "KestrelTable Help", HelpFile::kKestrel},
                   {"MSDEhelp1", "MSDE help", HelpFile::kMsde}};
  for (const auto& item : helpItems) {
    const HelpFile helpFile = item.file;
    MenuItem(help, item.name, item.caption,
             [this, helpFile] { startupCommands_->OpenHelpFile(helpFile); });
  }

  QAction* exitItem = bar->addAction("&Exit");
  exitItem->setObjectName("Exit2");
  connect(exitItem, &QAction::triggered, this, &QWidget::close);
}

void TFormBrindle::BuildPopupMenus() {
  PopupSQL = new QMenu(MemoSQL);
  PopupSQL->setObjectName("PopupSQL");
  MenuItem(PopupSQL, "RinLastSQL1", "Rin Last SQL", [this] { commands_->sql.RunLastSql(); });
  MenuItem(PopupSQL, "RunAllSQL2", "Run All SQL", [this] { commands_->sql.RunAllSql(); });
  MenuItem(PopupSQL, "OpenSQLfile2", "Open SQL file", [this] { commands_->files.OpenSqlFile(); });
  MenuItem(PopupSQL, "SaveSQLas2", "Save SQL as", [this] { commands_->files.SaveSqlFile(); });
  MenuItem(PopupSQL, "ClearSQLeditor1", "Clear SQL editor",
           [this] { commands_->files.ClearSqlEditor(); });
  MenuItem(PopupSQL, "SetFont1", "Set Font", [this] { SetFont(1); });
  memoSqlColoring_ = highlight::AttachSqlEditorColoring(*MemoSQL);
  QAction& copyAsRtf = memoSqlColoring_->CopyAsRtfAction();
  copyAsRtf.setObjectName("CopyasRTF1");
  PopupSQL->addAction(&copyAsRtf);
  MemoSQL->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(MemoSQL, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupSQL->popup(MemoSQL->mapToGlobal(at)); });

  PopupGrid = new QMenu(DBGrid);
  PopupGrid->setObjectName("PopupGrid");
  MenuItem(PopupGrid, "SaveResult1", "Eredmény &mentése CSV/XML -be",
           [this] { commands_->result.SaveResult(); });
  MenuItem(PopupGrid, "Refresh1", "&Frissités", [this] { commands_->result.RefreshResult(); });
  MenuItem(PopupGrid, "Print1", "&Nyomtatás", [this] { NotAvailableYet("Print result"); });
  MenuItem(PopupGrid, "Close1", "&Bezárás", [this] { commands_->result.CloseResult(); });
  MenuItem(PopupGrid, "SetFont3", "Set Font", [this] { SetFont(3); });
  DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DBGrid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupGrid->popup(DBGrid->viewport()->mapToGlobal(at)); });

  PopupTree = new QMenu(TreeView);
  PopupTree->setObjectName("PopupTree");
  MenuItem(PopupTree, "Dropdatabase1", "Drop database", [this] {
    if (!CBDatabase->currentText().isEmpty())
      commands_->objects.DropDatabase();
  });
  MenuItem(PopupTree, "Droptable1", "Drop table", [this] { commands_->objects.DropTable(); });
  MenuItem(PopupTree, "Viewdata1", "View data", [this] { commands_->objects.ViewData(); });
  MenuItem(PopupTree, "EditTable1", "Edit Table", [this] { commands_->dataEditor.EditTable(); });
  MenuItem(PopupTree, "Emtytable1", "Emty table", [this] { commands_->objects.EmptyTable(); });
  MenuItem(PopupTree, "Showtablestructure1", "Show table structure",
           [this] { commands_->objects.ShowTableStructure(); });
  MenuItem(PopupTree, "Export2", "Export", [this] { commands_->transfers.ExportNode(); });
  MenuItem(PopupTree, "Import2", "Import", [this] { commands_->transfers.ImportNode(); });
  MenuItem(PopupTree, "Refresh2", "Refresh", [this] { commands_->tree.RebuildTree(); });
  MenuItem(PopupTree, "SetFont2", "Set Font", [this] { SetFont(2); });
  MenuItem(PopupTree, "Reindextable1", "&Reindex table",
           [this] { commands_->objects.ReindexTable(); });
  MenuItem(PopupTree, "Dropindex1", "Drop index", [this] { commands_->objects.DropIndex(); });
}

// ---------------------------------------------------------------- events

bool TFormBrindle::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MemoSQL && event->type() == QEvent::KeyRelease &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F3) {
    Guarded([this] { commands_->sql.RunLastSql(); });
    return true;
  }
  if (watched == TreeView->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* press = static_cast<QMouseEvent*>(event);
    if (guard_->Busy()) {
      // The running command may be using the remembered node.
      guard_->Refuse();
      return true;
    }
    if (press->button() == Qt::RightButton) {
      QTreeWidgetItem* node = TreeView->itemAt(press->pos());
      if (node != nullptr) {
        TreeView->setCurrentItem(node);
      }
      rememberedNode_ = node;
      const QPoint at = press->globalPosition().toPoint();
      Guarded([this, at] { ShowTreePopup(at); });
      return true;
    }
    if (press->button() == Qt::LeftButton) {
      // The node under the pointer is the one the press selects.
      rememberedNode_ = TreeView->itemAt(press->pos());
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormBrindle::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    ApplyPendingSplitterSizes();
    Guarded([this] { FirstActivation(); });
  }
}

void TFormBrindle::closeEvent(QCloseEvent* event) {
  if (guard_->Busy()) {
    // Closing would pull the connections from under the running command.
    guard_->Refuse();
    event->ignore();
    return;
  }
  Guarded([this] {
    commands_->connection.CloseAllConnections();
    if (!startupCommands_->BatchRun()) {
      WriteMainSettings(SettingsPath(), CollectSettings());
    }
  });
  event->accept();
}

// ---------------------------------------------------------------- start-up

bool TFormBrindle::RunCreateHandler() {
  return startupCommands_->RunCreateHandler(startup_.firstArgument);
}

int TFormBrindle::ExitCode() const {
  return startupCommands_->ExitCode();
}

std::string TFormBrindle::LanguageDirectory() const {
  return startupCommands_->LanguageDirectory();
}

std::string TFormBrindle::ProgramDirectory() const {
  return startup_.programDirectory;
}

void TFormBrindle::ShowSettings(const MainSettings& settings) {
  CBLanguages->clear();
  for (const std::string& language : settings.languages) {
    CBLanguages->addItem(QText(language));
  }
  if (settings.languageNo >= 0 && settings.languageNo < CBLanguages->count()) {
    CBLanguages->setCurrentIndex(settings.languageNo);
  }
  MemoSQL->setFont(FontOf(settings.fontName1, settings.fontSize1));
  TreeView->setFont(FontOf(settings.fontName2, settings.fontSize2));
  DBGrid->setFont(FontOf(settings.fontName3, settings.fontSize3));
  MemoMessages->setFont(FontOf(settings.fontName3, settings.fontSize3));
}

void TFormBrindle::ShowSqlMode(int sqlMode) {
  CBSQLmode->setCurrentIndex(sqlMode >= 0 && sqlMode < CBSQLmode->count() ? sqlMode : 0);
}

void TFormBrindle::ApplySizes(int treeWidth, int bottomHeight) {
  pendingTreeWidth_ = treeWidth;
  pendingBottomHeight_ = bottomHeight;
  ApplyPendingSplitterSizes();
}

void TFormBrindle::TranslateWindow() {
  QStringList languages;
  for (int i = 0; i < CBLanguages->count(); ++i) {
    languages << CBLanguages->itemText(i);
  }
  const int languageIndex = CBLanguages->currentIndex();
  translation::TranslateForm(*this);
  CBLanguages->clear();
  CBLanguages->addItems(languages);
  CBLanguages->setCurrentIndex(languageIndex);
}

void TFormBrindle::ForgetRememberedNode() {
  rememberedNode_ = nullptr;
}

bool TFormBrindle::OpenWithDesktop(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QText(path)));
}

void TFormBrindle::ApplyPendingSplitterSizes() {
  const QList<int> across = SplitterVertical->sizes();
  const int width = std::max(across.value(0) + across.value(1), pendingTreeWidth_ + 1);
  SplitterVertical->setSizes({pendingTreeWidth_, width - pendingTreeWidth_});
  const QList<int> down = SplitterHorizontal->sizes();
  const int height = std::max(down.value(0) + down.value(1), pendingBottomHeight_ + 1);
  SplitterHorizontal->setSizes({height - pendingBottomHeight_, pendingBottomHeight_});
}

MainSettings TFormBrindle::CollectSettings() const {
  MainSettings settings = settings_;
  settings.treeX = TreeView->width();
  settings.pcBottomY = PCBottom->height();
  settings.languageNo = CBLanguages->currentIndex();
  settings.languages.Clear();
  for (int i = 0; i < CBLanguages->count(); ++i) {
    settings.languages.Add(StdText(CBLanguages->itemText(i)));
  }
  settings.fontName1 = StdText(MemoSQL->font().family());
  settings.fontName2 = StdText(TreeView->font().family());
  settings.fontName3 = StdText(DBGrid->font().family());
  settings.fontSize1 = MemoSQL->font().pointSize();
  settings.fontSize2 = TreeView->font().pointSize();
  settings.fontSize3 = DBGrid->font().pointSize();
  return settings;
}

// ---------------------------------------------------------------- connection panel

void TFormBrindle::FirstActivation() {
  TreeView->clear();
  auto* root = new QTreeWidgetItem(TreeView, QStringList{"root"});
  root->setExpanded(true);
  rememberedNode_ = nullptr;
  ShowConnectPanel();
}

void TFormBrindle::SetWorkAreaEnabled(bool enabled) {
  PanelTop->setEnabled(enabled);
  TreeView->setEnabled(enabled);
  MemoSQL->setEnabled(enabled);
  PCBottom->setEnabled(enabled);
  // While the panel is up, only the help and the way out stay.
  for (QAction* item : menuBar()->actions()) {
    const QString name = item->objectName();
    item->setEnabled(enabled || name == "Help1" || name == "Exit2");
  }
}

void TFormBrindle::ShowConnectPanel() {
  SetWorkAreaEnabled(false);
  PanelConnect->show();
  PanelConnect->raise();
  QStringList modes;
  for (int i = 0; i < CBSQLmode->count(); ++i) {
    modes << CBSQLmode->itemText(i);
  }
  PanelConnect->LoadProfiles(SettingsPath(), modes);
}

void TFormBrindle::ConnectFromPanel() {
  const ConnectionProfile profile = PanelConnect->Values();
  CBSQLmode->setCurrentIndex(profile.sqlMode);
  SetWorkAreaEnabled(true);
  PanelConnect->hide();
  commands_->connection.Connect(profile, PanelConnect->SelectedIndex());
  MemoSQL->setFocus();
}

// ---------------------------------------------------------------- tree

void TFormBrindle::DeleteChildren(QTreeWidgetItem* node) {
  if (rememberedNode_ != nullptr && rememberedNode_ != node && IsWithin(rememberedNode_, node)) {
    rememberedNode_ = nullptr;
  }
  for (QTreeWidgetItem* child : node->takeChildren()) {
    delete child;
  }
}

void TFormBrindle::ExpandTreeNode(QTreeWidgetItem* node) {
  const TreeLevel level = TreeLevelOf(node);
  if (level == TreeLevel::kDatabase) {
    DeleteChildren(node);
    for (const std::string& table : commands_->tree.TablesOf(StdText(node->text(0)))) {
      AddTreeNode(node, QText(table), TreeImage::kTable, "Indexes");
    }
  } else if (level == TreeLevel::kTable) {
    DeleteChildren(node);
    for (const std::string& entry : commands_->tree.IndexesOf(StdText(node->text(0)))) {
      AddTreeNode(node, QText(entry), TreeImage::kIndex);
    }
  }
}

void TFormBrindle::TreeClicked() {
  if (rememberedNode_ != nullptr && TreeLevelOf(rememberedNode_) == TreeLevel::kDatabase) {
    CBDatabase->setCurrentIndex(CBDatabase->findText(rememberedNode_->text(0)));
  }
}

void TFormBrindle::ShowTreePopup(const QPoint& at) {
  const TreeLevel level =
      rememberedNode_ != nullptr ? TreeLevelOf(rememberedNode_) : TreeLevel::kRoot;
  const bool database = level == TreeLevel::kDatabase;
  const bool table = level == TreeLevel::kTable;
  for (QAction* item : PopupTree->actions()) {
    const QString name = item->objectName();
    if (name == "Dropdatabase1") {
      item->setEnabled(database);
    } else if (name == "Export2" || name == "Import2") {
      item->setEnabled(database || table);
    } else if (name == "Dropindex1") {
      item->setEnabled(level == TreeLevel::kIndex);
    } else if (name == "Droptable1" || name == "Viewdata1" || name == "EditTable1" ||
               name == "Emtytable1" || name == "Showtablestructure1") {
      item->setEnabled(table);
    }
  }
  PopupTree->popup(at);
}

// ---------------------------------------------------------------- small commands

void TFormBrindle::NotAvailableYet(const char* feature) {
  platform::Dialogs().ShowMessage(TranslateText(feature) + ": " +
                                  TranslateText("this feature is not available yet"));
}

void TFormBrindle::ClampTreeWidth() {
  QList<int> sizes = SplitterVertical->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  const int tree = std::clamp(sizes.value(0), 10, std::max(10, width() - 20));
  SplitterVertical->setSizes({tree, std::max(0, total - tree)});
}

void TFormBrindle::ClampBottomHeight() {
  QList<int> sizes = SplitterHorizontal->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  const int bottom = std::clamp(sizes.value(1), 10, std::max(10, height() - 100));
  SplitterHorizontal->setSizes({std::max(0, total - bottom), bottom});
}

void TFormBrindle::SetFont(int target) {
  QWidget* widget = target == 1   ? static_cast<QWidget*>(MemoSQL)
                    : target == 2 ? static_cast<QWidget*>(TreeView)
                                  : static_cast<QWidget*>(DBGrid);
  const QFont current = widget->font();
  const auto chosen = platform::Dialogs().FontDialog(
      {StdText(current.family()), current.pointSize(), false, false});
  if (!chosen) {
    return;
  }
  QFont font = current;
  font.setFamily(QText(chosen->name));
  font.setPointSize(chosen->size);
  widget->setFont(font);
  if (target == 3) {
    MemoMessages->setFont(font);
  }
}

}  // namespace app
