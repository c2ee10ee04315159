#pragma once
// Locale collation of texts for value comparison, over ICU. Punctuation and
// symbols take part in the order (non-ignorable); ignoring case compares at
// secondary strength. Collators are created once per thread and locale.

#include <string_view>

namespace kestrel {

// -1, 0 or 1. An empty locale is the user's default locale. A collator that
// cannot be created or fails raises "Unknown return code: %d" with
// nativeError and ICU's error code.
int CollateUtf8(std::string_view left, std::string_view right, bool ignoreCase,
                std::string_view locale, int nativeError);
int CollateUtf16(std::u16string_view left, std::u16string_view right, bool ignoreCase,
                 std::string_view locale, int nativeError);

}  // namespace kestrel
