// Byte images of every definition kind, written out by hand from the stream
// forms, and the errors of short reads and writes.

#include "kestrel/storage/dictionary/dictionary_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_constraints.h"
#include "kestrel/storage/dictionary/dictionary_fields.h"
#include "kestrel/storage/dictionary/dictionary_indexes.h"
#include "kestrel/storage/dictionary/sequences.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

// Appends the characters of a text to an image.
Bytes operator+(Bytes bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}
Bytes operator+(Bytes bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
  return bytes;
}

template <typename T>
Bytes Save(const T& item) {
  TKestrelMemoryStream stream;
  item.SaveToStream(stream);
  return stream.Bytes();
}

// A stream that accepts only the first `limit` bytes written or read.
class LimitedStream : public TKestrelStream {
 public:
  LimitedStream(Bytes bytes, int64_t limit) : inner_(std::move(bytes)), limit_(limit) {}
  int32_t Read(void* buffer, int32_t count) override { return inner_.Read(buffer, Allowed(count)); }
  int32_t Write(const void* buffer, int32_t count) override {
    return inner_.Write(buffer, Allowed(count));
  }
  int64_t Position() const override { return inner_.Position(); }
  void SetPosition(int64_t position) override { inner_.SetPosition(position); }
  int64_t Size() const override { return inner_.Size(); }

 private:
  int32_t Allowed(int32_t count) const {
    return static_cast<int32_t>(
        std::min<int64_t>(count, std::max<int64_t>(0, limit_ - Position())));
  }
  TKestrelMemoryStream inner_;
  int64_t limit_;
};

TEST(DictionaryStream, FieldWithDefaultValue) {
  TKestrelFieldDef field;
  field.Name = "QTY";
  field.ObjectID = 7;
  field.SetDataType(TKestrelDataType::kInteger, 0);
  field.DefaultValue.SetAsInteger(258);
  const Bytes expected =
      Bytes{3} + std::string("QTY") + Bytes{7, 0, 0, 0,  // ObjectID
                                            7, 7,        // storage SIGNEDINT32, data type Integer
                                            0, 0, 0, 0,  // Size
                                            7, 0, 4, 0, 0, 0, 0x02, 0x01, 0, 0};  // default 258
  EXPECT_EQ(Save(field), expected);

  TKestrelMemoryStream stream(expected);
  TKestrelFieldDef loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Name, "QTY");
  EXPECT_EQ(loaded.ObjectID, 7);
  EXPECT_EQ(loaded.DataType(), TKestrelDataType::kInteger);
  EXPECT_EQ(loaded.DataSize(), 4);
  EXPECT_EQ(loaded.DefaultValue.AsInteger(), 258);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(expected.size()));
}

TEST(DictionaryStream, VarcharWithoutDefaultHasNullMarker) {
  TKestrelFieldDef field;
  field.Name = "N";
  field.SetDataType(TKestrelDataType::kVarchar, 10);
  const Bytes expected =
      Bytes{1, 'N', 0xFF, 0xFF, 0xFF, 0xFF, 3, 2, 10, 0, 0, 0, 0, 0xFF};  // value type none, NULL
  EXPECT_EQ(Save(field), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelFieldDef loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.DataSize(), 11);
  EXPECT_EQ(loaded.CompactSize(), 6);
  EXPECT_TRUE(loaded.DefaultValue.IsNull());
}

TEST(DictionaryStream, AutoIncrementField) {
  TKestrelFieldDef field;
  field.Name = "ID";
  field.ObjectID = 1;
  field.SetDataType(TKestrelDataType::kAutoInc, 0);
  field.SequenceID = 9;
  field.Increment = 2;
  field.InitialValue = 100;
  field.MinValue = -1;
  field.MaxValue = 0x0102030405060708;
  field.Cycled = true;
  const Bytes expected = Bytes{2,    'I',  'D',  1,    0,    0,    0,    7,    12,
                               0,    0,    0,    0,    9,    0,    0,    0,     // SequenceID
                               2,    0,    0,    0,    0,    0,    0,    0,     // Increment
                               100,  0,    0,    0,    0,    0,    0,    0,     // InitialValue
                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // MinValue
                               8,    7,    6,    5,    4,    3,    2,    1,     // MaxValue
                               1};                                              // Cycled
  EXPECT_EQ(Save(field), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelFieldDef loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(Save(loaded), expected);
  EXPECT_EQ(loaded.SequenceID, 9);
  EXPECT_EQ(loaded.MinValue, -1);
  EXPECT_EQ(loaded.MaxValue, 0x0102030405060708);
}

TEST(DictionaryStream, BlobFieldCarriesItsCompressionSettings) {
  TKestrelFieldDef field;
  field.Name = "B";
  field.ObjectID = 2;
  field.SetDataType(TKestrelDataType::kBlob, 0);
  field.BlobCompressionAlgorithm = 1;
  field.BlobCompressionMode = 6;
  const Bytes expected = Bytes{1, 'B', 2, 0, 0, 0,    18,   31,   0,
                               0, 0,   0, 1, 6, 0x00, 0x90, 0x01, 0x00,  // zlib, level 6, 102400
                               0, 0xFF};
  EXPECT_EQ(Save(field), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelFieldDef loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.BlobBlockSize, 102400);
  EXPECT_EQ(loaded.BlobCompressionMode, 6);
  EXPECT_EQ(loaded.DataSize(), 8);
  EXPECT_EQ(loaded.CompactSize(), 6);
}

TEST(DictionaryStream, FieldListRecomputesTheLayoutOnLoad) {
  TKestrelFieldDefs fields;
  fields.AddField("A", TKestrelDataType::kInteger);
  fields.AddField("B", TKestrelDataType::kWideVarchar, 3);
  fields.AddField("C", TKestrelDataType::kDouble);
  const Bytes image = Save(fields);
  ASSERT_GE(image.size(), 4u);
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{3, 0, 0, 0}));
  TKestrelMemoryStream stream(image);
  TKestrelFieldDefs loaded;
  loaded.LoadFromStream(stream);
  ASSERT_EQ(loaded.Count(), 3);
  EXPECT_EQ(loaded.Items(1)->DataOffset(), 5);
  EXPECT_EQ(loaded.Items(2)->DataOffset(), 13);
  EXPECT_EQ(loaded.Items(2)->CompactOffset(), 11);
  EXPECT_EQ(loaded.RecordSize(), 21);
  EXPECT_TRUE(loaded.HasBlobOrVarStringFields());
}

TEST(DictionaryStream, IndexAndItsColumns) {
  TKestrelIndexDef index;
  index.Name = "PK";
  index.ObjectID = 4;
  index.Primary = true;
  index.Unique = true;
  index.RootPageNo = 3;
  index.SetColumnCount(2);
  index.Columns[0]->FieldName = "ID";
  index.Columns[1]->FieldName = "NAME";
  index.Columns[1]->Descending = true;
  index.Columns[1]->CaseInsensitive = true;
  const Bytes expected = Bytes{2, 'P', 'K', 4, 0, 0, 0, 0, 1, 1,  // B-tree, unique, primary
                               2, 0,   0,   0,                    // columns
                               3, 0,   0,   0,                    // root page
                               2, 'I', 'D', 0, 0, 4} +
                         std::string("NAME") + Bytes{1, 1};
  EXPECT_EQ(Save(index), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelIndexDef loaded;
  loaded.Temporary = true;
  loaded.LoadFromStream(stream);
  EXPECT_FALSE(loaded.Temporary);
  EXPECT_EQ(Save(loaded), expected);
}

TEST(DictionaryStream, IndexListLeavesOutTemporaryIndexes) {
  TKestrelIndexDefs indexes;
  auto* kept = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
  kept->Name = "K";
  auto* work = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
  work->Name = "W";
  work->Temporary = true;
  EXPECT_EQ(Save(indexes), (Bytes{1, 0, 0, 0} + Save(*kept)));
}

TEST(DictionaryStream, NotNullConstraintUsesOneByteNameLengths) {
  TKestrelConstraintDefs constraints;
  auto notNull = std::make_unique<TKestrelConstraintDefNotNull>();
  notNull->Name = "NN";
  notNull->ObjectID = 5;
  notNull->TableReference = {"T", 1};
  notNull->TargetReference = {"F", 2};
  constraints.Add(std::move(notNull));
  const Bytes expected = Bytes{1, 0,   0,   0,  // count
                               3,               // not null
                               2, 'N', 'N', 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
                               1, 0,   0,   0, 2, 0, 0, 0,    1,    0,  // first reference: empty
                               2, 1,   'T',                             // table
                               2, 1,   'F'};                            // target
  EXPECT_EQ(Save(constraints), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelConstraintDefs loaded;
  loaded.LoadFromStream(stream);
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_NE(dynamic_cast<TKestrelConstraintDefNotNull*>(loaded.Items(0)), nullptr);
  EXPECT_EQ(loaded.Items(0)->TargetReference.Name, "F");
  EXPECT_EQ(Save(loaded), expected);
}

TEST(DictionaryStream, CheckConstraintAddsItsBounds) {
  TKestrelConstraintDefCheck check;
  check.Name = "C";
  check.ObjectID = 1;
  check.LowerBound.SetAsSmallInt(-2);
  const Bytes
      expected =
          Bytes{1,    'C',  1,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1,    0,    1,    0,
                1,    0,    6,    0,    2,    0,    0,    0,    0xFE, 0xFF,  // lower bound -2
                0,    0xFF};                                                 // upper bound NULL
  EXPECT_EQ(Save(check), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelConstraintDefCheck loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.LowerBound.AsSmallInt(), -2);
  EXPECT_TRUE(loaded.UpperBound.IsNull());
}

TEST(DictionaryStream, PrimaryKeyConstraintUsesFourByteLengthsAndColumns) {
  TKestrelConstraintDefs constraints;
  auto primary = std::make_unique<TKestrelConstraintDefPrimary>();
  primary->Name = "P";
  primary->ObjectID = 3;
  primary->TableReference = {"T", 1};
  primary->TargetReference = {"IX", 2};
  primary->Columns.push_back({"ID", 9});
  constraints.Add(std::move(primary));
  const Bytes expected = Bytes{1,   0,   0, 0, 0,  // count, primary key
                               1,   'P', 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1,  0, 0, 0,
                               2,   0,   0, 0, 1, 0, 0,    0,    0,    2,    0,  0, 0, 1,
                               'T', 3,   0, 0, 0, 2, 'I',  'X',  1,    0,    0,  0,  // column count
                               9,   0,   0, 0, 3, 0, 0,    0,    2,    'I',  'D'};   // column
  EXPECT_EQ(Save(constraints), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelConstraintDefs loaded;
  loaded.LoadFromStream(stream);
  auto* back = dynamic_cast<TKestrelConstraintDefPrimary*>(loaded.Items(0));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->ConstraintType(), kConstraintPrimary);
  ASSERT_EQ(back->Columns.size(), 1u);
  EXPECT_EQ(back->Columns[0].ObjectID, 9);
  EXPECT_EQ(Save(loaded), expected);
}

TEST(DictionaryStream, UnknownConstraintTypeIsRefused) {
  for (const uint8_t type : {uint8_t{1}, uint8_t{5}}) {
    TKestrelMemoryStream stream(Bytes{1, 0, 0, 0, type, 0, 0, 0, 0, 0});
    TKestrelConstraintDefs loaded;
    try {
      loaded.LoadFromStream(stream);
      FAIL() << "type " << int{type};
    } catch (const EKestrelException& e) {
      EXPECT_EQ(e.Text(), "Unknown Constraint Type: '" + std::to_string(type) + "'");
      EXPECT_EQ(e.NativeError(), 30316);
    }
  }
}

TEST(DictionaryStream, Sequence) {
  TKestrelSequenceDef sequence;
  sequence.Name = "S";
  sequence.ObjectID = 2;
  sequence.CurrentValue = 0x1234;
  const Bytes expected =
      Bytes{1, 'S', 2, 0,    0,    0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0,
            0, 0,   0, 0x34, 0x12, 0, 0,  0, 0, 0, 0, 1, 0, 0, 0, 0,    0,    0,    0,    1};
  EXPECT_EQ(Save(sequence), expected);
  TKestrelMemoryStream stream(expected);
  TKestrelSequenceDef loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(Save(loaded), expected);
}

TEST(DictionaryStream, ShortReadNamesItsSite) {
  TKestrelSequenceDef sequence;
  sequence.Name = "S";
  const Bytes image = Save(sequence);
  // Cut inside CurrentValue: 1 + 1 + 4 + 1 + 8 + 8 = 23 bytes precede it.
  TKestrelMemoryStream stream(Bytes(image.begin(), image.begin() + 26));
  TKestrelSequenceDef loaded;
  try {
    loaded.LoadFromStream(stream);
    FAIL();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.NativeError(), dictionary_site::kReadSequence + 3);
    EXPECT_EQ(e.Text(),
              "Cannot read from stream. Position = 23, Stream size = 26, Block size = 8, Bytes "
              "Read = 3");
  }
}

TEST(DictionaryStream, ShortWriteNamesItsSite) {
  TKestrelFieldDef field;
  field.Name = "AB";
  field.SetDataType(TKestrelDataType::kInteger, 0);
  LimitedStream stream({}, 5);
  try {
    field.SaveToStream(stream);
    FAIL();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.NativeError(), dictionary_site::kWriteObjectID);
    EXPECT_EQ(e.Text(),
              "Cannot write to stream. Position = 3, Stream size = 5, Block size = 4, Bytes "
              "Write = 2");
  }
}

TEST(DictionaryStream, AConstraintNameOfTwoHundredFiftyFiveBytesCannotBeSaved) {
  // The one-byte N = length + 1 would wrap to 0 and the file would not
  // load again: the save stops before the constraint is written.
  TKestrelConstraintDefNotNull constraint;
  constraint.Name = "NN";
  constraint.TargetReference.Name = std::string(255, 'f');
  TKestrelMemoryStream stream;
  EXPECT_THROW(constraint.SaveToStream(stream), ERangeError);
  EXPECT_EQ(stream.Size(), 0);
  constraint.TargetReference.Name = std::string(254, 'f');
  constraint.SaveToStream(stream);
  stream.SetPosition(0);
  TKestrelConstraintDefNotNull loaded;
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.TargetReference.Name, std::string(254, 'f'));
  // Four-byte lengths take it.
  TKestrelConstraintDefUnique unique;
  unique.TargetReference.Name = std::string(255, 'i');
  TKestrelMemoryStream wide;
  unique.SaveToStream(wide);
  wide.SetPosition(0);
  TKestrelConstraintDefUnique back;
  back.LoadFromStream(wide);
  EXPECT_EQ(back.TargetReference.Name, std::string(255, 'i'));
}

TEST(DictionaryStream, NameTooLongForItsLengthByteIsARangeError) {
  TKestrelIndexDef index;
  index.Name = "I";
  index.SetColumnCount(1);
  index.Columns[0]->FieldName = std::string(256, 'x');
  TKestrelMemoryStream stream;
  EXPECT_THROW(index.SaveToStream(stream), ERangeError);
  index.Columns[0]->FieldName = std::string(255, 'x');
  TKestrelMemoryStream ok;
  index.SaveToStream(ok);
  EXPECT_EQ(ok.Size(), 2 + 4 + 3 + 8 + 1 + 255 + 2);
}

}  // namespace
}  // namespace kestrel
