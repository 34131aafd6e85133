// Previews for judging the art: the editor window as the toolkit will compose it, and
// enlarged copies of single bitmaps. Written as PNG; not part of the product.
#pragma once

#include <string>

#include "image.h"

namespace artgen {

struct Art;

// The background with every cell's caption, knob or switch and value box at its place in the
// editor; captions and boxes in a stand-in for the editor's small sans-serif face.
Image composeEditor(const Art& art, const std::string& captionFontFile);

// Each pixel becomes a scale x scale square.
bool writePng(const Image& image, const std::string& path, int scale = 1);

}  // namespace artgen
