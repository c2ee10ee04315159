#pragma once
// Facts of the database tree's nodes: their level (root, database, table,
// index entry), their three small pictures drawn in code (a database as a
// cylinder, a table as a grid, an index as a key), and adding a node.

#include <QIcon>
#include <QString>

#include "app/commands/command_host.h"

class QTreeWidgetItem;

namespace app {

enum class TreeImage { kDatabase = 0, kTable = 1, kIndex = 2 };

const QIcon& TreeIcon(TreeImage image);

TreeLevel TreeLevelOf(const QTreeWidgetItem* node);

// Adds a node with its picture and, for databases and tables, the
// placeholder child (with the next level's picture) that gives it an expand
// button before anything is fetched.
QTreeWidgetItem* AddTreeNode(QTreeWidgetItem* parent, const QString& text, TreeImage image,
                             const char* placeholder = nullptr);

}  // namespace app
