#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "platform/software/software_surface.h"

using namespace platform;
using namespace platform::software;

namespace {

constexpr ColourRef kPaper = makeColourRef(10, 20, 30);
constexpr ColourRef kInk = makeColourRef(250, 240, 230);

using Pixels = std::set<std::pair<int, int>>;

Pixels pixelsOf(const SoftwareImage& image, ColourRef colour) {
    Pixels found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y) == colour) found.insert({x, y});
    return found;
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Bounding box of every pixel that differs from the paper.
Box inkBox(const SoftwareImage& image) {
    Box box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.at(x, y) != kPaper) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class SurfaceTest : public ::testing::Test {
protected:
    TextRenderer text{VELLUMINE_FONT_DIR};
    SoftwareImage image{40, 30, false, kPaper};
    SoftwareSurface surface{image, text};
};

}  // namespace

TEST_F(SurfaceTest, LinesLeaveOutTheirEndPoint) {
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
        {{0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {{3, 3}, {3, 3}, {}},
    };
    for (const Case& c : cases) {
        SoftwareImage fresh(10, 10, false, kPaper);
        SoftwareSurface s(fresh, text);
        s.setPen(PenStyle::solid, 1, kInk);
        s.moveTo(c.from);
        s.lineTo(c.to);
        EXPECT_EQ(pixelsOf(fresh, kInk), c.expected) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    }
}

TEST_F(SurfaceTest, DottedPenDrawsThreeAndSkipsThree) {
    surface.setPen(PenStyle::dotted, 1, kInk);
    surface.moveTo({0, 0});
    surface.lineTo({12, 0});
    EXPECT_EQ(pixelsOf(image, kInk), (Pixels{{0, 0}, {1, 0}, {2, 0}, {6, 0}, {7, 0}, {8, 0}}));
}

TEST_F(SurfaceTest, FillCoversRightAndBottomExclusiveAndClipsToTheSurface) {
    surface.setBrush(kInk);
    surface.fillRect({2, 3, 5, 5});
    Pixels expected;
    for (int y = 3; y < 5; ++y)
        for (int x = 2; x < 5; ++x) expected.insert({x, y});
    EXPECT_EQ(pixelsOf(image, kInk), expected);

    surface.fillRect({38, 28, 60, 60});
    surface.fillRect({-5, -5, 0, 0});
    surface.fillRect({10, 10, 9, 12});
    EXPECT_EQ(pixelsOf(image, kInk).size(), expected.size() + 4);
}

TEST_F(SurfaceTest, ColourKeyedBlitAndMaskPathGiveIdenticalPixels) {
    SoftwareImage source(4, 3);
    const ColourRef key = makeColourRef(255, 255, 255);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) source.set(x, y, (x + y) % 2 ? key : makeColourRef(x * 60, y * 80, 7));

    SoftwareImage direct(10, 10, false, kPaper);
    SoftwareSurface(direct, text).transparentBlit(source, {1, 0}, {5, 5, 8, 8}, key);

    SoftwareImage masked(10, 10, false, kPaper);
    SoftwareSurface s(masked, text);
    s.setBackColour(makeColourRef(255, 255, 255));
    s.setTextColour(0);
    const auto mask = s.makeMask(source, {1, 0}, 3, 3, key);
    s.blit(source, {1, 0}, {5, 5, 8, 8}, RasterOp::invert);
    s.blit(*mask, {0, 0}, {5, 5, 8, 8}, RasterOp::mask);
    s.blit(source, {1, 0}, {5, 5, 8, 8}, RasterOp::invert);

    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(direct.at(x, y), masked.at(x, y)) << x << "," << y;
    // Source (1,0) is keyed out, source (2,0) is copied to (6,5); the block has 3 x 3 pixels.
    EXPECT_EQ(direct.at(5, 5), kPaper);
    EXPECT_EQ(direct.at(6, 5), makeColourRef(120, 0, 7));
    EXPECT_EQ(direct.at(8, 5), kPaper);
}

TEST_F(SurfaceTest, BlitClipsToSourceAndDestination) {
    SoftwareImage source(3, 3, false, kInk);
    surface.blit(source, {1, 1}, {38, 28, 43, 33}, RasterOp::copy);
    // Only source columns 1..2 and rows 1..2 exist, and only (38..39, 28..29) is on the surface.
    EXPECT_EQ(pixelsOf(image, kInk), (Pixels{{38, 28}, {39, 28}, {38, 29}, {39, 29}}));
}

TEST(TextLayout, AlignsHorizontallyCentresVerticallyAndClips) {
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
    const PixelRect rect{10, 10, 90, 40};
    const Case cases[] = {{TextAlign::left, 10}, {TextAlign::centre, 10 + (80 - width) / 2}, {TextAlign::right, 90 - width}};
    int leftAlignedInk = -1;
    for (const Case& c : cases) {
        SoftwareImage image(100, 50, false, kPaper);
        SoftwareSurface surface(image, text);
        surface.setFont(arial);
        surface.setTextColour(kInk);
        surface.drawText("Hi", rect, c.align, false);
        const Box box = inkBox(image);
        // The ink keeps its distance from the pen; the line (top 18, baseline 29) is centred in 30.
        if (leftAlignedInk < 0) leftAlignedInk = box.left;
        EXPECT_EQ(box.left - leftAlignedInk, c.penX - 10);
        EXPECT_EQ(box.top, 29 - 9);
        EXPECT_EQ(box.bottom, 28);
    }

    SoftwareImage image(100, 50, false, kPaper);
    SoftwareSurface surface(image, text);
    surface.setFont(arial);
    surface.setTextColour(kInk);
    surface.setBackColour(makeColourRef(0, 0, 255));
    surface.drawText("Hello world", {20, 10, 30, 40}, TextAlign::left, true);
    const Box box = inkBox(image);
    EXPECT_GE(box.left, 20);
    EXPECT_LE(box.right, 29);
    // The opaque box is one line high, not the whole rectangle.
    EXPECT_EQ(box.top, 18);
    EXPECT_EQ(box.bottom, 31);
}
