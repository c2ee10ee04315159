// The database tree: databases under the root, a database's tables when it
// is expanded, a table's indexes when that is expanded. All tree work goes
// through the tool connection DB2, connected only for the command.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTreeWidget>

#include "app/window/main_window.h"
#include "app/window/tree_nodes.h"
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

constexpr int kLevelDatabase = 1;
constexpr int kLevelTable = 2;

// A node with its picture and, for databases and tables, the placeholder
// child (with the next level's picture) that gives it an expand button.
QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, TreeImage image,
                         const char* placeholder = nullptr) {
  auto* node = new QTreeWidgetItem(parent, QStringList{text});
  node->setIcon(0, TreeIcon(image));
  if (placeholder != nullptr) {
    auto* child = new QTreeWidgetItem(node, QStringList{placeholder});
    child->setIcon(0, TreeIcon(static_cast<TreeImage>(static_cast<int>(image) + 1)));
  }
  return node;
}

void DeleteChildren(QTreeWidgetItem* node) {
  for (QTreeWidgetItem* child : node->takeChildren()) {
    delete child;
  }
}

}  // namespace

void TFormBrindle::RebuildTree() {
  platform::BusyCursor busy;
  CBDatabase->clear();
  QTreeWidgetItem* root = TreeView->topLevelItem(0);
  if (root == nullptr) {
    root = new QTreeWidgetItem(TreeView, QStringList{"root"});
  }
  DeleteChildren(root);
  DB2.SetHost(DB1.Host());
  DB2.SetUser(DB1.User());
  DB2.Setpassword(DB1.password());
  DB2.SetPort(DB1.Port());
  DB2.SetDatabasename(uniaccess::GlobalSqlModeState().systemDatabaseName);
  try {
    DB2.Connect();
    for (const std::string& name : DB2.GetDatabaseNames()) {
      CBDatabase->addItem(Q(name));
      AddNode(root, Q(name), TreeImage::kDatabase, "Table");
    }
    if (CBDatabase->count() > 0) {
      CBDatabase->setCurrentIndex(0);
    }
    DB2.Disconnect();
  } catch (const std::exception&) {
    // An unreachable server leaves the tree with what was added so far.
  }
  root->setExpanded(true);
  rememberedNode_ = nullptr;
  AddLogLine(translation::TranslateText("Database \"tre\" refresh"));
}

void TFormBrindle::ExpandTreeNode(QTreeWidgetItem* node) {
  const int level = TreeLevelOf(node);
  if (level == kLevelDatabase) {
    CBDatabase->setCurrentText(node->text(0));
    DeleteChildren(node);
    DB2.Disconnect();
    DB2.SetDatabasename(S(node->text(0)));
    DB2.Connect();
    for (const std::string& table : DB2.GetTableNames()) {
      AddNode(node, Q(table), TreeImage::kTable, "Indexes");
    }
    DB2.Disconnect();
  } else if (level == kLevelTable) {
    DeleteChildren(node);
    DB2.Disconnect();
    DB2.SetDatabasename(S(CBDatabase->currentText()));
    DB2.Connect();
    if (uniaccess::Backend* backend = DB2.ActiveBackend()) {
      for (const std::string& entry : backend->ListIndexes(DB2.Handle(), S(node->text(0)))) {
        AddNode(node, Q(entry), TreeImage::kIndex);
      }
    }
    DB2.Disconnect();
  }
}

void TFormBrindle::TreeClicked() {
  if (rememberedNode_ != nullptr && TreeLevelOf(rememberedNode_) == kLevelDatabase) {
    CBDatabase->setCurrentIndex(CBDatabase->findText(rememberedNode_->text(0)));
  }
}

void TFormBrindle::ShowTreePopup(const QPoint& at) {
  const int level = rememberedNode_ != nullptr ? TreeLevelOf(rememberedNode_) : 0;
  for (QAction* item : PopupTree->actions()) {
    const QString name = item->objectName();
    if (name == "Dropdatabase1") {
      item->setEnabled(level == kLevelDatabase);
    } else if (name == "Export2" || name == "Import2") {
      item->setEnabled(level == kLevelDatabase || level == kLevelTable);
    } else if (name == "Dropindex1") {
      item->setEnabled(level == 3);
    } else if (name == "Droptable1" || name == "Viewdata1" || name == "EditTable1" ||
               name == "Emtytable1" || name == "Showtablestructure1") {
      item->setEnabled(level == kLevelTable);
    }
  }
  PopupTree->popup(at);
}

void TFormBrindle::UseSelectedDatabase(uniaccess::TUniSQLDatabase& connection) {
  const std::string name = S(CBDatabase->currentText());
  if (connection.Databasename() != name) {
    connection.Disconnect();
    connection.SetDatabasename(name);
  }
  if (!connection.Connected()) {
    connection.Connect();
  }
}

}  // namespace app
