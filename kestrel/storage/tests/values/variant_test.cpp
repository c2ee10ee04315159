#include "kestrel/storage/values/variant.h"

#include <gtest/gtest.h>

#include <vector>

#include "kestrel/storage/streams/kestrel_stream.h"
#include "kestrel/storage/tests/values/value_factory.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

TEST(Variant, CreatedNullWithItsType) {
  const TKestrelVariant v(ST::kSignedInt32);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), ST::kSignedInt32);
  EXPECT_EQ(v.Data(), nullptr);
  EXPECT_EQ(v.NullMarker(), 255);
  EXPECT_EQ(Outcome([&] { v.AsInteger(); }), "E30016 Value is Null");
  EXPECT_EQ(Outcome([&] { v.CheckNotNull(); }), "E30016 Value is Null");
  EXPECT_EQ(v.TextLength(), -1);
}

TEST(Variant, NullExactlyWhenMarkedOrWithoutBuffer) {
  TKestrelVariant v = I32(7);
  EXPECT_FALSE(v.IsNull());
  const uint8_t* buffer = v.Data();
  v.SetNull();
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), ST::kSignedInt32);  // type and buffer stay
  EXPECT_EQ(v.Data(), buffer);
  v.SetSize(4);
  EXPECT_FALSE(v.IsNull());
  EXPECT_EQ(v.AsInteger(), 7);  // the bytes that fit are kept
  v.SetSize(0);
  EXPECT_TRUE(v.IsNull());
  v.SetAsInteger(9);
  v.Clear(ST::kString);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), ST::kString);
  EXPECT_EQ(v.Size(), 0);
  EXPECT_FALSE(v.Borrowed());
}

TEST(Variant, SetSizeGrowsKeepingTheBytes) {
  TKestrelVariant v = Str("abc");
  v.SetSize(40);
  ASSERT_EQ(v.Size(), 40);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.Data())), "abc");
  v.SetSize(2);
  EXPECT_EQ(v.Size(), 2);
  EXPECT_EQ(v.Data()[0], 'a');
  EXPECT_EQ(v.Data()[1], 'b');
}

TEST(Variant, TextFormsAndLengths) {
  TKestrelVariant narrow;
  narrow.SetAsString("abc");
  EXPECT_EQ(narrow.DataType(), ST::kString);
  EXPECT_EQ(narrow.Size(), 4);
  EXPECT_EQ(narrow.TextLength(), 3);
  TKestrelVariant wide;
  wide.SetAsWideString(u"abc");
  EXPECT_EQ(wide.DataType(), ST::kWideString);
  EXPECT_EQ(wide.Size(), 8);
  EXPECT_EQ(wide.TextLength(), 3);
  // An empty text is never stored.
  narrow.SetAsString("");
  EXPECT_TRUE(narrow.IsNull());
  EXPECT_EQ(narrow.DataType(), ST::kString);
  wide.SetAsWideString(u"");
  EXPECT_TRUE(wide.IsNull());
  // Getters read up to the first zero.
  EXPECT_EQ(Bytes(ST::kString, std::string("ab\0cd\0", 6)).AsString(), "ab");
  EXPECT_EQ(Bytes(ST::kWideChar, std::string("a\0\0\0b\0\0\0", 8)).AsWideString(), u"a");
  EXPECT_EQ(I32(5).TextLength(), -1);
  EXPECT_EQ(Bytes(ST::kMemo, std::string("xyz\0", 4)).TextLength(), 3);
  EXPECT_EQ(Bytes(ST::kBlob, std::string("xyz\0", 4)).TextLength(), -1);
}

TEST(Variant, BorrowedBuffersAreNeverWrittenOrFreed) {
  int32_t record[2] = {11, 22};
  TKestrelVariant v;
  v.SetData(&record[1], 4, false, ST::kSignedInt32);
  EXPECT_TRUE(v.Borrowed());
  EXPECT_EQ(v.Data(), reinterpret_cast<uint8_t*>(&record[1]));
  EXPECT_EQ(v.AsInteger(), 22);
  v.SetAsInteger(33);  // replaces the buffer instead of writing into the record
  EXPECT_FALSE(v.Borrowed());
  EXPECT_EQ(record[1], 22);
  EXPECT_EQ(v.AsInteger(), 33);

  TKestrelVariant other;
  other.SetData(&record[0], 4, false, ST::kSignedInt32);
  other.SetSize(4);  // resizing takes an own copy first
  EXPECT_FALSE(other.Borrowed());
  EXPECT_NE(other.Data(), reinterpret_cast<uint8_t*>(&record[0]));
  EXPECT_EQ(other.AsInteger(), 11);
}

TEST(Variant, AssignSharesOrCopies) {
  const TKestrelVariant source = Str("shared text that is longer than the inline buffer");
  TKestrelVariant shared;
  shared.Assign(source, false);
  EXPECT_TRUE(shared.Borrowed());
  EXPECT_EQ(shared.Data(), source.Data());
  EXPECT_EQ(shared.Size(), source.Size());
  EXPECT_EQ(shared.DataType(), ST::kString);
  TKestrelVariant copied;
  copied.Assign(source, true);
  EXPECT_FALSE(copied.Borrowed());
  EXPECT_NE(copied.Data(), source.Data());
  EXPECT_TRUE(SameValue(copied, source));
  TKestrelVariant null;
  null.Assign(Null(ST::kDate), true);
  EXPECT_TRUE(null.IsNull());
  EXPECT_EQ(null.DataType(), ST::kDate);
  // Copies made by the copy constructor own their bytes even from a borrower.
  const TKestrelVariant copy(shared);
  EXPECT_FALSE(copy.Borrowed());
  EXPECT_TRUE(SameValue(copy, source));
}

TEST(Variant, SameSizeWritesReuseTheBuffer) {
  TKestrelVariant v = I64(1);
  const uint8_t* buffer = v.Data();
  for (int64_t i = 0; i < 100; ++i) {
    v.SetAsLargeInt(i);
    ASSERT_EQ(v.Data(), buffer);
  }
  const std::string big(100, 'x');
  v.SetData(big.data(), 100, true, ST::kBytes);
  const uint8_t* heap = v.Data();
  const std::string other(100, 'y');
  v.SetData(other.data(), 100, true, ST::kBytes);
  EXPECT_EQ(v.Data(), heap);
  EXPECT_EQ(v.Data()[99], 'y');
}

TEST(Variant, MovedValuesKeepTheirBytes) {
  std::vector<TKestrelVariant> values;
  for (int i = 0; i < 50; ++i) {
    values.push_back(i % 2 ? I32(i) : Str(std::string(static_cast<std::size_t>(i), 'a') + "z"));
  }
  for (int i = 0; i < 50; ++i) {
    if (i % 2) {
      EXPECT_EQ(values[static_cast<std::size_t>(i)].AsInteger(), i);
    } else {
      EXPECT_EQ(values[static_cast<std::size_t>(i)].AsString(),
                std::string(static_cast<std::size_t>(i), 'a') + "z");
    }
  }
}

TEST(Variant, GetDataChecksTheCapacity) {
  const TKestrelVariant v = I32(0x01020304);
  uint8_t out[4] = {};
  EXPECT_TRUE(v.GetData(out, 4));
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[3], 1);
  EXPECT_TRUE(v.GetData(out, -1));
  EXPECT_EQ(Outcome([&] { v.GetData(out, 3); }), "E20056 Buffer size exceeded");
  EXPECT_FALSE(Null(ST::kSignedInt32).GetData(out, 4));
}

TEST(Variant, SettersStoreIntoTheValuesOwnType) {
  TKestrelVariant text(ST::kString);
  text.SetAsInteger(-42);
  EXPECT_EQ(text.DataType(), ST::kString);
  EXPECT_EQ(text.AsString(), "-42");
  TKestrelVariant small(ST::kSignedInt8);
  EXPECT_EQ(Outcome([&] { small.SetAsInteger(1000); }),
            "E30051 Cannot cast from 'SIGNEDINT32' to 'SIGNEDINT8'");
  small.SetAsInteger(100);
  EXPECT_EQ(small.AsShortInt(), 100);
  TKestrelVariant date(ST::kDate);
  date.SetAsDate(38053.75);  // 2004-03-07 18:00
  EXPECT_EQ(date.AsDateNumber(), 731647);
  EXPECT_EQ(date.AsDate(), 38053);
  TKestrelVariant time(ST::kTime);
  time.SetAsTime(0.5);
  EXPECT_EQ(time.AsTimeNumber(), 43200000);
  TKestrelVariant stamp;
  stamp.SetAsDateTime(38053.5);
  EXPECT_EQ(stamp.DataType(), ST::kDateTime);
  EXPECT_EQ(stamp.AsDateTimePair().date, 731647);
  EXPECT_EQ(stamp.AsDateTimePair().time, 43200000);
  EXPECT_DOUBLE_EQ(stamp.AsDateTime(), 38053.5);
  TKestrelVariant logical;
  logical.SetAsBoolean(true);
  EXPECT_EQ(HexOf(logical), "FFFF");
  EXPECT_TRUE(Raw(ST::kLogical, int16_t{2}).AsBoolean());
  TKestrelVariant extended;
  extended.SetAsExtended(1.0L / 3);
  EXPECT_EQ(extended.Size(), 10);
  EXPECT_EQ(extended.AsExtended(), 1.0L / 3);
  TKestrelVariant money;
  money.SetAsCurrency(1.23456);
  EXPECT_DOUBLE_EQ(money.AsCurrency(), 1.2346);
  EXPECT_EQ(Outcome([&] { money.SetAsCurrency(1e20); }).substr(0, 6), "E10439");
}

TEST(Variant, GettersConvertACopy) {
  const TKestrelVariant text = Str("123");
  EXPECT_EQ(text.AsInteger(), 123);
  EXPECT_EQ(text.AsByte(), 123);
  EXPECT_DOUBLE_EQ(text.AsDouble(), 123);
  EXPECT_EQ(text.DataType(), ST::kString);
  EXPECT_EQ(text.AsString(), "123");
  EXPECT_EQ(U32(4000000000u).AsLargeInt(), 4000000000);
  EXPECT_EQ(Outcome([] { U32(4000000000u).AsInteger(); }),
            "E30051 Cannot cast from 'UNSIGNEDINT32' to 'SIGNEDINT32'");
}

TEST(Variant, DateAndTimeNumbers) {
  EXPECT_EQ(DateTimeToDateNumber(0), 693594);
  EXPECT_EQ(DateTimeToDateNumber(-1.25), 693593);
  EXPECT_EQ(DateNumberToDateTime(693594), 0);
  EXPECT_THROW(DateTimeToDateNumber(3e9), ERangeError);
  // Ties go to the even millisecond.
  EXPECT_EQ(DateTimeToTimeNumber(0.5 / 86400000), 0);
  EXPECT_EQ(DateTimeToTimeNumber(1.5 / 86400000), 2);
  EXPECT_EQ(DateTimeToTimeNumber(-1.25), 21600000);
  EXPECT_DOUBLE_EQ(TimeNumberToDateTime(43200000), 0.5);
  const platform::TimeStamp almostMidnight = DateTimeToDateTimePair(0.9999999999);
  EXPECT_EQ(almostMidnight.date, 693595);
  EXPECT_EQ(almostMidnight.time, 0);
  EXPECT_DOUBLE_EQ(DateTimePairToDateTime({693593, 21600000}), -1.25);
}

TEST(Variant, StreamFormRoundTrip) {
  const TKestrelVariant values[] = {
      I32(-5),         Str("text"),
      WStr(u"wide"),   Null(ST::kDate),
      F80(1.0L / 3),   Stamp(731647, 43200000),
      Bool(true),      Bytes(ST::kBlob, std::string("\0\1\2", 3)),
      Null(ST::kNone),
  };
  for (const TKestrelVariant& value : values) {
    TKestrelMemoryStream stream;
    value.SaveToStream(stream);
    stream.SetPosition(0);
    TKestrelVariant loaded = I16(99);
    loaded.LoadFromStream(stream);
    EXPECT_TRUE(SameValue(loaded, value)) << Describe(value);
    EXPECT_FALSE(loaded.Borrowed());
    EXPECT_EQ(stream.Position(), stream.Size());
  }
}

TEST(Variant, StreamFormLayout) {
  TKestrelMemoryStream stream;
  I16(0x0102).SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{6, 0, 2, 0, 0, 0, 2, 1}));
  TKestrelMemoryStream nullStream;
  Null(ST::kString).SaveToStream(nullStream);
  EXPECT_EQ(nullStream.Bytes(), (std::vector<uint8_t>{3, 255}));
}

TEST(Variant, ShortStreamsReportTheItemThatFailed) {
  TKestrelMemoryStream full;
  I32(7).SaveToStream(full);
  const std::vector<uint8_t> bytes = full.Bytes();  // 1 + 1 + 4 + 4 bytes
  const struct {
    std::size_t keep;
    int code;
  } cases[] = {{0, 10183}, {1, 10184}, {2, 10185}, {5, 10185}, {6, 10186}, {9, 10186}};
  for (const auto& c : cases) {
    TKestrelMemoryStream cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + c.keep));
    TKestrelVariant v;
    try {
      v.LoadFromStream(cut);
      ADD_FAILURE() << "no error after " << c.keep << " bytes";
    } catch (const EKestrelException& error) {
      EXPECT_EQ(error.NativeError(), c.code) << c.keep;
    }
  }
  // A damaged size does not make the value allocate it.
  TKestrelMemoryStream huge(std::vector<uint8_t>{3, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0});
  TKestrelVariant v;
  EXPECT_EQ(Outcome([&] { v.LoadFromStream(huge); }).substr(0, 6), "E10186");
}

// Accepts the first `limit` bytes, then writes nothing.
class FailingStream : public TKestrelMemoryStream {
 public:
  explicit FailingStream(int32_t limit) : limit_(limit) {}
  int32_t Write(const void* buffer, int32_t count) override {
    const int32_t n = std::min(count, limit_);
    limit_ -= n;
    return TKestrelMemoryStream::Write(buffer, n);
  }

 private:
  int32_t limit_;
};

TEST(Variant, ShortWritesReportTheItemThatFailed) {
  const struct {
    int32_t limit;
    int code;
  } cases[] = {{0, 10179}, {1, 10180}, {2, 10181}, {6, 10182}, {8, 10182}};
  for (const auto& c : cases) {
    FailingStream stream(c.limit);
    try {
      I32(7).SaveToStream(stream);
      ADD_FAILURE() << "no error at " << c.limit;
    } catch (const EKestrelException& error) {
      EXPECT_EQ(error.NativeError(), c.code) << c.limit;
      EXPECT_NE(error.Text().find("Cannot write to stream. Position = "), std::string::npos);
    }
  }
}

TEST(Variant, FromPlatformVariant) {
  using dataset::Variant;
  const struct {
    Variant in;
    const char* expected;
  } cases[] = {
      {Variant::FromSmallint(-3), "SIGNEDINT16 -3"},
      {Variant::FromInteger(70000), "SIGNEDINT32 70000"},
      {Variant::FromSingle(1.5f), "SINGLE 1.5"},
      {Variant::FromDouble(2.25), "FLOAT 2.25"},
      {Variant::FromCurrency(1.5), "CURRENCY 1.5"},
      {Variant::FromDateTime(38053.5), "DATETIME 731647+43200000"},
      {Variant::FromOleStr(u"wide"), "WIDESTRING wide"},
      {Variant::FromBoolean(true), "LOGICAL True"},
      {Variant::FromShortInt(-8), "SIGNEDINT8 -8"},
      {Variant::FromByte(200), "UNSIGNEDINT8 200"},
      {Variant::FromWord(60000), "UNSIGNEDINT16 60000"},
      {Variant::FromLongWord(4000000000u), "UNSIGNEDINT32 4000000000"},
      {Variant::FromString("narrow"), "STRING narrow"},
  };
  for (const auto& c : cases) {
    TKestrelVariant v;
    v.FromPlatformVariant(c.in);
    EXPECT_EQ(Describe(v), c.expected);
  }
  // A typed value keeps its type.
  TKestrelVariant typed(ST::kString);
  typed.FromPlatformVariant(Variant::FromInteger(12));
  EXPECT_EQ(Describe(typed), "STRING 12");
  TKestrelVariant nulled = I32(5);
  nulled.FromPlatformVariant(Variant::Null());
  EXPECT_EQ(Describe(nulled), "SIGNEDINT32 NULL");
  for (const Variant& unsupported : {Variant(), Variant::FromInt64(1)}) {
    TKestrelVariant v;
    EXPECT_EQ(
        Outcome([&] { v.FromPlatformVariant(unsupported); }),
        "E30113 Unsupported Variant Type " + std::to_string(static_cast<int>(unsupported.Type())));
  }
}

TEST(Variant, ToPlatformVariant) {
  using dataset::VarType;
  const struct {
    TKestrelVariant in;
    VarType type;
    const char* text;
  } cases[] = {
      {Str("abc"), VarType::kString, "abc"},
      {Bytes(ST::kBlob, std::string("bl\0ob", 5)), VarType::kString, "bl"},
      {WStr(u"w"), VarType::kOleStr, "w"},
      {U16(65535), VarType::kInteger, "65535"},
      {I8(-1), VarType::kInteger, "-1"},
      {F32(0.5f), VarType::kDouble, "0.5"},
      {Cur(2.5), VarType::kDouble, "2.5"},
      {Date(693595), VarType::kDouble, "1"},
      {Time(43200000), VarType::kDouble, "0.5"},
      {Bool(false), VarType::kBoolean, "False"},
  };
  for (const auto& c : cases) {
    const dataset::Variant out = c.in.ToPlatformVariant();
    EXPECT_EQ(out.Type(), c.type) << Describe(c.in);
    EXPECT_EQ(out.ToString(), c.text) << Describe(c.in);
  }
  const dataset::Variant stamp = Stamp(731647, 43200000).ToPlatformVariant();
  EXPECT_EQ(stamp.Type(), VarType::kDate);
  EXPECT_DOUBLE_EQ(stamp.ToDateTime(), 38053.5);
  EXPECT_TRUE(Null(ST::kSignedInt64).ToPlatformVariant().IsNull());
  EXPECT_TRUE(Null(ST::kMemo).ToPlatformVariant().IsNull());
  EXPECT_EQ(Outcome([] { I64(1).ToPlatformVariant(); }),
            "E30114 Unsupported Variant Type SIGNEDINT64");
  EXPECT_EQ(Outcome([] { Null(ST::kSignedInt32).ToPlatformVariant(); }), "E30016 Value is Null");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// A value with a name in front of its stream form, as parameters have.
class NamedValue : public TKestrelVariant {
 public:
  std::string name;
  void SaveToStream(TKestrelStream& stream) const override {
    const auto length = static_cast<int32_t>(name.size());
    WriteStreamBuffer(stream, &length, 4, 1);
    WriteStreamBuffer(stream, name.data(), length, 2);
    TKestrelVariant::SaveToStream(stream);
  }
  void LoadFromStream(TKestrelStream& stream) override {
    int32_t length = 0;
    ReadStreamBuffer(stream, &length, 4, 3);
    name.resize(static_cast<std::size_t>(length));
    ReadStreamBuffer(stream, name.data(), length, 4);
    TKestrelVariant::LoadFromStream(stream);
  }
};

TEST(Variant, DerivedValuesExtendTheStreamForm) {
  NamedValue saved;
  saved.name = "p1";
  saved.SetAsInteger(12);
  TKestrelMemoryStream stream;
  const TKestrelVariant& asValue = saved;
  asValue.SaveToStream(stream);
  EXPECT_EQ(stream.Size(), 4 + 2 + 10);
  stream.SetPosition(0);
  NamedValue loaded;
  static_cast<TKestrelVariant&>(loaded).LoadFromStream(stream);
  EXPECT_EQ(loaded.name, "p1");
  EXPECT_EQ(loaded.AsInteger(), 12);
}

}  // namespace
}  // namespace kestrel
