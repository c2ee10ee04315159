#include "kestrel/sql/lexer/reserved_words.h"

#include <array>
#include <cstddef>

// Lookup is an open-addressing hash table built at compile time: 512 slots
// for 265 words, FNV-1a over the upper-cased bytes, linear probing. A word
// longer than the longest entry is rejected before it is hashed.

namespace kestrel {
namespace {

constexpr std::array<std::string_view, kReservedWordCount> kSpellings = {
#define KESTREL_RESERVED_WORD_TEXT(name, text) text,
    KESTREL_RESERVED_WORDS(KESTREL_RESERVED_WORD_TEXT)
#undef KESTREL_RESERVED_WORD_TEXT
};

constexpr std::size_t kSlotCount = 512;
constexpr int16_t kEmptySlot = -1;

constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

constexpr uint32_t HashUpper(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) {
    hash = (hash ^ static_cast<uint8_t>(AsciiUpper(c))) * 16777619u;
  }
  return hash;
}

constexpr std::size_t LongestSpelling() {
  std::size_t longest = 0;
  for (const std::string_view word : kSpellings) {
    longest = word.size() > longest ? word.size() : longest;
  }
  return longest;
}

constexpr std::size_t kLongestSpelling = LongestSpelling();

constexpr std::array<int16_t, kSlotCount> BuildSlots() {
  std::array<int16_t, kSlotCount> slots{};
  for (int16_t& slot : slots) {
    slot = kEmptySlot;
  }
  for (int16_t index = 0; index < kReservedWordCount; ++index) {
    std::size_t slot = HashUpper(kSpellings[static_cast<std::size_t>(index)]) % kSlotCount;
    while (slots[slot] != kEmptySlot) {
      slot = (slot + 1) % kSlotCount;
    }
    slots[slot] = index;
  }
  return slots;
}

constexpr std::array<int16_t, kSlotCount> kSlots = BuildSlots();

bool EqualsUpper(std::string_view text, std::string_view spelling) {
  if (text.size() != spelling.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (AsciiUpper(text[i]) != spelling[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string_view ReservedWordText(TReservedWord word) {
  const auto index = static_cast<int16_t>(word);
  if (index < 0 || index >= kReservedWordCount) {
    return {};
  }
  return kSpellings[static_cast<std::size_t>(index)];
}

TReservedWord FindReservedWord(std::string_view text) {
  if (text.empty() || text.size() > kLongestSpelling) {
    return TReservedWord::kNoWord;
  }
  for (std::size_t slot = HashUpper(text) % kSlotCount; kSlots[slot] != kEmptySlot;
       slot = (slot + 1) % kSlotCount) {
    const int16_t index = kSlots[slot];
    if (EqualsUpper(text, kSpellings[static_cast<std::size_t>(index)])) {
      return static_cast<TReservedWord>(index);
    }
  }
  return TReservedWord::kNoWord;
}

}  // namespace kestrel
