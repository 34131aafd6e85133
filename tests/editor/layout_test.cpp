#include <algorithm>
#include <iterator>
#include <typeinfo>

#include "editor_test_support.h"
#include "gui/frame_switch.h"
#include "gui/knob.h"

namespace editortest {
namespace {

constexpr std::int32_t kAboutTag = 8000;

Rect bounds(View* view) {
    Rect r;
    view->getBounds(r);
    return r;
}

Point centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(EditorTest, RectangleIsTheBackgroundsSizeBeforeTheWindowOpens) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 400);
    EXPECT_EQ(rect->right, 640);
    EXPECT_TRUE(system.openWindows().empty());
}

TEST_F(EditorTest, OpenBuildsThreeViewsPerCellInCellOrderWithTheAboutAreaLast) {
    open();
    EditorFrame* frame = editor->getFrame();
    ASSERT_EQ(frame->viewCount(), 82);
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) {
        const DelayEditor::Cell& c = editor->cell(index);
        EXPECT_EQ(frame->viewAt(3 * index), c.caption) << index;
        EXPECT_EQ(frame->viewAt(3 * index + 1), c.control) << index;
        EXPECT_EQ(frame->viewAt(3 * index + 2), c.valueBox) << index;
    }
    EXPECT_EQ(frame->viewAt(81), editor->getAboutArea());
    EXPECT_EQ(editor->getAboutArea()->getTag(), kAboutTag);
    EXPECT_EQ(bounds(editor->getAboutArea()), (Rect{285, 45, 350, 359}));
    EXPECT_EQ(window().pixels().width(), 640);
    EXPECT_EQ(window().pixels().height(), 400);
}

TEST_F(EditorTest, CellsStandWhereTheLayoutPutsThemWithTheirTagsAndKinds) {
    const struct {
        VstInt32 index;
        Rect caption, control, box;
        std::int32_t boxTag;
        int positions;  // 0 for a knob
    } cases[] = {
        {0, {45, 35, 115, 49}, {57, 51, 102, 96}, {45, 97, 115, 111}, 0x1000, 0},
        {1, {45, 121, 115, 135}, {57, 137, 102, 182}, {45, 183, 115, 197}, 1, 4},
        {3, {205, 121, 275, 135}, {217, 137, 262, 182}, {205, 183, 275, 197}, 0x1002, 0},
        {7, {45, 293, 115, 307}, {57, 309, 102, 354}, {45, 355, 115, 369}, 7, 5},
        {9, {205, 293, 275, 307}, {217, 309, 262, 354}, {205, 355, 275, 369}, 0x1006, 0},
        {10, {360, 35, 430, 49}, {372, 51, 417, 96}, {360, 97, 430, 111}, 0x1007, 0},
        {12, {520, 35, 590, 49}, {532, 51, 577, 96}, {520, 97, 590, 111}, 0x1009, 0},
        {13, {360, 121, 430, 135}, {372, 137, 417, 182}, {360, 183, 430, 197}, 13, 4},
        {16, {360, 207, 430, 221}, {372, 223, 417, 268}, {360, 269, 430, 283}, 16, 5},
        {17, {440, 207, 510, 221}, {452, 223, 497, 268}, {440, 269, 510, 283}, 0x100C, 0},
        {21, {520, 293, 590, 307}, {532, 309, 577, 354}, {520, 355, 590, 369}, 0x100F, 0},
        // Sync: a small knob between Rate's and Feedback's, its box above the boxes' row.
        {22, {498, 49, 531, 59}, {504, 59, 525, 80}, {498, 81, 531, 95}, 22, 0},
        // Stereo and Duck: a small knob, the caption above the box beside it, in the Origin panel.
        {23, {146, 58, 198, 68}, {122, 60, 143, 81}, {146, 68, 198, 82}, 23, 0},
        {26, {226, 87, 278, 97}, {202, 89, 223, 110}, {226, 97, 278, 111}, 0x1010, 0},
    };
    open();
    for (const auto& c : cases) {
        const DelayEditor::Cell& cell = editor->cell(c.index);
        EXPECT_EQ(bounds(cell.caption), c.caption) << c.index;
        EXPECT_EQ(bounds(cell.control), c.control) << c.index;
        EXPECT_EQ(bounds(cell.valueBox), c.box) << c.index;
        EXPECT_EQ(cell.caption->getTag(), c.index);
        EXPECT_EQ(cell.control->getTag(), c.index);
        EXPECT_EQ(cell.valueBox->getTag(), c.boxTag) << c.index;
        EXPECT_EQ(cell.valueBox->isMouseEnabled(), c.boxTag >= 0x1000) << c.index;  // only numbers are typed
        if (c.positions == 0) {
            EXPECT_NE(dynamic_cast<Knob*>(cell.control), nullptr) << c.index;
        } else {
            auto* frameSwitch = dynamic_cast<FrameSwitch*>(cell.control);
            ASSERT_NE(frameSwitch, nullptr) << c.index;
            EXPECT_EQ(frameSwitch->getPositions(), c.positions) << c.index;
        }
    }
}

// Right and bottom lie one past the last pixel; touching edges do not overlap.
TEST_F(EditorTest, NoTwoViewsOverlap) {
    open();
    EditorFrame* frame = editor->getFrame();
    for (int a = 0; a < frame->viewCount(); ++a) {
        for (int b = a + 1; b < frame->viewCount(); ++b) {
            const Rect p = bounds(frame->viewAt(a));
            const Rect q = bounds(frame->viewAt(b));
            const bool overlap = p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
            EXPECT_FALSE(overlap) << "views " << a << " and " << b;
        }
    }
}

// Inside the innermost outline around it, clear of its lines, and that outline is headed with
// the parameter's signal path: the two panels' 3-pixel lines, and the 1-pixel line of the
// delay's box in the Origin panel, whose heading stands above the box's first row.
TEST_F(EditorTest, EveryCellStandsInsideAnOutlineOfItsPath) {
    const struct {
        const char* group;
        Rect inside;
    } innermostFirst[] = {{"delay", {119, 53, 281, 115}}, {"origin", {37, 27, 284, 377}}, {"delay", {351, 26, 598, 376}}};
    open();
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) {
        const DelayEditor::Cell& cell = editor->cell(index);
        for (View* view : {static_cast<View*>(cell.caption), static_cast<View*>(cell.control),
                           static_cast<View*>(cell.valueBox)}) {
            const Rect r = bounds(view);
            const auto around = std::ranges::find_if(innermostFirst, [&](const auto& outline) {
                const Rect& p = outline.inside;
                return r.left >= p.left && r.top >= p.top && r.right <= p.right && r.bottom <= p.bottom;
            });
            ASSERT_NE(around, std::end(innermostFirst)) << index;
            EXPECT_STREQ(around->group, groupSymbol(kParameters[index].group)) << index;
        }
    }
}

TEST_F(EditorTest, FreshEditorShowsTheInitProgram) {
    const struct {
        VstInt32 index;
        float value;
        const char* text;
    } cases[] = {
        {0, 0.5f, "100.0000%"}, {1, 0.0f, "Low"},      {2, 1.0f, "8000.000"},   {4, 0.5f, "Sine"},
        {5, 1.0f, "100.0000"},  {10, 0.0f, "0.000000%"}, {11, 0.0f, "0.000000"}, {13, 0.0f, "Low"},
        {19, 0.5f, "Sine"},     {21, 0.0f, "0.000000%"}, {22, 0.0f, "Off"},       {23, 0.0f, "Normal"},
        {25, 0.0f, "Off"},      {26, 0.0f, "0.000000%"},
    };
    open();
    for (const auto& c : cases) {
        EXPECT_EQ(control(c.index)->getValue(), c.value) << c.index;
        EXPECT_EQ(boxText(c.index), c.text) << c.index;
    }
}

TEST_F(EditorTest, CaptionsAreTheShortNamesSoBothPanelsReadAlike) {
    const struct {
        VstInt32 index;
        const char* text;
    } cases[] = {
        {0, "Output Mix"}, {10, "Output Mix"}, {11, "Rate"}, {12, "Feedback"}, {1, "Filter Type"},
        {13, "Filter Type"}, {16, "Filt. LFO Shape"}, {21, "Vol. LFO Depth"}, {22, "Sync"},
        {23, "Stereo"}, {24, "Motion"}, {25, "Freeze"}, {26, "Duck"},
    };
    open();
    for (const auto& c : cases) {
        char text[256] = {};
        editor->cell(c.index).caption->getText(text);
        EXPECT_STREQ(text, c.text) << c.index;
        EXPECT_FALSE(editor->cell(c.index).caption->isMouseEnabled());
    }
}

TEST_F(EditorTest, ClicksOnCaptionsAndTheBoxesOfChoicesDoNothing) {
    open();
    idle();
    for (VstInt32 index : {0, 1, 4, 11, 13, 19, 22, 23, 26}) {
        press(centre(bounds(editor->cell(index).caption)));
        if (!editor->cell(index).valueBox->isMouseEnabled()) press(centre(bounds(editor->cell(index).valueBox)));
    }
    EXPECT_EQ(window().activeEditor(), nullptr);
    EXPECT_TRUE(gestureCalls().empty());
    EXPECT_TRUE(system.messageBoxes().empty());
    EXPECT_EQ(get(1), 0.0f);
    EXPECT_EQ(get(4), 0.5f);
    EXPECT_EQ(get(22), 0.0f);
    EXPECT_EQ(get(23), 0.0f);
}

TEST_F(EditorTest, CloseDestroysTheWindowAndReopeningShowsCurrentValues) {
    open();
    dispatch(effEditClose);
    EXPECT_FALSE(editor->isOpen());
    EXPECT_TRUE(system.openWindows().empty());
    EXPECT_EQ(editor->cell(0).control, nullptr);  // changes while closed reach no control
    set(0, 0.25f);
    set(4, 1.0f);
    idle();
    open();
    EXPECT_EQ(control(0)->getValue(), 0.25f);
    EXPECT_EQ(boxText(0), "50.00000%");
    EXPECT_EQ(control(4)->getValue(), 1.0f);
    EXPECT_EQ(boxText(4), "Triangle");
}

TEST_F(EditorTest, EditorDestroyedWhileOpenTakesItsWindowAndClassAlong) {
    open();
    dispatch(effClose);
    effect = nullptr;
    EXPECT_TRUE(system.openWindows().empty());
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 0);
    EXPECT_FALSE(system.isClassRegistered(EditorFrame::windowClassName()));
    EXPECT_EQ(system.objectLinkingLevel(), 0);
}

TEST_F(EditorTest, OpeningTwiceWithoutCloseKeepsOneWindow) {
    open();
    open();
    EXPECT_EQ(system.openWindows().size(), 1u);
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 1);
}

}  // namespace
}  // namespace editortest
