// Writes a colour image to a PNG file (8-bit RGB).
#pragma once

#include <string>

#include "platform/software/software_image.h"

namespace platform::software {

bool writePng(const SoftwareImage& image, const std::string& path);

}  // namespace platform::software
