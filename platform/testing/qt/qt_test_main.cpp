// main() for test binaries that need a QApplication: the widgets run on
// Qt's offscreen platform unless the caller chose another one.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("Brindle");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
