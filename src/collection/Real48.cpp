#include "collection/Real48.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vitrinex {

namespace {

// The general rounding, through the C library.
long double roundByLibrary(long double value) {
    if (value == 0 || !std::isfinite(value)) return value == 0 ? 0.0L : value;
    int exponent = 0;
    const long double mantissa = std::frexp(value, &exponent); // 0.5 <= |mantissa| < 1
    // Smallest normal 6-byte real: exponent byte 1, that is 2^(1 - 129) = 2^-128 = 0.5 * 2^-127.
    if (exponent < -127) return 0.0L;
    const long double scaled = std::nearbyint(std::ldexp(mantissa, 40)); // ties to even
    return std::ldexp(scaled, exponent - 40);
}

} // namespace

long double roundToReal48(long double value) {
#if LDBL_MANT_DIG == 64
    // The x87 extended format holds a 64-bit significand with its leading 1: rounding to 40 bits is
    // integer work on its low 24 bits, a good deal cheaper than the library's functions (loading a
    // large collection rounds every price and net change).
    struct Bits {
        std::uint64_t significand;
        std::uint16_t signAndExponent;
    };
    Bits bits{};
    std::memcpy(&bits, &value, 10);
    const unsigned biased = bits.signAndExponent & 0x7FFFu;
    constexpr unsigned kBias = 16383;
    // 2^-128 is the smallest normal 6-byte real; zero, denormals and smaller values become 0.
    if (biased < kBias - 128) return 0.0L;
    // Infinities, NaNs, unnormal encodings and values near the top of the range take the general way.
    if (biased >= 0x7FFE || !(bits.significand >> 63)) return roundByLibrary(value);
    constexpr std::uint64_t kDropped = (std::uint64_t{1} << 24) - 1;
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 23;
    const std::uint64_t low = bits.significand & kDropped;
    std::uint64_t kept = bits.significand >> 24;
    if (low > kHalf || (low == kHalf && (kept & 1))) ++kept;
    if (kept >> 40) { // 1.111...1 rounded up to 10.000...0
        kept >>= 1;
        ++bits.signAndExponent;
    }
    bits.significand = kept << 24;
    long double rounded = 0;
    std::memcpy(&rounded, &bits, 10);
    return rounded;
#else
    return roundByLibrary(value);
#endif
}

std::string formatAmount(long double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? "0" : (std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF");

    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value); // 15 significant digits, rounded
    std::string text(buffer);
    const bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);

    const std::size_t ePos = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
    const int exp10 = std::atoi(text.c_str() + ePos + 1); // value = d.ddd * 10^exp10
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    const int integerDigits = exp10 + 1;
    if (exp10 >= -5 && integerDigits <= 15) {
        if (integerDigits <= 0) {
            out += "0." + std::string(static_cast<std::size_t>(-integerDigits), '0') + digits;
        } else if (static_cast<std::size_t>(integerDigits) >= digits.size()) {
            out += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exp10);
    }
    return out;
}

} // namespace vitrinex
