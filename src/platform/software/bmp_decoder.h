// Decodes uncompressed Windows bitmap files (24 bits per pixel, or 8 bits with a palette).
#pragma once

#include <cstddef>
#include <memory>

#include "platform/software/software_image.h"

namespace platform::software {

// Null for anything but a well-formed uncompressed 24-bit or 8-bit palette bitmap.
std::unique_ptr<SoftwareImage> decodeBmp(const unsigned char* data, std::size_t size);

}  // namespace platform::software
