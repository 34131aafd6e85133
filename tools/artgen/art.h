// The four bitmaps of the editor, by resource id.
#pragma once

#include "background.h"
#include "image.h"
#include "knob_art.h"

namespace artgen {

struct Art {
    Image background;   // 1024
    Image switchStrip;  // 1025
    Image knobBody;     // 1026
    Image knobHandle;   // 1027
};

inline Art drawArt(const FontFiles& fonts) {
    Image ball = drawBall();
    Image handle = drawHandle();
    Image strip = drawSwitchStrip(ball, handle);
    return Art{drawBackground(fonts), std::move(strip), std::move(ball), std::move(handle)};
}

}  // namespace artgen
