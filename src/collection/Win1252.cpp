#include "collection/Win1252.h"

#include <QList>
#include <array>
#include <cstdint>
#include <cstdio>

namespace vitrinex {
namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1 control of the same value.
constexpr std::array<char32_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t toCodePoint(unsigned char b) {
    return (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : b;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char fromCodePoint(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// One character of UTF-8 at `i`, which moves past it. False (i unchanged) for a byte that starts no
// character, a missing or wrong continuation byte, an overlong form, a surrogate or a code point
// above U+10FFFF.
bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b < 0x80             ? 0
                      : (b & 0xE0) == 0xC0 ? 1
                      : (b & 0xF0) == 0xE0 ? 2
                      : (b & 0xF8) == 0xF0 ? 3
                                           : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return false;
    c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra; ++k) {
        const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((cont & 0xC0) != 0x80) return false;
        c = (c << 6) | (cont & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

} // namespace

std::string win1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendWin1252AsUtf8(out, bytes);
    return out;
}

void appendWin1252AsUtf8(std::string& out, std::string_view bytes) {
    for (unsigned char b : bytes)
        appendUtf8(out, toCodePoint(b));
}

std::string utf8ToWin1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c = 0;
        if (decodeUtf8(s, i, c)) {
            out += fromCodePoint(c);
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

TextRefusal utf8ToWin1252Exact(std::string_view s, std::string& win1252) {
    win1252.clear();
    TextRefusal refusal = TextRefusal::None;
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c = 0;
        if (!decodeUtf8(s, i, c)) return TextRefusal::NotUtf8;
        const char b = fromCodePoint(c);
        if (b == '?' && c != U'?') refusal = TextRefusal::NotWin1252;
        win1252 += b;
    }
    return refusal;
}

QString toQString(std::string_view bytes) {
    QString out;
    toQString(bytes, out);
    return out;
}

void toQString(std::string_view bytes, QString& out) {
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar* data = out.data();
    for (unsigned char b : bytes)
        *data++ = QChar(static_cast<char16_t>(toCodePoint(b)));
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const uint c : text.toUcs4())
        out += fromCodePoint(c);
    return out;
}

QString firstForeignCharacter(const QString& text) {
    for (const char32_t c : text.toUcs4())
        if (c != U'?' && fromCodePoint(c) == '?') return QString::fromUcs4(&c, 1);
    return {};
}

std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\0') {
            out += "\\0";
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

} // namespace vitrinex
