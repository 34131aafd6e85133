// PNG files of 8-bit RGB pixels: rows top to bottom, three bytes a pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

// Through libpng where it is available; on Windows, where it is not, the uncompressed
// encoding below.
bool writeRgbPng(const std::string& path, int width, int height, const std::uint8_t* rgb, std::string& error);

// A whole PNG file whose zlib stream holds stored (uncompressed) deflate blocks: larger than
// a compressed one, but needs no compressor.
std::vector<std::uint8_t> encodeStoredPng(int width, int height, const std::uint8_t* rgb);

}  // namespace plughost
