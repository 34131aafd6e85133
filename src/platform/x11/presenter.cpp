#include "platform/x11/presenter.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>

namespace platform::x11 {

namespace {

// The pixel bits of an 8-bit channel value under a visual's channel mask.
std::uint32_t channelBits(unsigned value, unsigned long mask) {
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned scaled = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
    return static_cast<std::uint32_t>(scaled << shift);
}

bool isLittleEndian() { return std::endian::native == std::endian::little; }

}  // namespace

bool presentable(const Visual* visual) {
    return visual && visual->c_class == TrueColor && visual->red_mask && visual->green_mask && visual->blue_mask &&
           std::popcount(visual->red_mask | visual->green_mask | visual->blue_mask) <= 24;
}

Presenter::Presenter(Display* x, ::Window target, Visual* visual, int depth, int width, int height)
    : display(x), window(target), gc(XCreateGC(x, target, 0, nullptr)) {
    if (!presentable(visual)) return;
    for (unsigned v = 0; v < 256; ++v) {
        red[v] = channelBits(v, visual->red_mask);
        green[v] = channelBits(v, visual->green_mask);
        blue[v] = channelBits(v, visual->blue_mask);
    }
    // At depth 32 the remaining bits are alpha; a window of an ARGB visual needs them set.
    if (depth == 32) opaque = ~static_cast<std::uint32_t>(visual->red_mask | visual->green_mask | visual->blue_mask);
    image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (image && image->bits_per_pixel != 32) {
        XDestroyImage(image);
        image = nullptr;
    }
    if (!image) return;
    buffer.resize(static_cast<std::size_t>(width) * height);
    image->data = reinterpret_cast<char*>(buffer.data());
    // Pixels are written in the machine's order; XPutImage converts for the server.
    image->byte_order = isLittleEndian() ? LSBFirst : MSBFirst;
}

Presenter::~Presenter() {
    if (image) {
        image->data = nullptr;  // the buffer is ours, not Xlib's to free
        XDestroyImage(image);
    }
    XFreeGC(display, gc);
}

std::uint32_t Presenter::pixel(ColourRef colour) const {
    return red[colour & 0xFF] | green[(colour >> 8) & 0xFF] | blue[(colour >> 16) & 0xFF] | opaque;
}

void Presenter::put(const software::SoftwareImage& pixels, const PixelRect& area) {
    if (!image) return;
    const int left = std::max(area.left, 0);
    const int top = std::max(area.top, 0);
    const int right = std::min({area.right, pixels.width(), image->width});
    const int bottom = std::min({area.bottom, pixels.height(), image->height});
    if (left >= right || top >= bottom) return;
    for (int y = top; y < bottom; ++y) {
        const ColourRef* in = pixels.row(y);
        std::uint32_t* out = buffer.data() + static_cast<std::size_t>(y) * image->width;
        for (int x = left; x < right; ++x) out[x] = pixel(in[x]);
    }
    XPutImage(display, window, gc, image, left, top, left, top, static_cast<unsigned>(right - left),
              static_cast<unsigned>(bottom - top));
    XFlush(display);
}

}  // namespace platform::x11
