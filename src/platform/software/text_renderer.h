// Single-line text from the built-in glyph table (glyph_table.h), laid out as the native text
// call lays it out: the character height is the em size, the line is winAscent + winDescent
// high and centred vertically, and every glyph advances by its hinted whole-pixel width. Every
// face is drawn with the editor's own glyphs (metric-compatible with Arial), at the largest built-in
// size not larger than the one asked for (the smallest where all are larger). Bytes outside
// printable ASCII take no room and leave no ink.
#pragma once

#include "platform/software/glyph_table.h"
#include "platform/software/software_image.h"

namespace platform::software {

struct TextStyle {
    FontDescription font;
    ColourRef colour = 0;
    ColourRef backColour = 0;
    bool opaque = false;
};

class TextRenderer {
public:
    void draw(SoftwareImage& target, const char* text, const PixelRect& rect, TextAlign align,
              const TextStyle& style) const;

    // The advance width of `text` and the line height, in pixels.
    int textWidth(const char* text, const FontDescription& font) const;
    int lineHeight(const FontDescription& font) const;
};

}  // namespace platform::software
