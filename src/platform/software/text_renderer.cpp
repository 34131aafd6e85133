#include "platform/software/text_renderer.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace platform::software {

namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t codePoint(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c; }

std::string faceFile(const FontDescription& font) {
    const bool bold = font.weight >= 600;
    // No metric-compatible symbol face is packaged; the serif face stands in for it.
    const std::string family = font.decorative || font.face == "Symbol" || font.face == "Times New Roman"
                                   ? "LiberationSerif"
                               : font.face == "Courier New" ? "LiberationMono"
                                                            : "LiberationSans";
    const char* variant = bold && font.italic ? "-BoldItalic" : bold ? "-Bold" : font.italic ? "-Italic" : "-Regular";
    return family + variant + ".ttf";
}

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

}  // namespace

struct TextRenderer::SizedFace {
    FT_Face face = nullptr;
    int ascent = 0;
    int descent = 0;
    int underlineOffset = 0;
    int underlineThickness = 1;
    std::map<unsigned char, Glyph> glyphs;
    ~SizedFace() { FT_Done_Face(face); }
};

TextRenderer::TextRenderer(std::string fontDirectory) : directory(std::move(fontDirectory)) {
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) == 0) library = ft;
}

TextRenderer::~TextRenderer() {
    faces.clear();
    if (library) FT_Done_FreeType(static_cast<FT_Library>(library));
}

TextRenderer::SizedFace* TextRenderer::faceFor(const FontDescription& font) {
    if (!library || font.pixelHeight <= 0) return nullptr;
    const auto key = std::make_tuple(faceFile(font), font.pixelHeight);
    auto found = faces.find(key);
    if (found != faces.end()) return found->second.get();
    auto sized = std::make_unique<SizedFace>();
    const std::string path = directory + "/" + std::get<0>(key);
    if (FT_New_Face(static_cast<FT_Library>(library), path.c_str(), 0, &sized->face) != 0) {
        sized->face = nullptr;
        return nullptr;
    }
    FT_Set_Pixel_Sizes(sized->face, 0, static_cast<FT_UInt>(font.pixelHeight));
    const double scale = static_cast<double>(font.pixelHeight) / sized->face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(sized->face, FT_SFNT_OS2));
    const double ascent = os2 ? os2->usWinAscent : sized->face->ascender;
    const double descent = os2 ? os2->usWinDescent : -sized->face->descender;
    sized->ascent = static_cast<int>(std::lround(ascent * scale));
    sized->descent = static_cast<int>(std::lround(descent * scale));
    sized->underlineOffset = static_cast<int>(std::lround(-sized->face->underline_position * scale));
    sized->underlineThickness =
        std::max(1, static_cast<int>(std::lround(sized->face->underline_thickness * scale)));
    return faces.emplace(key, std::move(sized)).first->second.get();
}

const TextRenderer::Glyph& TextRenderer::glyph(SizedFace& sized, unsigned char character) {
    auto found = sized.glyphs.find(character);
    if (found != sized.glyphs.end()) return found->second;
    Glyph g;
    if (FT_Load_Char(sized.face, codePoint(character), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
        const FT_GlyphSlot slot = sized.face->glyph;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        g.width = static_cast<int>(slot->bitmap.width);
        g.rows = static_cast<int>(slot->bitmap.rows);
        g.coverage.resize(static_cast<std::size_t>(g.width) * g.rows);
        for (int y = 0; y < g.rows; ++y)
            std::copy_n(slot->bitmap.buffer + y * slot->bitmap.pitch, g.width, g.coverage.data() + y * g.width);
    }
    return sized.glyphs.emplace(character, std::move(g)).first->second;
}

int TextRenderer::textWidth(const char* text, const FontDescription& font) {
    SizedFace* sized = faceFor(font);
    if (!sized) return 0;
    int width = 0;
    for (const char* p = text; *p; ++p) width += glyph(*sized, static_cast<unsigned char>(*p)).advance;
    return width;
}

int TextRenderer::lineHeight(const FontDescription& font) {
    SizedFace* sized = faceFor(font);
    return sized ? sized->ascent + sized->descent : 0;
}

void TextRenderer::draw(SoftwareImage& target, const char* text, const PixelRect& rect, TextAlign align,
                        const TextStyle& style) {
    SizedFace* sized = faceFor(style.font);
    if (!sized) return;
    const int width = textWidth(text, style.font);
    const int height = sized->ascent + sized->descent;
    const int x0 = align == TextAlign::centre  ? rect.left + (rect.right - rect.left - width) / 2
                   : align == TextAlign::right ? rect.right - width
                                               : rect.left;
    const int top = rect.top + (rect.bottom - rect.top - height) / 2;
    const int baseline = top + sized->ascent;
    const Clip clip{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, target.width()),
                    std::min(rect.bottom, target.height())};

    if (style.opaque) {
        for (int y = std::max(top, clip.top); y < std::min(top + height, clip.bottom); ++y)
            for (int x = std::max(x0, clip.left); x < std::min(x0 + width, clip.right); ++x)
                target.set(x, y, style.backColour);
    }
    int penX = x0;
    for (const char* p = text; *p; ++p) {
        const Glyph& g = glyph(*sized, static_cast<unsigned char>(*p));
        for (int gy = 0; gy < g.rows; ++gy) {
            const int y = baseline - g.top + gy;
            for (int gx = 0; gx < g.width; ++gx) {
                const int x = penX + g.left + gx;
                const unsigned coverage = g.coverage[static_cast<std::size_t>(gy) * g.width + gx];
                if (coverage && clip.inside(x, y)) target.set(x, y, blend(target.at(x, y), style.colour, coverage));
            }
        }
        penX += g.advance;
    }
    if (style.font.underline) {
        for (int y = baseline + sized->underlineOffset; y < baseline + sized->underlineOffset + sized->underlineThickness; ++y)
            for (int x = x0; x < x0 + width; ++x)
                if (clip.inside(x, y)) target.set(x, y, style.colour);
    }
}

}  // namespace platform::software
