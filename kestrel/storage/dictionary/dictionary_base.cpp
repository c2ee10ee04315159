#include "kestrel/storage/dictionary/dictionary_base.h"

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {

namespace site = dictionary_site;

void TKestrelMetaObjectDef::Assign(const TKestrelMetaObjectDef& source) {
  Name = source.Name;
  ObjectID = source.ObjectID;
}

void TKestrelMetaObjectDef::LoadFromStream(TKestrelStream& stream) {
  Name = ReadShortString(stream, site::kReadNameLength, site::kReadName);
  ObjectID = ReadInt32(stream, site::kReadObjectID);
}

void TKestrelMetaObjectDef::SaveToStream(TKestrelStream& stream) const {
  WriteShortString(stream, Name, site::kWriteNameLength, site::kWriteName);
  WriteInt32(stream, ObjectID, site::kWriteObjectID);
}

TKestrelMetaObjectDef* TKestrelMetaObjectDefs::Add(std::unique_ptr<TKestrelMetaObjectDef> def) {
  TKestrelMetaObjectDef* item = def.get();
  items_.push_back(std::move(def));
  Changed();
  return item;
}

TKestrelMetaObjectDef* TKestrelMetaObjectDefs::AddCreated() {
  return Add(InternalAddCreated());
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelMetaObjectDefs::InternalAddCreated() {
  throw EKestrelException("The method '%s' not overrided in class '%s'",
                          {"InternalAddCreated", ClassName()}, 30339);
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelMetaObjectDefs::CreateFor(
    const TKestrelMetaObjectDef&) {
  return InternalAddCreated();
}

void TKestrelMetaObjectDefs::LoadFromStream(TKestrelStream& stream) {
  Clear();
  const int32_t count = ReadInt32(stream, site::kReadListCount);
  for (int32_t i = 0; i < count; ++i) {
    auto item = InternalAddCreated();
    item->LoadFromStream(stream);
    items_.push_back(std::move(item));
  }
  Changed();
}

void TKestrelMetaObjectDefs::SaveToStream(TKestrelStream& stream) const {
  WriteInt32(stream, static_cast<int32_t>(items_.size()), site::kWriteListCount);
  for (const auto& item : items_) {
    item->SaveToStream(stream);
  }
}

void TKestrelMetaObjectDefs::Assign(const TKestrelMetaObjectDefs& source) {
  Clear();
  for (int i = 0; i < source.Count(); ++i) {
    const TKestrelMetaObjectDef& from = *source.Items(i);
    if (IndexOf(from.Name) >= 0) {
      throw EKestrelException("Duplicate field name %s", {from.Name}, 10424);
    }
    auto item = CreateFor(from);
    item->Assign(from);
    items_.push_back(std::move(item));
  }
  Changed();
}

void TKestrelMetaObjectDefs::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed();
}

void TKestrelMetaObjectDefs::Insert(int index, std::unique_ptr<TKestrelMetaObjectDef> def) {
  items_.insert(items_.begin() + index, std::move(def));
  Changed();
}

void TKestrelMetaObjectDefs::Move(int from, int to) {
  if (from == to) {
    return;
  }
  auto item = std::move(items_.at(static_cast<std::size_t>(from)));
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

void TKestrelMetaObjectDefs::Clear() {
  items_.clear();
  Changed();
}

TKestrelMetaObjectDef* TKestrelMetaObjectDefs::Items(int index) const {
  return items_.at(static_cast<std::size_t>(index)).get();
}

std::unique_ptr<TKestrelMetaObjectDef>& TKestrelMetaObjectDefs::Slot(int index) {
  return items_.at(static_cast<std::size_t>(index));
}

int TKestrelMetaObjectDefs::IndexOf(std::string_view name) const {
  const std::string wanted = platform::UpperCase(name);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (platform::UpperCase(items_[i]->Name) == wanted) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TKestrelMetaObjectDef* TKestrelMetaObjectDefs::Find(std::string_view name) const {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : Items(index);
}

int TKestrelMetaObjectDefs::IndexOfID(int32_t objectID) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->ObjectID == objectID) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TKestrelMetaObjectDef* TKestrelMetaObjectDefs::FindByID(int32_t objectID) const {
  const int index = IndexOfID(objectID);
  return index < 0 ? nullptr : Items(index);
}

}  // namespace kestrel
