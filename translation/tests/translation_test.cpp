#include "translation/translation.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace translation {
namespace {

using platform::testing::ReadFileBytes;
using platform::testing::ScriptedUserDialogs;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;

class Translation : public ::testing::Test {
 protected:
  void TearDown() override {
    FinishTranslation();
    SwitchOff();
  }
  TempDirectory dir_;
  ScriptedUserDialogs dialogs_;
};

TEST_F(Translation, OffLeavesTextsAloneAndWritesNothing) {
  EXPECT_EQ(TranslateText("query opened"), "query opened");
  FinishTranslation();
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_F(Translation, NewMessagesAreRecordedWithThemselvesAsValue) {
  const std::string language = dir_.File("English");
  SwitchOn(language + "/");
  EXPECT_EQ(TranslateText("query opened"), "query opened");
  EXPECT_EQ(TranslateText(" Database created"), " Database created");
  EXPECT_EQ(TranslateText("query opened"), "query opened");
  EXPECT_EQ(TranslateText("a=b cannot be a key"), "a=b cannot be a key");
  EXPECT_TRUE(std::filesystem::is_directory(language));
  FinishTranslation();
  EXPECT_EQ(ReadFileBytes(language + "/Strings.lng"),
            "[Translation]\r\nquery opened=query opened\r\n"
            " Database created= Database created\r\n\r\n");
}

TEST_F(Translation, ExistingValuesTranslate) {
  const std::string language = dir_.File("Hungarian");
  std::filesystem::create_directories(language);
  WriteFileBytes(language + "/Strings.lng",
                 "[Translation]\r\nquery opened=lekérdezés megnyitva\r\n"
                 " Database created= adatbázis létrehozva\r\n");
  SwitchOn(language);
  EXPECT_EQ(TranslateText("query opened"), "lekérdezés megnyitva");
  EXPECT_EQ(TranslateText(" Database created"), " adatbázis létrehozva");
  const std::string before = ReadFileBytes(language + "/Strings.lng");
  FinishTranslation();
  EXPECT_EQ(ReadFileBytes(language + "/Strings.lng"), before);  // nothing added, nothing written
}

TEST_F(Translation, FormFilesRecordMissingKeys) {
  const std::string language = dir_.File("English");
  SwitchOn(language);
  {
    TFormTranslation form("FormBrindle");
    EXPECT_EQ(form.Lookup("FormBrindle.caption", "Brindle"), "Brindle");
    EXPECT_EQ(form.Lookup("BtnRun.caption", "F3 Run last query"), "F3 Run last query");
    form.Finish();
  }
  WriteFileBytes(language + "/FormBrindle.lng",
                 "[Translation]\r\nFormBrindle.caption=Brindle\r\nBtnRun.caption=F3 Futtatás\r\n");
  TFormTranslation form("FormBrindle");
  EXPECT_EQ(form.Lookup("BtnRun.caption", "F3 Run last query"), "F3 Futtatás");
}

TEST_F(Translation, ADirectoryThatCannotBeCreatedIsAnInputOutputError) {
  WriteFileBytes(dir_.File("plainfile"), "x");
  SwitchOn(dir_.File("plainfile") + "/sub");
  EXPECT_THROW(TranslateText("x"), platform::EInOutError);
}

}  // namespace
}  // namespace translation
