// Single-line text with FreeType, laid out as the native text call lays it out: the character
// height is the em size, the line is winAscent + winDescent high and centred vertically, and
// every glyph advances by its hinted whole-pixel width. Faces that are not installed are
// replaced by metric-compatible Liberation faces ("Arial" by Liberation Sans).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

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
    explicit TextRenderer(std::string fontDirectory);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    void draw(SoftwareImage& target, const char* text, const PixelRect& rect, TextAlign align,
              const TextStyle& style);

    // The advance width of `text` and the line height, in pixels.
    int textWidth(const char* text, const FontDescription& font);
    int lineHeight(const FontDescription& font);

private:
    struct Glyph {
        int left = 0;
        int top = 0;
        int advance = 0;
        int width = 0;
        int rows = 0;
        std::vector<unsigned char> coverage;
    };
    struct SizedFace;

    SizedFace* faceFor(const FontDescription& font);
    const Glyph& glyph(SizedFace& face, unsigned char character);

    std::string directory;
    void* library = nullptr;
    std::map<std::tuple<std::string, int>, std::unique_ptr<SizedFace>> faces;
};

}  // namespace platform::software
