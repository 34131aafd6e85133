#include "bmp_file.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace artgen {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::uint32_t strideOf(const Image& image, int bitsPerPixel) {
    return ((static_cast<std::uint32_t>(image.width) * bitsPerPixel + 31) / 32) * 4;
}

std::vector<std::uint8_t> headers(const Image& image, int bitsPerPixel, std::uint32_t paletteEntries) {
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteEntries * 4;
    const std::uint32_t pixelBytes = strideOf(image, bitsPerPixel) * static_cast<std::uint32_t>(image.height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0);
    put32(out, pixelOffset);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));  // positive: bottom row first
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    put32(out, 0);  // uncompressed
    put32(out, pixelBytes);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, paletteEntries);
    put32(out, 0);
    return out;
}

bool save(const std::vector<std::uint8_t>& bytes, const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

bool writeBmp24(const Image& image, const std::string& path) {
    std::vector<std::uint8_t> out = headers(image, 24, 0);
    const std::uint32_t padding = strideOf(image, 24) - static_cast<std::uint32_t>(image.width) * 3;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.insert(out.end(), padding, 0);
    }
    return save(out, path);
}

bool writeBmp8Grey(const Image& image, const std::string& path) {
    std::vector<std::uint8_t> out = headers(image, 8, 256);
    for (int n = 0; n < 256; ++n) {
        const auto level = static_cast<std::uint8_t>(n);
        out.insert(out.end(), {level, level, level, 0});
    }
    const std::uint32_t padding = strideOf(image, 8) - static_cast<std::uint32_t>(image.width);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.at(x, y);
            if (p.g != p.r || p.b != p.r) return false;
            out.push_back(p.r);
        }
        out.insert(out.end(), padding, 0);
    }
    return save(out, path);
}

}  // namespace artgen
