// The Win32 backend draws with the same pixel rules as the software backend: the expectations
// here are the software backend's, computed by hand, checked on GDI drawing into a DIB.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "gui/paint_context.h"
#include "gui/resource_bitmap.h"
#include "platform/win32/win32_platform.h"
#include "test_canvas.h"

using namespace platform;
using namespace platform::win32;
using win32test::Canvas;

namespace {

constexpr ColourRef kPaper = makeColourRef(10, 20, 30);
constexpr ColourRef kInk = makeColourRef(250, 240, 230);
constexpr ColourRef kWhite = makeColourRef(255, 255, 255);
constexpr ColourRef kGrey = makeColourRef(127, 127, 127);
constexpr ColourRef kHandleRed = makeColourRef(200, 0, 0);
constexpr ColourRef kBlue = makeColourRef(0, 0, 255);

using Pixels = std::set<std::pair<int, int>>;

Pixels pixelsOf(const Canvas& canvas, ColourRef colour) {
    Pixels found;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) == colour) found.insert({x, y});
    return found;
}

Pixels block(int left, int top, int right, int bottom) {
    Pixels pixels;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) pixels.insert({x, y});
    return pixels;
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Box inkBox(const Canvas& canvas) {
    Box box;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) != kPaper) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// A colour image of one colour, as a 32-bit DIB section.
std::unique_ptr<Win32Image> solidImage(int width, int height, ColourRef colour) {
    Canvas canvas(1, 1, 0);  // only for a compatible context
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(canvas.context(), &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    auto* bits = static_cast<std::uint32_t*>(memory);
    const std::uint32_t bgr = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    for (int i = 0; i < width * height; ++i) bits[i] = bgr;
    return std::make_unique<Win32Image>(bitmap);
}

class SurfaceTest : public ::testing::Test {
protected:
    Canvas canvas{40, 30, kPaper};
    Win32Surface surface{canvas.context(), nullptr};
};

// The module's own bitmaps through the installed backend, for the toolkit's bitmap class.
class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override { previous = installServices(&backend); }
    void TearDown() override { installServices(previous); }

    Win32Platform backend{GetModuleHandleA(nullptr)};
    Services* previous = nullptr;
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
        {{0, 0}, {5, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {{3, 3}, {3, 3}, {}},
    };
    for (const Case& c : cases) {
        Canvas fresh(10, 10, kPaper);
        Win32Surface s(fresh.context(), nullptr);
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
    EXPECT_EQ(pixelsOf(canvas, kInk), (Pixels{{0, 0}, {1, 0}, {2, 0}, {6, 0}, {7, 0}, {8, 0}}));
}

TEST_F(SurfaceTest, FillCoversRightAndBottomExclusiveAndClipsToTheSurface) {
    ASSERT_TRUE(surface.setBrush(kInk));
    surface.fillRect({2, 3, 5, 5});
    const Pixels expected = block(2, 3, 5, 5);
    EXPECT_EQ(pixelsOf(canvas, kInk), expected);

    surface.fillRect({38, 28, 60, 60});
    surface.fillRect({-5, -5, 0, 0});
    surface.fillRect({10, 10, 9, 12});
    EXPECT_EQ(pixelsOf(canvas, kInk).size(), expected.size() + 4);
}

TEST_F(SurfaceTest, OutlineAndFillOfOneRectCoverItExactlyOnce) {
    PaintContext context(nullptr, &surface, nullptr);
    context.setFillColour({0, 0, 255, 0});
    context.fillRect({3, 4, 8, 9});
    context.setLineColour({250, 240, 230, 0});
    context.drawRectOutline({3, 4, 8, 9});
    EXPECT_EQ(pixelsOf(canvas, kBlue), block(4, 5, 8, 9));
    Pixels outline = block(3, 4, 9, 10);
    for (const auto& inside : block(4, 5, 8, 9)) outline.erase(inside);
    EXPECT_EQ(pixelsOf(canvas, kInk), outline);
}

TEST_F(SurfaceTest, BlitsCombineSourceAndDestination) {
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
    const auto image = solidImage(2, 2, source);
    for (const Case& c : cases) {
        Canvas fresh(6, 6, kPaper);
        Win32Surface s(fresh.context(), nullptr);
        s.blit(*image, {0, 0}, {1, 1, 3, 3}, c.op);
        EXPECT_EQ(pixelsOf(fresh, c.expected), block(1, 1, 3, 3)) << static_cast<int>(c.op);
    }
}

TEST_F(SurfaceTest, OneBitSourceMapsOneToBackColourAndZeroToTextColour) {
    const BYTE rows[4] = {0x80, 0, 0x40, 0};  // row 0: 1 0, row 1: 0 1; rows are 16 bits wide
    Win32Image mono(CreateBitmap(2, 2, 1, 1, rows));
    surface.setBackColour(kInk);
    surface.setTextColour(kBlue);
    surface.blit(mono, {0, 0}, {0, 0, 2, 2}, RasterOp::copy);
    EXPECT_EQ(pixelsOf(canvas, kInk), (Pixels{{0, 0}, {1, 1}}));
    EXPECT_EQ(pixelsOf(canvas, kBlue), (Pixels{{1, 0}, {0, 1}}));
}

TEST_F(SurfaceTest, BlitClipsToSourceAndDestination) {
    const auto image = solidImage(3, 3, kInk);
    surface.blit(*image, {1, 1}, {38, 28, 43, 33}, RasterOp::copy);
    // Only source columns 1..2 and rows 1..2 exist, and only (38..39, 28..29) is on the surface.
    EXPECT_EQ(pixelsOf(canvas, kInk), (Pixels{{38, 28}, {39, 28}, {38, 29}, {39, 29}}));
}

TEST_F(SurfaceTest, ReleasingTheSurfacePutsBackTheContextsObjectsAndDeletesItsOwn) {
    Canvas target(4, 4, kPaper);
    const HGDIOBJ pen = GetCurrentObject(target.context(), OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(target.context(), OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(target.context(), OBJ_FONT);
    HGDIOBJ own[3] = {};
    {
        Win32Surface s(target.context(), nullptr);
        s.setPen(PenStyle::solid, 1, kInk);
        s.setBrush(kInk);
        FontDescription arial;
        arial.face = "Arial";
        s.setFont(arial);
        own[0] = GetCurrentObject(target.context(), OBJ_PEN);
        own[1] = GetCurrentObject(target.context(), OBJ_BRUSH);
        own[2] = GetCurrentObject(target.context(), OBJ_FONT);
        EXPECT_NE(own[0], pen);
    }
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_FONT), font);
    for (HGDIOBJ object : own) EXPECT_EQ(GetObjectType(object), 0u);
}

TEST(Win32TextLayout, AlignsHorizontallyCentresVerticallyAndClips) {
    FontDescription arial;
    arial.face = "Arial";
    arial.pixelHeight = 12;
    const PixelRect rect{10, 10, 90, 40};
    int leftInk = -1;
    int leftWidth = 0;
    for (TextAlign align : {TextAlign::left, TextAlign::centre, TextAlign::right}) {
        Canvas canvas(100, 50, kPaper);
        Win32Surface surface(canvas.context(), nullptr);
        surface.setFont(arial);
        surface.setTextColour(kInk);
        surface.drawText("Hi", rect, align, false);
        const Box box = inkBox(canvas);
        // Liberation Sans at 12 pixels: a 14-pixel line (top 18, baseline 29) centred in 30.
        EXPECT_EQ(box.top, 29 - 9);
        EXPECT_EQ(box.bottom, 28);
        if (align == TextAlign::left) {
            leftInk = box.left;
            leftWidth = box.right - box.left;
            EXPECT_GE(leftInk, 10);
            EXPECT_LE(leftInk, 12);
        } else {
            // Centred and right-aligned ink keeps the left-aligned ink's shape and distance to the pen.
            EXPECT_EQ(box.right - box.left, leftWidth);
            if (align == TextAlign::right) {
                EXPECT_LE(box.right, 89);
                EXPECT_GE(box.right, 87);
            } else {
                EXPECT_NEAR((box.left + box.right) / 2.0, 50.0, 1.5);
            }
        }
    }

    Canvas canvas(100, 50, kPaper);
    Win32Surface surface(canvas.context(), nullptr);
    surface.setFont(arial);
    surface.setTextColour(kInk);
    surface.setBackColour(kBlue);
    surface.drawText("Hello world", {20, 10, 30, 40}, TextAlign::left, true);
    const Box box = inkBox(canvas);
    EXPECT_GE(box.left, 20);
    EXPECT_LE(box.right, 29);
    // The opaque box is one line high, not the whole rectangle.
    EXPECT_EQ(box.top, 18);
    EXPECT_EQ(box.bottom, 31);
}

TEST_F(BitmapTest, ResourcesLoadByTheLowSixteenBitsOfTheirId) {
    const auto strip = backend.loadBitmap(0x10000 + 100);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->width(), 3);
    EXPECT_EQ(strip->height(), 15);
    EXPECT_FALSE(backend.loadBitmap(999));
}

TEST_F(BitmapTest, AStripDrawnWithASourceOffsetShowsThatFrame) {
    auto* strip = new ResourceBitmap(100);
    Canvas canvas(3, 3, kPaper);
    {
        Win32Surface surface(canvas.context(), nullptr);
        PaintContext context(nullptr, &surface, nullptr);
        strip->draw(context, {0, 0, 3, 3}, {0, 6});
    }
    EXPECT_EQ(pixelsOf(canvas, kBlue), block(0, 0, 3, 3));
    strip->release();
}

// Both colour-keyed paths: msimg32's TransparentBlt, bound at run time, and the three-step mask.
TEST_F(BitmapTest, BothTransparentPathsLeaveTheKeyedCornersShowingTheBackground) {
    ASSERT_TRUE(backend.findTransparentBlit());
    auto* handle = new ResourceBitmap(102);
    ASSERT_EQ(handle->getWidth(), 6);
    Canvas direct(8, 8, kGrey);
    Canvas masked(8, 8, kGrey);
    for (Canvas* canvas : {&direct, &masked}) {
        transparentBlitBound = canvas == &direct;
        Win32Surface surface(canvas->context(), backend.boundTransparentBlt());
        PaintContext context(nullptr, &surface, nullptr);
        handle->drawTransparent(context, {1, 1, 7, 7}, {0, 0});
    }
    transparentBlitBound = false;
    handle->release();

    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(direct.at(x, y), masked.at(x, y)) << x << "," << y;
    EXPECT_EQ(pixelsOf(direct, kBlue), block(3, 3, 5, 5));
    for (PixelPoint corner : {PixelPoint{1, 1}, PixelPoint{6, 1}, PixelPoint{1, 6}, PixelPoint{6, 6}})
        EXPECT_EQ(direct.at(corner.x, corner.y), kGrey) << corner.x << "," << corner.y;
    EXPECT_EQ(direct.at(2, 1), kHandleRed);
    EXPECT_EQ(pixelsOf(direct, kGrey).size(), 8u * 8u - 6u * 6u + 4u);
}
