#pragma once
// The About box: the program's name, its version and an OK button.

#include <QDialog>

namespace app {

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent);
};

}  // namespace app
