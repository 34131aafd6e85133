#include "text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace artgen {

struct Font::Handles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font::Font(const std::string& path, int pixelSize, double embolden)
    : handles_(std::make_unique<Handles>()), embolden_(std::lround(embolden * 64)) {
    if (FT_Init_FreeType(&handles_->library) != 0) throw std::runtime_error("cannot start FreeType");
    if (FT_New_Face(handles_->library, path.c_str(), 0, &handles_->face) != 0 ||
        FT_Set_Pixel_Sizes(handles_->face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        FT_Done_FreeType(handles_->library);
        throw std::runtime_error("cannot open font " + path);
    }
}

Font::~Font() {
    FT_Done_Face(handles_->face);
    FT_Done_FreeType(handles_->library);
}

namespace {

struct PlacedGlyph {
    int left;
    int top;  // relative to the baseline, y downwards
    Mask coverage;
};

PlacedGlyph renderGlyph(FT_Face face, FT_UInt index, int penX, FT_Pos embolden) {
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0 ||
        (embolden != 0 && FT_Outline_Embolden(&face->glyph->outline, embolden) != 0) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
        throw std::runtime_error("cannot render a glyph");
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    PlacedGlyph glyph{penX + face->glyph->bitmap_left, -face->glyph->bitmap_top,
                      Mask(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows))};
    for (int y = 0; y < glyph.coverage.height; ++y) {
        for (int x = 0; x < glyph.coverage.width; ++x) glyph.coverage.at(x, y) = bitmap.buffer[y * bitmap.pitch + x];
    }
    return glyph;
}

}  // namespace

RenderedText Font::render(std::string_view text) const {
    FT_Face face = handles_->face;
    std::vector<PlacedGlyph> glyphs;
    FT_Pos pen = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    for (const char c : text) {
        const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning{};
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning);
            pen += kerning.x;
        }
        glyphs.push_back(renderGlyph(face, index, static_cast<int>((pen + 32) >> 6), embolden_));
        pen += face->glyph->advance.x;
        previous = index;
    }

    // Crop to the pixels that carry ink; a glyph's bitmap may have empty margins.
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const PlacedGlyph& g : glyphs) {
        for (int y = 0; y < g.coverage.height; ++y) {
            for (int x = 0; x < g.coverage.width; ++x) {
                if (g.coverage.at(x, y) == 0) continue;
                left = std::min(left, g.left + x);
                right = std::max(right, g.left + x + 1);
                top = std::min(top, g.top + y);
                bottom = std::max(bottom, g.top + y + 1);
            }
        }
    }
    if (left > right) return RenderedText{Mask(0, 0), 0};

    RenderedText result{Mask(right - left, bottom - top), -top};
    for (const PlacedGlyph& g : glyphs) {
        for (int y = 0; y < g.coverage.height; ++y) {
            for (int x = 0; x < g.coverage.width; ++x) {
                if (g.coverage.at(x, y) == 0) continue;
                std::uint8_t& a = result.mask.at(g.left + x - left, g.top + y - top);
                a = static_cast<std::uint8_t>(std::min(255, a + g.coverage.at(x, y)));  // overlapping strokes
            }
        }
    }
    return result;
}

Mask rotateLeft(const Mask& mask) {
    Mask turned(mask.height, mask.width);
    for (int y = 0; y < turned.height; ++y) {
        for (int x = 0; x < turned.width; ++x) turned.at(x, y) = mask.at(mask.width - 1 - y, x);
    }
    return turned;
}

}  // namespace artgen
