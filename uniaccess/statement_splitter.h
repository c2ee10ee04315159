#pragma once
// Cutting a script into statements at its semicolons. A ";" ends a
// statement only outside quoted literals ('...' and "...", with backslash
// escapes and doubled quotes), backquoted names and comments ("-- " and "#"
// to the end of the line, "/* ... */").

#include <string>
#include <string_view>
#include <vector>

namespace uniaccess {

// Every piece before a ";" is returned, blanks and line breaks trimmed off,
// even when it is empty; the remainder after the last ";" is returned when
// it is not blank.
std::vector<std::string> SplitStatements(std::string_view script);

}  // namespace uniaccess
