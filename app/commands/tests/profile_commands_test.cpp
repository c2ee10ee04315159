// The connection panel's profile commands over a panel of plain values:
// loading, choosing, New, delete and Save with their checks, and what
// reaches section SRVS of the settings file.

#include "app/commands/profile_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using platform::testing::ReadFileBytes;
using platform::testing::WriteFileBytes;

class RecordedPanel : public ProfilePanel {
 public:
  void ShowProfileList(const std::vector<std::string>& shown, int chosen) override {
    descriptions = shown;
    selected = chosen;
  }
  int SelectedProfile() const override { return selected; }
  void ShowProfile(const ConnectionProfile& profile) override { fields = profile; }
  void EnableDelete(bool enabled) override { deleteEnabled = enabled; }
  void EnablePath(bool enabled) override { pathEnabled = enabled; }
  ConnectionProfile Values() const override { return fields; }

  std::vector<std::string> descriptions;
  int selected = -1;
  ConnectionProfile fields;
  bool deleteEnabled = true;
  bool pathEnabled = true;
};

class ProfileCommandsTest : public ::testing::Test {
 protected:
  std::string Ini() const { return ReadFileBytes(iniPath_); }

  platform::testing::TempDirectory directory_;
  std::string iniPath_ = directory_.File("Brindle.ini");
  platform::testing::ScriptedUserDialogs dialogs_;
  RecordedPanel panel_;
  ProfileCommands profiles_{panel_};
};

TEST_F(ProfileCommandsTest, TheProfileUsedLastIsChosenAndOnePastTheListIsNot) {
  const std::string profiles =
      "[SRVS]\r\nSRV0=\"Local\",0,\"localhost\",\"3306\",\"root\",,\"\",\r\n"
      "SRV1=\"Engine, embedded\",9,\"\",\"\",\"\",,\"/data/k\",\r\nSRV2=@\r\n"
      "SRV3=\"after the end mark\",0,,,,,,\r\n";
  WriteFileBytes(iniPath_, profiles + "SRVI=1\r\n");
  profiles_.Load(iniPath_);
  EXPECT_EQ(panel_.descriptions, (std::vector<std::string>{"Local", "Engine, embedded"}));
  EXPECT_EQ(panel_.selected, 1);
  EXPECT_EQ(panel_.fields.description, "Engine, embedded");
  EXPECT_EQ(panel_.fields.sqlMode, 9);
  EXPECT_EQ(panel_.fields.path, "/data/k");
  EXPECT_TRUE(panel_.pathEnabled);
  EXPECT_TRUE(panel_.deleteEnabled);
  panel_.selected = 0;
  profiles_.SelectionChanged();
  EXPECT_EQ(panel_.fields.host, "localhost");
  EXPECT_FALSE(panel_.pathEnabled) << "MySQL keeps no data folder";
  profiles_.ModeChanged(3);
  EXPECT_TRUE(panel_.pathEnabled);

  for (const char* last : {"SRVI=2\r\n", "SRVI=-1\r\n", ""}) {
    SCOPED_TRACE(last);
    WriteFileBytes(iniPath_, profiles + last);
    profiles_.Load(iniPath_);
    EXPECT_EQ(panel_.selected, -1);
    EXPECT_EQ(panel_.fields.description, "Local MySQL");
    EXPECT_EQ(panel_.fields.host, "LocalHost");
    EXPECT_EQ(panel_.fields.user, "root");
    EXPECT_FALSE(panel_.deleteEnabled);
    EXPECT_FALSE(panel_.pathEnabled);
  }
}

TEST_F(ProfileCommandsTest, SavedProfilesKeepTheirOrderAndNeverThePassword) {
  profiles_.Load(iniPath_);
  // Save with nothing chosen writes only the end mark.
  profiles_.Save();
  EXPECT_EQ(Ini(), "[SRVS]\r\nSRV0=@\r\n\r\n");

  for (const char* description : {"One", "Two, with comma", "Three"}) {
    profiles_.New();
    EXPECT_EQ(panel_.descriptions.back(), "New Connection");
    EXPECT_EQ(panel_.fields.port, "3306");
    panel_.fields.description = description;
    panel_.fields.password = "TopSecret";
    profiles_.Save();
  }
  EXPECT_EQ(panel_.descriptions, (std::vector<std::string>{"One", "Two, with comma", "Three"}));
  EXPECT_EQ(Ini(),
            "[SRVS]\r\nSRV0=\"One\",0,\"\",\"3306\",\"\",,\"\",\r\n"
            "SRV1=\"Two, with comma\",0,\"\",\"3306\",\"\",,\"\",\r\n"
            "SRV2=\"Three\",0,\"\",\"3306\",\"\",,\"\",\r\nSRV3=@\r\n\r\n");

  // Saving the second selects the last one afterwards.
  panel_.selected = 1;
  profiles_.SelectionChanged();
  panel_.fields.host = "srv2";
  profiles_.Save();
  EXPECT_EQ(panel_.selected, 2);
  EXPECT_EQ(panel_.fields.description, "Three");
  EXPECT_NE(Ini().find("SRV1=\"Two, with comma\",0,\"srv2\","), std::string::npos);
  EXPECT_EQ(Ini().find("TopSecret"), std::string::npos);
}

TEST_F(ProfileCommandsTest, RefusedDescriptionsWriteNothingAndDeletingTheLastLeavesTheEndMark) {
  profiles_.Load(iniPath_);
  profiles_.New();
  for (const char* refused : {"   ", "a \"quoted\" name"}) {
    SCOPED_TRACE(refused);
    dialogs_.AnswerMessage(DialogButton::kOk);
    panel_.fields.description = refused;
    profiles_.Save();
    EXPECT_FALSE(std::filesystem::exists(iniPath_));
    EXPECT_EQ(panel_.descriptions, (std::vector<std::string>{"New Connection"}));
  }
  EXPECT_EQ(dialogs_.MessageTexts(),
            (std::vector<std::string>{"Must write description!", "No use \"  in description!"}));

  profiles_.Delete();
  EXPECT_TRUE(panel_.descriptions.empty());
  EXPECT_EQ(panel_.selected, -1);
  EXPECT_EQ(panel_.fields.description, "Local MySQL");
  EXPECT_FALSE(panel_.deleteEnabled);
  EXPECT_EQ(Ini(), "[SRVS]\r\nSRV0=@\r\n\r\n");
}

}  // namespace
}  // namespace app::testing
