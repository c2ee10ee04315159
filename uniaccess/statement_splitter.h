#pragma once
// Cutting a script into statements at its semicolons. A ";" ends a
// statement only outside quoted literals ('...' and "...", with backslash
// escapes and doubled quotes), backquoted names and comments ("-- " and "#"
// to the end of the line, "/* ... */").
//
// The client has two more rules, in app/core/sql_text.h: the editor's last
// statement (after its last ";", wherever it stands: what the user typed
// last) and the batch reader's (a line ending in ";", so files stream line
// by line). This one sees a whole text, so it can respect literals; the
// query component runs each piece it returns on its own.

#include <string>
#include <string_view>
#include <vector>

namespace uniaccess {

// Every piece before a ";" is returned, blanks and line breaks trimmed off,
// even when it is empty; the remainder after the last ";" is returned when
// it is not blank.
std::vector<std::string> SplitStatements(std::string_view script);

}  // namespace uniaccess
