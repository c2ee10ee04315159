#include "platform/string_list.h"

#include <algorithm>

#include "platform/text.h"

namespace platform {
namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(std::string_view item) {
  return std::any_of(item.begin(), item.end(),
                     [](char c) { return IsBlankOrControl(c) || c == kQuote || c == kDelimiter; });
}

std::string Quoted(std::string_view item) {
  std::string result(1, kQuote);
  for (char c : item) {
    if (c == kQuote) {
      result += kQuote;
    }
    result += c;
  }
  result += kQuote;
  return result;
}

// Reads a quoted item starting at the opening quote; a missing closing quote
// takes the rest of the text.
std::string ReadQuoted(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      if (pos + 1 < text.size() && text[pos + 1] == kQuote) {
        item += kQuote;
        pos += 2;
        continue;
      }
      ++pos;
      return item;
    }
    item += text[pos++];
  }
  return item;
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsBlankOrControl(text[pos])) {
    ++pos;
  }
}

}  // namespace

void StringList::Insert(std::size_t index, std::string item) {
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

void StringList::Delete(std::size_t index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

int StringList::IndexOf(std::string_view text) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (SameText(items_[i], text)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string StringList::CommaText() const {
  return ToCommaText(items_);
}

void StringList::SetCommaText(std::string_view text) {
  items_ = FromCommaText(text);
}

std::string StringList::Text() const {
  std::string result;
  for (const std::string& item : items_) {
    result += item;
    result += "\r\n";
  }
  return result;
}

std::string ToCommaText(const std::vector<std::string>& items) {
  // A lone empty item would otherwise read back as no item at all.
  if (items.size() == 1 && items.front().empty()) {
    return std::string(2, kQuote);
  }
  std::string result;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      result += kDelimiter;
    }
    result += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
  }
  return result;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  SkipBlanks(text, pos);
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      items.push_back(ReadQuoted(text, pos));
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && !IsBlankOrControl(text[pos]) && text[pos] != kDelimiter) {
        ++pos;
      }
      items.emplace_back(text.substr(start, pos - start));
    }
    SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == kDelimiter) {
      // A delimiter at the very end stands for a trailing empty item.
      if (pos + 1 == text.size()) {
        items.emplace_back();
      }
      ++pos;
      SkipBlanks(text, pos);
    }
  }
  return items;
}

}  // namespace platform
