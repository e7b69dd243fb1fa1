#include "collection/FigureRecord.h"

#include <charconv>

namespace vitrinex {

TFigureRecord blankFigureRecord() {
    TFigureRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

TCollectionHeader blankCollectionHeader() {
    TCollectionHeader h;
    std::memset(&h, 0, sizeof h);
    return h;
}

bool isDeletedRecord(const TFigureRecord& record) {
    return record.FigureName.view() == " " || record.Quantity == 0;
}

namespace {
inline unsigned char keyByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}
} // namespace

std::string nameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(keyByte(c));
    return key;
}

int compareNameKeys(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = keyByte(a[i]);
        const unsigned char y = keyByte(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool amountValue(std::string_view text, long double& value) {
    const std::size_t dollar = text.find('$');
    if (dollar != std::string_view::npos) text.remove_prefix(dollar + 1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);

    // A decimal number: optional sign, digits with an optional point, an optional exponent.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != text.size()) return false;

    // from_chars takes no leading '+' and is independent of the process locale.
    std::string_view number = text;
    if (number.front() == '+') number.remove_prefix(1);
    long double parsed = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (result.ec == std::errc::result_out_of_range) return false;
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return false;
    value = parsed;
    return true;
}

} // namespace vitrinex
