#pragma once
// Text forms of numbers, dates and times for value conversions. They follow
// the process-wide platform::FormatSettings and are chosen so that a value
// written as text reads back as the same value: the locale's form when it
// does, otherwise a full-precision form in the locale's separators.

#include <cstdint>
#include <string>
#include <string_view>

#include "kestrel/storage/values/data_types.h"

namespace kestrel {

// The shortest general decimal form, starting at 15 significant digits for
// FLOAT, EXTENDED and CURRENCY (7 for SINGLE), with more only when fewer do
// not read back as the same number of the type.
std::string FloatToText(long double value, TKestrelStorageType type);

std::string DateNumberToText(int32_t dayNumber);
std::string TimeNumberToText(int32_t milliseconds);
std::string DateTimePairToText(int32_t dayNumber, int32_t milliseconds);
bool TextToDateNumber(std::string_view text, int32_t& result);
bool TextToTimeNumber(std::string_view text, int32_t& result);
bool TextToDateTimePair(std::string_view text, int32_t& dayNumber, int32_t& milliseconds);

// A currency amount: finite, within +-922337203685477.5807, rounded to four
// decimals (ties to even).
bool TryToCurrency(long double value, double& result);

}  // namespace kestrel
