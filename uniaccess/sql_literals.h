#pragma once
// SQL literals of field values for the installed backend: what the table
// component's write statements and the dumps put into their statements.

#include <string>

#include "dataset/field.h"
#include "uniaccess/backend.h"

namespace uniaccess {

// A number as SQL reads it: "." as the decimal separator, and digits enough
// to give back exactly the value.
std::string SqlNumber(double value);
// A time of day (or a duration) as a quoted 'hh:mm:ss' literal.
std::string SqlTime(platform::DateTime value);

// The literal of a field's value: strings quoted with the backend's
// escaping, dates and date-times as the backend's literals, times quoted,
// numbers exact; NULL is NULL.
std::string FieldSqlLiteral(Backend& backend, BackendConnection* handle,
                            const dataset::TField& field);

}  // namespace uniaccess
