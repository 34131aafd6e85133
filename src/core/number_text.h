// Number-to-text conversions for parameter display texts: a fixed eight-character layout
// whose decimals are truncated, never rounded, so the last digit shown is predictable.
#pragma once

#include <cstdint>

namespace numbertext {

// Writes at most 9 bytes: the 8-character layout and the terminator, or "Huge!".
void formatNumber(float value, char* text);
// formatNumber of value x 100 (rounded to float), then "%": at most 10 bytes.
void formatPercent(float value, char* text);
// "%7d" cut after 8 characters, or "Huge!" from 100000000 on.
void formatInteger(std::int32_t value, char* text);
// strtod of the text as a float; 0 when no number is found or text is null.
float parseNumber(const char* text);

}  // namespace numbertext
