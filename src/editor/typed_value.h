// A number typed into a value box is in the units of the box's own text (percent, hertz, the
// displayed rate or delay figure). These turn it back into a normalized parameter value.
#pragma once

#include <cstdint>
#include <optional>

class DelayEffect;

namespace typedvalue {

// The figure the value box of `index` shows at the normalized value 1.0. Cutoff and rate
// figures follow the effect's current scales, so they are read at the time of entry.
float fullScale(const DelayEffect& effect, std::int32_t index);

// typed / full, or nothing for a number above full: the parameter then keeps its value.
// Numbers below zero (and NaN) give 0.0.
std::optional<float> toNormalized(float typed, float full);

}  // namespace typedvalue
