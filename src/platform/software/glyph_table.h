// The editor's text face, rasterized ahead of time: tools/artgen renders a sans-serif face
// metric-compatible with Arial (SIL Open Font License 1.1; the copyright file names it) with
// FreeType into resources/editor_glyphs.cpp, which
// is compiled into every binary with the software backend. The text therefore needs no font
// file and no font library at run time, and its pixels are the same on every machine.
#pragma once

#include <cstdint>
#include <span>

namespace platform::software {

// The printable ASCII characters, space to tilde.
inline constexpr unsigned char kFirstGlyph = 0x20;
inline constexpr unsigned char kLastGlyph = 0x7E;
inline constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

// One glyph's coverage mask, placed relative to the pen on the baseline (top is upwards).
struct GlyphImage {
    std::int16_t left;
    std::int16_t top;
    std::int16_t advance;
    std::uint8_t width;
    std::uint8_t rows;
    std::uint32_t offset;  // of the first row in the face's coverage, rows of `width` bytes
};

struct GlyphFace {
    int pixelHeight;  // the em size
    int ascent;       // the line's height above and below the baseline
    int descent;
    int underlineOffset;  // below the baseline
    int underlineThickness;
    GlyphImage glyphs[kGlyphCount];
    const std::uint8_t* coverage;
};

// One face for each size the editor draws, smallest first.
std::span<const GlyphFace> glyphFaces();

}  // namespace platform::software
