#include "collection/EscapedText.h"

namespace vitrinex {

void appendEscaped(std::string& out, std::string_view field) {
    for (const char c : field) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

bool unescape(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        const char c = text[i];
        if (c == '\\')
            out += '\\';
        else if (c == 't')
            out += '\t';
        else if (c == 'n')
            out += '\n';
        else if (c == 'r')
            out += '\r';
        else
            return false;
    }
    return true;
}

} // namespace vitrinex
