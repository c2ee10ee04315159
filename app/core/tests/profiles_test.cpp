#include "app/core/profiles.h"

#include <gtest/gtest.h>

#include "app/core/main_settings.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace app {
namespace {

using platform::testing::ReadFileBytes;
using platform::testing::ScriptedUserDialogs;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;

TEST(Profiles, RecordsHaveTheirFixedShapeAndNoPassword) {
  ConnectionProfile profile{"Test, with comma", 3, "srv", "1433", "sa", "secret", "/data/x"};
  const std::string record = BuildProfileRecord(profile);
  EXPECT_EQ(record, "\"Test, with comma\",3,\"srv\",\"1433\",\"sa\",,\"/data/x\",");
  const ConnectionProfile back = ParseProfileRecord(record);
  EXPECT_EQ(back.description, "Test, with comma");
  EXPECT_EQ(back.sqlMode, 3);
  EXPECT_EQ(back.host, "srv");
  EXPECT_EQ(back.port, "1433");
  EXPECT_EQ(back.user, "sa");
  EXPECT_EQ(back.password, "");
  EXPECT_EQ(back.path, "/data/x");

  const ConnectionProfile fresh = ParseProfileRecord(NewProfileRecord());
  EXPECT_EQ(fresh.description, "");
  EXPECT_EQ(fresh.port, "3306");
  EXPECT_EQ(BuildProfileRecord({"Test", 0, "", "3306", "", "", ""}),
            "\"Test\",0,\"\",\"3306\",\"\",,\"\",");
  // A quote in a text field survives; a short hand-edited record leaves the rest empty.
  EXPECT_EQ(ParseProfileRecord(BuildProfileRecord({"d", 0, "h\"x", "", "", "", ""})).host, "h\"x");
  EXPECT_EQ(ParseProfileRecord("\"only\",9").sqlMode, 9);
  EXPECT_EQ(ParseProfileRecord("\"only\",9").path, "");
}

TEST(Profiles, StoredUnderSrvKeysWithAnEndMark) {
  TempDirectory dir;
  ScriptedUserDialogs dialogs;
  const std::string ini = dir.File(kSettingsFileName);
  EXPECT_TRUE(ReadProfileRecords(ini).empty());
  EXPECT_EQ(ReadLastProfileIndex(ini), -1);
  WriteProfileRecords(ini, {"\"a\",0,\"h\",\"1\",\"u\",,\"\",", "\"b\",9,\"\",\"\",\"\",,\"/p\","});
  WriteLastProfileIndex(ini, 1);
  EXPECT_EQ(ReadFileBytes(ini),
            "[SRVS]\r\nSRV0=\"a\",0,\"h\",\"1\",\"u\",,\"\",\r\n"
            "SRV1=\"b\",9,\"\",\"\",\"\",,\"/p\",\r\nSRV2=@\r\nSRVI=1\r\n\r\n");
  WriteProfileRecords(ini, {});  // keys beyond the end mark stay but are never read
  EXPECT_TRUE(ReadProfileRecords(ini).empty());
  EXPECT_EQ(ReadLastProfileIndex(ini), 1);
}

TEST(MainSettingsFile, DefaultsOrderAndTheKeysNeverWritten) {
  TempDirectory dir;
  ScriptedUserDialogs dialogs;
  const std::string ini = dir.File(kSettingsFileName);
  WriteFileBytes(ini, "[INI]\r\nSQLMOD=9\r\nTREEX=3\r\n");
  MainSettings settings = ReadMainSettings(ini, "/opt/brindle/");
  EXPECT_EQ(settings.sqlMode, 9);
  EXPECT_EQ(settings.treeX, 3);  // raising to 10 is the window's job
  EXPECT_EQ(settings.outDir, "/opt/brindle/");
  EXPECT_EQ(settings.languages, (platform::StringList{"English", "Hungarian"}));
  EXPECT_EQ(settings.fontSize3, 10);
  settings.treeX = 10;
  WriteMainSettings(ini, settings);
  EXPECT_EQ(ReadFileBytes(ini),
            "[INI]\r\nSQLMOD=9\r\nTREEX=10\r\nOUTDIR=/opt/brindle/\r\nSQLDIR=/opt/brindle/\r\n"
            "PCBottomY=100\r\nLANGUAGENO=0\r\nLANGUAGES=English,Hungarian\r\n"
            "FONTNAME1=MS Sans Serif\r\nFONTNAME2=MS Sans Serif\r\nFONTNAME3=MS Sans Serif\r\n"
            "FONTSIZE1=10\r\nFONTSIZE2=10\r\nFONTSIZE3=10\r\n\r\n"
            "[HLPS]\r\nMYSQL=c:\\mysql\\docs\\myman-4.0.13.chm\r\nIB=@\r\nBDE=@\r\n"
            "KESTREL=c:\\KestrelTable\\Help\\KestrelTableGuide.hlp\r\n"
            "MSDE=c:\\MSDE\\Help\\TSQLREF.CHM\r\n\r\n");
  // Starting and closing again changes nothing.
  const std::string before = ReadFileBytes(ini);
  WriteMainSettings(ini, ReadMainSettings(ini, "/elsewhere/"));
  EXPECT_EQ(ReadFileBytes(ini), before);
}

}  // namespace
}  // namespace app
