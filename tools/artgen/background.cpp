#include "background.h"

#include <cmath>
#include <stdexcept>

#include "text.h"

namespace artgen {

namespace {

constexpr Rgb kOutline = grey(192);
constexpr Rgb kHeadingColour = grey(255);
constexpr Rgb kNameColour = grey(0);

// Outer edges of a panel outline, all inclusive, its line width, and its heading's baseline
// and pixel size.
struct Panel {
    int left, top, right, bottom;
    int lineWidth;
    int baseline;
    int headingSize;
    const char* heading;
};

// The left panel holds the undelayed path, the right one the delay path; the cells of the
// editor sit inside these outlines. The Delay panel being full, the delay's Stereo, Motion,
// Freeze and Duck stand in the left panel's top row in a box of their own, drawn with a finer
// line and a smaller heading so that it reads as a part of its panel.
constexpr Panel kPanels[] = {
    {34, 24, 286, 379, 3, 31, 20, "Origin"},  // capitals from row 17 on, descenders down to row 35
    {348, 23, 600, 378, 3, 31, 20, "Delay"},
    {118, 44, 281, 115, 1, 49, 15, "Delay"},  // capitals from row 39 on, descenders down to row 52
};

constexpr int kHeadingGap = 5;       // clear space between the heading and the broken line
constexpr int kHeadingShadow = 110;  // strength of the one-pixel drop shadow

// The name stays inside this box between the panels, under the About area.
constexpr int kNameLeft = 301, kNameTop = 83, kNameRight = 335, kNameBottom = 323;
constexpr int kNameMargin = 1;
constexpr double kNameEmbolden = 0.5;  // the script's hairlines vanish on the grey otherwise
constexpr const char* kName = "Vellumine";

void fillRect(Image& image, int left, int top, int right, int bottom, Rgb colour) {
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) image.at(x, y) = colour;
    }
}

// A length at scale 1 in whole pixels at `scale`, rounded down.
int pixels(double length, double scale) { return static_cast<int>(std::floor(length * scale)); }

// The first and last pixel at `scale` of the scale-1 pixel at `at`.
int first(int at, double scale) { return pixels(at, scale); }
int last(int at, double scale) { return pixels(at + 1, scale) - 1; }

void drawOutline(Image& image, const Panel& p, double scale) {
    const int left = first(p.left, scale), top = first(p.top, scale);
    const int right = last(p.right, scale), bottom = last(p.bottom, scale);
    const int inner = p.lineWidth - 1;
    fillRect(image, left, top, right, last(p.top + inner, scale), kOutline);
    fillRect(image, left, first(p.bottom - inner, scale), right, bottom, kOutline);
    fillRect(image, left, top, last(p.left + inner, scale), bottom, kOutline);
    fillRect(image, first(p.right - inner, scale), top, right, bottom, kOutline);
}

// The heading interrupts the top line, as the title of a group box does.
void drawHeading(Image& image, const std::string& fontFile, const Panel& p, double scale) {
    const RenderedText text = Font(fontFile, pixels(p.headingSize, scale)).render(p.heading);
    const int left = (first(p.left, scale) + last(p.right, scale) + 1 - text.mask.width) / 2;
    const int top = first(p.baseline, scale) - text.baseline;
    const int gap = pixels(kHeadingGap, scale);
    const int shadow = pixels(1, scale);
    for (int y = first(p.top, scale); y < first(p.top + p.lineWidth, scale); ++y) {
        for (int x = left - gap; x < left + text.mask.width + gap; ++x) image.at(x, y) = grey(gradientGrey(y, image.height));
    }
    paint(image, text.mask, left + shadow, top + shadow, grey(0), kHeadingShadow);
    paint(image, text.mask, left, top, kHeadingColour);
}

// The largest size at which the name, turned to read upwards, fits its box.
Mask fittedName(const std::string& fontFile, double scale) {
    const int width = last(kNameRight, scale) - first(kNameLeft, scale) + 1;
    const int height = last(kNameBottom, scale) - first(kNameTop, scale) + 1;
    const int margin = pixels(kNameMargin, scale);
    for (int size = width; size > 8; --size) {
        const Mask turned = rotateLeft(Font(fontFile, size, kNameEmbolden * scale).render(kName).mask);
        if (turned.width <= width - 2 * margin && turned.height <= height - 2 * margin) return turned;
    }
    throw std::runtime_error("the product name does not fit between the panels");
}

}  // namespace

std::uint8_t gradientGrey(int y, int height) {
    constexpr int top = 127, bottom = 96;
    return static_cast<std::uint8_t>(top - ((top - bottom) * y + (height - 1) / 2) / (height - 1));
}

Image drawBackground(const FontFiles& fonts, double scale) {
    Image image(pixels(kBackgroundWidth, scale), pixels(kBackgroundHeight, scale), grey(0));
    for (int y = 0; y < image.height; ++y) fillRect(image, 0, y, image.width - 1, y, grey(gradientGrey(y, image.height)));

    for (const Panel& panel : kPanels) {
        drawOutline(image, panel, scale);
        drawHeading(image, fonts.headingSerif, panel, scale);
    }

    const Mask name = fittedName(fonts.nameScript, scale);
    const int left = (first(kNameLeft, scale) + last(kNameRight, scale) + 1 - name.width) / 2;
    const int top = (first(kNameTop, scale) + last(kNameBottom, scale) + 1 - name.height) / 2;
    paint(image, name, left, top, kNameColour);
    return image;
}

}  // namespace artgen
