// What only the software backend's text can promise: its line height and pen positions come
// from the font's own metrics, so placement is exact to the pixel. The pixel rules every
// backend follows are in surface_rules_test.cpp.
#include <gtest/gtest.h>

#include "pixel_canvas.h"
#include "platform/software/software_surface.h"

using namespace platform;
using namespace platform::software;

namespace {

constexpr ColourRef kPaper = makeColourRef(10, 20, 30);
constexpr ColourRef kInk = makeColourRef(250, 240, 230);

}  // namespace

TEST(SoftwareText, PenPositionsFollowTheMeasuredWidthAndTheLineHeight) {
    TextRenderer text;
    FontDescription arial;
    arial.face = "Arial";
    arial.pixelHeight = 12;
    // The face (Arial metrics): winAscent 1854, winDescent 434 per 2048 units: 11 + 3 pixels at 12.
    EXPECT_EQ(text.lineHeight(arial), 14);
    const int width = text.textWidth("Hi", arial);
    ASSERT_GT(width, 4);

    struct Case {
        TextAlign align;
        int penX;
    };
    const Case cases[] = {{TextAlign::left, 10}, {TextAlign::centre, 10 + (80 - width) / 2}, {TextAlign::right, 90 - width}};
    int leftAlignedInk = -1;
    for (const Case& c : cases) {
        const auto canvas = pixelcanvas::makeCanvas(100, 50, kPaper);
        canvas->surface().setFont(arial);
        canvas->surface().setTextColour(kInk);
        canvas->surface().drawText("Hi", {10, 10, 90, 40}, c.align, false);
        const int inkLeft = pixelcanvas::inkBox(*canvas, kPaper).left;
        // The ink keeps its distance from the pen.
        if (leftAlignedInk < 0) leftAlignedInk = inkLeft;
        EXPECT_EQ(inkLeft - leftAlignedInk, c.penX - 10) << static_cast<int>(c.align);
    }
}

TEST(SoftwareText, EachSizeDrawsWithTheLargestBuiltInFaceNotLarger) {
    // The face's lines: 8 + 2 pixels at 9, 11 + 3 at 12, 13 + 3 at 14, 16 + 4 at 18,
    // 22 + 5 at 24.
    struct Case {
        int pixelHeight;
        int lineHeight;
    };
    const Case cases[] = {{1, 10},  {9, 10},  {11, 10}, {12, 14}, {13, 14}, {14, 16}, {17, 16},
                          {18, 20}, {23, 20}, {24, 27}, {99, 27}, {0, 0},   {-3, 0}};
    const TextRenderer text;
    for (const Case& c : cases) {
        FontDescription font;
        font.pixelHeight = c.pixelHeight;
        EXPECT_EQ(text.lineHeight(font), c.lineHeight) << c.pixelHeight;
    }
}

TEST(SoftwareText, EveryPrintableCharacterIsBuiltInAndOthersTakeNoRoom) {
    const TextRenderer text;
    for (const int pixelHeight : {9, 12, 14, 18, 24}) {
        FontDescription font;
        font.pixelHeight = pixelHeight;
        for (char c = ' '; c <= '~'; ++c) {
            const char one[] = {c, '\0'};
            EXPECT_GT(text.textWidth(one, font), 0) << c << " at " << pixelHeight;
            if (c == ' ') continue;
            const auto canvas = pixelcanvas::makeCanvas(40, 40, kPaper);
            canvas->surface().setFont(font);
            canvas->surface().setTextColour(kInk);
            canvas->surface().drawText(one, {5, 5, 35, 35}, TextAlign::left, false);
            EXPECT_GE(pixelcanvas::inkBox(*canvas, kPaper).left, 0) << c << " at " << pixelHeight << " leaves no ink";
        }
        EXPECT_EQ(text.textWidth("a\x80\t\xff", font), text.textWidth("a", font));
    }
}
