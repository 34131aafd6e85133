#include "platform/software/text_renderer.h"

#include <algorithm>

namespace platform::software {

namespace {

ColourRef blend(ColourRef under, ColourRef over, unsigned coverage) {
    ColourRef out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned a = (under >> shift) & 0xFF;
        const unsigned b = (over >> shift) & 0xFF;
        out |= ((a * (255 - coverage) + b * coverage + 127) / 255) << shift;
    }
    return out;
}

struct Clip {
    int left, top, right, bottom;
    bool inside(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

const GlyphFace* faceFor(const FontDescription& font) {
    if (font.pixelHeight <= 0) return nullptr;
    const std::span<const GlyphFace> faces = glyphFaces();
    const GlyphFace* chosen = &faces.front();
    for (const GlyphFace& face : faces)
        if (face.pixelHeight <= font.pixelHeight) chosen = &face;
    return chosen;
}

const GlyphImage* glyphFor(const GlyphFace& face, char character) {
    const auto c = static_cast<unsigned char>(character);
    return c >= kFirstGlyph && c <= kLastGlyph ? &face.glyphs[c - kFirstGlyph] : nullptr;
}

int advanceOf(const GlyphFace& face, const char* text) {
    int width = 0;
    for (const char* p = text; *p; ++p)
        if (const GlyphImage* g = glyphFor(face, *p)) width += g->advance;
    return width;
}

void drawGlyph(SoftwareImage& target, const GlyphFace& face, const GlyphImage& g, int penX, int baseline,
               const Clip& clip, ColourRef colour) {
    const std::uint8_t* coverage = face.coverage + g.offset;
    for (int gy = 0; gy < g.rows; ++gy) {
        const int y = baseline - g.top + gy;
        for (int gx = 0; gx < g.width; ++gx) {
            const int x = penX + g.left + gx;
            const unsigned alpha = coverage[gy * g.width + gx];
            if (alpha && clip.inside(x, y)) target.set(x, y, blend(target.at(x, y), colour, alpha));
        }
    }
}

}  // namespace

int TextRenderer::textWidth(const char* text, const FontDescription& font) const {
    const GlyphFace* face = faceFor(font);
    return face ? advanceOf(*face, text) : 0;
}

int TextRenderer::lineHeight(const FontDescription& font) const {
    const GlyphFace* face = faceFor(font);
    return face ? face->ascent + face->descent : 0;
}

void TextRenderer::draw(SoftwareImage& target, const char* text, const PixelRect& rect, TextAlign align,
                        const TextStyle& style) const {
    const GlyphFace* face = faceFor(style.font);
    if (!face) return;
    const int width = advanceOf(*face, text);
    const int height = face->ascent + face->descent;
    const int x0 = align == TextAlign::centre  ? rect.left + (rect.right - rect.left - width) / 2
                   : align == TextAlign::right ? rect.right - width
                                               : rect.left;
    const int top = rect.top + (rect.bottom - rect.top - height) / 2;
    const int baseline = top + face->ascent;
    const Clip clip{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, target.width()),
                    std::min(rect.bottom, target.height())};

    if (style.opaque) {
        for (int y = std::max(top, clip.top); y < std::min(top + height, clip.bottom); ++y)
            for (int x = std::max(x0, clip.left); x < std::min(x0 + width, clip.right); ++x)
                target.set(x, y, style.backColour);
    }
    int penX = x0;
    for (const char* p = text; *p; ++p) {
        const GlyphImage* g = glyphFor(*face, *p);
        if (!g) continue;
        drawGlyph(target, *face, *g, penX, baseline, clip, style.colour);
        penX += g->advance;
    }
    if (style.font.underline) {
        for (int y = baseline + face->underlineOffset; y < baseline + face->underlineOffset + face->underlineThickness; ++y)
            for (int x = x0; x < x0 + width; ++x)
                if (clip.inside(x, y)) target.set(x, y, style.colour);
    }
}

}  // namespace platform::software
