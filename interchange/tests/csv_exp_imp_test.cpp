#include "interchange/csv_exp_imp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "interchange/tests/interchange_fixture.h"
#include "platform/errors.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"

namespace interchange {
namespace {

using dataset::TFieldType;
using dataset::TMemoryDataSet;
using dataset::Variant;
using platform::DialogButton;
using platform::testing::ReadFileBytes;
using platform::testing::ScriptedUserDialogs;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;
using namespace interchange::testing;

class CsvTest : public ::testing::Test {
 protected:
  // A component bound to `dataSet`, writing `name` in the test's directory,
  // without completion messages.
  TCSVEXPIMP& Component(dataset::TDataSet& dataSet, std::string_view name = "data.csv") {
    sources_.push_back(std::make_unique<dataset::TDataSource>(&dataSet));
    components_.push_back(std::make_unique<TCSVEXPIMP>());
    TCSVEXPIMP& csv = *components_.back();
    csv.SetDatasource(sources_.back().get());
    csv.SetCSVnev(dir_.File(name));
    csv.SetOKMsg(false);
    return csv;
  }

  FormatSettingsGuard formats_;
  ScriptedUserDialogs dialogs_;
  TempDirectory dir_;
  std::vector<std::unique_ptr<dataset::TDataSource>> sources_;
  std::vector<std::unique_ptr<TCSVEXPIMP>> components_;
};

struct RoundTripCase {
  const char* separator;
  bool header;
  bool localFormats;
};

class CsvRoundTripTest : public CsvTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(CsvRoundTripTest, GivesBackEveryValue) {
  const RoundTripCase& param = GetParam();
  if (param.localFormats) {
    UseCentralEuropeanFormats();
  }
  auto source = EveryTypeDataSet();
  AddAwkwardRows(*source);
  auto target = EmptyCopy(*source);

  TCSVEXPIMP& out = Component(*source);
  out.SetElvalaszt(param.separator);
  out.SetElsonemkell(param.header);
  EXPECT_EQ(out.Export().records, 4);

  TCSVEXPIMP& in = Component(*target);
  in.SetElvalaszt(param.separator);
  in.SetElsonemkell(param.header);
  const TTransferResult result = in.Import();
  EXPECT_TRUE(result.Completed());
  EXPECT_EQ(result.records, 4);
  ExpectSameRecords(*source, *target);
  // Whatever happened inside, the locale's separator is back.
  EXPECT_EQ(platform::GlobalFormatSettings().decimalSeparator, param.localFormats ? ',' : '.');
}

INSTANTIATE_TEST_SUITE_P(Separators, CsvRoundTripTest,
                         ::testing::Values(RoundTripCase{";", false, false},
                                           RoundTripCase{",", true, false},
                                           RoundTripCase{"\t", true, true},
                                           RoundTripCase{";", true, true}));

TEST_F(CsvTest, FileLayout) {
  TMemoryDataSet dataSet;
  auto& defs = dataSet.FieldDefs();
  defs.Add("text", TFieldType::ftString, 40);
  defs.Add("ratio", TFieldType::ftFloat);
  defs.Add("count", TFieldType::ftInteger);
  defs.Add("small", TFieldType::ftSmallint);
  defs.Add("flag", TFieldType::ftBoolean);
  defs.Add("price", TFieldType::ftCurrency);
  defs.Add("whole", TFieldType::ftBCD, 0);
  defs.Add("day", TFieldType::ftDate);
  defs.Add("clock", TFieldType::ftTime);
  defs.Add("stamp", TFieldType::ftDateTime);
  dataSet.CreateDataSet();
  dataSet.AppendRecord({Variant::FromString("He said \"hi\"; ok"), Variant::FromDouble(3.5),
                        Variant::FromInteger(42), Variant::FromSmallint(7),
                        Variant::FromBoolean(true), Variant::FromDouble(12.5),
                        Variant::FromDouble(1234),
                        Variant::FromDateTime(platform::EncodeDate(2024, 1, 31)),
                        Variant::FromDateTime(platform::EncodeTime(8, 5, 9, 0)),
                        Variant::FromDateTime(Stamp(2024, 1, 31, 8, 5, 9, 30))});
  std::vector<Variant> nulls(10, Variant::Null());
  dataSet.AppendRecord(nulls);
  // Numbers too long for their width, and more decimals than the fixed form keeps.
  dataSet.AppendRecord(
      {Variant::FromString(""), Variant::FromDouble(1234567.125), Variant::FromInteger(-2147483647),
       Variant::FromSmallint(-32768), Variant::FromBoolean(false), Variant::FromDouble(0.125),
       Variant::FromDouble(-5), Variant::FromDateTime(platform::EncodeDate(1999, 12, 1)),
       Variant::FromDateTime(platform::EncodeTime(23, 0, 0, 5)),
       Variant::FromDateTime(platform::EncodeDate(2000, 2, 3))});

  TCSVEXPIMP& csv = Component(dataSet, "layout.csv");
  csv.SetElsonemkell(true);
  csv.SetOKMsg(true);
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(csv.Export().records, 3);

  EXPECT_EQ(ReadFileBytes(csv.CSVnev()),
            "text;ratio;count;small;flag;price;whole;day;clock;stamp;\r\n"
            "\"He said \"\"hi\"\"; ok\";      3.5000;          42;      7;True;         12.50;"
            "          1234;2024-01-31;08:05:09;2024-01-31 08:05:09.030;\r\n"
            ";;;;;;;;;;\r\n"
            "\"\";1234567.1250; -2147483647; -32768;False;         0.125;            -5;"
            "1999-12-01;23:00:00.005;2000-02-03;\r\n");
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].message.caption, "CSV file elkészült");
  EXPECT_EQ(dialogs_.Shown()[0].message.text,
            "Exportálva " + csv.CSVnev() + " fileba        3 db rekord");
}

TEST_F(CsvTest, OldFilesImportAsTheyDid) {
  TMemoryDataSet dataSet;
  auto& defs = dataSet.FieldDefs();
  defs.Add("text", TFieldType::ftString, 40);
  defs.Add("ratio", TFieldType::ftFloat);
  defs.Add("count", TFieldType::ftInteger);
  defs.Add("flag", TFieldType::ftBoolean);
  defs.Add("day", TFieldType::ftDate);
  defs.Add("clock", TFieldType::ftTime);
  defs.Add("stamp", TFieldType::ftDateTime);
  defs.Add("last", TFieldType::ftString, 40);
  dataSet.CreateDataSet();
  // The older export turned quotes into "'" and ";" into ",", wrote time
  // fields as their date part and date-times as nothing; a hand-made last
  // value lacks its separator.
  WriteFileBytes(
      dir_.File("old.csv"),
      "text;ratio;count;flag;day;clock;stamp;last;\r\n"
      "\"He said 'hi', ok\";      3.5000;          42;True;2024-01-31;1899-12-30;;tail\r\n"
      "\"R&D\";     -0.2500;          -7;yes;1999-12-01;1899-12-30;;\"a,b\"\r\n"
      "\"\";      0.0000;           0;False;2000-02-29;1899-12-30;;x y \r\n");
  TCSVEXPIMP& csv = Component(dataSet, "old.csv");
  csv.SetElsonemkell(true);
  csv.SetOKMsg(true);
  dialogs_.AnswerMessage(DialogButton::kOk);
  const TTransferResult result = csv.Import();
  EXPECT_EQ(result.records, 3);
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].message.caption, "CSV file betöltve");
  EXPECT_EQ(dialogs_.Shown()[0].message.text,
            "Importálva " + csv.CSVnev() + " fileból        3 db rekord");

  dataSet.First();
  EXPECT_EQ(dataSet.FieldByName("text").AsString(), "He said 'hi', ok");
  EXPECT_EQ(dataSet.FieldByName("ratio").AsFloat(), 3.5);
  EXPECT_EQ(dataSet.FieldByName("count").AsInteger(), 42);
  EXPECT_TRUE(dataSet.FieldByName("flag").AsBoolean());
  EXPECT_EQ(dataSet.FieldByName("day").AsDateTime(), platform::EncodeDate(2024, 1, 31));
  EXPECT_EQ(dataSet.FieldByName("clock").AsDateTime(), 0);
  EXPECT_TRUE(dataSet.FieldByName("stamp").IsNull());
  EXPECT_EQ(dataSet.FieldByName("last").AsString(), "tail");
  dataSet.Next();
  EXPECT_EQ(dataSet.FieldByName("text").AsString(), "R&D");
  EXPECT_EQ(dataSet.FieldByName("ratio").AsFloat(), -0.25);
  EXPECT_TRUE(dataSet.FieldByName("flag").AsBoolean());
  EXPECT_EQ(dataSet.FieldByName("last").AsString(), "a,b");
  dataSet.Next();
  EXPECT_FALSE(dataSet.FieldByName("text").IsNull());
  EXPECT_EQ(dataSet.FieldByName("text").AsString(), "");
  EXPECT_FALSE(dataSet.FieldByName("flag").AsBoolean());
  EXPECT_EQ(dataSet.FieldByName("last").AsString(), "x y ");
}

TEST_F(CsvTest, HeaderLineCountsAsARecordUnlessSkipped) {
  TMemoryDataSet source;
  source.FieldDefs().Add("name", TFieldType::ftString, 20);
  source.FieldDefs().Add("city", TFieldType::ftString, 20);
  source.CreateDataSet();
  source.AppendRecord({Variant::FromString("Anna"), Variant::FromString("Pécs")});
  source.AppendRecord({Variant::FromString("Béla"), Variant::FromString("Győr")});
  TCSVEXPIMP& out = Component(source);
  out.SetElsonemkell(true);
  out.Export();

  auto skipped = EmptyCopy(source);
  TCSVEXPIMP& skipping = Component(*skipped);
  skipping.SetElsonemkell(true);
  EXPECT_EQ(skipping.Import().records, 2);

  auto kept = EmptyCopy(source);
  EXPECT_EQ(Component(*kept).Import().records, 3);
  kept->First();
  EXPECT_EQ(kept->FieldByName("name").AsString(), "name");
  EXPECT_EQ(kept->FieldByName("city").AsString(), "city");
}

TEST_F(CsvTest, BadValuesAskWithRecordAndFieldUntilAnsweredNo) {
  TMemoryDataSet dataSet;
  auto& defs = dataSet.FieldDefs();
  defs.Add("id", TFieldType::ftInteger);
  defs.Add("amount", TFieldType::ftFloat);
  defs.Add("day", TFieldType::ftDate);
  defs.Add("note", TFieldType::ftString, 20);
  dataSet.CreateDataSet();
  WriteFileBytes(dir_.File("bad.csv"),
                 "1;1.5;2024-01-01;\"ok\";\r\n"
                 "2;1,5x;2024-01-02;\"bad number\";\r\n"
                 "3;2.5;31st of May;\"bad date\";\r\n"
                 "x;3.5;2024-01-04;\"bad id\";\r\n");
  TCSVEXPIMP& csv = Component(dataSet, "bad.csv");
  const std::string question = "\r\nAkarja a további hibákat látni?";

  dialogs_.AnswerMessage(DialogButton::kYes);
  dialogs_.AnswerMessage(DialogButton::kNo);
  EXPECT_EQ(csv.Import().records, 4);
  EXPECT_EQ(
      dialogs_.MessageTexts(),
      (std::vector<std::string>{"Hibás szám adat a        2. rekord amount adatában." + question,
                                "Hibás adat a        3. rekord day adatában." + question}));
  EXPECT_EQ(dialogs_.Shown()[0].message.caption, "Hiba");
  EXPECT_TRUE(platform::HasButton(dialogs_.Shown()[0].message.buttons, DialogButton::kNo));

  // Every record is posted with the values that could be stored: a bad
  // number leaves its field unset, a bad value ends the line's fields.
  dataSet.First();
  dataSet.Next();
  EXPECT_TRUE(dataSet.FieldByName("amount").IsNull());
  EXPECT_EQ(dataSet.FieldByName("note").AsString(), "bad number");
  dataSet.Next();
  EXPECT_EQ(dataSet.FieldByName("amount").AsFloat(), 2.5);
  EXPECT_TRUE(dataSet.FieldByName("day").IsNull());
  EXPECT_TRUE(dataSet.FieldByName("note").IsNull());
  dataSet.Next();
  EXPECT_TRUE(dataSet.FieldByName("id").IsNull());
  EXPECT_EQ(dataSet.FieldByName("note").AsString(), "bad id");

  // The next import asks again.
  dialogs_.AnswerMessage(DialogButton::kNo);
  EXPECT_EQ(csv.Import().records, 4);
  EXPECT_EQ(dialogs_.MessageTexts().size(), 3u);
  EXPECT_EQ(dialogs_.MessageTexts()[2],
            "Hibás szám adat a        2. rekord amount adatában." + question);
}

TEST_F(CsvTest, MissingFileIsReported) {
  auto dataSet = EveryTypeDataSet();
  TCSVEXPIMP& csv = Component(*dataSet, "absent.csv");
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(csv.Import().outcome, TTransferOutcome::kFileMissing);
  ASSERT_EQ(dialogs_.Shown().size(), 1u);
  EXPECT_EQ(dialogs_.Shown()[0].message.caption, "Hiba");
  EXPECT_EQ(dialogs_.Shown()[0].message.text, "Nincs meg a CSV file!");
  EXPECT_EQ(dataSet->RecordCount(), 0);
  EXPECT_FALSE(std::filesystem::exists(csv.CSVnev()));
}

TEST_F(CsvTest, ImportReopensTheDatasetAfterThe1stAnd2001stRecord) {
  TMemoryDataSet dataSet;
  dataSet.FieldDefs().Add("id", TFieldType::ftInteger);
  dataSet.CreateDataSet();
  std::string content;
  for (int id = 1; id <= 4001; ++id) {
    content += std::to_string(id) + ";\r\n";
  }
  WriteFileBytes(dir_.File("many.csv"), content);
  std::vector<int> reopenedAfter;
  dataSet.AfterOpen = [&](dataset::TDataSet& opened) {
    reopenedAfter.push_back(opened.RecordCount());
  };
  EXPECT_EQ(Component(dataSet, "many.csv").Import().records, 4001);
  EXPECT_EQ(reopenedAfter, (std::vector<int>{1, 2001, 4001}));
  dataSet.Last();
  EXPECT_EQ(dataSet.FieldByName("id").AsInteger(), 4001);
}

TEST_F(CsvTest, ProgressCanCancelBothWays) {
  TMemoryDataSet source;
  source.FieldDefs().Add("id", TFieldType::ftInteger);
  source.CreateDataSet();
  for (int id = 1; id <= 20; ++id) {
    source.AppendRecord({Variant::FromInteger(id)});
  }
  std::vector<int> seen;
  TCSVEXPIMP& out = Component(source, "full.csv");
  out.SetOKMsg(true);
  out.SetProgressInterval(5);
  out.OnProgress = [&](int done) {
    seen.push_back(done);
    return true;
  };
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_TRUE(out.Export().Completed());
  EXPECT_EQ(seen, (std::vector<int>{5, 10, 15, 20}));

  // A cancelled export leaves no partial file behind and shows no message.
  TCSVEXPIMP& cancelled = Component(source, "cancelled.csv");
  cancelled.SetOKMsg(true);
  cancelled.SetProgressInterval(5);
  cancelled.OnProgress = [](int done) { return done < 10; };
  const TTransferResult exportResult = cancelled.Export();
  EXPECT_TRUE(exportResult.Cancelled());
  EXPECT_EQ(exportResult.records, 10);
  EXPECT_FALSE(std::filesystem::exists(cancelled.CSVnev()));
  // Over an earlier export it leaves that file as it was.
  const std::string whole = ReadFileBytes(out.CSVnev());
  cancelled.SetCSVnev(out.CSVnev());
  EXPECT_TRUE(cancelled.Export().Cancelled());
  EXPECT_EQ(ReadFileBytes(out.CSVnev()), whole);

  // A cancelled import keeps the records posted so far.
  auto target = EmptyCopy(source);
  TCSVEXPIMP& in = Component(*target, "full.csv");
  in.SetOKMsg(true);
  in.SetProgressInterval(5);
  in.OnProgress = [](int done) { return done < 15; };
  const TTransferResult importResult = in.Import();
  EXPECT_TRUE(importResult.Cancelled());
  EXPECT_EQ(importResult.records, 15);
  EXPECT_EQ(target->RecordCount(), 15);
  EXPECT_EQ(target->State(), dataset::TDataSetState::dsBrowse);
}

TEST_F(CsvTest, FailuresReachTheCallerAndRestoreTheDecimalSeparator) {
  platform::GlobalFormatSettings().decimalSeparator = ',';
  auto dataSet = EveryTypeDataSet();
  TCSVEXPIMP& csv = Component(*dataSet);
  csv.SetCSVnev(dir_.File("no/such/dir/out.csv"));
  EXPECT_THROW(csv.Export(), platform::EInOutError);
  EXPECT_EQ(platform::GlobalFormatSettings().decimalSeparator, ',');

  dataSet->Close();
  csv.SetCSVnev(dir_.File("closed.csv"));
  EXPECT_THROW(csv.Export(), platform::EDatabaseError);
  EXPECT_EQ(platform::GlobalFormatSettings().decimalSeparator, ',');

  // A post that fails leaves the dataset browsing, not half-way through an append.
  TMemoryDataSet required;
  required.FieldDefs().Add("id", TFieldType::ftInteger, 0, true);
  required.CreateDataSet();
  WriteFileBytes(dir_.File("gap.csv"), "1;\r\n;\r\n");
  EXPECT_THROW(Component(required, "gap.csv").Import(), platform::EDatabaseError);
  EXPECT_EQ(required.State(), dataset::TDataSetState::dsBrowse);
  EXPECT_EQ(required.RecordCount(), 1);
}

}  // namespace
}  // namespace interchange
