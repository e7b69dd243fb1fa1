#pragma once
// Texts inside the collection code are byte strings in Windows-1252, exactly as they are stored in
// a collection file. These convert them at the edges (windows, command line, messages).

#include <QString>
#include <string>
#include <string_view>

namespace vitrinex {

std::string win1252ToUtf8(std::string_view bytes);
// The same appended to `out`.
void appendWin1252AsUtf8(std::string& out, std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'. Invalid UTF-8 bytes (overlong forms and
// surrogates included) become '?'.
std::string utf8ToWin1252(std::string_view utf8);

// The conversion of text handed in from outside, which refuses instead of writing '?'.
enum class TextRefusal { None, NotUtf8, NotWin1252 };
TextRefusal utf8ToWin1252Exact(std::string_view utf8, std::string& win1252);

// The text on one line for an error message: line breaks, NUL and other control characters are
// written as \n, \r, \0 or \xHH.
std::string oneLine(std::string_view text);

QString toQString(std::string_view win1252);
// The same into `out`, reusing its memory.
void toQString(std::string_view win1252, QString& out);
// Characters that Windows-1252 cannot hold become '?'.
std::string fromQString(const QString& text);
// The first character of `text` that Windows-1252 cannot hold (as text of its own), or an empty
// text when it holds none.
QString firstForeignCharacter(const QString& text);

} // namespace vitrinex
