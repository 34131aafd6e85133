// The toolkit's value types and constant tables, and PaintContext, the drawing surface every
// view draws through for the length of one event.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

class EditorFrame;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

// For hit tests all four edges belong to the rectangle; when drawn it is handed to the
// platform unchanged, so there right and bottom are exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool contains(Point p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t unused = 0;  // carries no colour
    platform::ColourRef ref() const { return platform::makeColourRef(red, green, blue); }
};

// Colours compare by red, green and blue only.
inline bool sameColour(const Colour& a, const Colour& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

inline constexpr Colour colourTransparentKey{255, 255, 255, 0};
inline constexpr Colour colourBlack{0, 0, 0, 0};
inline constexpr Colour colourWhite{255, 255, 255, 0};
inline constexpr Colour colourGrey{127, 127, 127, 0};
inline constexpr Colour colourRed{255, 0, 0, 0};
inline constexpr Colour colourGreen{0, 255, 0, 0};
inline constexpr Colour colourBlue{0, 0, 255, 0};
inline constexpr Colour colourYellow{255, 255, 0, 0};
inline constexpr Colour colourMagenta{255, 0, 255, 0};
inline constexpr Colour colourCyan{0, 255, 255, 0};

struct FontEntry {
    const char* face;
    int defaultSize;
};

inline constexpr int kFontCount = 8;
inline constexpr FontEntry fontTable[kFontCount] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};
inline constexpr int kFontAlwaysBold = 0;
inline constexpr int kFontDecorative = 7;

enum FontStyle : int { fontBold = 1, fontItalic = 2, fontUnderline = 4 };

enum MouseState : int {
    buttonLeft = 1,
    buttonMiddle = 2,
    buttonRight = 4,
    modShift = 8,
    modControl = 16,
    modAlt = 32,
};

// Recorded when the frame's window class is registered.
extern bool buttonsSwapped;

// A font id outside the table falls back to 0.
int validFontId(int fontId);

// The scale a frame's window is drawn at, kept in halves so that 1.5 is exact: 2 halves are
// scale 1, 3 are 1.5, 4 are 2. View coordinate v starts at window pixel pixels(v) and its
// pixels run up to those of v + 1, so at 1.5 every other coordinate is two pixels wide and
// every position, rectangle, line and hit area rounds the same way.
class Scale {
public:
    constexpr Scale() = default;
    static constexpr Scale ofHalves(int halves) { return Scale(halves); }

    constexpr int halves() const { return halvesOfOne; }
    constexpr double factor() const { return halvesOfOne / 2.0; }
    constexpr bool operator==(const Scale&) const = default;

    constexpr std::int32_t pixels(std::int32_t v) const { return floorDivided(v * halvesOfOne, 2); }
    // The view coordinate whose pixels hold window pixel `p`.
    constexpr std::int32_t unscaled(std::int32_t p) const { return floorDivided(2 * p + 1, halvesOfOne); }
    // A length of text or of a line at scale 1, in whole pixels, halves rounded up.
    constexpr int size(int length) const { return (length * halvesOfOne + 1) / 2; }

private:
    constexpr explicit Scale(int halves) : halvesOfOne(halves) {}
    static constexpr std::int32_t floorDivided(std::int32_t a, std::int32_t b) {
        return a >= 0 ? a / b : -((-a + b - 1) / b);
    }

    int halvesOfOne = 2;
};

// Views draw in the coordinates of the editor at scale 1; the context multiplies every
// position, length, line and text size by its frame's scale on the way to the window, and
// divides the mouse's position by it.
class PaintContext {
public:
    // `surface` and `window` are borrowed and may be null.
    PaintContext(EditorFrame* frame, platform::Surface* surface, platform::Window* window);

    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;

    void moveTo(Point p);
    void lineTo(Point p);
    void setLineStyle(int style);
    void setLineColour(Colour colour);
    void setFillColour(Colour colour);
    void setFontColour(Colour colour);
    void setFont(int fontId, int size = 0, int styleBits = 0);
    // Both the right and the bottom edge are drawn.
    void drawRectOutline(const Rect& r);
    // Exactly the pixels strictly inside the outline of the same rectangle.
    void fillRect(const Rect& r);
    // alignment 0 left, 1 centre, 2 right
    void drawString(const char* text, const Rect& r, bool opaque, int alignment);

    int mouseButtons();
    void mouseLocation(Point& p);

    void setOffset(Point p) { offset = p; }
    Point getOffset() const { return offset; }
    EditorFrame* getFrame() const { return frame; }
    Scale getScale() const { return scale; }
    platform::Surface* surface() const { return deviceContext; }
    platform::Window* window() const { return nativeWindow; }
    int getFontId() const { return fontId; }
    int getFontSize() const { return fontSize; }
    int getFontWeight() const { return fontWeight; }
    Colour getFontColour() const { return fontColour; }
    Colour getLineColour() const { return lineColour; }
    Colour getFillColour() const { return fillColour; }
    int getLineStyle() const { return lineStyle; }

private:
    void applyPen();
    platform::PixelPoint device(Point p) const { return {scale.pixels(p.x + offset.x), scale.pixels(p.y + offset.y)}; }

    Point windowOrigin;
    Point penAt;
    Scale scale;
    Point offset;
    platform::Surface* deviceContext;
    platform::Window* nativeWindow;
    EditorFrame* frame;
    int fontSize = 0;
    int fontId = 0;
    int fontWeight = 0;
    Colour fontColour = colourWhite;
    int lineWidth = 1;
    Colour lineColour = colourWhite;
    Colour fillColour = colourBlack;
    int lineStyle = 0;
};
