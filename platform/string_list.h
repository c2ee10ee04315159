#pragma once
// An ordered list of strings with the comma-text form used by settings keys
// and connection profiles.
//
// Comma text separates items by commas. On writing, an item that contains a
// blank, a control character, a double quote or a comma is enclosed in double
// quotes with inner double quotes doubled. On reading, a double-quoted item may
// hold anything (a doubled quote is one quote); an unquoted item ends at the
// first comma or blank, and blanks between items are skipped.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class StringList {
 public:
  StringList() = default;
  StringList(std::initializer_list<std::string> items) : items_(items) {}
  explicit StringList(std::vector<std::string> items) : items_(std::move(items)) {}

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](std::size_t index) const { return items_[index]; }
  std::string& operator[](std::size_t index) { return items_[index]; }

  void Add(std::string item) { items_.push_back(std::move(item)); }
  void Insert(std::size_t index, std::string item);
  void Delete(std::size_t index);
  void Clear() { items_.clear(); }

  // Index of the first item equal to text without regard to letter case; -1 when none.
  int IndexOf(std::string_view text) const;

  std::string CommaText() const;
  // Replaces the content with the items read from text.
  void SetCommaText(std::string_view text);

  // The items as lines, each ended by CR LF.
  std::string Text() const;

  const std::vector<std::string>& Items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const StringList&) const = default;

 private:
  std::vector<std::string> items_;
};

// The comma-text form of items, and the items of a comma text.
std::string ToCommaText(const std::vector<std::string>& items);
std::vector<std::string> FromCommaText(std::string_view text);

}  // namespace platform
