// The editor's 640 x 400 background: a grey gradient, the two panel outlines and the box of the
// delay's last four cells with their headings, and the product name running up between the panels.
#pragma once

#include <string>

#include "image.h"

namespace artgen {

struct FontFiles {
    std::string headingSerif;  // bold serif for the panel headings
    std::string nameScript;    // script face for the product name
};

inline constexpr int kBackgroundWidth = 640;
inline constexpr int kBackgroundHeight = 400;

// The background at a scale of 1, 1.5 or 2: every length, stroke and text size multiplied, the
// gradient spread over all rows. At 1.5 a pixel of scale 1 at x covers the pixels from
// floor(1.5 x) up to floor(1.5 (x + 1)), as in the editor's drawing. Throws
// std::runtime_error when a font cannot be opened.
Image drawBackground(const FontFiles& fonts, double scale);

// Grey of the gradient in row y of `height`: 127 at the top, 96 at the bottom.
std::uint8_t gradientGrey(int y, int height);

}  // namespace artgen
