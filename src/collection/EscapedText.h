#pragma once
// The escape of the data folder's and the photo folder's line files: a field with its backslashes,
// tabs and line breaks written as \\, \t, \n and \r, so that one line holds one entry and a tab
// parts its fields.

#include <string>
#include <string_view>

namespace vitrinex {

void appendEscaped(std::string& out, std::string_view field);
// Appends `text` unescaped to `out`; false on an escape that is none.
bool unescape(std::string_view text, std::string& out);

} // namespace vitrinex
