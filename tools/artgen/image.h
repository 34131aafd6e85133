// A plain 8-bit RGB picture, top row first, and the coverage masks the text and the balls are
// drawn with.
#pragma once

#include <cstdint>
#include <vector>

namespace artgen {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb grey(std::uint8_t level) { return Rgb{level, level, level}; }

// The toolkit leaves this colour out when it draws a bitmap transparently.
inline constexpr Rgb kTransparent = grey(255);

struct Image {
    Image(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

    Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    int width;
    int height;
    std::vector<Rgb> pixels;
};

// Coverage 0..255 per pixel.
struct Mask {
    Mask(int w, int h) : width(w), height(h), alpha(static_cast<std::size_t>(w) * h, 0) {}

    std::uint8_t& at(int x, int y) { return alpha[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t at(int x, int y) const { return alpha[static_cast<std::size_t>(y) * width + x]; }

    int width;
    int height;
    std::vector<std::uint8_t> alpha;
};

// Integer blending keeps the output independent of floating-point rounding modes.
inline std::uint8_t mix(std::uint8_t under, std::uint8_t over, int alpha) {
    return static_cast<std::uint8_t>((under * (255 - alpha) + over * alpha + 127) / 255);
}

// Paints `colour` through the mask with its top-left corner at (left, top); `strength` (0..255)
// scales the coverage, for shadows and highlights.
inline void paint(Image& image, const Mask& mask, int left, int top, Rgb colour, int strength = 255) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const int alpha = (mask.at(x, y) * strength + 127) / 255;
            if (alpha == 0 || !image.contains(left + x, top + y)) continue;
            Rgb& p = image.at(left + x, top + y);
            p = Rgb{mix(p.r, colour.r, alpha), mix(p.g, colour.g, alpha), mix(p.b, colour.b, alpha)};
        }
    }
}

// Copies every pixel of `source` but the transparent ones, as the toolkit's transparent drawing
// does.
inline void pasteTransparent(Image& image, const Image& source, int left, int top, int sourceTop = 0,
                             int rows = -1) {
    const int count = rows < 0 ? source.height - sourceTop : rows;
    for (int y = 0; y < count; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const Rgb& p = source.at(x, sourceTop + y);
            if (p != kTransparent && image.contains(left + x, top + y)) image.at(left + x, top + y) = p;
        }
    }
}

}  // namespace artgen
