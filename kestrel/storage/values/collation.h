#pragma once
// Locale collation of texts for value comparison, over ICU. Punctuation and
// symbols take part in the order (non-ignorable); ignoring case compares at
// secondary strength. Collators are created once per thread and locale.

#include <memory>
#include <string_view>

namespace kestrel {

// -1, 0 or 1. An empty locale is the user's default locale. A collator that
// cannot be created or fails raises "Unknown return code: %d" with
// nativeError and ICU's error code.
int CollateUtf8(std::string_view left, std::string_view right, bool ignoreCase,
                std::string_view locale, int nativeError);
int CollateUtf16(std::u16string_view left, std::u16string_view right, bool ignoreCase,
                 std::string_view locale, int nativeError);

// One collator, created once for a locale and case mode and then used for
// many comparisons: index keys bind theirs when the index is opened. An
// object is used by one thread at a time (its table's lock).
class TKestrelCollator {
 public:
  // An empty locale is the user's default locale. "Unknown return code: %d"
  // with nativeError when ICU cannot make the collator.
  TKestrelCollator(std::string_view locale, bool ignoreCase, int nativeError);
  ~TKestrelCollator();
  TKestrelCollator(const TKestrelCollator&) = delete;
  TKestrelCollator& operator=(const TKestrelCollator&) = delete;

  // -1, 0 or 1; ICU failures raise as above.
  int CompareUtf8(std::string_view left, std::string_view right) const;
  int CompareUtf16(std::u16string_view left, std::u16string_view right) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int nativeError_;
};

}  // namespace kestrel
