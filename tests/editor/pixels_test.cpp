// Pixels of the composed window after the host's first paint, at points worked out from the
// layout and the art: the transparent colour is pure white.
#include "editor_test_support.h"

namespace editortest {
namespace {

constexpr platform::ColourRef kWhite = 0xFFFFFF;

// Text is smoothed: its strokes are the pixels close to white.
bool brighterThan(platform::ColourRef c, unsigned level) {
    return (c & 0xFF) > level && ((c >> 8) & 0xFF) > level && (c >> 16) > level;
}

class PixelsTest : public EditorTest {
protected:
    // Every pixel of a bitmap block that is not the transparent white must be on screen at
    // `at`; counts them so that an empty block cannot pass.
    int expectDrawnAt(int bitmapId, Point source, int width, int height, Point at) {
        const auto image = system.loadBitmap(bitmapId);
        const auto& art = static_cast<const platform::software::SoftwareImage&>(*image);
        int opaque = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const platform::ColourRef c = art.at(source.x + x, source.y + y);
                if (c == kWhite) continue;
                ++opaque;
                EXPECT_EQ(pixel(at.x + x, at.y + y), c) << "bitmap " << bitmapId << " at " << x << ", " << y;
            }
        }
        return opaque;
    }
};

TEST_F(PixelsTest, PanelOutlinesAreLightGreyThreePixelsWide) {
    open();
    for (int x : {34, 35, 36, 284, 285, 286, 348, 349, 350, 598, 599, 600}) EXPECT_EQ(pixel(x, 200), rgb(192, 192, 192)) << x;
    EXPECT_NE(pixel(37, 200), rgb(192, 192, 192));
    EXPECT_NE(pixel(33, 200), rgb(192, 192, 192));
}

TEST_F(PixelsTest, ValueBoxIsABlackBoxWithAGreyFrame) {
    open();
    // Box of index 1 (45, 183, 115, 197): the frame on its edges, black within, white text.
    for (Point p : {Point{45, 190}, Point{115, 190}, Point{80, 183}, Point{80, 197}})
        EXPECT_EQ(pixel(p.x, p.y), rgb(127, 127, 127)) << p.x << ", " << p.y;
    EXPECT_EQ(pixel(47, 185), rgb(0, 0, 0));
    EXPECT_EQ(pixel(113, 195), rgb(0, 0, 0));
    int text = 0;
    for (int y = 184; y < 197; ++y)
        for (int x = 46; x < 115; ++x) text += brighterThan(pixel(x, y), 100);  // on black
    EXPECT_GT(text, 10) << "the text \"Low\"";
}

TEST_F(PixelsTest, CaptionIsWhiteTextOnTheBackgroundWithoutABox) {
    open();
    int text = 0;
    for (int y = 35; y < 49; ++y)
        for (int x = 45; x < 115; ++x) text += brighterThan(pixel(x, y), 200);  // on grey
    EXPECT_GT(text, 30) << "the text \"Output Mix\"";
    // A corner of the caption shows the background's gradient, not a frame or back colour.
    const platform::ColourRef corner = pixel(45, 35);
    EXPECT_EQ(corner & 0xFF, (corner >> 8) & 0xFF);
    EXPECT_NE(corner, rgb(127, 127, 127));
}

TEST_F(PixelsTest, SwitchesShowTheFrameOfTheirValue) {
    open();
    // Switch 1 at 0.0 shows frame 0, switch 4 at 0.5 frame 2, switch 13 at 1.0 (set) frame 3.
    set(13, 1.0f);
    idle();
    EXPECT_GT(expectDrawnAt(1025, {0, 0}, 45, 45, {57, 137}), 500);
    EXPECT_GT(expectDrawnAt(1025, {0, 90}, 45, 45, {57, 223}), 500);
    EXPECT_GT(expectDrawnAt(1025, {0, 135}, 45, 45, {372, 137}), 500);
}

TEST_F(PixelsTest, KnobHandleSitsWhereTheValuePutsIt) {
    // 45-pixel knob, handle 6 wide: reach 22.5 - 5 = 17.5 from the centre. 0.5 is twelve
    // o'clock: handle centre (23, 5), its top-left (20, 2) within the knob. 1.0 is half past
    // four: centre (35, 35), top-left (32, 32). 0.0 is half past seven: centre (10, 35).
    set(9, 0.0f);
    open();
    EXPECT_GT(expectDrawnAt(1027, {0, 0}, 6, 6, {57 + 20, 51 + 2}), 20);     // knob 0 at 0.5
    EXPECT_GT(expectDrawnAt(1027, {0, 0}, 6, 6, {137 + 32, 137 + 32}), 20);  // knob 2 at 1.0
    EXPECT_GT(expectDrawnAt(1027, {0, 0}, 6, 6, {217 + 7, 309 + 32}), 20);   // knob 9 at 0.0
}

TEST_F(PixelsTest, SmallKnobsAreTheSmallBallWithTheirDotsAtZero) {
    // 21-pixel knob, handle 5 wide: reach 10.5 - 5 = 5.5. Zero is half past seven: handle
    // centre (7, 14), its top-left (5, 12) within the knob. Sync at Off; Stereo at Normal and
    // Duck at 0% in the Origin panel's Delay box.
    open();
    for (Point knob : {Point{504, 59}, Point{122, 60}, Point{202, 89}}) {
        EXPECT_GT(expectDrawnAt(1028, {0, 0}, 21, 10, knob), 100);  // the upper half, clear of the dot
        EXPECT_GT(expectDrawnAt(1029, {0, 0}, 5, 5, {knob.x + 5, knob.y + 12}), 15);
    }
}

TEST_F(PixelsTest, IdleRedrawsAMovedKnobAndItsBox) {
    open();
    set(0, 1.0f);
    idle();
    EXPECT_GT(expectDrawnAt(1027, {0, 0}, 6, 6, {57 + 32, 51 + 32}), 20);
    EXPECT_EQ(boxText(0), "200.0000%");
}

}  // namespace
}  // namespace editortest
