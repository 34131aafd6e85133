#include "gui/editor_frame.h"

#include "gui/knob.h"
#include "gui_test_support.h"

using namespace guitest;

namespace {

using Log = std::vector<std::string>;

class FrameTest : public GuiTest {
protected:
    // The views log into `log`: the frame goes first.
    ~FrameTest() override {
        if (frame) frame->release();
        frame = nullptr;
    }
    // Three overlapping views, added in the order A, B, C; C is not mouse-enabled.
    void addThreeViews() {
        openFrame();
        a = new ProbeView({0, 0, 30, 30}, "A", log);
        b = new ProbeView({10, 10, 40, 40}, "B", log);
        c = new ProbeView({20, 20, 50, 45}, "C", log);
        c->setMouseEnabled(false);
        frame->addView(a);
        frame->addView(b);
        frame->addView(c);
    }
    Log takeLog() { return std::exchange(log, {}); }

    Log log;
    ProbeView* a = nullptr;
    ProbeView* b = nullptr;
    ProbeView* c = nullptr;
};

}  // namespace

TEST_F(FrameTest, AClickGoesOnlyToTheLastAddedMouseEnabledViewUnderIt) {
    addThreeViews();
    const struct {
        Point where;
        Log expected;
    } cases[] = {
        {{5, 5}, {"A click"}},
        {{25, 25}, {"B click"}},  // under all three; C is not mouse-enabled
        {{30, 30}, {"B click"}},  // A's right and bottom edge, inside B
        {{40, 40}, {"B click"}},  // B's right and bottom edge belong to B
        {{45, 42}, {}},           // only C is there
        {{55, 5}, {}},
    };
    for (const auto& t : cases) {
        press(t.where);
        EXPECT_EQ(takeLog(), t.expected) << t.where.x << "," << t.where.y;
    }
    EXPECT_EQ(b->lastWhere, (Point{40, 40}));
}

TEST_F(FrameTest, AClickEndsTheFocusBeforeItIsDispatched) {
    addThreeViews();
    frame->setFocusView(a);
    frame->setFocusView(b);
    EXPECT_EQ(takeLog(), (Log{"A loseFocus"}));
    EXPECT_EQ(a->focusWhenLost, b);  // the new focus is in place when the old one hears of it
    press({5, 5});
    EXPECT_EQ(takeLog(), (Log{"B loseFocus", "A click"}));
    EXPECT_EQ(frame->getFocusView(), nullptr);
    press({5, 5});
    EXPECT_EQ(takeLog(), (Log{"A click"}));

    frame->setFocusView(c);
    frame->removeAllViews(false);
    EXPECT_EQ(takeLog(), (Log{"C loseFocus"}));
    EXPECT_EQ(frame->viewCount(), 0);
    for (View* view : {static_cast<View*>(a), static_cast<View*>(b), static_cast<View*>(c)}) view->release();
}

TEST_F(FrameTest, KeysGoToTheFocusViewThenFromTheLastAddedView) {
    addThreeViews();
    KeyStroke key{'x', 0, 0};
    EXPECT_EQ(frame->handleKeyDown(key), -1);
    EXPECT_EQ(takeLog(), (Log{"C key", "B key", "A key"}));

    frame->setFocusView(a);
    takeLog();
    b->keyAnswer = 1;
    EXPECT_EQ(frame->handleKeyDown(key), 1);
    EXPECT_EQ(takeLog(), (Log{"A key", "C key", "B key"}));
    EXPECT_EQ(frame->handleKeyUp(key), 1);
    EXPECT_EQ(takeLog(), (Log{"A keyup", "C keyup", "B keyup"}));

    a->keyAnswer = 0;  // any answer but -1 counts as used
    EXPECT_EQ(frame->handleKeyDown(key), 0);
    EXPECT_EQ(takeLog(), (Log{"A key"}));
}

TEST_F(FrameTest, ArrowKeysFollowTheKnobClickedLastAndThenTheKnobAddedLast) {
    openFrame();
    auto* first = new Knob({0, 0, 20, 20}, &listener, 1, nullptr, nullptr, {0, 0});
    auto* second = new Knob({30, 0, 50, 20}, &listener, 2, nullptr, nullptr, {0, 0});
    frame->addView(first);
    frame->addView(second);
    knobMode = 2;  // linear: a click without movement leaves the value
    first->setValue(0.5f);
    second->setValue(0.5f);
    step({10, 10}, kUp);
    press({10, 10});
    KeyStroke up{0, 12, 0};
    EXPECT_EQ(frame->handleKeyDown(up), 1);
    EXPECT_NEAR(first->getValue(), 0.6f, 1e-6f);
    EXPECT_FLOAT_EQ(second->getValue(), 0.5f);

    press({25, 40});  // on no view: clears the focus
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(frame->handleKeyDown(up), 1);
    EXPECT_NEAR(first->getValue(), 0.6f, 1e-6f);
    EXPECT_NEAR(second->getValue(), 0.6f, 1e-6f);
}

TEST_F(FrameTest, TheWheelGoesToTheViewUnderTheCursorAtTheCursorsPosition) {
    addThreeViews();
    const struct {
        Point cursor;
        bool used;
        Log expected;
    } cases[] = {
        {{5, 5}, true, {"A wheel"}},
        {{25, 25}, true, {"C wheel"}},  // mouse enabling plays no part
        {{50, 45}, true, {"C wheel"}},  // edges included
        {{55, 5}, false, {}},
    };
    for (const auto& t : cases) {
        pointAt(t.cursor);
        EXPECT_EQ(frame->handleWheel(nullptr, {1, 1}, 1.0f), t.used);
        EXPECT_EQ(takeLog(), t.expected) << t.cursor.x << "," << t.cursor.y;
    }
    EXPECT_EQ(c->lastWhere, (Point{50, 45}));  // recomputed from the cursor, not the argument
    pointAt({5, 5});
    EXPECT_EQ(frame->viewUnderCursor(), a);
}

TEST_F(FrameTest, IdleRedrawsNothingBeforeTheFirstPaintNorAfterTheWindowIsGone) {
    addThreeViews();
    a->setNeedsRedraw(true);
    frame->idleRedraw();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(a->needsRedraw());
    paint();  // the whole window: all three views
    EXPECT_EQ(takeLog(), (Log{"A draw", "B draw", "C draw"}));
    EXPECT_FALSE(frame->isFirstPaintPending());

    b->setNeedsRedraw(true);
    frame->idleRedraw();
    EXPECT_EQ(takeLog(), (Log{"B draw"}));
    frame->idleRedraw();
    EXPECT_TRUE(log.empty());

    backend.destroyParent();
    b->setNeedsRedraw(true);
    frame->idleRedraw();
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, APaintDrawsTheViewsItsAreaTouchesEdgesIncluded) {
    addThreeViews();
    paint();
    takeLog();
    // The area's right and bottom are exclusive when painted, but the views' edges count as
    // inside: B's top-left corner (10, 10) touches an area ending at 10.
    backend.invalidate(window(), {0, 0, 10, 10});
    paint();
    EXPECT_EQ(takeLog(), (Log{"A draw", "B draw"}));
}

TEST_F(FrameTest, FramesOfOneModuleShareOneWindowClass) {
    openFrame();
    const std::string name = backend.moduleClassName();
    EXPECT_EQ(EditorFrame::windowClassName(), name);
    auto* second = new EditorFrame({0, 0, 20, 20}, backend.parentWindow(), &editor);
    auto* windowless = new EditorFrame({0, 0, 20, 20}, nullptr, &editor);
    EXPECT_EQ(windowless->window(), nullptr);
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 2);
    EXPECT_EQ(backend.classRegistrations(), 1);

    windowless->release();
    frame->release();
    frame = nullptr;
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 1);
    EXPECT_TRUE(backend.isClassRegistered(name));
    second->release();
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 0);
    EXPECT_FALSE(backend.isClassRegistered(name));
    EXPECT_EQ(backend.objectLinkingLevel(), 0);
}

TEST_F(FrameTest, DropsAreOfferedFromTheLastAddedViewAndNotDuringAFocus) {
    addThreeViews();
    char name[] = "/tmp/a.wav";
    char* items[] = {name};
    a->acceptsDrops = true;
    c->acceptsDrops = true;  // not mouse-enabled: never asked

    EXPECT_TRUE(frame->acceptDrop(items, 1, 0, {25, 25}));
    EXPECT_EQ(takeLog(), (Log{"B drop", "A drop"}));
    EXPECT_EQ(a->lastWhere, (Point{25, 25}));
    EXPECT_TRUE(frame->acceptDrop(items, 1, 0, {30, 30}));  // A's corner is A's
    EXPECT_FALSE(frame->acceptDrop(items, 1, 0, {35, 35}));
    takeLog();

    frame->setFocusView(b);
    EXPECT_FALSE(frame->acceptDrop(items, 1, 0, {5, 5}));
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, ViewListKeepsItsOrderAndAnswersNullOutsideIt) {
    addThreeViews();
    EXPECT_EQ(frame->viewAt(-1), nullptr);
    EXPECT_EQ(frame->viewAt(3), nullptr);
    EXPECT_TRUE(frame->removeView(b, false));
    EXPECT_EQ(frame->viewAt(0), a);
    EXPECT_EQ(frame->viewAt(1), c);
    EXPECT_FALSE(frame->containsView(b));
    EXPECT_TRUE(frame->removeView(b, true));  // not in the list: nothing happens
    EXPECT_EQ(b->referenceCount(), 1);
    b->release();
}
