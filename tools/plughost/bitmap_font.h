// A tiny 5 x 7 pixel font for the labels of the plots, so that no font library is needed.
// Upper-case letters, digits and common punctuation; lower case is drawn as upper case.
#pragma once

#include <array>
#include <cstdint>

namespace plughost {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // one blank column between characters

// Each row's bit 4 is the leftmost pixel. Characters the font lacks come out as '?'.
using Glyph = std::array<std::uint8_t, kGlyphHeight>;
const Glyph& glyphFor(char c);

}  // namespace plughost
