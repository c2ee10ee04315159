#pragma once
// Facts of the database tree's nodes: their level (0 root, 1 database,
// 2 table, 3 index entry) and their three small pictures, drawn in code: a
// database (a cylinder), a table (a grid) and an index (a key).

#include <QIcon>

class QTreeWidgetItem;

namespace app {

enum class TreeImage { kDatabase = 0, kTable = 1, kIndex = 2 };

const QIcon& TreeIcon(TreeImage image);

int TreeLevelOf(const QTreeWidgetItem* node);

}  // namespace app
