#pragma once
// The main window's own keys of "Brindle.ini": sections INI and HLPS. Read
// once at start-up, written at close in a fixed key order. SQLMOD is read
// but never written; the help paths are written back as read, so a fresh
// file shows the user which keys to edit.

#include <string>

#include "platform/string_list.h"

namespace app {

struct MainSettings {
  platform::StringList languages{"English", "Hungarian"};
  int languageNo = 0;
  std::string outDir;  // defaults to the program directory
  std::string sqlDir;
  int treeX = 100;
  int pcBottomY = 100;
  int sqlMode = 0;
  std::string fontName1 = "MS Sans Serif";  // SQL editor
  std::string fontName2 = "MS Sans Serif";  // tree
  std::string fontName3 = "MS Sans Serif";  // result grid and message log
  int fontSize1 = 10;
  int fontSize2 = 10;
  int fontSize3 = 10;
  std::string helpMysql = "c:\\mysql\\docs\\myman-4.0.13.chm";
  std::string helpIb = "@";
  std::string helpBde = "@";
  std::string helpKestrel = "c:\\KestrelTable\\Help\\KestrelTableGuide.hlp";
  std::string helpMsde = "c:\\MSDE\\Help\\TSQLREF.CHM";
};

inline constexpr const char* kSettingsFileName = "Brindle.ini";

// Reads the keys with their defaults; the directories default to
// programDirectory.
MainSettings ReadMainSettings(const std::string& iniPath, const std::string& programDirectory);
// Writes OUTDIR, SQLDIR, TREEX, PCBottomY, LANGUAGENO, LANGUAGES, FONTNAME1-3
// and FONTSIZE1-3 in INI, then MYSQL, IB, BDE, KESTREL and MSDE in HLPS.
void WriteMainSettings(const std::string& iniPath, const MainSettings& settings);

}  // namespace app
