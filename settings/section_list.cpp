#include "settings/section_list.h"

#include "platform/text.h"

namespace settings {

int TSectionList::IndexOf(std::string_view name) {
  const std::size_t count = sections_.size();
  if (lastFound_ >= count) {
    lastFound_ = 0;
  }
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t index = (lastFound_ + step) % count;
    if (platform::SameText(sections_[index]->name, name)) {
      lastFound_ = index;
      return static_cast<int>(index);
    }
  }
  return -1;
}

TSection& TSectionList::Add(std::string name) {
  sections_.push_back(std::make_unique<TSection>(TSection{std::move(name), {}}));
  return *sections_.back();
}

void TSectionList::Delete(std::size_t index) {
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(index));
  if (lastFound_ >= sections_.size()) {
    lastFound_ = 0;
  }
}

void TSectionList::Clear() {
  sections_.clear();
  lastFound_ = 0;
}

}  // namespace settings
