// Copies framebuffer pixels into an X11 window: converts them to the window's true-colour
// pixel format in an image of the window's size and sends the changed part with XPutImage.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "platform/software/software_image.h"

namespace platform::x11 {

class Presenter {
public:
    Presenter(Display* display, ::Window window, Visual* visual, int depth, int width, int height);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // False for visuals other than true colour at 32 bits per pixel, which nothing draws on.
    bool usable() const { return image != nullptr; }
    void put(const software::SoftwareImage& pixels, const PixelRect& area);
    // The window's pixel value of a colour.
    std::uint32_t pixel(ColourRef colour) const;

private:
    Display* display;
    ::Window window;
    GC gc;
    XImage* image = nullptr;
    std::vector<std::uint32_t> buffer;
    std::uint32_t red[256] = {}, green[256] = {}, blue[256] = {};
    std::uint32_t opaque = 0;
};

// Whether a visual can be presented to: true colour with 8-bit channels at most.
bool presentable(const Visual* visual);

}  // namespace platform::x11
