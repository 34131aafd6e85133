#include "core/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace numbertext {
namespace {

constexpr int kLayoutWidth = 8;

char digitOf(double scaled) { return static_cast<char>('0' + static_cast<int>(std::trunc(std::fmod(scaled, 10.0)))); }

}  // namespace

void formatNumber(float value, char* text) {
    double magnitude = value;
    const bool negative = magnitude < 0.0;
    const double limit = negative ? 9999999.0 : 99999999.0;
    if (negative) magnitude = -magnitude;
    // The negated comparison also sends NaN here, which has no digits to show.
    if (!(magnitude <= limit)) {
        std::strcpy(text, "Huge!");
        return;
    }

    // Integer digits are collected right to left from the scaled value, which is not
    // floored again between digits.
    char integer[kLayoutWidth];
    int digitCount = 0;
    double n = std::floor(magnitude);
    int count = negative ? 3 : 2;
    integer[digitCount++] = digitOf(n);
    n = n * 0.1;
    while (n >= 1.0 && count < kLayoutWidth) {
        integer[digitCount++] = digitOf(n);
        ++count;
        n = n * 0.1;
    }

    char* out = text;
    if (negative) *out++ = '-';
    while (digitCount > 0) *out++ = integer[--digitCount];
    *out++ = '.';

    if (count < kLayoutWidth) {
        const int decimals = kLayoutWidth - count;
        // Powers of ten up to 10^7 are exact in double, as pow gives them.
        constexpr double kPowersOfTen[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
        double f = std::fmod(magnitude, 1.0) * kPowersOfTen[decimals];
        for (int i = decimals - 1; i >= 0; --i) {
            if (f > 0.0) {
                out[i] = digitOf(f);
                f = f * 0.1;
            } else {
                out[i] = '0';
            }
        }
        out += decimals;
    }
    *out = '\0';
}

void formatPercent(float value, char* text) {
    formatNumber(value * 100.0f, text);
    std::strcat(text, "%");
}

void formatInteger(std::int32_t value, char* text) {
    if (value >= 100000000) {
        std::strcpy(text, "Huge!");
        return;
    }
    char wide[16];
    std::snprintf(wide, sizeof wide, "%7d", static_cast<int>(value));
    wide[kLayoutWidth] = '\0';
    std::strcpy(text, wide);
}

float parseNumber(const char* text) {
    if (!text) return 0.0f;
    return static_cast<float>(std::strtod(text, nullptr));
}

}  // namespace numbertext
