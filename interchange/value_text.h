#pragma once
// Texts of field values as the CSV and XML files carry them. Every form here
// reads back to the same value through the process-wide FormatSettings (with
// "." as the decimal separator, which both components set while they run).

#include <cstddef>
#include <string>
#include <string_view>

#include "dataset/field.h"
#include "platform/date_time.h"

namespace interchange {

// The date in the short date format, the year always in four digits so that
// no century is lost.
std::string DateText(platform::DateTime value);
// Hours, minutes and seconds (24-hour clock, the time separator), followed by
// "." and the milliseconds when there are any.
std::string TimeText(platform::DateTime value);
// The date, and a blank and the time unless it is midnight.
std::string DateTimeText(platform::DateTime value);

// The number with `decimals` decimals when that form reads back exactly,
// otherwise the shortest form that does.
std::string ExactNumberText(double value, int decimals);

std::string RightAligned(std::string text, std::size_t width);

// The text of a field's value from which SetText restores exactly that
// value; empty for a NULL.
std::string ExactValueText(const dataset::TField& field);

}  // namespace interchange
