#include "collection/FigureRecord.h"

#include <array>
#include <bit>
#include <cfloat>
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
// Powers of ten exact in extended precision: 10^k = 2^k * 5^k, and 5^27 fits in 64 bits.
constexpr auto kPowersOfTen = [] {
    std::array<long double, LDBL_MANT_DIG >= 64 ? 28 : 1> powers{};
    long double power = 1;
    for (auto& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

} // namespace

std::string nameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = static_cast<char>(keyByte(c));
    return key;
}

namespace {

std::uint64_t load8(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, 8);
    return word;
}

// The keys of eight name bytes at once: every byte from 'a' to 'z' loses its 0x20 bit.
std::uint64_t keyWord(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const std::uint64_t low7 = word & ~kHigh;
    // The high bit of a byte is set when its low seven bits are at least 'a', and again when they
    // are above 'z'; neither sum carries into the next byte.
    const std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
    const std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
    const std::uint64_t small = atLeastA & ~aboveZ & ~word & kHigh;
    return word & ~(small >> 2);
}

// The word as the number its bytes spell, first byte highest.
std::uint64_t asBigEndian(std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(word);
    return word;
}

} // namespace

int compareNameKeys(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    // Eight bytes at a time: equal bytes have equal keys; otherwise the keys, read as big-endian
    // numbers, order as their bytes do one by one.
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t x = load8(a.data() + i);
        const std::uint64_t y = load8(b.data() + i);
        if (x == y) continue;
        const std::uint64_t kx = asBigEndian(keyWord(x));
        const std::uint64_t ky = asBigEndian(keyWord(y));
        if (kx != ky) return kx < ky ? -1 : 1;
    }
    for (; i < n; ++i) {
        const unsigned char x = keyByte(a[i]);
        const unsigned char y = keyByte(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

NameKeyPrefix nameKeyPrefix(std::string_view name) {
    char bytes[16] = {};
    std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), sizeof bytes));
    return {asBigEndian(keyWord(load8(bytes))), asBigEndian(keyWord(load8(bytes + 8)))};
}

bool amountValue(std::string_view text, long double& value) {
    const std::size_t dollar = text.find('$');
    if (dollar != std::string_view::npos) text.remove_prefix(dollar + 1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);

    // A decimal number: optional sign, digits with an optional point, an optional exponent. Up to
    // 19 digits (a 64-bit integer) with no exponent and few decimal places, the digits and the power
    // of ten are exact in extended precision, so one division rounds the number exactly as the full
    // conversion does.
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0, places = 0;
    std::uint64_t significand = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        significand = significand * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++i, ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            significand = significand * 10 + static_cast<std::uint64_t>(text[i] - '0');
            ++i, ++digits, ++places;
        }
    }
    if (digits == 0) return false;
    if (i == text.size() && digits <= 19 && places < std::size(kPowersOfTen)) {
        const long double magnitude = static_cast<long double>(significand) / kPowersOfTen[places];
        value = negative ? -magnitude : magnitude;
        return true;
    }
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
