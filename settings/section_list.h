#pragma once
// The sections of a settings file in file order, each a name with its lines.
// A name lookup starts at the entry found last, runs to the end and then goes
// on from the first entry, so reading many keys of one section finds it at
// once. Names compare without regard to letter case.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/string_list.h"

namespace settings {

struct TSection {
  std::string name;
  platform::StringList lines;
};

class TSectionList {
 public:
  std::size_t Count() const { return sections_.size(); }
  TSection& operator[](std::size_t index) { return *sections_[index]; }
  const TSection& operator[](std::size_t index) const { return *sections_[index]; }

  // Index of the section of that name, -1 when there is none.
  int IndexOf(std::string_view name);
  TSection& Add(std::string name);
  void Delete(std::size_t index);
  void Clear();
  // Moves the remembered lookup start back to the first entry.
  void ResetLookup() { lastFound_ = 0; }

 private:
  std::vector<std::unique_ptr<TSection>> sections_;
  std::size_t lastFound_ = 0;
};

}  // namespace settings
