// The knob and switch pictures: a shaded ball 45 pixels across with a black rim, a small light
// grey dot as the knob's handle, and a strip of five balls with the dot at the switch positions.
#pragma once

#include "image.h"

namespace artgen {

inline constexpr int kBallSize = 45;
inline constexpr int kHandleSize = 6;
inline constexpr int kSwitchFrames = 5;

Image drawBall();
Image drawHandle();

// Five frames stacked top to bottom, the dot at 7:30, 9:00, 12:00, 3:00 and 4:30.
Image drawSwitchStrip(const Image& ball, const Image& handle);

// Top-left corner of the handle on a ball for the angle (radians, counter-clockwise from
// 3 o'clock), by the rule the knob uses to place its handle.
struct Point {
    int x;
    int y;
};
Point handleCorner(double angle);

}  // namespace artgen
