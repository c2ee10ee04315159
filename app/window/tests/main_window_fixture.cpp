#include "app/window/tests/main_window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include <QtTest/QTest>

#include "app/window/connect_panel.h"
#include "translation/translation.h"

namespace app::testing {

void MainWindowTest::TearDown() {
  if (window_) {
    Stop();
  }
  translation::FinishTranslation();
  translation::SwitchOff();
  uniaccess::testing::MysqlTest::TearDown();
}

TFormBrindle& MainWindowTest::Start(const std::string& firstArgument, bool show) {
  TFormBrindle::StartupInfo startup;
  startup.programDirectory = programDirectory_.Path().string() + "/";
  startup.firstArgument = firstArgument;
  window_ = std::make_unique<TFormBrindle>(startup);
  if (window_->RunCreateHandler() && show) {
    window_->show();
    QApplication::processEvents();
  }
  return *window_;
}

void MainWindowTest::Stop() {
  window_->close();
  window_.reset();
  translation::FinishTranslation();
}

std::string MainWindowTest::ReadIni() const {
  return platform::testing::ReadFileBytes(IniPath());
}

void MainWindowTest::Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

void MainWindowTest::Trigger(const char* actionName) {
  auto* action = window_->findChild<QAction*>(actionName);
  ASSERT_NE(action, nullptr) << actionName;
  action->trigger();
  QApplication::processEvents();
}

void MainWindowTest::ConnectToTestServer(int sqlMode) {
  TConnectPanel& panel = *window_->PanelConnect;
  panel.EditSQLsrvHost->setText(QString::fromStdString(server_.host));
  panel.EditSQLsrvPort->setText(QString::fromStdString(server_.port));
  panel.EditSQLsrvUser->setText(QString::fromStdString(server_.user));
  panel.EditSQLsrvPsw->setText(QString::fromStdString(server_.password));
  panel.CBSQLsrvMode->setCurrentIndex(sqlMode);
  Click(panel.BtnConnect);
}

}  // namespace app::testing
