// The paint context, resource bitmaps and the view and control base, through the seam.
#include <algorithm>
#include <initializer_list>
#include <set>
#include <utility>

#include "gui/frame_switch.h"
#include "gui/knob.h"
#include "forwarding_services.h"
#include "gui_test_support.h"
#include "pixel_canvas.h"

using namespace guitest;

namespace {

// Remembers the drawing objects a context selects; draws nothing.
struct RecordingSurface : platform::Surface {
    platform::PenStyle penStyle{};
    int penWidth = 0;
    platform::ColourRef pen = 1, brush = 1, text = 1, back = 1;
    platform::FontDescription font;
    void setPen(platform::PenStyle style, int width, platform::ColourRef colour) override {
        penStyle = style;
        penWidth = width;
        pen = colour;
    }
    bool setBrush(platform::ColourRef colour) override {
        brush = colour;
        return true;
    }
    void setFont(const platform::FontDescription& description) override { font = description; }
    void setTextColour(platform::ColourRef colour) override { text = colour; }
    void setBackColour(platform::ColourRef colour) override { back = colour; }
    platform::ColourRef textColour() const override { return text; }
    platform::ColourRef backColour() const override { return back; }
    void moveTo(platform::PixelPoint) override {}
    void lineTo(platform::PixelPoint) override {}
    void fillRect(const platform::PixelRect&) override {}
    void drawText(const char*, const platform::PixelRect&, platform::TextAlign, bool) override {}
    void blit(const platform::Image&, platform::PixelPoint, const platform::PixelRect&, platform::RasterOp) override {}
    void transparentBlit(const platform::Image&, platform::PixelPoint, const platform::PixelRect&,
                         platform::ColourRef) override {}
    std::unique_ptr<platform::Image> makeMask(const platform::Image&, platform::PixelPoint, int, int,
                                              platform::ColourRef) override {
        return nullptr;
    }
};

using Pixels = std::set<std::pair<int, int>>;

constexpr platform::ColourRef kPaper = platform::makeColourRef(10, 20, 30);

// A 40 x 30 surface of the backend with a context over it, no frame and no window.
struct Canvas {
    std::unique_ptr<pixelcanvas::Canvas> pixels = pixelcanvas::makeCanvas(40, 30, kPaper);
    platform::Surface& surface = pixels->surface();
    PaintContext context{nullptr, &surface, nullptr};

    Pixels pixelsOf(Colour colour) const { return pixelcanvas::pixelsOf(*pixels, colour.ref()); }
    // Left, top, right and bottom of every pixel that is not paper; all -1 without ink.
    Rect ink() const {
        const pixelcanvas::Box box = pixelcanvas::inkBox(*pixels, kPaper);
        return {box.left, box.top, box.right, box.bottom};
    }
};

Pixels inclusiveBlock(int left, int top, int right, int bottom) {
    Pixels block;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) block.insert({x, y});
    return block;
}

}  // namespace

TEST(PaintContext, AFreshContextSelectsAWhitePenABlackBrushAndWhiteText) {
    RecordingSurface surface;
    PaintContext context(nullptr, &surface, nullptr);
    EXPECT_EQ(surface.penStyle, platform::PenStyle::solid);
    EXPECT_EQ(surface.penWidth, 1);
    EXPECT_EQ(surface.pen, colourWhite.ref());
    EXPECT_EQ(surface.brush, colourBlack.ref());
    EXPECT_EQ(surface.back, colourBlack.ref());  // the colour behind opaque text
    EXPECT_EQ(surface.text, colourWhite.ref());
    context.setLineStyle(1);
    EXPECT_EQ(surface.penStyle, platform::PenStyle::dotted);
    context.setLineStyle(2);
    EXPECT_EQ(surface.penStyle, platform::PenStyle::solid);
}

TEST(PaintContext, SetFontFallsBackToIdZeroAndAppliesTheStyleBits) {
    const struct {
        int id, size, style;
        int storedId;
        const char* face;
        int pixels, weight;
        bool italic, underline, decorative;
    } cases[] = {
        {9, 0, 0, 0, "Arial", 12, 700, false, false, false},   // id 0 is always bold
        {-1, 0, 0, 0, "Arial", 12, 700, false, false, false},
        {8, 0, 0, 0, "Arial", 12, 700, false, false, false},   // eight entries, not more
        {7, 0, 3, 7, "Symbol", 13, 700, true, false, true},
        {3, 0, 4, 3, "Arial", 12, 400, false, true, false},
        {6, 0, 0, 6, "Arial", 9, 400, false, false, false},
        {1, 20, 1, 1, "Arial", 20, 700, false, false, false},  // a given size is kept
    };
    for (const auto& c : cases) {
        RecordingSurface surface;
        PaintContext context(nullptr, &surface, nullptr);
        context.setFont(c.id, c.size, c.style);
        EXPECT_EQ(context.getFontId(), c.storedId) << c.id;
        EXPECT_EQ(context.getFontSize(), c.pixels) << c.id;
        EXPECT_EQ(surface.font.face, c.face) << c.id;
        EXPECT_EQ(surface.font.pixelHeight, c.pixels) << c.id;
        EXPECT_EQ(surface.font.weight, c.weight) << c.id;
        EXPECT_EQ(surface.font.italic, c.italic) << c.id;
        EXPECT_EQ(surface.font.underline, c.underline) << c.id;
        EXPECT_EQ(surface.font.decorative, c.decorative) << c.id;
    }
}

TEST_F(GuiTest, PaintContextWithoutASurfaceDrawsNothingAndStillKeepsItsState) {
    backend.setInput({7, 9}, {.left = true});
    {
        PaintContext context(nullptr, nullptr, nullptr);
        context.setLineColour(colourRed);
        context.setFillColour(colourBlue);
        context.setFont(9);
        context.moveTo({0, 0});
        context.lineTo({5, 5});
        context.drawRectOutline({0, 0, 5, 5});
        context.fillRect({0, 0, 5, 5});
        context.drawString("x", {0, 0, 5, 5}, true, 0);
        EXPECT_EQ(context.getFontId(), 0);
        EXPECT_EQ(context.getFontWeight(), 700);
        EXPECT_TRUE(sameColour(context.getFillColour(), colourBlue));
        EXPECT_EQ(context.mouseButtons(), buttonLeft);
        Point p;
        context.mouseLocation(p);
        EXPECT_EQ(p, (Point{7, 9}));  // no window: screen coordinates
    }
}

TEST(PaintContext, FillAndOutlineOfOneRectTouchEveryPixelOfItExactlyOnce) {
    const struct {
        Rect r;
        Point offset;
    } cases[] = {{{2, 3, 8, 7}, {0, 0}}, {{2, 3, 8, 7}, {5, 4}}, {{10, 10, 11, 11}, {0, 0}}, {{4, 4, 4, 9}, {0, 0}}};
    for (const auto& c : cases) {
        const int left = c.r.left + c.offset.x, top = c.r.top + c.offset.y;
        const int right = c.r.right + c.offset.x, bottom = c.r.bottom + c.offset.y;
        Canvas fill;
        fill.context.setOffset(c.offset);
        fill.context.setFillColour(colourYellow);
        fill.context.fillRect(c.r);
        // The inside: one pixel in from every edge of the outline.
        EXPECT_EQ(fill.pixelsOf(colourYellow), inclusiveBlock(left + 1, top + 1, right - 1, bottom - 1));

        Canvas outline;
        outline.context.setOffset(c.offset);
        outline.context.setLineColour(colourCyan);
        outline.context.drawRectOutline(c.r);
        Pixels ring = inclusiveBlock(left, top, right, bottom);
        for (const auto& p : inclusiveBlock(left + 1, top + 1, right - 1, bottom - 1)) ring.erase(p);
        EXPECT_EQ(outline.pixelsOf(colourCyan), ring) << c.r.left << "," << c.r.top << " offset " << c.offset.x;
    }
}

TEST(PaintContext, LeftAlignedTextStartsOnePixelInAndAmpersandsAreShown) {
    // Font 3 is Arial 12, normal weight.
    const platform::FontDescription arial{"Arial", 12, 400};
    const int alignments[] = {0, 1, 2};
    const int shifts[] = {1, 0, 0};
    for (int i = 0; i < 3; ++i) {
        Canvas through;
        through.context.setOffset({2, 1});
        through.context.setFont(3);
        through.context.drawString("Hi", {3, 4, 33, 24}, false, alignments[i]);
        Canvas reference;
        reference.surface.setFont(arial);
        reference.surface.setTextColour(colourWhite.ref());
        const auto align = static_cast<platform::TextAlign>(alignments[i]);
        reference.surface.drawText("Hi", {5 + shifts[i], 5, 35, 25}, align, false);
        EXPECT_EQ(through.ink(), reference.ink()) << alignments[i];
    }

    // No prefix processing: "&&" shows two ampersands, "&x" no underline below the baseline.
    Canvas one, two, withX;
    one.context.setFont(3);
    one.context.drawString("&", {0, 0, 40, 30}, false, 0);
    two.context.setFont(3);
    two.context.drawString("&&", {0, 0, 40, 30}, false, 0);
    withX.context.setFont(3);
    withX.context.drawString("&x", {0, 0, 40, 30}, false, 0);
    ASSERT_GE(one.ink().left, 0);
    EXPECT_GT(two.ink().width(), one.ink().width());
    EXPECT_EQ(withX.ink().bottom, one.ink().bottom);
}

TEST_F(GuiTest, SwappedButtonsReportThePhysicalLeftAsRight) {
    const struct {
        bool swapped;
        InputState physical;
        int expected;
    } cases[] = {
        {false, {.left = true, .control = true}, buttonLeft | modControl},
        {true, {.left = true, .control = true}, 20},
        {true, {.right = true}, buttonLeft},
        {true, {.middle = true, .shift = true, .alt = true}, buttonMiddle | modShift | modAlt},
    };
    for (const auto& c : cases) {
        backend.setButtonsSwapped(c.swapped);  // recorded when the window class is registered
        openFrame();
        std::vector<std::string> log;
        auto* probe = new ProbeView({0, 0, 10, 10}, "P", log);
        frame->addView(probe);
        press({5, 5}, c.physical);
        EXPECT_EQ(probe->lastButtons, c.expected) << c.swapped;
        frame->release();
        frame = nullptr;
    }

    // A control takes the swapped physical left click for a right click and ignores it.
    backend.setButtonsSwapped(true);
    openFrame();
    auto* knob = new Knob({0, 0, 40, 40}, &listener, 3, nullptr, nullptr, {0, 0});
    knob->setValue(0.2f);
    frame->addView(knob);
    press({20, 0}, {.left = true, .control = true});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(editor.calls.empty());
}

namespace {

// Counts the images the platform hands out that have been destroyed again.
struct CountedImage : platform::Image {
    explicit CountedImage(int& counter) : destroyed(counter) {}
    ~CountedImage() override { ++destroyed; }
    int width() const override { return 6; }
    int height() const override { return 6; }
    int& destroyed;
};

struct CountingServices : ForwardingServices {
    using ForwardingServices::ForwardingServices;
    int destroyedImages = 0;
    std::unique_ptr<platform::Image> loadBitmap(int) override {
        return std::make_unique<CountedImage>(destroyedImages);
    }
};

// The backend of the build with its bitmap loading counted.
class BitmapCountTest : public ::testing::Test {
protected:
    BitmapCountTest() : previous(platform::installServices(&system)) {}
    ~BitmapCountTest() override { platform::installServices(previous); }
    GuiTestBackend backend;
    CountingServices system{platform::services()};
    platform::Services* previous;
};

}  // namespace

TEST_F(BitmapCountTest, ABitmapRetainedTwiceGoesAtTheThirdRelease) {
    auto* bitmap = new ResourceBitmap(kHandleId);
    bitmap->retain();
    bitmap->retain();
    bitmap->release();
    bitmap->release();
    EXPECT_EQ(bitmap->referenceCount(), 1);
    EXPECT_EQ(system.destroyedImages, 0);
    bitmap->release();
    EXPECT_EQ(system.destroyedImages, 1);
}

TEST_F(BitmapCountTest, HoldersRetainWhatTheyKeepAndReleaseItWhenTheyGo) {
    auto* background = new ResourceBitmap(kBackgroundId);
    auto* handle = new ResourceBitmap(kHandleId);
    auto* knob = new Knob({0, 0, 40, 40}, nullptr, 0, background, handle, {0, 0});
    background->release();
    handle->release();
    EXPECT_EQ(background->referenceCount(), 1);  // the knob holds the only references
    EXPECT_EQ(handle->referenceCount(), 1);
    knob->setBackground(background);  // the same bitmap again: harmless
    EXPECT_EQ(background->referenceCount(), 1);
    EXPECT_EQ(system.destroyedImages, 0);
    knob->setHandleBitmap(nullptr);
    EXPECT_EQ(system.destroyedImages, 1);
    EXPECT_EQ(knob->getHandleInset(), 5);  // kept from the 6-pixel handle

    auto* frame = new EditorFrame({0, 0, 40, 40}, nullptr, nullptr);
    frame->setBackground(background);
    EXPECT_EQ(background->referenceCount(), 2);
    frame->addView(knob);  // the frame takes over the creator's reference to the knob
    frame->release();
    EXPECT_EQ(system.destroyedImages, 2);
}

TEST_F(GuiTest, ColourKeyedBitmapsGiveTheSamePixelsOnBothPaths) {
    // The 6 x 6 handle: white corners, a blue 2 x 2 centre, red (200, 0, 0) elsewhere.
    std::vector<platform::ColourRef> results[2];
    for (const bool direct : {true, false}) {
        backend.setTransparentBlitPresent(direct);  // bound by each frame at construction
        openFrame();
        paint();
        auto* handle = new ResourceBitmap(kHandleId);
        {
            const auto surface = window().acquireSurface();
            PaintContext context(frame, surface.get(), frame->window());
            context.setFillColour(colourGrey);
            context.fillRect({-1, -1, 20, 20});
            context.setFontColour(colourGreen);
            context.setOffset({2, 3});
            handle->drawTransparent(context, {4, 4, 10, 10}, {0, 0});
            // The mask path borrows the colours behind and of text; they come back.
            EXPECT_EQ(surface->backColour(), colourGrey.ref()) << direct;
            EXPECT_EQ(surface->textColour(), colourGreen.ref()) << direct;
        }
        handle->release();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) results[direct].push_back(pixel(x, y));
        // Placed at (6, 7): corners keep the grey, the rest shows the handle.
        EXPECT_EQ(pixel(6, 7), ref(colourGrey));
        EXPECT_EQ(pixel(11, 12), ref(colourGrey));
        EXPECT_EQ(pixel(7, 7), platform::makeColourRef(200, 0, 0));
        EXPECT_EQ(pixel(8, 9), ref(colourBlue));
        EXPECT_EQ(pixel(12, 7), ref(colourGrey));  // outside the block
        frame->release();
        frame = nullptr;
    }
    EXPECT_EQ(results[0], results[1]);
}

TEST_F(GuiTest, ABitmapThatDidNotLoadDrawsNothing) {
    openFrame();
    paint();
    auto* missing = new ResourceBitmap(999);
    EXPECT_EQ(missing->getWidth(), 0);
    const platform::ColourRef before = pixel(3, 3);
    {
        const auto surface = window().acquireSurface();
        PaintContext context(frame, surface.get(), frame->window());
        missing->draw(context, {0, 0, 10, 10}, {0, 0});
        missing->drawTransparent(context, {0, 0, 10, 10}, {0, 0});
    }
    EXPECT_EQ(pixel(3, 3), before);
    missing->release();
}

TEST_F(GuiTest, AControlNeedsDrawingWhileItsValueDiffersFromTheLastDrawnOne) {
    openFrame();
    auto* toggle = new ToggleButton({0, 0, 10, 10}, nullptr, 0, nullptr);
    frame->addView(toggle);
    EXPECT_TRUE(toggle->needsRedraw());  // never drawn
    paint();
    EXPECT_FALSE(toggle->needsRedraw());
    toggle->setValue(0.3f);
    EXPECT_TRUE(toggle->needsRedraw());
    toggle->setValue(0.0f);
    EXPECT_FALSE(toggle->needsRedraw());
    toggle->setValue(-1.0f);
    toggle->setNeedsRedraw(true);
    EXPECT_FLOAT_EQ(toggle->getLastDrawnValue(), 0.0f);
    EXPECT_TRUE(toggle->needsRedraw());

    const struct {
        float value, clamped;
    } cases[] = {{1.7f, 1.0f}, {-0.2f, 0.0f}, {1.0f, 1.0f}, {0.4f, 0.4f}};
    for (const auto& c : cases) {
        toggle->setValue(c.value);
        toggle->clampValue();
        EXPECT_FLOAT_EQ(toggle->getValue(), c.clamped) << c.value;
    }
}

TEST_F(GuiTest, ViewsHitTestWithAllFourEdgesAndCountTheirReferences) {
    std::vector<std::string> log;
    auto* view = new ProbeView({10, 20, 30, 40}, "V", log);
    const struct {
        Point p;
        bool inside;
    } cases[] = {{{10, 20}, true}, {{30, 40}, true}, {{31, 40}, false}, {{30, 41}, false}, {{9, 25}, false}};
    for (const auto& c : cases) EXPECT_EQ(view->containsPoint(c.p, 0), c.inside) << c.p.x << "," << c.p.y;
    EXPECT_TRUE(view->intersects({30, 40, 35, 45}));
    EXPECT_FALSE(view->intersects({31, 10, 35, 45}));
    view->retain();
    view->release();
    EXPECT_EQ(view->referenceCount(), 1);
    view->release();
}
