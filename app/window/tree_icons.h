#pragma once
// The tree's three small pictures, drawn in code: a database (a cylinder),
// a table (a grid) and an index (a key).

#include <QIcon>

namespace app {

enum class TreeImage { kDatabase = 0, kTable = 1, kIndex = 2 };

const QIcon& TreeIcon(TreeImage image);

}  // namespace app
