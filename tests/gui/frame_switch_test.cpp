#include "gui/frame_switch.h"

#include "gui_test_support.h"

using namespace guitest;

namespace {

class SwitchTest : public GuiTest {
protected:
    // Five positions; the bands follow the frame height: 9 pixels each for frames of 45. The
    // 3 x 15 strip has frames of 3.
    FrameSwitch* addSwitch(int frameHeight = 45) {
        openFrame({0, 0, 60, 60});
        auto* bitmap = new ResourceBitmap(kStripId);
        control = FrameSwitch::create({0, 0, 3, frameHeight}, &listener, 4, 5, frameHeight, 5, bitmap, {0, 0});
        bitmap->release();
        frame->addView(control);
        paint();
        return control;
    }
    FrameSwitch* control = nullptr;
};

}  // namespace

TEST_F(SwitchTest, FewerThanTwoPositionsAreRefused) {
    EXPECT_EQ(FrameSwitch::create({0, 0, 3, 3}, nullptr, 0, 1, 3, 1, nullptr, {0, 0}), nullptr);
    EXPECT_EQ(FrameSwitch::create({0, 0, 3, 3}, nullptr, 0, 1, 3, 0, nullptr, {0, 0}), nullptr);
}

TEST_F(SwitchTest, MorePositionsThanPicturesAreRefused) {
    // Position 4 of five would show a fifth picture that a strip of four does not have.
    EXPECT_EQ(FrameSwitch::create({0, 0, 3, 3}, nullptr, 0, 4, 3, 5, nullptr, {0, 0}), nullptr);
    FrameSwitch* fitting = FrameSwitch::create({0, 0, 3, 3}, nullptr, 0, 4, 3, 4, nullptr, {0, 0});
    ASSERT_NE(fitting, nullptr);
    fitting->release();
}

TEST_F(SwitchTest, ClicksAndDragsPickTheBandUnderThePointer) {
    // A press at 20 and a drag on to y; above the switch gives 0, below it 1.
    const struct {
        int y;
        float expected;
    } cases[] = {{0, 0.0f}, {8, 0.0f}, {9, 0.25f}, {20, 0.5f}, {36, 1.0f}, {44, 1.0f}, {-5, 0.0f}, {70, 1.0f}};
    addSwitch();
    for (const auto& c : cases) {
        step({1, c.y});
        step({1, c.y}, kUp);
        press({1, 20});
        EXPECT_FLOAT_EQ(control->getValue(), c.expected) << c.y;
    }
}

TEST_F(SwitchTest, ShowsTheNearestFrameOfTheStrip) {
    addSwitch(3);
    const struct {
        float value;
        Colour colour;
    } cases[] = {{0.0f, colourRed}, {0.6f, colourBlue}, {0.65f, colourYellow}, {1.0f, colourMagenta}};
    for (const auto& c : cases) {
        control->setValue(c.value);
        frame->idleRedraw();
        EXPECT_EQ(pixel(1, 1), ref(c.colour)) << c.value;
    }
}

TEST_F(SwitchTest, ModifierChangeEndsTheDragAndControlClickSetsZero) {
    addSwitch();
    step({1, 20});
    step({1, 40}, {.left = true, .shift = true});
    step({1, 40}, {.left = true, .shift = true});
    press({1, 0});
    EXPECT_FLOAT_EQ(control->getValue(), 0.5f);
    EXPECT_EQ(editor.calls, (std::vector<std::string>{"begin 4", "end 4"}));
    EXPECT_EQ(backend.stepsLeft(), 1u);

    control->setValue(0.75f);
    press({1, 30}, {.left = true, .control = true});
    EXPECT_FLOAT_EQ(control->getValue(), 0.0f);
    EXPECT_EQ(editor.calls.size(), 2u);
}

TEST_F(SwitchTest, ToggleFlipsOnEveryClickAndAlwaysNotifies) {
    openFrame();
    auto* toggle = new ToggleButton({10, 10, 20, 20}, &listener, 9, nullptr);
    frame->addView(toggle);
    const float starts[] = {0.0f, 1.0f, 0.7f};
    const float results[] = {1.0f, 0.0f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        toggle->setValue(starts[i]);
        press({15, 15});
        EXPECT_FLOAT_EQ(toggle->getValue(), results[i]) << starts[i];
    }
    EXPECT_EQ(listener.values.size(), 3u);
    EXPECT_EQ(editor.idles, 3);
}
