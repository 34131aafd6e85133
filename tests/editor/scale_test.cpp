// The editor at scales 1.5 and 2: the size reported to the host, the art drawn at that size,
// and every control working at the scaled window coordinates.
#include <cmath>

#include "editor/editor_scale.h"
#include "editor_test_support.h"

namespace editortest {
namespace {

using Calls = std::vector<std::pair<VstInt32, VstInt32>>;

TEST_F(EditorTest, ScalesAskedForTakeTheNearestSupportedOneNotLargerAndTheHostSeesTheSize) {
    struct Case {
        double requested;
        double scale;
        int width;
        int height;
    };
    const Case cases[] = {{0.5, 1, 640, 400},    {1.0, 1, 640, 400},    {1.25, 1, 640, 400},
                          {1.5, 1.5, 960, 600},  {1.99, 1.5, 960, 600}, {2.0, 2, 1280, 800},
                          {2.5, 2, 1280, 800},   {3.0, 2, 1280, 800},   {NAN, 1, 640, 400},
                          {1.75, 1.5, 960, 600}, {1.0, 1, 640, 400}};
    for (const Case& c : cases) {
        editor->setScale(c.requested);
        EXPECT_EQ(editor->getScale(), c.scale) << c.requested;
        ERect* rect = nullptr;
        ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right - rect->left, c.width) << c.requested;
        EXPECT_EQ(rect->bottom - rect->top, c.height) << c.requested;
    }
}

// The editor opened at a scale, drawn, with the host's calls so far forgotten.
class ScaledEditorTest : public EditorTest {
protected:
    void openAt(double scale) {
        editor->setScale(scale);
        open();
        idle();
        host.calls.clear();
    }
};

TEST_F(ScaledEditorTest, TheWindowIsTwiceTheSizeWithTheArtDrawnAtThatSize) {
    openAt(2);
    ASSERT_EQ(window().pixels().width(), 1280);
    ASSERT_EQ(window().pixels().height(), 800);
    // The left panel's outline, three pixels wide at 34 at scale 1, is six wide at 68.
    for (int x = 68; x < 74; ++x) EXPECT_EQ(pixel(x, 400), rgb(192, 192, 192)) << x;
    EXPECT_NE(pixel(67, 400), rgb(192, 192, 192));
    EXPECT_NE(pixel(74, 400), rgb(192, 192, 192));
    // A value box's grey frame is two pixels wide: box of index 1 at (45, 183) to (115, 197).
    for (int x : {90, 91, 230, 231}) EXPECT_EQ(pixel(x, 380), rgb(127, 127, 127)) << x;
    EXPECT_EQ(pixel(92, 380), rgb(0, 0, 0));
}

TEST_F(ScaledEditorTest, AKnobDragCoversTwiceThePixels) {
    dispatch(effSetEditKnobMode, 0, 2);  // linear: 200 pixels at scale 1 for the whole range
    set(2, 0.5f);
    openAt(2);
    step({320, 220});  // 100 pixels up: 0.75
    step({320, 120});  // 200 pixels up: 1.0
    step({320, 120}, kUp);
    press({320, 320});
    const Calls expected = {{audioMasterBeginEdit, 2}, {audioMasterAutomate, 2}, {audioMasterAutomate, 2},
                            {audioMasterEndEdit, 2}};
    EXPECT_EQ(gestureCalls(), expected);
    EXPECT_EQ(get(2), 1.0f);
}

TEST_F(ScaledEditorTest, ASwitchTakesThePositionUnderTheDoubledPoint) {
    openAt(2);
    step({158, 506}, kUp);
    press({158, 506});
    EXPECT_EQ(get(4), 0.75f);
}

TEST_F(ScaledEditorTest, AValueBoxOpensItsEditorOverItsDoubledRectangleWithDoubledText) {
    openAt(2);
    Rect r;
    editor->cell(0).valueBox->getBounds(r);
    press({2 * r.left + 10, 2 * r.top + 10});
    ASSERT_NE(window().activeEditor(), nullptr);
    const platform::PixelRect expected{2 * r.left, 2 * r.top, 2 * (r.right + 1), 2 * (r.bottom + 1)};
    EXPECT_EQ(window().activeEditor()->placement(), expected);
    EXPECT_EQ(window().activeEditor()->font().pixelHeight, 18);
    window().activeEditor()->type("150");
    window().activeEditor()->pressReturn();
    EXPECT_EQ(get(0), 0.75f);
}

TEST_F(ScaledEditorTest, TheAboutAreaAnswersAtTheDoubledPoint) {
    openAt(2);
    press({634, 400});
    EXPECT_EQ(system.messageBoxes().size(), 1u);
}

// At 1.5 a coordinate x of scale 1 starts at pixel floor(1.5 x); its pixels run up to the next
// coordinate's, one or two of them.
TEST_F(ScaledEditorTest, TheWindowIsHalfAgainAsLargeWithLinesAndFillsMeetingWithoutGaps) {
    openAt(1.5);
    ASSERT_EQ(window().pixels().width(), 960);
    ASSERT_EQ(window().pixels().height(), 600);
    // The left panel's outline, three pixels wide at 34 at scale 1, covers 51 to 54.
    for (int x = 51; x < 55; ++x) EXPECT_EQ(pixel(x, 300), rgb(192, 192, 192)) << x;
    EXPECT_NE(pixel(50, 300), rgb(192, 192, 192));
    EXPECT_NE(pixel(55, 300), rgb(192, 192, 192));
    // Box of index 1, (45, 183) to (115, 197): its frame at 45 and 115 is two pixels wide,
    // 67-68 and 172-173, and the black inside fills every pixel between.
    for (int x : {67, 68, 172, 173}) EXPECT_EQ(pixel(x, 285), rgb(127, 127, 127)) << x;
    for (int x : {69, 80, 171}) EXPECT_EQ(pixel(x, 285), rgb(0, 0, 0)) << x;
}

TEST_F(ScaledEditorTest, AKnobDragCoversOneAndAHalfThePixels) {
    dispatch(effSetEditKnobMode, 0, 2);  // linear: 200 pixels at scale 1 for the whole range
    set(2, 0.5f);
    openAt(1.5);
    step({240, 165});  // 75 pixels up, 50 at scale 1: 0.75
    step({240, 90});   // 150 pixels up: 1.0
    step({240, 90}, kUp);
    press({240, 240});
    const Calls expected = {{audioMasterBeginEdit, 2}, {audioMasterAutomate, 2}, {audioMasterAutomate, 2},
                            {audioMasterEndEdit, 2}};
    EXPECT_EQ(gestureCalls(), expected);
    EXPECT_EQ(get(2), 1.0f);
}

TEST_F(ScaledEditorTest, AValueBoxOpensItsEditorOverItsScaledRectangleWithTextRoundedUp) {
    openAt(1.5);
    Rect r;
    editor->cell(0).valueBox->getBounds(r);
    const Scale k = Scale::ofHalves(3);
    press({k.pixels(r.left) + 10, k.pixels(r.top) + 10});
    ASSERT_NE(window().activeEditor(), nullptr);
    const platform::PixelRect expected{k.pixels(r.left), k.pixels(r.top), k.pixels(r.right + 1), k.pixels(r.bottom + 1)};
    EXPECT_EQ(window().activeEditor()->placement(), expected);
    EXPECT_EQ(window().activeEditor()->font().pixelHeight, 14);  // 9 at scale 1
    window().activeEditor()->type("150");
    window().activeEditor()->pressReturn();
    EXPECT_EQ(get(0), 0.75f);
}

TEST(ScaleRounding, EveryWindowPixelBelongsToTheCoordinateWhosePixelsHoldIt) {
    for (int halves : {2, 3, 4}) {
        const Scale k = Scale::ofHalves(halves);
        for (int v = -4; v < 60; ++v) {
            for (int p = k.pixels(v); p < k.pixels(v + 1); ++p) EXPECT_EQ(k.unscaled(p), v) << halves << " " << p;
        }
    }
}

}  // namespace
}  // namespace editortest
