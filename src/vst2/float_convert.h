#pragma once

#include <cmath>

#include "vst2/aeffect.h"

// Truncation toward zero of a host-supplied number; NaN and values an int32 cannot hold
// give 0 instead of undefined behaviour.
inline VstInt32 truncateToInt(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return 0;
    return static_cast<VstInt32>(value);
}
