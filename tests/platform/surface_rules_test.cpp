// The pixel rules of the seam's surface, checked on the backend compiled into the test: the
// software framebuffer natively, GDI drawing into a DIB under Wine. The expected pixels are
// worked out by hand from the rules in platform.h. Text is judged by its placement only: each
// backend anti-aliases glyphs its own way.
#include <gtest/gtest.h>

#include "pixel_canvas.h"

using namespace platform;
using namespace pixelcanvas;

namespace {

constexpr ColourRef kPaper = makeColourRef(10, 20, 30);
constexpr ColourRef kInk = makeColourRef(250, 240, 230);
constexpr ColourRef kBlue = makeColourRef(0, 0, 255);
constexpr ColourRef kWhite = makeColourRef(255, 255, 255);

constexpr int kStripId = 100;   // 3 x 15: red, green, blue, yellow, magenta frames of 3 rows
constexpr int kHandleId = 102;  // 6 x 6

}  // namespace

TEST(SurfaceRules, LinesLeaveOutTheirEndPoint) {
    struct Case {
        PixelPoint from, to;
        Pixels expected;
    };
    const Case cases[] = {
        {{2, 3}, {6, 3}, {{2, 3}, {3, 3}, {4, 3}, {5, 3}}},
        {{6, 3}, {2, 3}, {{6, 3}, {5, 3}, {4, 3}, {3, 3}}},
        {{4, 1}, {4, 4}, {{4, 1}, {4, 2}, {4, 3}}},
        {{1, 1}, {4, 4}, {{1, 1}, {2, 2}, {3, 3}}},
        {{5, 0}, {2, 3}, {{5, 0}, {4, 1}, {3, 2}}},
        // Slope 2/5: y is 0.4, 0.8, 1.2 and 1.6 at x = 1..4, each rounded to the nearest row.
        {{0, 0}, {5, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {{3, 3}, {3, 3}, {}},
    };
    for (const Case& c : cases) {
        const auto canvas = makeCanvas(10, 10, kPaper);
        canvas->surface().setPen(PenStyle::solid, 1, kInk);
        canvas->surface().moveTo(c.from);
        canvas->surface().lineTo(c.to);
        EXPECT_EQ(pixelsOf(*canvas, kInk), c.expected)
            << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    }
}

TEST(SurfaceRules, DottedPenDrawsThreeAndSkipsThree) {
    const auto canvas = makeCanvas(40, 30, kPaper);
    canvas->surface().setPen(PenStyle::dotted, 1, kInk);
    canvas->surface().moveTo({0, 0});
    canvas->surface().lineTo({12, 0});
    EXPECT_EQ(pixelsOf(*canvas, kInk), (Pixels{{0, 0}, {1, 0}, {2, 0}, {6, 0}, {7, 0}, {8, 0}}));
}

TEST(SurfaceRules, FillCoversRightAndBottomExclusiveAndClipsToTheSurface) {
    const auto canvas = makeCanvas(40, 30, kPaper);
    Surface& surface = canvas->surface();
    ASSERT_TRUE(surface.setBrush(kInk));
    surface.fillRect({2, 3, 5, 5});
    EXPECT_EQ(pixelsOf(*canvas, kInk), block(2, 3, 5, 5));

    surface.fillRect({38, 28, 60, 60});  // four pixels on the surface
    surface.fillRect({-5, -5, 0, 0});
    surface.fillRect({10, 10, 9, 12});  // inverted: empty
    EXPECT_EQ(pixelsOf(*canvas, kInk).size(), 6u + 4u);
}

TEST(SurfaceRules, BlitsCombineSourceAndDestination) {
    const ColourRef source = makeColourRef(0x0F, 0xF0, 0x55);
    struct Case {
        RasterOp op;
        ColourRef expected;
    };
    const Case cases[] = {
        {RasterOp::copy, source},
        {RasterOp::invert, makeColourRef(10 ^ 0x0F, 20 ^ 0xF0, 30 ^ 0x55)},
        {RasterOp::mask, makeColourRef(10 & 0x0F, 20 & 0xF0, 30 & 0x55)},
    };
    const auto image = makeImage(2, 2, std::vector<ColourRef>(4, source));
    for (const Case& c : cases) {
        const auto canvas = makeCanvas(6, 6, kPaper);
        canvas->surface().blit(*image, {0, 0}, {1, 1, 3, 3}, c.op);
        EXPECT_EQ(pixelsOf(*canvas, c.expected), block(1, 1, 3, 3)) << static_cast<int>(c.op);
    }
}

TEST(SurfaceRules, OneBitSourceMapsOneToBackColourAndZeroToTextColour) {
    const auto mono = makeOneBitImage(2, 2, {1, 0, 0, 1});
    const auto canvas = makeCanvas(4, 4, kPaper);
    canvas->surface().setBackColour(kInk);
    canvas->surface().setTextColour(kBlue);
    canvas->surface().blit(*mono, {0, 0}, {0, 0, 2, 2}, RasterOp::copy);
    EXPECT_EQ(pixelsOf(*canvas, kInk), (Pixels{{0, 0}, {1, 1}}));
    EXPECT_EQ(pixelsOf(*canvas, kBlue), (Pixels{{1, 0}, {0, 1}}));
}

TEST(SurfaceRules, BlitClipsToSourceAndDestination) {
    const auto image = makeImage(3, 3, std::vector<ColourRef>(9, kInk));
    const auto canvas = makeCanvas(40, 30, kPaper);
    canvas->surface().blit(*image, {1, 1}, {38, 28, 43, 33}, RasterOp::copy);
    // Only source columns 1..2 and rows 1..2 exist, and only (38..39, 28..29) is on the surface.
    EXPECT_EQ(pixelsOf(*canvas, kInk), block(38, 28, 40, 30));
}

TEST(SurfaceRules, ColourKeyedBlitAndMaskPathGiveIdenticalPixels) {
    std::vector<ColourRef> colours;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            colours.push_back((x + y) % 2 ? kWhite : makeColourRef(static_cast<std::uint8_t>(x * 60),
                                                                     static_cast<std::uint8_t>(y * 80), 7));
    const auto source = makeImage(4, 3, colours);

    const auto direct = makeCanvas(10, 10, kPaper);
    direct->surface().transparentBlit(*source, {1, 0}, {5, 5, 8, 8}, kWhite);

    // The toolkit's three steps: XOR the source, AND the mask, XOR the source again.
    const auto masked = makeCanvas(10, 10, kPaper);
    Surface& s = masked->surface();
    s.setBackColour(kWhite);
    s.setTextColour(0);
    const auto mask = s.makeMask(*source, {1, 0}, 3, 3, kWhite);
    s.blit(*source, {1, 0}, {5, 5, 8, 8}, RasterOp::invert);
    s.blit(*mask, {0, 0}, {5, 5, 8, 8}, RasterOp::mask);
    s.blit(*source, {1, 0}, {5, 5, 8, 8}, RasterOp::invert);

    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(direct->at(x, y), masked->at(x, y)) << x << "," << y;
    // Source (1,0) is keyed out, source (2,0) is copied to (6,5); the block has 3 x 3 pixels.
    EXPECT_EQ(direct->at(5, 5), kPaper);
    EXPECT_EQ(direct->at(6, 5), makeColourRef(120, 0, 7));
    EXPECT_EQ(direct->at(8, 5), kPaper);
}

TEST(SurfaceRules, BitmapResourcesLoadByTheLow16BitsOfTheirIdAndBlitFromAnOffset) {
    const auto strip = loadTestBitmap(0x10000 + kStripId);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->width(), 3);
    EXPECT_EQ(strip->height(), 15);
    EXPECT_FALSE(loadTestBitmap(999));
    ASSERT_TRUE(loadTestBitmap(kHandleId));

    // Rows 6..8 are the third frame: blue.
    const auto canvas = makeCanvas(3, 3, kPaper);
    canvas->surface().blit(*strip, {0, 6}, {0, 0, 3, 3}, RasterOp::copy);
    EXPECT_EQ(pixelsOf(*canvas, kBlue), block(0, 0, 3, 3));
}

TEST(SurfaceRules, TextAlignsHorizontallyCentresVerticallyAndClips) {
    FontDescription arial;
    arial.face = "Arial";
    arial.pixelHeight = 12;
    const PixelRect rect{10, 10, 90, 40};
    Box left;
    for (TextAlign align : {TextAlign::left, TextAlign::centre, TextAlign::right}) {
        const auto canvas = makeCanvas(100, 50, kPaper);
        canvas->surface().setFont(arial);
        canvas->surface().setTextColour(kInk);
        canvas->surface().drawText("Hi", rect, align, false);
        const Box box = inkBox(*canvas, kPaper);
        // Arial-metric glyphs at 12 pixels: a 14-pixel line, 11 above the baseline, centred
        // in 30 puts its top at 18 and the baseline at 29; "H" stands 9 pixels above it.
        EXPECT_EQ(box.top, 29 - 9);
        EXPECT_EQ(box.bottom, 28);
        if (align == TextAlign::left) {
            left = box;
            // The glyph's own left bearing: a pixel or two.
            EXPECT_GE(box.left, 10);
            EXPECT_LE(box.left, 12);
            continue;
        }
        // The ink keeps its shape; only where it starts moves.
        EXPECT_EQ(box.right - box.left, left.right - left.left);
        if (align == TextAlign::right) {
            EXPECT_LE(box.right, 89);
            EXPECT_GE(box.right, 87);
        } else {
            EXPECT_NEAR((box.left + box.right) / 2.0, 50.0, 1.5);
        }
    }

    const auto canvas = makeCanvas(100, 50, kPaper);
    canvas->surface().setFont(arial);
    canvas->surface().setTextColour(kInk);
    canvas->surface().setBackColour(kBlue);
    canvas->surface().drawText("Hello world", {20, 10, 30, 40}, TextAlign::left, true);
    const Box box = inkBox(*canvas, kPaper);
    EXPECT_GE(box.left, 20);
    EXPECT_LE(box.right, 29);
    // The opaque box is one line high, not the whole rectangle.
    EXPECT_EQ(box.top, 18);
    EXPECT_EQ(box.bottom, 31);
}
