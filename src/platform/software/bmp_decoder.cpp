#include "platform/software/bmp_decoder.h"

#include <cstdint>
#include <cstdlib>

namespace platform::software {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr int kMaxSide = 16384;

std::uint32_t read32(const unsigned char* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

std::uint16_t read16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

struct Layout {
    int width;
    int height;
    bool bottomUp;
    int bitsPerPixel;
    std::size_t pixelOffset;
    std::size_t stride;
    std::size_t paletteOffset;
    std::size_t paletteSize;
};

bool readLayout(const unsigned char* data, std::size_t size, Layout& out) {
    if (size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') return false;
    const unsigned char* info = data + kFileHeaderSize;
    if (read32(info) < kInfoHeaderSize) return false;
    const auto width = static_cast<std::int32_t>(read32(info + 4));
    const auto height = static_cast<std::int32_t>(read32(info + 8));
    const int bits = read16(info + 14);
    const std::uint32_t compression = read32(info + 16);
    std::uint32_t colours = read32(info + 32);
    if (width <= 0 || width > kMaxSide || height == 0 || std::abs(height) > kMaxSide) return false;
    if (compression != 0 || (bits != 24 && bits != 8) || read16(info + 12) != 1) return false;
    if (bits == 8 && (colours == 0 || colours > 256)) colours = 256;
    out.width = width;
    out.height = std::abs(height);
    out.bottomUp = height > 0;
    out.bitsPerPixel = bits;
    out.pixelOffset = read32(data + 10);
    out.stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    out.paletteOffset = kFileHeaderSize + read32(info);
    out.paletteSize = bits == 8 ? colours : 0;
    if (out.paletteOffset + out.paletteSize * 4 > size) return false;
    return out.pixelOffset <= size && out.stride * out.height <= size - out.pixelOffset;
}

}  // namespace

std::unique_ptr<SoftwareImage> decodeBmp(const unsigned char* data, std::size_t size) {
    Layout layout{};
    if (!data || !readLayout(data, size, layout)) return nullptr;
    auto image = std::make_unique<SoftwareImage>(layout.width, layout.height);
    const unsigned char* palette = data + layout.paletteOffset;
    for (int y = 0; y < layout.height; ++y) {
        const int fileRow = layout.bottomUp ? layout.height - 1 - y : y;
        const unsigned char* src = data + layout.pixelOffset + layout.stride * fileRow;
        ColourRef* dst = image->row(y);
        for (int x = 0; x < layout.width; ++x) {
            const unsigned char* bgr = src + 3 * x;
            if (layout.bitsPerPixel == 8) {
                // Indices beyond a short palette read as black, as the palette is zero-padded.
                const std::size_t index = src[x];
                if (index >= layout.paletteSize) {
                    dst[x] = 0;
                    continue;
                }
                bgr = palette + 4 * index;
            }
            dst[x] = makeColourRef(bgr[2], bgr[1], bgr[0]);
        }
    }
    return image;
}

}  // namespace platform::software
