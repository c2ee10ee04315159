#include "kestrel/storage/dictionary/dictionary_constraints.h"

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {

namespace site = dictionary_site;

namespace {

// N = length + 1 in one byte, which a 255-byte name cannot have: the save
// stops with a range error before anything of the constraint is written.
void CheckReferenceName(const std::string& name, bool wideLength) {
  if (ShortStringLength(name) == 255 && !wideLength) {
    throw ERangeError();
  }
}

// N = length + 1, then the short string (its own length byte and bytes).
void WriteReferenceName(TKestrelStream& stream, const std::string& name, bool wideLength) {
  CheckReferenceName(name, wideLength);
  const uint8_t length = ShortStringLength(name);
  if (wideLength) {
    WriteInt32(stream, length + 1, site::kWriteReferenceNameLength);
  } else {
    WriteUInt8(stream, static_cast<uint8_t>(length + 1), site::kWriteReferenceNameLength);
  }
  WriteShortString(stream, name, site::kWriteReferenceName, site::kWriteReferenceName);
}

std::string ReadReferenceName(TKestrelStream& stream, bool wideLength) {
  const int32_t n = wideLength ? ReadInt32(stream, site::kReadReferenceNameLength)
                               : ReadUInt8(stream, site::kReadReferenceNameLength);
  std::string name = ReadShortString(stream, site::kReadReferenceName, site::kReadReferenceName);
  if (n != static_cast<int32_t>(name.size()) + 1) {
    // The stored length disagrees with the short string: the form is damaged.
    throw EKestrelException(
        "Cannot read from stream. Position = %d, Stream size = %d, Block "
        "size = %d, Bytes Read = %d",
        {stream.Position(), stream.Size(), n, static_cast<int32_t>(name.size()) + 1},
        site::kReadReferenceName);
  }
  return name;
}

}  // namespace

void TKestrelConstraintDef::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelMetaObjectDef::Assign(source);
  const auto& from = dynamic_cast<const TKestrelConstraintDef&>(source);
  FirstReference = from.FirstReference;
  TableReference = from.TableReference;
  TargetReference = from.TargetReference;
}

void TKestrelConstraintDef::LoadFromStream(TKestrelStream& stream) {
  TKestrelMetaObjectDef::LoadFromStream(stream);
  FirstReference.ObjectID = ReadInt32(stream, site::kReadReferenceIDs);
  TableReference.ObjectID = ReadInt32(stream, site::kReadReferenceIDs);
  TargetReference.ObjectID = ReadInt32(stream, site::kReadReferenceIDs);
  FirstReference.Name = ReadReferenceName(stream, WideNameLengths());
  TableReference.Name = ReadReferenceName(stream, WideNameLengths());
  TargetReference.Name = ReadReferenceName(stream, WideNameLengths());
}

void TKestrelConstraintDef::SaveToStream(TKestrelStream& stream) const {
  for (const TKestrelObjectReference* reference :
       {&FirstReference, &TableReference, &TargetReference}) {
    CheckReferenceName(reference->Name, WideNameLengths());
  }
  TKestrelMetaObjectDef::SaveToStream(stream);
  WriteInt32(stream, FirstReference.ObjectID, site::kWriteReferenceIDs);
  WriteInt32(stream, TableReference.ObjectID, site::kWriteReferenceIDs);
  WriteInt32(stream, TargetReference.ObjectID, site::kWriteReferenceIDs);
  WriteReferenceName(stream, FirstReference.Name, WideNameLengths());
  WriteReferenceName(stream, TableReference.Name, WideNameLengths());
  WriteReferenceName(stream, TargetReference.Name, WideNameLengths());
}

void TKestrelConstraintDefCheck::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelConstraintDef::Assign(source);
  const auto& from = dynamic_cast<const TKestrelConstraintDefCheck&>(source);
  LowerBound = from.LowerBound;
  UpperBound = from.UpperBound;
}

void TKestrelConstraintDefCheck::LoadFromStream(TKestrelStream& stream) {
  TKestrelConstraintDef::LoadFromStream(stream);
  LowerBound.LoadFromStream(stream);
  UpperBound.LoadFromStream(stream);
}

void TKestrelConstraintDefCheck::SaveToStream(TKestrelStream& stream) const {
  TKestrelConstraintDef::SaveToStream(stream);
  LowerBound.SaveToStream(stream);
  UpperBound.SaveToStream(stream);
}

void TKestrelConstraintDefUnique::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelConstraintDef::Assign(source);
  Columns = dynamic_cast<const TKestrelConstraintDefUnique&>(source).Columns;
}

void TKestrelConstraintDefUnique::LoadFromStream(TKestrelStream& stream) {
  TKestrelConstraintDef::LoadFromStream(stream);
  const int32_t count = ReadInt32(stream, site::kReadColumnCount);
  Columns.clear();
  for (int32_t i = 0; i < count; ++i) {
    TKestrelObjectReference column;
    column.ObjectID = ReadInt32(stream, site::kReadColumnID);
    column.Name = ReadReferenceName(stream, true);
    Columns.push_back(std::move(column));
  }
}

void TKestrelConstraintDefUnique::SaveToStream(TKestrelStream& stream) const {
  TKestrelConstraintDef::SaveToStream(stream);
  WriteInt32(stream, static_cast<int32_t>(Columns.size()), site::kWriteColumnCount);
  for (const auto& column : Columns) {
    WriteInt32(stream, column.ObjectID, site::kWriteColumnID);
    WriteReferenceName(stream, column.Name, true);
  }
}

std::unique_ptr<TKestrelConstraintDef> CreateConstraintDef(uint8_t constraintType,
                                                           int nativeError) {
  switch (constraintType) {
    case kConstraintPrimary:
      return std::make_unique<TKestrelConstraintDefPrimary>();
    case kConstraintUnique:
      return std::make_unique<TKestrelConstraintDefUnique>();
    case kConstraintNotNull:
      return std::make_unique<TKestrelConstraintDefNotNull>();
    case kConstraintCheck:
      return std::make_unique<TKestrelConstraintDefCheck>();
    default:
      throw EKestrelException("Not implemented yet", nativeError);
  }
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelConstraintDefs::CreateFor(
    const TKestrelMetaObjectDef& source) {
  return CreateConstraintDef(dynamic_cast<const TKestrelConstraintDef&>(source).ConstraintType(),
                             30035);
}

void TKestrelConstraintDefs::LoadFromStream(TKestrelStream& stream) {
  Clear();
  const int32_t count = ReadInt32(stream, site::kReadListCount);
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t type = ReadUInt8(stream, site::kReadConstraintType);
    if (type != kConstraintPrimary && type != kConstraintUnique && type != kConstraintNotNull &&
        type != kConstraintCheck) {
      throw EKestrelException("Unknown Constraint Type: '%d'", {int{type}}, 30316);
    }
    auto constraint = CreateConstraintDef(type, 30316);
    constraint->LoadFromStream(stream);
    Add(std::move(constraint));
  }
}

void TKestrelConstraintDefs::SaveToStream(TKestrelStream& stream) const {
  WriteInt32(stream, Count(), site::kWriteListCount);
  for (int i = 0; i < Count(); ++i) {
    WriteUInt8(stream, Items(i)->ConstraintType(), site::kWriteConstraintType);
    Items(i)->SaveToStream(stream);
  }
}

std::unique_ptr<TKestrelConstraintDef> ConstraintForIndex(const TKestrelIndexDef& index) {
  std::unique_ptr<TKestrelConstraintDefUnique> constraint;
  std::string name;
  if (index.Primary) {
    constraint = std::make_unique<TKestrelConstraintDefPrimary>();
    name = "C_PK";
  } else if (index.Unique) {
    constraint = std::make_unique<TKestrelConstraintDefUnique>();
    name = "C_Unique";
  } else {
    return nullptr;
  }
  for (const auto& column : index.Columns) {
    name += "$" + column->FieldName;
    TKestrelObjectReference reference;
    reference.Name = column->FieldName;
    constraint->Columns.push_back(std::move(reference));
  }
  constraint->Name = std::string(platform::Utf8Prefix(name, 255));
  constraint->TargetReference.Name = index.Name;
  constraint->TargetReference.ObjectID = index.ObjectID;
  return constraint;
}

}  // namespace kestrel
