#include "app/window/tree_nodes.h"

#include <QPainter>
#include <QPixmap>
#include <QTreeWidgetItem>
#include <algorithm>

namespace app {
namespace {

constexpr int kSize = 16;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon Database() {
  QPixmap pixmap = Blank();
  QPainter paint(&pixmap);
  paint.setRenderHint(QPainter::Antialiasing);
  paint.setPen(QColor(40, 60, 120));
  paint.setBrush(QColor(120, 160, 230));
  paint.drawRect(QRectF(2.5, 3.5, 11, 9));
  paint.drawEllipse(QRectF(2.5, 10, 11, 5));
  paint.setPen(Qt::NoPen);
  paint.drawRect(QRectF(3, 4, 10, 8.5));
  paint.setPen(QColor(40, 60, 120));
  paint.setBrush(QColor(170, 200, 245));
  paint.drawEllipse(QRectF(2.5, 1, 11, 5));
  return QIcon(pixmap);
}

QIcon Table() {
  QPixmap pixmap = Blank();
  QPainter paint(&pixmap);
  paint.setPen(QColor(60, 60, 60));
  paint.setBrush(Qt::white);
  paint.drawRect(1, 2, 13, 11);
  paint.fillRect(2, 3, 12, 3, QColor(90, 140, 90));
  for (int y : {6, 9})
    paint.drawLine(1, y, 14, y);
  for (int x : {5, 10})
    paint.drawLine(x, 6, x, 13);
  return QIcon(pixmap);
}

QIcon Index() {
  QPixmap pixmap = Blank();
  QPainter paint(&pixmap);
  paint.setRenderHint(QPainter::Antialiasing);
  paint.setPen(QPen(QColor(150, 110, 20), 1.5));
  paint.setBrush(QColor(235, 190, 60));
  paint.drawEllipse(QRectF(1.5, 4.5, 6, 6));
  paint.drawLine(QPointF(7.5, 7.5), QPointF(14.5, 7.5));
  paint.drawLine(QPointF(12.5, 7.5), QPointF(12.5, 10.5));
  paint.drawLine(QPointF(10.5, 7.5), QPointF(10.5, 9.5));
  return QIcon(pixmap);
}

}  // namespace

TreeLevel TreeLevelOf(const QTreeWidgetItem* node) {
  int level = 0;
  for (const QTreeWidgetItem* parent = node->parent(); parent != nullptr;
       parent = parent->parent()) {
    ++level;
  }
  return static_cast<TreeLevel>(std::min(level, static_cast<int>(TreeLevel::kIndex)));
}

QTreeWidgetItem* AddTreeNode(QTreeWidgetItem* parent, const QString& text, TreeImage image,
                             const char* placeholder) {
  auto* node = new QTreeWidgetItem(parent, QStringList{text});
  node->setIcon(0, TreeIcon(image));
  if (placeholder != nullptr) {
    auto* child = new QTreeWidgetItem(node, QStringList{placeholder});
    child->setIcon(0, TreeIcon(static_cast<TreeImage>(static_cast<int>(image) + 1)));
  }
  return node;
}

const QIcon& TreeIcon(TreeImage image) {
  static const QIcon icons[] = {Database(), Table(), Index()};
  return icons[static_cast<int>(image)];
}

}  // namespace app
