#include "gui/knob.h"

#include <functional>
#include <numbers>

#include "gui_test_support.h"

using namespace guitest;

namespace {

class KnobTest : public GuiTest {
protected:
    // A 40-pixel knob at the frame's origin: radius 20, centre (20, 20).
    Knob* addKnob(float value = 0.0f, ResourceBitmap* handle = nullptr, int stops = 0) {
        openFrame();
        knob = new Knob({0, 0, 40, 40}, &listener, 7, nullptr, handle, {0, 0});
        knob->setStops(stops);
        knob->setValue(value);
        frame->addView(knob);
        paint();
        return knob;
    }
    Knob* knob = nullptr;
};

}  // namespace

TEST_F(KnobTest, HandlePointsOfA45PixelKnobWithTheSixPixelHandle) {
    openFrame();
    auto* handle = new ResourceBitmap(kHandleId);
    auto* k = new Knob({0, 0, 45, 45}, nullptr, 0, nullptr, handle, {0, 0});
    handle->release();
    frame->addView(k);
    EXPECT_EQ(k->getHandleInset(), 5);
    // Radius 22.5, handle 17.5 from the centre; the angle runs from 5/4 pi at 0 down to
    // -1/4 pi at 1. Where a sum lands on a whole number, the float arithmetic of the mapping
    // decides which side it falls on.
    const struct {
        float value;
        Point expected;
    } cases[] = {
        {0.0f, {10, 35}},   // 7:30: 22.5 -+ 12.37 + 0.5
        {1.0f, {35, 35}},   // 4:30
        {0.25f, {6, 16}},   // 7/8 pi: 22.5 - 16.17 + 0.5, 22.5 - 6.70 + 0.5
        {0.75f, {39, 16}},  // 1/8 pi
        // Straight up: cos(pi/2) = 0 gives 22.5 + 0.5 = 23 exactly; the angle constants are
        // the floats nearest 5/4 pi and -3/2 pi, and with them 0.5 maps onto the float just
        // below pi/2, whose cosine is positive.
        {0.5f, {23, 5}},
        // 9 o'clock: the float of 1/6 lies above 1/6, so the angle is a hair below pi and the
        // handle a hair above the horizontal: 23 - 0.0000026 truncates to 22.
        {1.0f / 6.0f, {5, 22}},
        // 3 o'clock: the float of 5/6 equals the stored value at angle zero, so the angle is
        // exactly 0 and y is 22.5 + 0.5.
        {5.0f / 6.0f, {40, 23}},
    };
    for (const auto& c : cases) {
        k->setValue(c.value);
        Point p;
        k->handlePointForValue(p);
        EXPECT_EQ(p, c.expected) << c.value;
    }
}

TEST_F(KnobTest, ValueForPointAroundTheCircleAndTheDeadSectorSplit) {
    addKnob();
    const struct {
        Point p;
        float expected;
    } cases[] = {
        {{20, 0}, 0.5f},          // straight up
        {{40, 20}, 5.0f / 6.0f},  // 3 o'clock is 45 degrees before the maximum
        {{0, 20}, 1.0f / 6.0f},   // 9 o'clock
        {{0, 40}, 0.0f},          // the minimum end
        {{19, 40}, 0.0f},         // dead sector, minimum half
        {{21, 40}, 1.0f},         // dead sector, maximum half
        {{40, 40}, 1.0f},         // the maximum end
    };
    for (const auto& c : cases) EXPECT_NEAR(knob->valueForPoint(c.p), c.expected, 1e-5f) << c.p.x << "," << c.p.y;
}

TEST_F(KnobTest, ValueForPointOfACounterClockwiseSweep) {
    addKnob();
    // Minimum at 4:30, turning counter-clockwise through the top to the maximum at 7:30.
    knob->setSweepStart(-0.25f * std::numbers::pi_v<float>);
    knob->setSweepAngle(1.5f * std::numbers::pi_v<float>);
    const struct {
        Point p;
        float expected;
    } cases[] = {
        {{40, 20}, 1.0f / 6.0f},  // 3 o'clock, 45 degrees after the minimum
        {{20, 0}, 0.5f},          // straight up
        {{0, 20}, 5.0f / 6.0f},   // 9 o'clock
        {{40, 40}, 0.0f},         // the minimum end
        {{0, 40}, 1.0f},          // the maximum end
        {{19, 40}, 1.0f},         // dead sector, the half next to the maximum
        {{21, 40}, 0.0f},         // dead sector, the half next to the minimum
    };
    for (const auto& c : cases) EXPECT_NEAR(knob->valueForPoint(c.p), c.expected, 1e-5f) << c.p.x << "," << c.p.y;
}

TEST_F(KnobTest, LinearDragsMoveByDistanceWithTwoHundredPixelsForTheFullRange) {
    const struct {
        const char* what;
        float start;
        InputState held;
        Point to;
        float expected;
    } cases[] = {
        {"right and up 100 each", 0.3f, kLeft, {120, -80}, 1.0f},
        {"half way", 0.0f, kLeft, {70, -30}, 0.5f},
        {"left and down", 0.8f, kLeft, {0, 40}, 0.6f},
        {"fine from the start", 0.0f, {.left = true, .shift = true}, {120, -80}, 2.0f / 3.0f},
    };
    for (const auto& c : cases) {
        knobMode = 2;
        addKnob(c.start);
        step(c.to, c.held);
        step(c.to, kUp);
        press({20, 20}, c.held);
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-5f) << c.what;
        frame->release();
        frame = nullptr;
    }
}

TEST_F(KnobTest, ShiftPressedMidDragReanchorsWithoutAJump) {
    knobMode = 2;
    addKnob(0.0f);
    const InputState fine{.left = true, .shift = true};
    step({30, 20});
    step({40, 20}, fine);
    step({50, 20}, fine);
    step({50, 20}, kUp);
    press({20, 20});
    // 10 px at 1/200, then 20 px where fine control starts (continuous: 0.1), then 30 px at 1/300.
    ASSERT_EQ(listener.values.size(), 3u);
    EXPECT_NEAR(listener.values[0], 0.05f, 1e-6f);
    EXPECT_NEAR(listener.values[1], 0.1f, 1e-6f);
    EXPECT_NEAR(listener.values[2], 0.1f + 10.0f / 300.0f, 1e-6f);
    EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 7", "end 7"}));
    EXPECT_EQ(frame->getFocusView(), knob);
}

TEST_F(KnobTest, CircularDragAcrossTheDeadSectorPinsAtTheEndItCameFrom) {
    addKnob(0.5f);
    step({21, 40});
    step({19, 40});  // crossed to the minimum side: stays at the maximum
    step({0, 20});   // still more than half the range from the last accepted value
    step({30, 3});   // back within half the range
    step({30, 3}, kUp);
    press({30, 35});
    // The click itself is near the maximum; nothing redraws in between, so every pass notifies.
    ASSERT_EQ(listener.values.size(), 5u);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(listener.values[i], 1.0f) << i;
    EXPECT_NEAR(listener.values[4], 0.6128f, 1e-3f);
}

TEST_F(KnobTest, AltInvertsTheHostsKnobMode) {
    const struct {
        int mode;
        bool alt;
        bool jumpsToPointer;
    } cases[] = {{0, false, true}, {0, true, false}, {2, false, false}, {2, true, true}};
    for (const auto& c : cases) {
        knobMode = c.mode;
        addKnob(0.2f);
        const InputState held{.left = true, .alt = c.alt};
        step({20, 0}, kUp);
        press({20, 0}, held);
        EXPECT_NEAR(knob->getValue(), c.jumpsToPointer ? 0.5f : 0.2f, 1e-5f) << c.mode << " " << c.alt;
        frame->release();
        frame = nullptr;
    }
}

TEST_F(KnobTest, ControlClickSetsTheDefaultWithoutAGesture) {
    addKnob(0.2f);
    press({20, 20}, {.left = true, .control = true});
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_TRUE(editor.calls.empty());
    step({20, 20}, kUp);
    press({20, 20}, {.left = true, .shift = true, .control = true});  // not exactly 17: a drag
    EXPECT_EQ(editor.calls.size(), 2u);
}

TEST_F(KnobTest, WheelAndArrowKeysStepWithFineShift) {
    addKnob(0.5f);
    pointAt({10, 10});
    EXPECT_TRUE(frame->handleWheel(nullptr, {0, 0}, 1.0f));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    pointAt({10, 10}, {.shift = true});
    frame->handleWheel(nullptr, {0, 0}, 1.0f);
    EXPECT_NEAR(knob->getValue(), 0.61f, 1e-6f);

    const struct {
        unsigned char virt;
        unsigned char modifier;
        float change;
        int answer;
    } keys[] = {{11, 0, -0.1f, 1}, {12, 0, 0.1f, 1}, {13, 1, 0.01f, 1}, {14, 1, -0.01f, 1}, {15, 0, 0.0f, -1}};
    for (const auto& k : keys) {
        knob->setValue(0.5f);
        KeyStroke key{0, k.virt, k.modifier};
        EXPECT_EQ(knob->handleKeyDown(key), k.answer);
        EXPECT_NEAR(knob->getValue(), 0.5f + k.change, 1e-6f) << int{k.virt};
    }
    knob->setValue(0.0f);
    knob->setNeedsRedraw(false);
    listener.values.clear();
    KeyStroke down{0, 14, 0};
    EXPECT_EQ(knob->handleKeyDown(down), 1);
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(KnobTest, DrawnPointerAndItsShadowRunFromTheRimToTheCentre) {
    addKnob(0.5f);
    paint();
    // Tip (20, 3), centre (20, 20): shadow one pixel left, pointer one pixel up, end points left out.
    for (int y = 3; y < 20; ++y) EXPECT_EQ(pixel(19, y), ref(colourGrey)) << y;
    for (int y = 2; y < 19; ++y) EXPECT_EQ(pixel(20, y), ref(colourWhite)) << y;
    EXPECT_NE(pixel(20, 19), ref(colourWhite));
}

// 22 stops, as Sync's note values: stop k is k / 21 in float, which the core reads back as
// stop k. The start values lie on stops but one, which lies between stops 9 and 10.
TEST_F(KnobTest, AKnobWithStopsLandsEveryChangeOnTheNearestStop) {
    const auto stop = [](int k) { return static_cast<float>(k) / 21.0f; };
    const auto wheel = [this](float notches, InputState held) {
        pointAt({10, 10}, held);
        frame->handleWheel(nullptr, {0, 0}, notches);
    };
    const auto key = [this](unsigned char virt) {
        KeyStroke stroke{0, virt, 0};
        knob->handleKeyDown(stroke);
    };
    const struct {
        const char* what;
        int mode;
        float start;
        std::function<void()> act;
        float expected;
    } cases[] = {
        {"click at the upper left: a third of the sweep", 0, stop(0), [&] { step({0, 0}, kUp); press({0, 0}); }, stop(7)},
        {"drag 50 pixels up: 5.25 stops", 2, stop(0), [&] { step({20, -30}); step({20, -30}, kUp); press({20, 20}); },
         stop(5)},
        {"wheel up", 0, stop(3), [&] { wheel(1.0f, kUp); }, stop(4)},
        {"fine wheel up still moves a stop", 0, stop(3), [&] { wheel(1.0f, {.shift = true}); }, stop(4)},
        {"wheel down from between stops", 0, 0.45f, [&] { wheel(-1.0f, kUp); }, stop(8)},
        {"arrow up at the last stop", 0, stop(21), [&] { key(12); }, 1.0f},
        {"control-click: the default 0.5 is 10.5 stops", 0, stop(0),
         [&] { step({20, 20}, kUp); press({20, 20}, {.left = true, .control = true}); }, stop(11)},
    };
    for (const auto& c : cases) {
        knobMode = c.mode;
        addKnob(c.start, nullptr, 22);
        c.act();
        EXPECT_EQ(knob->getValue(), c.expected) << c.what;
        frame->release();
        frame = nullptr;
    }
}
