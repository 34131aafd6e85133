// Number-to-text conversions for parameter display texts: a fixed eight-character layout
// whose decimals are truncated, never rounded, so the last digit shown is predictable.
#pragma once

#include <array>
#include <cstdint>

namespace numbertext {

// The digits formatNumber shows for a value, as numbers: two values show the same text
// exactly when their ShownNumbers are equal. Comparing these instead of texts keeps text out
// of the audio thread, where values sent in units are matched to the figures they show.
struct ShownNumber {
    bool huge = false;  // beyond the layout, or NaN: "Huge!"
    bool negative = false;
    std::uint8_t integerDigits = 0, decimalDigits = 0;
    std::array<std::uint8_t, 8> integer{};   // right to left
    std::array<std::uint8_t, 8> decimals{};  // left to right
    bool operator==(const ShownNumber&) const = default;
};
ShownNumber shownNumber(float value);

// Writes at most 9 bytes: the 8-character layout and the terminator, or "Huge!".
void formatNumber(float value, char* text);
// formatNumber of value x 100 (rounded to float), then "%": at most 10 bytes.
void formatPercent(float value, char* text);
// "%7d" cut after 8 characters, or "Huge!" from 100000000 on.
void formatInteger(std::int32_t value, char* text);
// strtod of the text as a float; 0 when no number is found or text is null.
float parseNumber(const char* text);

}  // namespace numbertext
