// The knob and switch pictures: a shaded ball 45 pixels across with a black rim, a small light
// grey dot as the knob's handle, a strip of five balls with the dot at the switch positions, and
// for the compact knob beside the delay's Rate the same ball 21 pixels across with a smaller dot.
#pragma once

#include "image.h"

namespace artgen {

inline constexpr int kBallSize = 45;
inline constexpr int kSmallBallSize = 21;
inline constexpr int kHandleSize = 6;
inline constexpr int kSmallHandleSize = 5;
// On the small ball the handle passes through the highlight: a black rim keeps it in sight.
inline constexpr double kSmallHandleRim = 0.75;
inline constexpr int kSwitchFrames = 5;

// The ball's black rim, in pixels at scale 1.
inline constexpr double kBallRim = 1.25;

// A ball `diameter` pixels across, lit and shaded alike at every size, its rim as wide as
// `scale` asks. A diameter with a half pixel (at scale 1.5) is drawn from the top-left corner
// of a picture a pixel larger, whose last row and column stay transparent.
Image drawBall(double diameter, double scale);
// A dot `diameter` pixels across, with a black rim `rimWidth` wide (0 for none).
Image drawHandle(double diameter, double rimWidth);

// Five frames of the ball stacked top to bottom, the dot at 7:30, 9:00, 12:00, 3:00 and 4:30.
// Frame k starts at row floor(k * pitch), where the editor looks for it.
Image drawSwitchStrip(const Image& ball, const Image& handle, double pitch);

// Top-left corner of a handle on a ball for the angle (radians, counter-clockwise from
// 3 o'clock), by the rule the knob uses to place its handle.
struct Point {
    int x;
    int y;
};
Point handleCorner(double angle, double ballSize, int handleSize);

}  // namespace artgen
