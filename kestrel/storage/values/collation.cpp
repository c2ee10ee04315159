#include "kestrel/storage/values/collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

#include <cstring>
#include <memory>
#include <string>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

struct CollatorCache {
  std::string locale;
  bool ready = false;
  std::unique_ptr<icu::Collator> caseSensitive;
  std::unique_ptr<icu::Collator> ignoreCase;
};

std::unique_ptr<icu::Collator> MakeCollator(const icu::Locale& locale, bool ignoreCase,
                                            int nativeError) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
  if (U_FAILURE(status) || !collator) {
    throw EKestrelException("Unknown return code: %d", {static_cast<int>(status)}, nativeError);
  }
  collator->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, status);
  collator->setStrength(ignoreCase ? icu::Collator::SECONDARY : icu::Collator::TERTIARY);
  if (U_FAILURE(status)) {
    throw EKestrelException("Unknown return code: %d", {static_cast<int>(status)}, nativeError);
  }
  return collator;
}

// The environment's locale; the C and POSIX locales, whose collation is code
// point order, give the root collation instead.
icu::Locale UserLocale() {
  const icu::Locale& locale = icu::Locale::getDefault();
  if (std::strcmp(locale.getVariant(), "POSIX") == 0 || locale.getLanguage()[0] == 0) {
    return icu::Locale::getRoot();
  }
  return locale;
}

icu::Locale LocaleFor(std::string_view locale) {
  return locale.empty() ? UserLocale() : icu::Locale(std::string(locale).c_str());
}

const icu::Collator& CollatorFor(std::string_view locale, bool ignoreCase, int nativeError) {
  thread_local CollatorCache cache;
  if (!cache.ready || cache.locale != locale) {
    const icu::Locale icuLocale = LocaleFor(locale);
    cache.caseSensitive = MakeCollator(icuLocale, false, nativeError);
    cache.ignoreCase = MakeCollator(icuLocale, true, nativeError);
    cache.locale = std::string(locale);
    cache.ready = true;
  }
  return ignoreCase ? *cache.ignoreCase : *cache.caseSensitive;
}

int Sign(UCollationResult result) {
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

int CompareUtf8With(const icu::Collator& collator, std::string_view left, std::string_view right,
                    int nativeError) {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result = collator.compareUTF8(
      icu::StringPiece(left.data(), static_cast<int32_t>(left.size())),
      icu::StringPiece(right.data(), static_cast<int32_t>(right.size())), status);
  if (U_FAILURE(status)) {
    throw EKestrelException("Unknown return code: %d", {static_cast<int>(status)}, nativeError);
  }
  return Sign(result);
}

int CompareUtf16With(const icu::Collator& collator, std::u16string_view left,
                     std::u16string_view right, int nativeError) {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      collator.compare(left.data(), static_cast<int32_t>(left.size()), right.data(),
                       static_cast<int32_t>(right.size()), status);
  if (U_FAILURE(status)) {
    throw EKestrelException("Unknown return code: %d", {static_cast<int>(status)}, nativeError);
  }
  return Sign(result);
}

}  // namespace

int CollateUtf8(std::string_view left, std::string_view right, bool ignoreCase,
                std::string_view locale, int nativeError) {
  return CompareUtf8With(CollatorFor(locale, ignoreCase, nativeError), left, right, nativeError);
}

int CollateUtf16(std::u16string_view left, std::u16string_view right, bool ignoreCase,
                 std::string_view locale, int nativeError) {
  return CompareUtf16With(CollatorFor(locale, ignoreCase, nativeError), left, right, nativeError);
}

struct TKestrelCollator::Impl {
  std::unique_ptr<icu::Collator> collator;
};

TKestrelCollator::TKestrelCollator(std::string_view locale, bool ignoreCase, int nativeError)
    : impl_(std::make_unique<Impl>()), nativeError_(nativeError) {
  impl_->collator = MakeCollator(LocaleFor(locale), ignoreCase, nativeError);
}

TKestrelCollator::~TKestrelCollator() = default;

int TKestrelCollator::CompareUtf8(std::string_view left, std::string_view right) const {
  return CompareUtf8With(*impl_->collator, left, right, nativeError_);
}

int TKestrelCollator::CompareUtf16(std::u16string_view left, std::u16string_view right) const {
  return CompareUtf16With(*impl_->collator, left, right, nativeError_);
}

}  // namespace kestrel
