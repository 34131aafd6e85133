// The scales the editor is drawn at. Its art is drawn for each of them, not enlarged, so any
// other scale asked for takes the nearest supported one not larger, and at least 1.
#pragma once

#include "gui/paint_context.h"

namespace editorscale {

inline constexpr int kLargestHalves = 4;

inline Scale supported(double requested) {
    // Whole halves, counted up from scale 1 so that NaN, too, gives 1.
    int halves = 2;
    while (halves < kLargestHalves && requested >= (halves + 1) / 2.0) ++halves;
    return Scale::ofHalves(halves);
}

}  // namespace editorscale
