#pragma once
// The 6-byte real in which the collection's totals and extremes are kept: a 40-bit significand
// (hidden leading 1 and 39 fraction bits), an 8-bit exponent with bias 129 and a sign. Values are
// computed in extended precision and rounded to that significand whenever they are stored, and the
// rounding shows in the amounts the program writes (12.99 is kept as 12.9900000000052).

#include <string>

namespace vitrinex {

// The largest 6-byte real: exponent byte 255 and every fraction bit set, about 1.7E38.
inline constexpr long double kReal48Max = (2.0L - 1.0L / (1ULL << 39)) * (1ULL << 63) * (1ULL << 63);

// Rounds an extended value to the nearest 6-byte real (ties to even). Values too small for the
// exponent become 0.
long double roundToReal48(long double value);

// A variable of the 6-byte real type: every assignment rounds.
class Real48 {
public:
    Real48() = default;
    Real48(long double v) : value_(roundToReal48(v)) {} // NOLINT: stores like an assignment
    Real48& operator=(long double v) {
        value_ = roundToReal48(v);
        return *this;
    }
    operator long double() const { return value_; } // NOLINT: reads in extended precision
    long double value() const { return value_; }

private:
    long double value_ = 0;
};

// The general number format with at most 15 significant digits: no thousands separator, no trailing
// zeros, fixed notation from 0.00001 up to 15 integer digits, otherwise scientific ("1E20", "1.5E-6").
std::string formatAmount(long double value);

} // namespace vitrinex
