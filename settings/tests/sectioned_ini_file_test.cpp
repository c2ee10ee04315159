#include "settings/sectioned_ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/testing/file_size_limit.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace settings {
namespace {

using platform::StringList;
using platform::testing::FileNamesIn;
using platform::testing::ReadFileBytes;
using platform::testing::ScriptedUserDialogs;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;

ino_t InodeOf(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

class SettingsFile : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("Brindle.ini"); }
  void Write(std::string_view bytes) const { WriteFileBytes(Path(), bytes); }
  std::string Read() const { return ReadFileBytes(Path()); }

  TempDirectory dir_;
  ScriptedUserDialogs dialogs_;
};

TEST_F(SettingsFile, KeysValuesAndSectionsFollowTheLineRules) {
  Write(
      "; comment before any header\r\n"
      "orphan=dropped\r\n"
      "[INI]\r\n"
      "K=a=b\r\n"
      "Key With Blank = v\r\n"
      "no equals sign\r\n"
      "[Broken\r\n"
      "  [Indented]\r\n"
      "\r\n"
      "[ini]\r\n"
      "K=from the duplicate\r\n"
      "only=in the duplicate\r\n"
      "[HLPS]\r\n"
      "MYSQL=c:\\mysql\\docs\\myman-4.0.13.chm\r\n");
  TSectionedIniFile store(Path());
  EXPECT_EQ(store.ReadString("INI", "K", "-"), "a=b");
  EXPECT_EQ(store.ReadString("ini", "k", "-"), "a=b");
  EXPECT_EQ(store.ReadString("INI", "Key With Blank ", "-"), " v");
  EXPECT_EQ(store.ReadString("INI", "Key With Blank", "-"), "-");
  EXPECT_EQ(store.ReadString("INI", "no equals sign", "-"), "-");
  EXPECT_EQ(store.ReadString("INI", "only", "-"), "-");  // the first of two sections wins
  EXPECT_EQ(store.ReadString("HLPS", "MYSQL", "-"), "c:\\mysql\\docs\\myman-4.0.13.chm");
  EXPECT_EQ(store.ReadString("MISSING", "K", "fallback"), "fallback");
  EXPECT_EQ(store.ReadString("", "orphan", "-"), "-");

  StringList names;
  store.ReadSections(names);
  EXPECT_EQ(names, (StringList{"INI", "HLPS"}));
  StringList lines;
  store.ReadSectionValues("INI", lines);
  EXPECT_EQ(lines, (StringList{"K=a=b", "Key With Blank = v", "no equals sign", "[Broken",
                               "  [Indented]"}));
  StringList keys;
  store.ReadSection("ini", keys);
  EXPECT_EQ(keys,
            (StringList{"K", "Key With Blank ", "no equals sign", "[Broken", "  [Indented]"}));
  EXPECT_TRUE(store.SectionExists("hlps"));
  EXPECT_FALSE(store.SectionExists("Broken"));
  EXPECT_FALSE(store.Modified());
}

TEST_F(SettingsFile, IntegersReadDecimalAndHexadecimal) {
  Write(
      "[N]\r\nhex=0x1F\r\nHEX=0X1f\r\ndollar=$10\r\nword=abc\r\nempty=\r\nneg=-5\r\n"
      "blank= 7\r\nbig=2147483648\r\nbare=0x\r\nflag=2\r\noff=0\r\n");
  TSectionedIniFile store(Path());
  const struct {
    const char* key;
    int32_t expected;
  } cases[] = {{"hex", 31},  {"dollar", 16}, {"word", -1}, {"empty", -1},  {"neg", -5},
               {"blank", 7}, {"big", -1},    {"bare", -1}, {"missing", -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(store.ReadInteger("N", c.key, -1), c.expected) << c.key;
  }
  EXPECT_TRUE(store.ReadBool("N", "flag", false));
  EXPECT_FALSE(store.ReadBool("N", "off", true));
  EXPECT_TRUE(store.ReadBool("N", "word", true));
  EXPECT_FALSE(store.ReadBool("N", "missing", false));
}

TEST_F(SettingsFile, RewriteHasOneEmptyLineAfterEachSectionAndDropsTheRest) {
  Write("; comment\r\n\r\n[A]\r\nx=1\r\n\r\n\r\n[Empty]\r\n[B]\r\ny=2\n\x1A\r\n");
  {
    TSectionedIniFile store(Path());
    store.WriteString("A", "z", "3");
    store.WriteInteger("C", "n", -42);
    store.WriteBool("C", "b", true);
  }
  EXPECT_EQ(Read(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nn=-42\r\nb=1\r\n\r\n");
  TSectionedIniFile reread(Path());
  EXPECT_EQ(reread.ReadInteger("C", "n", 0), -42);
}

TEST_F(SettingsFile, OnlyARealChangeRewritesTheFile) {
  const std::string original = "[INI]\r\nFONTNAME1=Courier\r\n\r\n\r\n";
  Write(original);
  {
    TSectionedIniFile store(Path());
    // The key is found whatever its case, but the whole line is compared
    // with case, so the line is replaced.
    store.WriteString("ini", "fontname1", "Courier");
  }
  EXPECT_EQ(Read(), "[INI]\r\nfontname1=Courier\r\n\r\n");
  Write(original);
  const ino_t before = InodeOf(Path());
  {
    TSectionedIniFile store(Path());
    store.WriteString("INI", "FONTNAME1", "Courier");
    EXPECT_FALSE(store.Modified());
  }
  EXPECT_EQ(Read(), original);
  EXPECT_EQ(InodeOf(Path()), before);
  {
    TSectionedIniFile store(Path());
    store.WriteString("INI", "FONTNAME1", "courier");
    EXPECT_TRUE(store.Modified());
  }
  EXPECT_EQ(Read(), "[INI]\r\nFONTNAME1=courier\r\n\r\n");
}

TEST_F(SettingsFile, LinesAndValuesAreCutTo255Bytes) {
  const std::string longValue(400, 'v');
  Write("[S]\r\nk=" + longValue + "\r\n[" + std::string(300, 'n') + "]\r\n");
  TSectionedIniFile store(Path());
  EXPECT_EQ(store.ReadString("S", "k", ""), std::string(253, 'v'));
  // A header longer than 255 loses its "]" and becomes an ordinary line.
  EXPECT_FALSE(store.SectionExists(std::string(300, 'n')));
  store.WriteString("S", "w", std::string(300, 'w'));
  EXPECT_EQ(store.ReadString("S", "w", ""), std::string(253, 'w'));
  // A cut never splits a character.
  std::string accents;
  for (int i = 0; i < 200; ++i) {
    accents += "é";
  }
  store.WriteString("S", "e", accents);
  EXPECT_EQ(store.ReadString("S", "e", ""), accents.substr(0, 252));
}

TEST_F(SettingsFile, SectionsAndKeysCanBeRemoved) {
  Write("[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
  {
    TSectionedIniFile store(Path());
    store.DeleteKey("A", "X");
    store.DeleteKey("A", "missing");
    store.EraseSection("b");
    store.WriteString("C", "", "");  // no key: erase the section
    store.DeleteKey("New", "k");     // creates an empty section that is not written
    EXPECT_TRUE(store.SectionExists("New"));
    StringList text;
    store.GetStrings(text);
    EXPECT_EQ(text, (StringList{"[A]", "y=2", ""}));
  }
  EXPECT_EQ(Read(), "[A]\r\ny=2\r\n\r\n");
  {
    TSectionedIniFile store(Path());
    store.DeleteKey("A", "y");
  }
  EXPECT_EQ(Read(), "");  // a section that lost its lines disappears
}

TEST_F(SettingsFile, EmptySectionKeyAndValueFlushAtOnce) {
  TSectionedIniFile store(Path());
  store.WriteString("INI", "TREEX", "100");
  EXPECT_FALSE(std::filesystem::exists(Path()));
  store.WriteString("", "", "");
  EXPECT_EQ(Read(), "[INI]\r\nTREEX=100\r\n\r\n");
  EXPECT_FALSE(store.Modified());
}

TEST_F(SettingsFile, DuplicateSectionsAskTheHookWithoutMarkingModified) {
  Write("[S]\r\na=1\r\n[T]\r\nt=0\r\n[s]\r\na=2\r\n[S]\r\na=3\r\n");
  std::vector<std::string> calls;
  TSectionedIniFile store("");
  store.SetDuplicateSectionHook(
      [&calls](std::string_view name, const StringList& earlier, const StringList& later) {
        calls.push_back(std::string(name) + ":" + earlier[0] + "/" + later[0]);
        return later[0] == "a=2";  // keep the first against the second, then lose to the third
      });
  store.SetFileName(Path());
  EXPECT_EQ(calls, (std::vector<std::string>{"S:a=1/a=2", "S:a=1/a=3"}));
  EXPECT_EQ(store.ReadString("S", "a", ""), "3");
  StringList names;
  store.ReadSections(names);
  EXPECT_EQ(names, (StringList{"T", "S"}));
  EXPECT_FALSE(store.Modified());
}

TEST_F(SettingsFile, LoadOptionsChangeOrdinaryLines) {
  const struct {
    TIniLoadOptions options;
    StringList expected;
  } cases[] = {
      {{}, {"; note", "k \t= \t v", "q=\"quoted\"", "t=trail \t", "bare"}},
      {{true, false, false, false, false}, {"k \t= \t v", "q=\"quoted\"", "t=trail \t", "bare"}},
      {{false, true, false, false, false}, {"; note", "k=v", "q=\"quoted\"", "t=trail \t", "bare"}},
      {{false, false, true, false, false},
       {"; note", "k \t= \t v", "q=quoted", "t=trail \t", "bare"}},
      {{false, false, false, true, false},
       {"; note", "k \t= \t v", "q=\"quoted\"", "t=trail", "bare"}},
      {{false, false, false, false, true}, {"k \t= \t v", "q=\"quoted\"", "t=trail \t"}},
  };
  Write("[S]\r\n; note\r\nk \t= \t v\r\nq=\"quoted\"\r\nt=trail \t\r\nbare\r\n");
  for (const auto& c : cases) {
    TSectionedIniFile store("");
    store.SetLoadOptions(c.options);
    store.SetFileName(Path());
    StringList lines;
    store.ReadSectionValues("S", lines);
    EXPECT_EQ(lines, c.expected) << lines.CommaText();
  }
}

TEST_F(SettingsFile, ARelativeNameIsCompletedWithTheCurrentDirectory) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  {
    TSectionedIniFile store("relative.ini");
    store.WriteString("S", "k", "v");
    store.UpdateFile();
    EXPECT_EQ(store.FileName(), dir_.File("relative.ini"));
  }
  std::filesystem::current_path(previous);
  EXPECT_EQ(ReadFileBytes(dir_.File("relative.ini")), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(SettingsFile, ReplacementIsAtomicAndKeepsThePermissions) {
  Write("[S]\r\nk=old\r\n");
  ::chmod(Path().c_str(), 0600);
  const ino_t before = InodeOf(Path());
  {
    TSectionedIniFile store(Path());
    store.WriteString("S", "k", "new");
  }
  EXPECT_EQ(Read(), "[S]\r\nk=new\r\n\r\n");
  EXPECT_NE(InodeOf(Path()), before);  // a new file was renamed over the old one
  struct stat info {};
  ::stat(Path().c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(FileNamesIn(dir_.Path()), std::vector<std::string>{"Brindle.ini"});
}

TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileWhole) {
  const std::string original = "[S]\r\nk=old\r\n\r\n";
  Write(original);
  dialogs_.AnswerMessage(platform::DialogButton::kOk);
  std::string expected = "[S]\r\nk=old\r\n";
  {
    TSectionedIniFile store(Path());
    for (int i = 0; i < 200; ++i) {
      const std::string key = "key" + std::to_string(i);
      store.WriteString("S", key, std::string(100, 'x'));
      expected += key + "=" + std::string(100, 'x') + "\r\n";
    }
    {
      // The disk "fills up" after 1000 bytes.
      const platform::testing::ScopedFileSizeLimit full(1000);
      store.UpdateFile();
    }
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(Read(), original);
    EXPECT_EQ(FileNamesIn(dir_.Path()), std::vector<std::string>{"Brindle.ini"});
    // The flush at destruction, with room again, writes everything.
  }
  EXPECT_EQ(Read(), expected + "\r\n");
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].message.text, "nem irható");
  EXPECT_EQ(dialogs_.Shown()[0].message.caption, "error");
  EXPECT_EQ(dialogs_.Shown()[0].message.kind, platform::MessageKind::kError);
}

// A failed write is told once, and the program goes on with the content
// kept: a later flush writes it once the obstacle is gone.
TEST_F(SettingsFile, FailuresToReplaceAreReportedOnceAndTheContentIsKept) {
  const struct {
    const char* name;
    bool blockWithDirectory;
    const char* message;
  } cases[] = {
      {"missing-dir/Brindle.ini", false, "nem irható"},
      {"blocked.ini", true, "nem törölhető"},
  };
  for (const auto& c : cases) {
    ScriptedUserDialogs dialogs;
    dialogs.AnswerMessage(platform::DialogButton::kOk);
    const std::string path = dir_.File(c.name);
    TSectionedIniFile store(path);
    store.WriteString("S", "k", "v");
    if (c.blockWithDirectory) {
      // A non-empty directory in the file's place cannot be replaced.
      std::filesystem::create_directories(path + "/inside");
    }
    store.UpdateFile();
    EXPECT_TRUE(store.Modified());
    ASSERT_EQ(dialogs.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(dialogs.Shown()[0].message.caption, "error");
    // The same failure again is not told twice; a new change is.
    store.UpdateFile();
    EXPECT_EQ(dialogs.MessageTexts().size(), 1u);
    dialogs.AnswerMessage(platform::DialogButton::kOk);
    store.WriteString("S", "k2", "v2");
    store.UpdateFile();
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{c.message, c.message}));
    store.DeleteKey("S", "k2");
    // Once the obstacle is gone the same store writes its content.
    if (c.blockWithDirectory) {
      std::filesystem::remove_all(path);
    } else {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    }
    store.UpdateFile();
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=v\r\n\r\n");
  }
}

}  // namespace
}  // namespace settings
