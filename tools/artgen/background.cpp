#include "background.h"

#include <stdexcept>

#include "text.h"

namespace artgen {

namespace {

constexpr Rgb kOutline = grey(192);
constexpr Rgb kHeadingColour = grey(255);
constexpr Rgb kNameColour = grey(0);
constexpr int kOutlineWidth = 3;

// Outer edges of a panel outline, all inclusive.
struct Panel {
    int left, top, right, bottom;
    const char* heading;
};

// The left panel holds the undelayed path, the right one the delay path; the cells of the
// editor sit inside these outlines.
constexpr Panel kPanels[] = {
    {34, 24, 286, 379, "Origin"},
    {348, 23, 600, 378, "Delay"},
};

constexpr int kHeadingPixelSize = 20;
constexpr int kHeadingBaseline = 31;  // capitals from row 17 on, descenders down to row 35
constexpr int kHeadingGap = 5;        // clear space between the heading and the broken line
constexpr int kHeadingShadow = 110;   // strength of the one-pixel drop shadow

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

void drawOutline(Image& image, const Panel& p) {
    fillRect(image, p.left, p.top, p.right, p.top + kOutlineWidth - 1, kOutline);
    fillRect(image, p.left, p.bottom - kOutlineWidth + 1, p.right, p.bottom, kOutline);
    fillRect(image, p.left, p.top, p.left + kOutlineWidth - 1, p.bottom, kOutline);
    fillRect(image, p.right - kOutlineWidth + 1, p.top, p.right, p.bottom, kOutline);
}

// The heading interrupts the top line, as the title of a group box does.
void drawHeading(Image& image, const Font& font, const Panel& p) {
    const RenderedText text = font.render(p.heading);
    const int left = (p.left + p.right + 1 - text.mask.width) / 2;
    const int top = kHeadingBaseline - text.baseline;
    for (int y = p.top; y < p.top + kOutlineWidth; ++y) {
        for (int x = left - kHeadingGap; x < left + text.mask.width + kHeadingGap; ++x) image.at(x, y) = grey(gradientGrey(y));
    }
    paint(image, text.mask, left + 1, top + 1, grey(0), kHeadingShadow);
    paint(image, text.mask, left, top, kHeadingColour);
}

// The largest size at which the name, turned to read upwards, fits its box.
Mask fittedName(const std::string& fontFile) {
    for (int size = kNameRight - kNameLeft + 1; size > 8; --size) {
        const Mask turned = rotateLeft(Font(fontFile, size, kNameEmbolden).render(kName).mask);
        if (turned.width <= kNameRight - kNameLeft + 1 - 2 * kNameMargin &&
            turned.height <= kNameBottom - kNameTop + 1 - 2 * kNameMargin) {
            return turned;
        }
    }
    throw std::runtime_error("the product name does not fit between the panels");
}

}  // namespace

std::uint8_t gradientGrey(int y) {
    constexpr int top = 127, bottom = 96;
    return static_cast<std::uint8_t>(top - ((top - bottom) * y + (kBackgroundHeight - 1) / 2) / (kBackgroundHeight - 1));
}

Image drawBackground(const FontFiles& fonts) {
    Image image(kBackgroundWidth, kBackgroundHeight, grey(0));
    for (int y = 0; y < image.height; ++y) fillRect(image, 0, y, image.width - 1, y, grey(gradientGrey(y)));

    const Font headingFont(fonts.headingSerif, kHeadingPixelSize);
    for (const Panel& panel : kPanels) {
        drawOutline(image, panel);
        drawHeading(image, headingFont, panel);
    }

    const Mask name = fittedName(fonts.nameScript);
    const int left = (kNameLeft + kNameRight + 1 - name.width) / 2;
    const int top = (kNameTop + kNameBottom + 1 - name.height) / 2;
    paint(image, name, left, top, kNameColour);
    return image;
}

}  // namespace artgen
