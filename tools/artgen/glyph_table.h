// Rasterizes the editor's text face at the sizes it draws and writes the glyphs as a C++
// source, the table the software backend draws its text from (see
// src/platform/software/glyph_table.h). The glyphs are rendered exactly as the backend once
// rendered them at run time: hinted, anti-aliased, advances rounded to whole pixels, the line
// as high as the face's Windows ascent and descent.
#pragma once

#include <string>
#include <vector>

namespace artgen {

// The C++ source of the table: every printable ASCII character of the face in `fontFile`, at
// each of `pixelHeights` (smallest first). Throws std::runtime_error when FreeType cannot open
// the file.
std::string glyphTableSource(const std::string& fontFile, const std::vector<int>& pixelHeights);

}  // namespace artgen
