#pragma once
// The highlighter's SQL keywords and their lookup table. A word's bucket is
// the sum of its letter values (A = 1 ... Z = 26 in either case; digits and
// "_" count 0); a word whose sum passes the last of the 157 buckets is no
// keyword, any other is compared with its bucket's keywords only, by length
// first and then letter by letter without regard to case.

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace highlight {

inline constexpr int kKeywordBuckets = 157;

// The 126 keywords in alphabetical order.
std::span<const std::string_view> SqlKeywords();

// -1 when the word is too heavy for the table, else its bucket (0 to 156).
int KeywordBucket(std::string_view word);

bool IsSqlKeyword(std::string_view word);

}  // namespace highlight
