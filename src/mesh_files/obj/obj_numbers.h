// obj_numbers.h - number reading for the OBJ parser, over [begin, end) ranges.
//
// Tokens are never NUL-terminated (they point into the file's bytes), so these work on ranges.
// Both are pure and total: any byte sequence gives a result. Inline, as they run once per
// number of a file of millions.
#pragma once

#include <cstddef>
#include <cstdint>

// The rare path of obj_parse_float: strtod on a terminated copy of the token.
float obj_parse_float_slow(const char* begin, const char* end);

inline bool obj_is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The float that (float)strtod(token) gives: the longest numeric prefix, 0 when there is none.
// A plain decimal with at most 19 significant digits and a small exponent is exact here: every
// power of ten up to 1e22 is exact in a double, so with a mantissa below 2^53 one multiply or
// divide rounds once, as strtod's correctly rounded result does. Anything else (hex, inf, nan,
// long mantissas, large exponents) goes through strtod itself.
inline float obj_parse_float(const char* begin, const char* end) {
    static const double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* p = begin;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    if (p == end || !(obj_is_digit(*p) || *p == '.')) return obj_parse_float_slow(begin, end);
    if (*p == '0' && p + 1 < end && (p[1] == 'x' || p[1] == 'X')) // hexadecimal
        return obj_parse_float_slow(begin, end);

    uint64_t mantissa = 0;
    int digits = 0; // significant digits taken into the mantissa
    int exponent = 0;
    bool anyDigit = false;
    for (; p < end && obj_is_digit(*p); ++p) {
        anyDigit = true;
        if (mantissa == 0 && *p == '0') continue;
        if (++digits > 19) return obj_parse_float_slow(begin, end);
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (p < end && *p == '.') {
        for (++p; p < end && obj_is_digit(*p); ++p) {
            anyDigit = true;
            if (mantissa == 0 && *p == '0') {
                --exponent;
                continue;
            }
            if (++digits > 19) return obj_parse_float_slow(begin, end);
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
            --exponent;
        }
    }
    if (!anyDigit) return 0.0f; // "." or "-.": strtod converts nothing
    // An exponent counts only with at least one digit ("1e" reads as 1, like strtod).
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool expNegative = false;
        if (q < end && (*q == '+' || *q == '-')) expNegative = (*q++ == '-');
        if (q < end && obj_is_digit(*q)) {
            int value = 0;
            for (; q < end && obj_is_digit(*q); ++q) {
                if (value > 100000) return obj_parse_float_slow(begin, end);
                value = value * 10 + (*q - '0');
            }
            exponent += expNegative ? -value : value;
        }
    }
    if (mantissa == 0) return negative ? -0.0f : 0.0f;
    if (mantissa > (uint64_t(1) << 53) || exponent < -22 || exponent > 22)
        return obj_parse_float_slow(begin, end);
    double value = static_cast<double>(mantissa);
    value = exponent < 0 ? value / kExactPowers[-exponent] : value * kExactPowers[exponent];
    return static_cast<float>(negative ? -value : value);
}

// An unsigned decimal at `begin`, when its first character is a digit: true and the value
// (saturated at UINT64_MAX) in `value`. Reading stops at the first non-digit.
inline bool obj_parse_index(const char* begin, const char* end, uint64_t& value) {
    if (begin >= end || !obj_is_digit(*begin)) return false;
    uint64_t v = 0;
    for (const char* p = begin; p < end && obj_is_digit(*p); ++p) {
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        v = (v > (UINT64_MAX - digit) / 10) ? UINT64_MAX : v * 10 + digit;
    }
    value = v;
    return true;
}
