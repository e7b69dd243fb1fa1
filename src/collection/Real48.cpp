#include "collection/Real48.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vitrinex {

long double roundToReal48(long double value) {
    if (value == 0 || !std::isfinite(value)) return value == 0 ? 0.0L : value;
    int exponent = 0;
    const long double mantissa = std::frexp(value, &exponent); // 0.5 <= |mantissa| < 1
    // Smallest normal 6-byte real: exponent byte 1, that is 2^(1 - 129) = 2^-128 = 0.5 * 2^-127.
    if (exponent < -127) return 0.0L;
    const long double scaled = std::nearbyint(std::ldexp(mantissa, 40)); // ties to even
    return std::ldexp(scaled, exponent - 40);
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
