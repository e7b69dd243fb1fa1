#include "collection/FigureRecord.h"

#include <cfloat>
#include <charconv>
#include <optional>

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
// A checked decimal number without exponent whose digits fit in 64 bits and whose decimal places
// are few: its digits and the power of ten are exact in extended precision, so one division rounds
// it exactly as a full conversion does. Anything else is left to the full conversion.
std::optional<long double> exactDecimal(std::string_view text) {
#if LDBL_MANT_DIG == 64
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint64_t digits = 0;
    int count = 0, places = 0;
    bool afterPoint = false;
    for (const char c : text) {
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt; // an exponent
        if (++count > 19) return std::nullopt;
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        places += afterPoint ? 1 : 0;
    }
    // 10^27 = 2^27 * 5^27, and 5^27 fits in 64 bits.
    constexpr int kExactPowers = 27;
    if (places > kExactPowers) return std::nullopt;
    long double power = 1;
    for (int i = 0; i < places; ++i)
        power *= 10;
    const long double magnitude = static_cast<long double>(digits) / power;
    return negative ? -magnitude : magnitude;
#else
    (void)text;
    return std::nullopt;
#endif
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

    if (const auto exact = exactDecimal(text)) {
        value = *exact;
        return true;
    }
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
