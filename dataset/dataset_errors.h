#pragma once
// The texts of the errors datasets and fields raise, and the helper that
// raises them.

#include <initializer_list>
#include <string>

namespace dataset {

inline constexpr const char* kDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* kDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kFieldNotFound = "Field '%s' not found";
inline constexpr const char* kFieldRequired = "Field '%s' must have a value";
inline constexpr const char* kFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* kFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* kInvalidIntegerValue =
    "'%s' is not a valid integer value for field '%s'";
inline constexpr const char* kInvalidFloatValue =
    "'%s' is not a valid floating point value for field '%s'";
inline constexpr const char* kInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* kInvalidDateTimeValue =
    "'%s' is not a valid date and time for field '%s'";
inline constexpr const char* kFieldRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* kRecordNotFound = "Record not found";
inline constexpr const char* kDuplicateFieldName = "Duplicate field name '%s'";

// Replaces the "%s" markers of a message, in order, by the arguments.
std::string FormatMessage(const char* pattern, std::initializer_list<std::string> arguments);

[[noreturn]] void DatabaseError(const std::string& message);
[[noreturn]] void DatabaseErrorFmt(const char* pattern,
                                   std::initializer_list<std::string> arguments);

}  // namespace dataset
