// Writes Windows device-independent bitmap files: bottom-up rows, 40-byte information header,
// no compression.
#pragma once

#include <string>

#include "image.h"

namespace artgen {

bool writeBmp24(const Image& image, const std::string& path);

// 8 bits per pixel with a 256-entry grey palette whose entry n is (n, n, n); fails when a pixel
// is not a grey.
bool writeBmp8Grey(const Image& image, const std::string& path);

}  // namespace artgen
