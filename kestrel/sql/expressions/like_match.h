#pragma once
// LIKE matching. "%" matches any run of characters, "_" any one character,
// and every other pattern character must equal the value's character by the
// locale's collation, case-sensitively. There is no escape character.
//
// Characters are UTF-8 sequences (narrow) or UTF-16 code units with their
// surrogate pairs (wide). The match keeps one back-tracking point, the last
// "%", so it takes time proportional to the product of the lengths at
// worst, never exponential time.

#include <string_view>

namespace kestrel {

bool LikeMatch(std::string_view value, std::string_view pattern);
bool LikeMatch(std::u16string_view value, std::u16string_view pattern);

}  // namespace kestrel
