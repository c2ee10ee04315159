#pragma once
// The base of every data dictionary definition and of the lists that own
// them.
//
// Names are unique in a list without regard to letter case: lookups compare
// upper-cased names and Assign refuses a second item of the same name.
// A list owns its items; Items hands out non-owning pointers that stay valid
// until the item is deleted or the list cleared.
//
// Stream form of the base (little-endian):
//   offset  size  field
//   0       1     name length L
//   1       L     name bytes
//   1+L     4     ObjectID

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelMetaObjectDef {
 public:
  TKestrelMetaObjectDef() = default;
  virtual ~TKestrelMetaObjectDef() = default;
  TKestrelMetaObjectDef(const TKestrelMetaObjectDef&) = delete;
  TKestrelMetaObjectDef& operator=(const TKestrelMetaObjectDef&) = delete;

  // Copies every stored property of source, which must be of this class.
  virtual void Assign(const TKestrelMetaObjectDef& source);
  virtual void LoadFromStream(TKestrelStream& stream);
  virtual void SaveToStream(TKestrelStream& stream) const;

  std::string Name;  // at most 255 bytes in a stream
  int32_t ObjectID = -1;
};

class TKestrelMetaObjectDefs {
 public:
  TKestrelMetaObjectDefs() = default;
  virtual ~TKestrelMetaObjectDefs() = default;
  TKestrelMetaObjectDefs(const TKestrelMetaObjectDefs&) = delete;
  TKestrelMetaObjectDefs& operator=(const TKestrelMetaObjectDefs&) = delete;

  virtual int Count() const { return static_cast<int>(items_.size()); }
  // Takes ownership and appends; returns the item.
  virtual TKestrelMetaObjectDef* Add(std::unique_ptr<TKestrelMetaObjectDef> def);
  // Creates an item of the list's own class and appends it.
  TKestrelMetaObjectDef* AddCreated();
  // count (4 bytes), then the items.
  virtual void LoadFromStream(TKestrelStream& stream);
  virtual void SaveToStream(TKestrelStream& stream) const;
  // Clears, then copies every source item into a new item; a second item of
  // the same name raises "Duplicate field name %s" (10424).
  virtual void Assign(const TKestrelMetaObjectDefs& source);
  virtual void Delete(int index);
  virtual void Insert(int index, std::unique_ptr<TKestrelMetaObjectDef> def);
  virtual void Move(int from, int to);
  virtual void Clear();

  TKestrelMetaObjectDef* Items(int index) const;
  // Position of the first item whose upper-cased name equals the
  // upper-cased name, or -1.
  int IndexOf(std::string_view name) const;
  TKestrelMetaObjectDef* Find(std::string_view name) const;
  int IndexOfID(int32_t objectID) const;
  TKestrelMetaObjectDef* FindByID(int32_t objectID) const;

 protected:
  // The base raises "The method '%s' not overrided in class '%s'" (30339).
  virtual std::unique_ptr<TKestrelMetaObjectDef> InternalAddCreated();
  // The item that Assign copies source into.
  virtual std::unique_ptr<TKestrelMetaObjectDef> CreateFor(const TKestrelMetaObjectDef& source);
  virtual const char* ClassName() const { return "TKestrelMetaObjectDefs"; }
  // Called after every change of the list.
  virtual void Changed() {}
  // The unchecked slot, for derived lists that replace an item.
  std::unique_ptr<TKestrelMetaObjectDef>& Slot(int index);

 private:
  std::vector<std::unique_ptr<TKestrelMetaObjectDef>> items_;
};

}  // namespace kestrel
