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

inline Art drawArt(const FontFiles& fonts) {
    Image ball = drawBall(kBallSize);
    Image handle = drawHandle(kHandleSize, 0.0);
    Image strip = drawSwitchStrip(ball, handle);
    return Art{drawBackground(fonts),     std::move(strip),  std::move(ball), std::move(handle),
               drawBall(kSmallBallSize), drawHandle(kSmallHandleSize, kSmallHandleRim)};
}

}  // namespace artgen
