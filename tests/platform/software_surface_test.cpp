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
    TextRenderer text(VELLUMINE_FONT_DIR);
    FontDescription arial;
    arial.face = "Arial";
    arial.pixelHeight = 12;
    // Liberation Sans: winAscent 1854, winDescent 434 per 2048 units: 11 + 3 pixels at 12.
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
