#include "app/core/main_settings.h"

#include "settings/sectioned_ini_file.h"

namespace app {
namespace {

constexpr const char* kIni = "INI";
constexpr const char* kHelp = "HLPS";

}  // namespace

MainSettings ReadMainSettings(const std::string& iniPath, const std::string& programDirectory) {
  MainSettings s;
  settings::TSectionedIniFile store(iniPath);
  s.languages.SetCommaText(store.ReadString(kIni, "LANGUAGES", "\"English\",\"Hungarian\""));
  s.languageNo = store.ReadInteger(kIni, "LANGUAGENO", 0);
  s.sqlDir = store.ReadString(kIni, "SQLDIR", programDirectory);
  s.outDir = store.ReadString(kIni, "OUTDIR", programDirectory);
  s.treeX = store.ReadInteger(kIni, "TREEX", 100);
  s.pcBottomY = store.ReadInteger(kIni, "PCBottomY", 100);
  s.sqlMode = store.ReadInteger(kIni, "SQLMOD", 0);
  s.fontName1 = store.ReadString(kIni, "FONTNAME1", s.fontName1);
  s.fontName2 = store.ReadString(kIni, "FONTNAME2", s.fontName2);
  s.fontName3 = store.ReadString(kIni, "FONTNAME3", s.fontName3);
  s.fontSize1 = store.ReadInteger(kIni, "FONTSIZE1", s.fontSize1);
  s.fontSize2 = store.ReadInteger(kIni, "FONTSIZE2", s.fontSize2);
  s.fontSize3 = store.ReadInteger(kIni, "FONTSIZE3", s.fontSize3);
  s.helpMysql = store.ReadString(kHelp, "MYSQL", s.helpMysql);
  s.helpIb = store.ReadString(kHelp, "IB", s.helpIb);
  s.helpBde = store.ReadString(kHelp, "BDE", s.helpBde);
  s.helpKestrel = store.ReadString(kHelp, "KESTREL", s.helpKestrel);
  s.helpMsde = store.ReadString(kHelp, "MSDE", s.helpMsde);
  return s;
}

void WriteMainSettings(const std::string& iniPath, const MainSettings& s) {
  settings::TSectionedIniFile store(iniPath);
  store.WriteString(kIni, "OUTDIR", s.outDir);
  store.WriteString(kIni, "SQLDIR", s.sqlDir);
  store.WriteInteger(kIni, "TREEX", s.treeX);
  store.WriteInteger(kIni, "PCBottomY", s.pcBottomY);
  store.WriteInteger(kIni, "LANGUAGENO", s.languageNo);
  store.WriteString(kIni, "LANGUAGES", s.languages.CommaText());
  store.WriteString(kIni, "FONTNAME1", s.fontName1);
  store.WriteString(kIni, "FONTNAME2", s.fontName2);
  store.WriteString(kIni, "FONTNAME3", s.fontName3);
  store.WriteInteger(kIni, "FONTSIZE1", s.fontSize1);
  store.WriteInteger(kIni, "FONTSIZE2", s.fontSize2);
  store.WriteInteger(kIni, "FONTSIZE3", s.fontSize3);
  store.WriteString(kHelp, "MYSQL", s.helpMysql);
  store.WriteString(kHelp, "IB", s.helpIb);
  store.WriteString(kHelp, "BDE", s.helpBde);
  store.WriteString(kHelp, "KESTREL", s.helpKestrel);
  store.WriteString(kHelp, "MSDE", s.helpMsde);
  store.UpdateFile();
}

}  // namespace app
