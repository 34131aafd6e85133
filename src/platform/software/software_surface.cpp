#include "platform/software/software_surface.h"

#include <algorithm>
#include <cstdlib>

namespace platform::software {

namespace {

// A dotted cosmetic pen draws three pixels and skips three.
constexpr int kDotRun = 3;

}  // namespace

SoftwareSurface::SoftwareSurface(SoftwareImage& image, TextRenderer& renderer) : target(image), text(renderer) {
    textStyle.backColour = makeColourRef(255, 255, 255);
}

// Lines are always one pixel wide in this toolkit; wider pens draw as one pixel here.
void SoftwareSurface::setPen(PenStyle style, int, ColourRef colour) {
    penStyle = style;
    penColour = colour;
}

bool SoftwareSurface::setBrush(ColourRef colour) {
    brushColour = colour;
    return true;
}

void SoftwareSurface::setFont(const FontDescription& font) { textStyle.font = font; }

void SoftwareSurface::plot(int x, int y, int step) {
    if (penStyle == PenStyle::dotted && (step / kDotRun) % 2 == 1) return;
    if (target.contains(x, y)) target.set(x, y, penColour);
}

// Steps along the major axis from the start point; the minor coordinate is the exact one
// rounded to nearest, halves towards the start. The end point is left out.
void SoftwareSurface::lineTo(PixelPoint to) {
    const int dx = to.x - position.x;
    const int dy = to.y - position.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    for (int i = 0; i < steps; ++i) {
        if (std::abs(dx) >= std::abs(dy)) {
            const int minor = (2 * std::abs(dy) * i + steps - 1) / (2 * steps);
            plot(position.x + sx * i, position.y + sy * minor, i);
        } else {
            const int minor = (2 * std::abs(dx) * i + steps - 1) / (2 * steps);
            plot(position.x + sx * minor, position.y + sy * i, i);
        }
    }
    position = to;
}

void SoftwareSurface::fillRect(const PixelRect& rect) {
    const int left = std::max(rect.left, 0);
    const int right = std::min(rect.right, target.width());
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, target.height()); ++y)
        if (left < right) std::fill(target.row(y) + left, target.row(y) + right, brushColour);
}

void SoftwareSurface::drawText(const char* string, const PixelRect& rect, TextAlign align, bool opaque) {
    TextStyle style = textStyle;
    style.opaque = opaque;
    text.draw(target, string, rect, align, style);
}

template <typename Combine>
void SoftwareSurface::forEachBlitPixel(const SoftwareImage& source, PixelPoint sourceOrigin,
                                       const PixelRect& destination, Combine combine) {
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    for (int j = 0; j < height; ++j) {
        const int sy = sourceOrigin.y + j;
        const int dy = destination.top + j;
        if (sy < 0 || sy >= source.height() || dy < 0 || dy >= target.height()) continue;
        const ColourRef* in = source.row(sy);
        ColourRef* out = target.row(dy);
        const int first = std::max({0, -sourceOrigin.x, -destination.left});
        const int last = std::min({width, source.width() - sourceOrigin.x, target.width() - destination.left});
        for (int i = first; i < last; ++i) combine(out[destination.left + i], in[sourceOrigin.x + i]);
    }
}

void SoftwareSurface::blit(const Image& image, PixelPoint sourceOrigin, const PixelRect& destination, RasterOp op) {
    const auto& source = static_cast<const SoftwareImage&>(image);
    const bool mono = source.isOneBit();
    const ColourRef one = textStyle.backColour;
    const ColourRef zero = textStyle.colour;
    forEachBlitPixel(source, sourceOrigin, destination, [&](ColourRef& out, ColourRef in) {
        const ColourRef pixel = mono ? (in ? one : zero) : in;
        switch (op) {
        case RasterOp::copy: out = pixel; break;
        case RasterOp::invert: out ^= pixel; break;
        case RasterOp::mask: out &= pixel; break;
        }
    });
}

void SoftwareSurface::transparentBlit(const Image& image, PixelPoint sourceOrigin, const PixelRect& destination,
                                      ColourRef key) {
    forEachBlitPixel(static_cast<const SoftwareImage&>(image), sourceOrigin, destination,
                     [key](ColourRef& out, ColourRef in) {
                         if (in != key) out = in;
                     });
}

std::unique_ptr<Image> SoftwareSurface::makeMask(const Image& image, PixelPoint sourceOrigin, int width, int height,
                                                 ColourRef key) {
    const auto& source = static_cast<const SoftwareImage&>(image);
    auto mask = std::make_unique<SoftwareImage>(std::max(width, 0), std::max(height, 0), true);
    for (int y = 0; y < mask->height(); ++y)
        for (int x = 0; x < mask->width(); ++x) {
            const int sx = sourceOrigin.x + x;
            const int sy = sourceOrigin.y + y;
            // Outside the source the mask keeps the destination, as the direct path does.
            mask->set(x, y, !source.contains(sx, sy) || source.at(sx, sy) == key ? 1 : 0);
        }
    return mask;
}

}  // namespace platform::software
