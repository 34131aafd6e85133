// Pixels of the software backend: window framebuffers, decoded bitmaps and one-bit masks.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace platform::software {

class SoftwareImage : public Image {
public:
    SoftwareImage(int width, int height, bool oneBit = false, ColourRef fill = 0)
        : w(width), h(height), mono(oneBit), pixels(static_cast<std::size_t>(width) * height, fill) {}

    int width() const override { return w; }
    int height() const override { return h; }
    bool isOneBit() const { return mono; }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    // One-bit images hold 0 or 1 per pixel.
    ColourRef at(int x, int y) const { return pixels[index(x, y)]; }
    void set(int x, int y, ColourRef value) { pixels[index(x, y)] = value; }
    ColourRef* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * w; }
    const ColourRef* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * w; }

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * w + x; }

    int w;
    int h;
    bool mono;
    std::vector<ColourRef> pixels;
};

}  // namespace platform::software
