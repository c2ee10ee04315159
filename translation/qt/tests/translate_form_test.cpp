#include "translation/qt/translate_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "translation/translation.h"

namespace translation {
namespace {

using platform::testing::ReadFileBytes;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;

struct SampleWindow {
  SampleWindow() {
    window.setObjectName("FormSample");
    window.setWindowTitle("Sample");
    QMenu* file = window.menuBar()->addMenu("&File");
    file->menuAction()->setObjectName("File1");
    file->addAction("&Exit")->setObjectName("Exit1");
    auto* central = new QWidget(&window);
    window.setCentralWidget(central);
    central->setObjectName("PanelMain");
    auto* label = new QLabel("Database:", central);
    label->setObjectName("Label1");
    run = new QPushButton("F3 Run last query", central);
    run->setObjectName("BtnRun");
    run->setToolTip("Run");
    combo = new QComboBox(central);
    combo->setObjectName("CBLanguages");
    combo->addItems({"English", "Hungarian"});
    combo->setCurrentIndex(1);
    tabs = new QTabWidget(central);
    tabs->setObjectName("PCBottom");
    tabs->addTab(new QWidget, "Result");
    tabs->addTab(new QWidget, "Messages");
    auto* popup = new QMenu(run);
    popup->setObjectName("PopupRun");
    popup->addAction("Set Font")->setObjectName("SetFont1");
  }
  QMainWindow window;
  QPushButton* run;
  QComboBox* combo;
  QTabWidget* tabs;
};

TEST(TranslateForm, RecordsEveryTextOfANewWindow) {
  TempDirectory dir;
  platform::testing::ScriptedUserDialogs dialogs;
  SwitchOn(dir.File("English"));
  SampleWindow sample;
  TranslateForm(sample.window);
  EXPECT_EQ(ReadFileBytes(dir.File("English/FormSample.lng")),
            "[Translation]\r\nFormSample.caption=Sample\r\nFile1=&File\r\nExit1=&Exit\r\n"
            "Label1.caption=Database:\r\nBtnRun.caption=F3 Run last query\r\nBtnRun.hint=Run\r\n"
            "SetFont1=Set Font\r\nCBLanguages.items=English;Hungarian;\r\n"
            "PCBottom.Page0=Result\r\nPCBottom.Page1=Messages\r\n\r\n");
  SwitchOff();
}

TEST(TranslateForm, AppliesTranslatedValues) {
  TempDirectory dir;
  platform::testing::ScriptedUserDialogs dialogs;
  std::filesystem::create_directories(dir.File("Hungarian"));
  WriteFileBytes(dir.File("Hungarian/FormSample.lng"),
                 "[Translation]\r\nFormSample.caption=Minta\r\nExit1=&Kilépés\r\n"
                 "BtnRun.caption=F3 Futtatás\r\nCBLanguages.items=Angol;Magyar;Német\r\n"
                 "PCBottom.Page1=Üzenetek\r\n");
  SwitchOn(dir.File("Hungarian"));
  SampleWindow sample;
  TranslateForm(sample.window);
  EXPECT_EQ(sample.window.windowTitle(), "Minta");
  EXPECT_EQ(sample.run->text(), "F3 Futtatás");
  // A list without a final ";" loses its last item; the selection stays.
  EXPECT_EQ(sample.combo->count(), 2);
  EXPECT_EQ(sample.combo->itemText(1), "Magyar");
  EXPECT_EQ(sample.combo->currentIndex(), 1);
  EXPECT_EQ(sample.tabs->tabText(1), "Üzenetek");
  EXPECT_EQ(sample.window.menuBar()->actions()[0]->menu()->actions()[0]->text(), "&Kilépés");
  SwitchOff();
}

TEST(TranslateForm, OffDoesNothing) {
  TempDirectory dir;
  SampleWindow sample;
  TranslateForm(sample.window);
  EXPECT_EQ(sample.window.windowTitle(), "Sample");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace translation
