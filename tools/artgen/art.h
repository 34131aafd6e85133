// The six bitmaps of the editor, by resource id.
#pragma once

#include "background.h"
#include "image.h"
#include "knob_art.h"

namespace artgen {

struct Art {
    Image background;     // 1024
    Image switchStrip;    // 1025
    Image knobBody;       // 1026
    Image knobHandle;     // 1027
    Image smallKnobBody;    // 1028
    Image smallKnobHandle;  // 1029
};

// The art at a scale of 1, 1.5 or 2, drawn at that size rather than enlarged.
inline Art drawArt(const FontFiles& fonts, double scale) {
    Image ball = drawBall(kBallSize * scale, scale);
    Image handle = drawHandle(kHandleSize * scale, 0.0);
    Image strip = drawSwitchStrip(ball, handle, kBallSize * scale);
    return Art{drawBackground(fonts, scale),
               std::move(strip),
               std::move(ball),
               std::move(handle),
               drawBall(kSmallBallSize * scale, scale),
               drawHandle(kSmallHandleSize * scale, kSmallHandleRim * scale)};
}

}  // namespace artgen
