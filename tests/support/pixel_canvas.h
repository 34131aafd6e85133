// A surface of the backend compiled into the test, over pixels that can be read back, so that
// one test source checks the same pixel rules on every backend: software_pixel_canvas.cpp
// (a framebuffer) or win32_pixel_canvas.cpp (a DIB section drawn with GDI).
#pragma once

#include <algorithm>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace pixelcanvas {

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual platform::Surface& surface() = 0;
    virtual platform::ColourRef at(int x, int y) const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// A width x height surface filled with `paper`. Its colour-keyed routine is present.
std::unique_ptr<Canvas> makeCanvas(int width, int height, platform::ColourRef paper);
// A colour image whose pixel (x, y) is colours[y * width + x].
std::unique_ptr<platform::Image> makeImage(int width, int height, const std::vector<platform::ColourRef>& colours);
// A one-bit image whose pixel (x, y) is bits[y * width + x], 0 or 1.
std::unique_ptr<platform::Image> makeOneBitImage(int width, int height, const std::vector<int>& bits);
// A bitmap resource of the test executable, by id.
std::unique_ptr<platform::Image> loadTestBitmap(int resourceId);

using Pixels = std::set<std::pair<int, int>>;

inline Pixels pixelsOf(const Canvas& canvas, platform::ColourRef colour) {
    Pixels found;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) == colour) found.insert({x, y});
    return found;
}

// [left, right) x [top, bottom).
inline Pixels block(int left, int top, int right, int bottom) {
    Pixels pixels;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) pixels.insert({x, y});
    return pixels;
}

// The inclusive bounding box of every pixel that is not `paper`; all -1 without ink.
struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;
    bool operator==(const Box&) const = default;
};

inline Box inkBox(const Canvas& canvas, platform::ColourRef paper) {
    Box box;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) != paper) {
                box.left = box.left < 0 ? x : std::min(box.left, x);
                box.top = box.top < 0 ? y : box.top;
                box.right = std::max(box.right, x);
                box.bottom = y;
            }
    return box;
}

}  // namespace pixelcanvas
