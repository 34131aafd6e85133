// What only the Win32 surface has to get right: the device context it borrows. The pixel
// rules every backend follows are checked here too, from tests/platform/surface_rules_test.cpp.
#include <gtest/gtest.h>

#include "gui/paint_context.h"
#include "gui/resource_bitmap.h"
#include "pixel_canvas.h"
#include "platform/win32/win32_platform.h"
#include "test_canvas.h"

using namespace platform;
using namespace platform::win32;
using namespace pixelcanvas;

namespace {

constexpr ColourRef kPaper = makeColourRef(10, 20, 30);
constexpr ColourRef kInk = makeColourRef(250, 240, 230);
constexpr ColourRef kGrey = makeColourRef(127, 127, 127);
constexpr ColourRef kHandleRed = makeColourRef(200, 0, 0);
constexpr ColourRef kBlue = makeColourRef(0, 0, 255);

// The module's own bitmaps through the installed backend, for the toolkit's bitmap class.
class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override { previous = installServices(&backend); }
    void TearDown() override { installServices(previous); }

    Win32Platform backend{GetModuleHandleA(nullptr)};
    Services* previous = nullptr;
};

}  // namespace

TEST(Win32Surface, OutlineAndFillOfOneRectCoverItExactlyOnce) {
    const auto canvas = makeCanvas(40, 30, kPaper);
    PaintContext context(nullptr, &canvas->surface(), nullptr);
    context.setFillColour({0, 0, 255, 0});
    context.fillRect({3, 4, 8, 9});
    context.setLineColour({250, 240, 230, 0});
    context.drawRectOutline({3, 4, 8, 9});
    EXPECT_EQ(pixelsOf(*canvas, kBlue), block(4, 5, 8, 9));
    Pixels outline = block(3, 4, 9, 10);
    for (const auto& inside : block(4, 5, 8, 9)) outline.erase(inside);
    EXPECT_EQ(pixelsOf(*canvas, kInk), outline);
}

TEST(Win32Surface, ReleasingTheSurfacePutsBackTheContextsObjectsAndDeletesItsOwn) {
    win32test::Canvas target(4, 4, kPaper);
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

// Both colour-keyed paths: msimg32's TransparentBlt, bound at run time, and the three-step mask.
TEST_F(BitmapTest, BothTransparentPathsLeaveTheKeyedCornersShowingTheBackground) {
    ASSERT_TRUE(backend.findTransparentBlit());
    auto* handle = new ResourceBitmap(102);
    ASSERT_EQ(handle->getWidth(), 6);
    const auto direct = makeCanvas(8, 8, kGrey);
    const auto masked = makeCanvas(8, 8, kGrey);
    for (Canvas* canvas : {direct.get(), masked.get()}) {
        transparentBlitBound = canvas == direct.get();
        PaintContext context(nullptr, &canvas->surface(), nullptr);
        handle->drawTransparent(context, {1, 1, 7, 7}, {0, 0});
    }
    transparentBlitBound = false;
    handle->release();

    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(direct->at(x, y), masked->at(x, y)) << x << "," << y;
    EXPECT_EQ(pixelsOf(*direct, kBlue), block(3, 3, 5, 5));
    for (PixelPoint corner : {PixelPoint{1, 1}, PixelPoint{6, 1}, PixelPoint{1, 6}, PixelPoint{6, 6}})
        EXPECT_EQ(direct->at(corner.x, corner.y), kGrey) << corner.x << "," << corner.y;
    EXPECT_EQ(direct->at(2, 1), kHandleRed);
    EXPECT_EQ(pixelsOf(*direct, kGrey).size(), 8u * 8u - 6u * 6u + 4u);
}
