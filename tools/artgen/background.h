// The editor's 640 x 400 background: a grey gradient, the two panel outlines with their
// headings, and the product name running up between the panels.
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

// The background at an integer scale: every length, stroke and text size multiplied, the
// gradient spread over all rows. Throws std::runtime_error when a font cannot be opened.
Image drawBackground(const FontFiles& fonts, int scale);

// Grey of the gradient in row y of `height`: 127 at the top, 96 at the bottom.
std::uint8_t gradientGrey(int y, int height);

}  // namespace artgen
