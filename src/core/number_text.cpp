#include "core/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace numbertext {
namespace {

constexpr int kLayoutWidth = 8;

// The last digit of the integer part of a value that is not negative: the same digit as
// trunc(fmod(scaled, 10)), since fmod is exact, without the library call.
std::uint8_t digitOf(double scaled) { return static_cast<std::uint8_t>(static_cast<std::int64_t>(scaled) % 10); }

}  // namespace

ShownNumber shownNumber(float value) {
    ShownNumber shown;
    double magnitude = value;
    shown.negative = magnitude < 0.0;
    const double limit = shown.negative ? 9999999.0 : 99999999.0;
    if (shown.negative) magnitude = -magnitude;
    // The negated comparison also sends NaN here, which has no digits to show.
    if (!(magnitude <= limit)) {
        shown.huge = true;
        shown.negative = false;
        return shown;
    }

    // Integer digits are collected right to left from the scaled value, which is not
    // floored again between digits; they are kept right to left.
    double n = std::floor(magnitude);
    int count = shown.negative ? 3 : 2;
    shown.integer[shown.integerDigits++] = digitOf(n);
    n = n * 0.1;
    while (n >= 1.0 && count < kLayoutWidth) {
        shown.integer[shown.integerDigits++] = digitOf(n);
        ++count;
        n = n * 0.1;
    }

    if (count < kLayoutWidth) {
        shown.decimalDigits = static_cast<std::uint8_t>(kLayoutWidth - count);
        // Powers of ten up to 10^7 are exact in double, as pow gives them.
        constexpr double kPowersOfTen[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
        double f = std::fmod(magnitude, 1.0) * kPowersOfTen[shown.decimalDigits];
        for (int i = shown.decimalDigits - 1; i >= 0 && f > 0.0; --i) {
            shown.decimals[static_cast<std::size_t>(i)] = digitOf(f);
            f = f * 0.1;
        }
    }
    return shown;
}

void formatNumber(float value, char* text) {
    const ShownNumber shown = shownNumber(value);
    if (shown.huge) {
        std::strcpy(text, "Huge!");
        return;
    }
    char* out = text;
    if (shown.negative) *out++ = '-';
    for (int i = shown.integerDigits - 1; i >= 0; --i) *out++ = static_cast<char>('0' + shown.integer[static_cast<std::size_t>(i)]);
    *out++ = '.';
    for (int i = 0; i < shown.decimalDigits; ++i) *out++ = static_cast<char>('0' + shown.decimals[static_cast<std::size_t>(i)]);
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
