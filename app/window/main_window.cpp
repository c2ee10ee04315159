#include "app/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
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
#include <QTextBlock>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/window/about_box.h"
#include "app/window/connect_panel.h"
#include "app/window/data_editor.h"
#include "dataset/qt/dataset_table_model.h"
#include "highlight/qt/sql_editor_coloring.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kMaxLogLines = 200;
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

}  // namespace

TFormBrindle::TFormBrindle(StartupInfo startup, platform::UserDialogs& dialogs)
    : startup_(std::move(startup)), dialogs_(dialogs) {
  setObjectName("FormBrindle");
  setWindowTitle("Brindle");
  resize(784, 474);
  setFont(QFont("MS Sans Serif"));
  // The connections' design-time values; profiles and the command line
  // replace them.
  for (uniaccess::TUniSQLDatabase* database : {&DB1, &DB2}) {
    database->SetUser("root");
    database->SetHost("más");
    database->SetPort("3306");
  }
  DB1.SetDatabasename("mysql");
  Q1.SetDatabase(&DB1);
  DS1.SetDataSet(&Q1);
  Q2.SetDatabase(&DB2);
  T2.SetDatabase(&DB2);
  DS2.SetDataSet(&T2);

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
  PanelConnect = new TConnectPanel(right, dialogs_);
  static_cast<QGridLayout*>(right->layout())->addWidget(PanelConnect, 0, 0);
  PanelConnect->hide();
  PanelConnect->onConnect = [this] { ConnectFromPanel(); };

  connect(TreeView, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* node) { ExpandTreeNode(node); });
  TreeView->viewport()->installEventFilter(this);
  connect(TreeView, &QTreeWidget::itemClicked, this, [this] { TreeClicked(); });
  AboutBox = new TAboutBox(this);
  FormdataEditor = new TFormdataEditor(this);
  resultModel_->SetDataSource(&DS1);
  MemoSQL->installEventFilter(this);
}

TFormBrindle::~TFormBrindle() {
  // The grid's model is a child widget's object and outlives the members.
  resultModel_->SetDataSource(nullptr);
}

std::string TFormBrindle::SettingsPath() const {
  return startup_.programDirectory + kSettingsFileName;
}

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

  connect(about, &QToolButton::clicked, this, [this] { AboutBox->exec(); });
  connect(exit, &QToolButton::clicked, this, &QWidget::close);
  connect(open, &QToolButton::clicked, this, [this] { OpenSqlFile(); });
  connect(save, &QToolButton::clicked, this, [this] { SaveSqlFile(); });
  connect(clear, &QToolButton::clicked, this, [this] { ClearSqlEditor(); });
  connect(print, &QToolButton::clicked, this, [this] { NotAvailableYet("Print result"); });
  connect(BtnRun, &QPushButton::clicked, this, [this] { RunLastSql(); });
  connect(CBSQLmode, qOverload<int>(&QComboBox::activated), this,
          [this](int) { ApplySqlModeChange(); });
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
  connect(CBLanguages, qOverload<int>(&QComboBox::activated), this, [this](int) {
    dialogs_.ShowMessage(translation::TranslateText("Restart this application, Please!"));
  });
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
  connect(DBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { OrderResultBy(column); });
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
  connect(SplitterVertical, &QSplitter::splitterMoved, this, [this] { ClampTreeWidth(); });
  connect(SplitterHorizontal, &QSplitter::splitterMoved, this, [this] { ClampBottomHeight(); });
}

QAction* TFormBrindle::MenuItem(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

void TFormBrindle::BuildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu("&File");
  file->menuAction()->setObjectName("File1");
  connect(MenuItem(file, "OpenSQLfile1", "&Open SQL file"), &QAction::triggered, this,
          [this] { OpenSqlFile(); });
  connect(MenuItem(file, "SaveSQLas1", "&Save SQL as"), &QAction::triggered, this,
          [this] { SaveSqlFile(); });
  file->addSeparator();
  connect(MenuItem(file, "Exit1", "&Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* database = bar->addMenu("&Database");
  database->menuAction()->setObjectName("Database1");
  actionCreateDatabase_ = MenuItem(database, "Create1", "&Create");
  actionDropDatabase_ = MenuItem(database, "Drop1", "&Drop");
  actionExport_ = MenuItem(database, "Export1", "&Export");
  actionImport_ = MenuItem(database, "Import1", "&Import");
  connect(actionCreateDatabase_, &QAction::triggered, this, [this] { CreateDatabase(); });
  connect(actionDropDatabase_, &QAction::triggered, this, [this] { DropDatabase(); });
  connect(actionExport_, &QAction::triggered, this, [this] { ExportNode(); });
  connect(actionImport_, &QAction::triggered, this, [this] { ImportNode(); });
  MenuItem(database, "Reindex1", "&Reindex");  // no command attached

  QMenu* tools = bar->addMenu("&Tools");
  tools->menuAction()->setObjectName("Tools1");
  connect(MenuItem(tools, "Mergetables1", "Merge tables"), &QAction::triggered, this,
          [this] { NotAvailableYet("Merge tables"); });
  connect(MenuItem(tools, "SQLbuilder1", "SQL builder"), &QAction::triggered, this,
          [this] { NotAvailableYet("SQL builder"); });

  QMenu* run = bar->addMenu("&Run");
  run->menuAction()->setObjectName("Run1");
  actionRunLast_ = MenuItem(run, "RunLastSQL1", "F3 &Run Last SQL");
  actionRunAll_ = MenuItem(run, "RunAllSQL1", "Run &All SQL");
  connect(actionRunLast_, &QAction::triggered, this, [this] { RunLastSql(); });
  connect(actionRunAll_, &QAction::triggered, this, [this] { RunAllSql(); });

  QAction* reconnect = bar->addAction("ReConnect");
  reconnect->setObjectName("ReConnect1");
  connect(reconnect, &QAction::triggered, this, [this] { ShowConnectPanel(); });

  QMenu* help = bar->addMenu("&Help");
  help->menuAction()->setObjectName("Help1");
  connect(MenuItem(help, "About1", "About"), &QAction::triggered, this,
          [this] { AboutBox->exec(); });
  connect(MenuItem(help, "SQLsintax1", "SQL sintax"), &QAction::triggered, this,
          [this] { OpenHelpFile(languageDirectory_ + "/SQLsyntax.htm", false); });
  connect(MenuItem(help, "Licence1", "Licence"), &QAction::triggered, this,
          [this] { OpenHelpFile(languageDirectory_ + "/GNUGPLLicence.rtf", false); });
  connect(MenuItem(help, "MySQLhelp1", "MySQL help"), &QAction::triggered, this,
          [this] { OpenHelpFile(settings_.helpMysql, true); });
  connect(MenuItem(help, "Interbasehelp1", "Interbase help"), &QAction::triggered, this,
          [this] { OpenHelpFile(settings_.helpIb, true); });
  connect(MenuItem(help, "BDEHelp1", "BDE Help"), &QAction::triggered, this,
          [this] { OpenHelpFile(settings_.helpBde, true); });
  connect(MenuItem(help, "KestrelTableHelp1", "KestrelTable Help"), &QAction::triggered, this,
          [this] { OpenHelpFile(settings_.helpKestrel, true); });
  connect(MenuItem(help, "MSDEhelp1", "MSDE help"), &QAction::triggered, this,
          [this] { OpenHelpFile(settings_.helpMsde, true); });

  QAction* exitItem = bar->addAction("&Exit");
  exitItem->setObjectName("Exit2");
  connect(exitItem, &QAction::triggered, this, &QWidget::close);
}

void TFormBrindle::BuildPopupMenus() {
  PopupSQL = new QMenu(MemoSQL);
  PopupSQL->setObjectName("PopupSQL");
  connect(MenuItem(PopupSQL, "RinLastSQL1", "Rin Last SQL"), &QAction::triggered, this,
          [this] { RunLastSql(); });
  connect(MenuItem(PopupSQL, "RunAllSQL2", "Run All SQL"), &QAction::triggered, this,
          [this] { RunAllSql(); });
  connect(MenuItem(PopupSQL, "OpenSQLfile2", "Open SQL file"), &QAction::triggered, this,
          [this] { OpenSqlFile(); });
  connect(MenuItem(PopupSQL, "SaveSQLas2", "Save SQL as"), &QAction::triggered, this,
          [this] { SaveSqlFile(); });
  connect(MenuItem(PopupSQL, "ClearSQLeditor1", "Clear SQL editor"), &QAction::triggered, this,
          [this] { ClearSqlEditor(); });
  connect(MenuItem(PopupSQL, "SetFont1", "Set Font"), &QAction::triggered, this,
          [this] { SetFont(1); });
  memoSqlColoring_ = highlight::AttachSqlEditorColoring(*MemoSQL);
  QAction& copyAsRtf = memoSqlColoring_->CopyAsRtfAction();
  copyAsRtf.setObjectName("CopyasRTF1");
  PopupSQL->addAction(&copyAsRtf);
  MemoSQL->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(MemoSQL, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupSQL->exec(MemoSQL->mapToGlobal(at)); });

  PopupGrid = new QMenu(DBGrid);
  PopupGrid->setObjectName("PopupGrid");
  connect(MenuItem(PopupGrid, "SaveResult1", "Eredmény &mentése CSV/XML -be"), &QAction::triggered,
          this, [this] { SaveResult(); });
  connect(MenuItem(PopupGrid, "Refresh1", "&Frissités"), &QAction::triggered, this,
          [this] { RefreshResult(); });
  connect(MenuItem(PopupGrid, "Print1", "&Nyomtatás"), &QAction::triggered, this,
          [this] { NotAvailableYet("Print result"); });
  connect(MenuItem(PopupGrid, "Close1", "&Bezárás"), &QAction::triggered, this,
          [this] { CloseResult(); });
  connect(MenuItem(PopupGrid, "SetFont3", "Set Font"), &QAction::triggered, this,
          [this] { SetFont(3); });
  DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DBGrid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupGrid->exec(DBGrid->viewport()->mapToGlobal(at)); });

  PopupTree = new QMenu(TreeView);
  PopupTree->setObjectName("PopupTree");
  auto command = [this](const char* name, const char* caption, auto operation) {
    connect(MenuItem(PopupTree, name, caption), &QAction::triggered, this, operation);
  };
  command("Dropdatabase1", "Drop database", [this] {
    if (!CBDatabase->currentText().isEmpty())
      DropDatabase();
  });
  command("Droptable1", "Drop table", [this] { DropTable(); });
  command("Viewdata1", "View data", [this] { ViewData(); });
  command("EditTable1", "Edit Table", [this] { EditTable(); });
  command("Emtytable1", "Emty table", [this] { EmptyTable(); });
  command("Showtablestructure1", "Show table structure", [this] { ShowTableStructure(); });
  command("Export2", "Export", [this] { ExportNode(); });
  command("Import2", "Import", [this] { ImportNode(); });
  command("Refresh2", "Refresh", [this] { RebuildTree(); });
  command("SetFont2", "Set Font", [this] { SetFont(2); });
  command("Reindextable1", "&Reindex table", [this] { ReindexTable(); });
  command("Dropindex1", "Drop index", [this] { DropIndex(); });
}

void TFormBrindle::AddLogLine(std::string_view text) {
  QTextDocument* log = MemoMessages->document();
  if (log->blockCount() >= kMaxLogLines && !(log->blockCount() == 1 && log->isEmpty())) {
    QTextCursor first(log->firstBlock());
    first.select(QTextCursor::BlockUnderCursor);
    first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    first.removeSelectedText();
  }
  MemoMessages->appendPlainText(Q(text));
  QTextCursor caret = MemoMessages->textCursor();
  const int length = log->characterCount() - 1;
  caret.setPosition(std::max(0, length - 5));
  MemoMessages->setTextCursor(caret);
  MemoMessages->ensureCursorVisible();
}

bool TFormBrindle::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MemoSQL && event->type() == QEvent::KeyRelease &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F3) {
    RunLastSql();
    return true;
  }
  if (watched == TreeView->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::RightButton) {
      QTreeWidgetItem* node = TreeView->itemAt(press->pos());
      if (node != nullptr) {
        TreeView->setCurrentItem(node);
      }
      rememberedNode_ = node;
      ShowTreePopup(press->globalPosition().toPoint());
      return true;
    }
    if (press->button() == Qt::LeftButton) {
      // The node under the pointer is the one the press selects.
      rememberedNode_ = TreeView->itemAt(press->pos());
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormBrindle::SetStatusText(const QString& text) {
  LabelStatus->setText(text);
}

void TFormBrindle::NotAvailableYet(const char* feature) {
  dialogs_.ShowMessage(translation::TranslateText(feature) + ": " +
                       translation::TranslateText("this feature is not available yet"));
}

void TFormBrindle::OpenHelpFile(const std::string& path, bool checkExists) {
  if (checkExists && !QFileInfo::exists(Q(path))) {
    dialogs_.ShowMessage(
        translation::TranslateText("Help File not Found. Check the Brindle.Ini file!"));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
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
  const auto chosen =
      dialogs_.FontDialog({current.family().toStdString(), current.pointSize(), false, false});
  if (!chosen) {
    return;
  }
  QFont font = current;
  font.setFamily(Q(chosen->name));
  font.setPointSize(chosen->size);
  widget->setFont(font);
  if (target == 3) {
    MemoMessages->setFont(font);
  }
}

}  // namespace app
