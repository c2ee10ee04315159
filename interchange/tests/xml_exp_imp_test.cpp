#include "interchange/xml_exp_imp.h"

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

class XmlTest : public ::testing::Test {
 protected:
  TXMLEXPIMP& Component(dataset::TDataSet& dataSet, std::string_view name = "data.xml") {
    sources_.push_back(std::make_unique<dataset::TDataSource>(&dataSet));
    components_.push_back(std::make_unique<TXMLEXPIMP>());
    TXMLEXPIMP& xml = *components_.back();
    xml.SetDatasource(sources_.back().get());
    xml.SetXMLnev(dir_.File(name));
    xml.SetOKMsg(false);
    return xml;
  }

  static std::unique_ptr<TMemoryDataSet> People() {
    auto dataSet = std::make_unique<TMemoryDataSet>();
    dataSet->FieldDefs().Add("id", TFieldType::ftInteger);
    dataSet->FieldDefs().Add("name", TFieldType::ftString, 60);
    dataSet->CreateDataSet();
    return dataSet;
  }

  FormatSettingsGuard formats_;
  ScriptedUserDialogs dialogs_;
  TempDirectory dir_;
  std::vector<std::unique_ptr<dataset::TDataSource>> sources_;
  std::vector<std::unique_ptr<TXMLEXPIMP>> components_;
};

class XmlRoundTripTest : public XmlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(XmlRoundTripTest, GivesBackEveryValue) {
  if (GetParam()) {
    UseCentralEuropeanFormats();
  }
  auto source = EveryTypeDataSet();
  AddAwkwardRows(*source);
  auto target = EmptyCopy(*source);
  EXPECT_EQ(Component(*source).Export().records, 4);
  const TTransferResult result = Component(*target).Import();
  EXPECT_TRUE(result.Completed());
  EXPECT_EQ(result.records, 4);
  ExpectSameRecords(*source, *target);
  EXPECT_EQ(platform::GlobalFormatSettings().decimalSeparator, GetParam() ? ',' : '.');
  // One line per record: nine lines of frame and four rows.
  const std::string file = ReadFileBytes(dir_.File("data.xml"));
  std::size_t lines = 0;
  for (std::size_t pos = file.find("\r\n"); pos != std::string::npos;
       pos = file.find("\r\n", pos + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 5u + 15u + 1u + 4u + 1u);
}

INSTANTIATE_TEST_SUITE_P(Locales, XmlRoundTripTest, ::testing::Bool());

TEST_F(XmlTest, DocumentLayoutAndMessages) {
  auto people = People();
  people->AppendRecord({Variant::FromInteger(1), Variant::FromString("a<b> & \"c\"")});
  people->AppendRecord({Variant::FromInteger(2), Variant::Null()});
  TXMLEXPIMP& out = Component(*people, "people.xml");
  out.SetOKMsg(true);
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(out.Export().records, 2);
  EXPECT_EQ(ReadFileBytes(out.XMLnev()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
            "<?xml-stylesheet href=\"xml-data.xsl\"\r\n"
            "     type=\"text/xsl\"\r\n"
            "     title=\"" +
                out.XMLnev() +
                " adatok\" ?>\r\n"
                "<TABLE>\r\n"
                "<TH><TD>id</TD>\r\n"
                "<TD>name</TD>\r\n"
                "</TH>\r\n"
                "<TR><TD>1</TD><TD>a&lt;b&gt; &amp; &quot;c&quot;</TD></TR>\r\n"
                "<TR><TD>2</TD><TD null=\"1\"/></TR>\r\n"
                "</TABLE>\r\n");
  EXPECT_EQ(dialogs_.Shown().at(0).message.caption, "XML file elkészült");
  EXPECT_EQ(dialogs_.Shown().at(0).message.text,
            "Exportálva " + out.XMLnev() + " fileba        2 db rekord");

  auto copy = People();
  TXMLEXPIMP& in = Component(*copy, "people.xml");
  in.SetOKMsg(true);
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(in.Import().records, 2);
  EXPECT_EQ(dialogs_.Shown().at(1).message.caption, "XML file beolvasva");
  EXPECT_EQ(dialogs_.Shown().at(1).message.text, "2db.rekord beolvasva");
  ExpectSameRecords(*people, *copy);
}

TEST_F(XmlTest, OldFilesAndReferences) {
  // The older export declared ISO-8859-1, blanked "<" and ">" and left "&"
  // raw; hand-written files use references.
  WriteFileBytes(
      dir_.File("old.xml"),
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
      "<?xml-stylesheet href=\"xml-data.xsl\"\r\n"
      "     type=\"text/xsl\"\r\n"
      "     title=\"C:\\data\\old.xml adatok\" ?>\r\n"
      "<TABLE>\r\n"
      "<TH><TD>id</TD>\r\n"
      "<TD>name</TD>\r\n"
      "</TH>\r\n"
      "<TR><TD>1</TD><TD>R&D a b  & co</TD></TR>\r\n"
      "<TR><TD>2</TD><TD>&amp;&lt;&gt;&quot;&apos; &#233;&#x20AC;&#X41; &bogus; &#xD800; "
      "&#; &amp</TD></TR>\r\n"
      "<TR><TD>3</TD><TD>5\" pipe</TD></TR>\r\n"
      "</TABLE>\r\n");
  auto people = People();
  EXPECT_EQ(Component(*people, "old.xml").Import().records, 3);
  people->First();
  EXPECT_EQ(people->FieldByName("name").AsString(), "R&D a b  & co");
  people->Next();
  EXPECT_EQ(people->FieldByName("name").AsString(), "&<>\"' é€A &bogus; &#xD800; &#; &amp");
  people->Next();
  EXPECT_EQ(people->FieldByName("name").AsString(), "5\" pipe");
}

TEST_F(XmlTest, RecordLayout) {
  WriteFileBytes(dir_.File("records.xml"),
                 "<?xml version=\"1.0\"?>\n"
                 "<DATA>\n"
                 "  <RECORD><id>1</id><name>Anna</name><age>31</age></RECORD>\n"
                 "  <RECORD>\n"
                 "    <name>Béla &amp; Co</name>\n"
                 "    <id>2</id>\n"
                 "  </RECORD>\n"
                 "  <RECORD><id>3</id><name null=\"1\"/></RECORD>\n"
                 "</DATA>\n");
  auto people = People();
  people->Close();  // the import opens it
  EXPECT_EQ(Component(*people, "records.xml").Import().records, 3);
  ASSERT_TRUE(people->Active());
  people->First();
  EXPECT_EQ(people->FieldByName("id").AsInteger(), 1);
  EXPECT_EQ(people->FieldByName("name").AsString(), "Anna");
  people->Next();
  EXPECT_EQ(people->FieldByName("id").AsInteger(), 2);
  EXPECT_EQ(people->FieldByName("name").AsString(), "Béla & Co");
  people->Next();
  EXPECT_TRUE(people->FieldByName("name").IsNull());
}

TEST_F(XmlTest, ACellOfAnUnknownColumnStopsTheImport) {
  WriteFileBytes(dir_.File("wrong.xml"),
                 "<TABLE>\r\n<TH><TD>id</TD><TD>name</TD></TH>\r\n"
                 "<TR><TD>1</TD><TD>Anna</TD></TR>\r\n"
                 "<TH><TD>id</TD><TD>nope</TD></TH>\r\n"
                 "<TR><TD>2</TD><TD>Béla</TD></TR>\r\n"
                 "<TR><TD>3</TD><TD>Cili</TD></TR>\r\n"
                 "</TABLE>\r\n");
  auto people = People();
  try {
    Component(*people, "wrong.xml").Import();
    FAIL() << "the import went on";
  } catch (const platform::EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "Field 'nope' not found");
  }
  EXPECT_EQ(people->RecordCount(), 1);
  EXPECT_EQ(people->State(), dataset::TDataSetState::dsBrowse);
}

TEST_F(XmlTest, WideTablesWithLongNames) {
  // More columns and longer names than a fixed header table would hold.
  TMemoryDataSet wide;
  for (int index = 0; index < 120; ++index) {
    wide.FieldDefs().Add("a_column_name_longer_than_thirty_two_" + std::to_string(index),
                         TFieldType::ftInteger);
  }
  wide.CreateDataSet();
  std::vector<Variant> values;
  for (int index = 0; index < 120; ++index) {
    values.push_back(Variant::FromInteger(index * 7));
  }
  wide.AppendRecord(values);
  Component(wide).Export();
  auto copy = EmptyCopy(wide);
  EXPECT_EQ(Component(*copy).Import().records, 1);
  ExpectSameRecords(wide, *copy);
}

TEST_F(XmlTest, MissingFileIsAFileError) {
  auto people = People();
  TXMLEXPIMP& xml = Component(*people, "absent.xml");
  EXPECT_THROW(xml.Import(), platform::EInOutError);
  EXPECT_FALSE(std::filesystem::exists(xml.XMLnev()));
}

TEST_F(XmlTest, ProgressCanCancelBothWays) {
  auto people = People();
  for (int id = 1; id <= 12; ++id) {
    people->AppendRecord({Variant::FromInteger(id), Variant::FromString("p")});
  }
  TXMLEXPIMP& stopped = Component(*people, "stopped.xml");
  stopped.SetOKMsg(true);
  stopped.SetProgressInterval(4);
  stopped.OnProgress = [](int done) { return done < 8; };
  const TTransferResult exportResult = stopped.Export();
  EXPECT_TRUE(exportResult.Cancelled());
  EXPECT_EQ(exportResult.records, 8);
  EXPECT_FALSE(std::filesystem::exists(stopped.XMLnev()));

  Component(*people, "all.xml").Export();
  // Over an earlier export it leaves that file as it was.
  const std::string whole = ReadFileBytes(dir_.File("all.xml"));
  stopped.SetXMLnev(dir_.File("all.xml"));
  EXPECT_TRUE(stopped.Export().Cancelled());
  EXPECT_EQ(ReadFileBytes(dir_.File("all.xml")), whole);
  auto copy = People();
  TXMLEXPIMP& in = Component(*copy, "all.xml");
  in.SetOKMsg(true);
  in.SetProgressInterval(4);
  in.OnProgress = [](int done) { return done < 4; };
  const TTransferResult importResult = in.Import();
  EXPECT_TRUE(importResult.Cancelled());
  EXPECT_EQ(importResult.records, 4);
  EXPECT_EQ(copy->RecordCount(), 4);
  EXPECT_EQ(copy->State(), dataset::TDataSetState::dsBrowse);
}

}  // namespace
}  // namespace interchange
