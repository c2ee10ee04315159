#include "app/window/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel("Brindle", this);
  name->setObjectName("ProductName");
  QFont big = name->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  name->setFont(big);
  name->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel("V 1.01", this);
  version->setObjectName("Version");
  version->setAlignment(Qt::AlignCenter);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(ok, 0, Qt::AlignCenter);
  setFixedSize(sizeHint().expandedTo(QSize(260, 160)));
}

}  // namespace app
