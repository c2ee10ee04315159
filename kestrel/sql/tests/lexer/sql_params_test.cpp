#include "kestrel/sql/lexer/sql_params.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kestrel/storage/streams/kestrel_stream.h"
#include "kestrel/storage/tests/values/value_factory.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

TEST(SqlParams, AddFindAndClear) {
  TKestrelSQLParams params;
  EXPECT_EQ(params.Count(), 0);
  EXPECT_EQ(params.FindParam("a"), nullptr);
  TKestrelSQLParam& first = params.AddParam();
  EXPECT_TRUE(first.IsNull());
  EXPECT_EQ(first.Name, "");
  first.Name = "Amount";
  first.SetAsInteger(3);
  TKestrelSQLParam& second = params.AddParam();
  second.Name = "\xC3\xA4rger";  // "ärger"
  params.AddParam().Name = "AMOUNT";
  ASSERT_EQ(params.Count(), 3);
  EXPECT_EQ(&params.Items(0), &first);
  EXPECT_EQ(&params.Items(1), &second);
  EXPECT_THROW(params.Items(3), std::out_of_range);

  // Names compare upper-cased by the locale's rules; the first match wins.
  EXPECT_EQ(params.FindParam("amount"), &first);
  EXPECT_EQ(params.FindParam("aMoUnT"), &first);
  EXPECT_EQ(params.FindParam("\xC3\x84RGER"), &second);  // "ÄRGER"
  EXPECT_EQ(params.FindParam("amounts"), nullptr);
  EXPECT_EQ(params.FindParam(""), nullptr);

  params.Clear();
  EXPECT_EQ(params.Count(), 0);
  EXPECT_EQ(params.FindParam("amount"), nullptr);
}

TEST(SqlParams, AssignCopiesTheNameOnlyFromAParameter) {
  TKestrelSQLParam source("p");
  source.SetAsString("abc");
  TKestrelSQLParam target("q");
  target.Assign(source, true);
  EXPECT_EQ(target.Name, "p");
  EXPECT_EQ(target.AsString(), "abc");
  EXPECT_FALSE(target.Borrowed());

  target.Assign(I32(5), true);
  EXPECT_EQ(target.Name, "p");
  EXPECT_EQ(target.AsInteger(), 5);

  TKestrelVariant plain;
  plain.Assign(source, true);
  EXPECT_EQ(plain.AsString(), "abc");
}

std::vector<uint8_t> Saved(const TKestrelSQLParam& param) {
  TKestrelMemoryStream stream;
  param.SaveToStream(stream);
  return stream.Bytes();
}

TEST(SqlParams, StreamFormIsNameThenValue) {
  TKestrelSQLParam param("id");
  param.SetAsInteger(0x01020304);
  const std::vector<uint8_t> expected = {
      2, 0, 0,    0,    'i',  'd', static_cast<uint8_t>(param.DataType()), 0, 4, 0,
      0, 0, 0x04, 0x03, 0x02, 0x01};
  EXPECT_EQ(Saved(param), expected);

  const struct {
    const char* name;
    TKestrelVariant value;
  } cases[] = {{"id", I32(-7)}, {"", Str("text")}, {"n\xC3\xA4me", TKestrelVariant(ST::kDate)}};
  for (const auto& c : cases) {
    TKestrelSQLParam original(c.name);
    original.Assign(c.value, true);
    TKestrelMemoryStream stream(Saved(original));
    TKestrelSQLParam loaded("old");
    loaded.SetAsInteger(1);
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.Name, c.name);
    EXPECT_EQ(loaded.DataType(), original.DataType());
    EXPECT_EQ(loaded.IsNull(), original.IsNull());
    if (!original.IsNull()) {
      EXPECT_EQ(loaded.Compare(original, true, false, false), TKestrelCompareCode::kEqual);
    }
    EXPECT_EQ(stream.Position(), stream.Size());
  }
}

TEST(SqlParams, DamagedStreamFormsFailWithTheirSite) {
  TKestrelSQLParam param("name");
  param.SetAsString("value");
  const std::vector<uint8_t> bytes = Saved(param);
  // Every truncation fails at the site it cuts.
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    TKestrelMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
    TKestrelSQLParam loaded;
    const std::string outcome = Outcome([&] { loaded.LoadFromStream(stream); });
    const char* site = length < 4    ? "E10177 "
                       : length < 8  ? "E10178 "
                       : length < 9  ? "E10183 "
                       : length < 10 ? "E10184 "
                       : length < 14 ? "E10185 "
                                     : "E10186 ";
    EXPECT_EQ(outcome.substr(0, 7), site) << length << ": " << outcome;
  }
  // A damaged name length is refused before anything is allocated for it.
  for (const int32_t length : {-1, 0x7FFFFFFF, 5000}) {
    std::vector<uint8_t> damaged = bytes;
    std::memcpy(damaged.data(), &length, 4);
    TKestrelMemoryStream stream(damaged);
    TKestrelSQLParam loaded;
    EXPECT_EQ(Outcome([&] { loaded.LoadFromStream(stream); }),
              "E10178 Cannot read from stream. Position = 4, Stream size = " +
                  std::to_string(bytes.size()) + ", Block size = " + std::to_string(length) +
                  ", Bytes Read = " + std::to_string(bytes.size() - 4));
  }
}

}  // namespace
}  // namespace kestrel
