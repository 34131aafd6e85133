// Renders one line of text with FreeType into a coverage mask. Fonts are opened by absolute
// path so that the result never depends on which fonts a machine has registered.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "image.h"

namespace artgen {

struct RenderedText {
    Mask mask;     // cropped to the ink
    int baseline;  // row of the baseline, relative to the mask's top (may lie below it)
};

class Font {
public:
    // Throws std::runtime_error when FreeType cannot open the file. `embolden` thickens every
    // stroke by that many pixels, for faces too light at small sizes.
    Font(const std::string& path, int pixelSize, double embolden = 0.0);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    RenderedText render(std::string_view text) const;

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    long embolden_;  // 26.6 fixed point
};

// The mask turned a quarter to the left, so that text reads from bottom to top.
Mask rotateLeft(const Mask& mask);

}  // namespace artgen
