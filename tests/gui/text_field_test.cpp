#include "gui/text_field.h"

#include <string>

#include "gui/frame_switch.h"
#include "gui/knob.h"
#include "gui_test_support.h"

using namespace guitest;

namespace {

class TextFieldTest : public GuiTest {
protected:
    TextField* addField(const char* text, int style = 0, Rect r = {10, 10, 50, 30}) {
        if (!frame) openFrame({0, 0, 120, 60});
        auto* field = new TextField(r, &listener, 0x1001, text, nullptr, style);
        frame->addView(field);
        return field;
    }
    std::string textOf(TextField* field) {
        char out[kMaxTextLength + 1];
        field->getText(out);
        return out;
    }
    bool editing() { return backend.editorPlacement(window()).has_value(); }
    void type(const std::string& keys) { backend.type(window(), keys); }
    void pressReturn() { backend.pressReturn(window()); }
};

}  // namespace

TEST_F(TextFieldTest, EditingEndsOnReturnAndNotifiesOnlyWhenTheTextChanged) {
    TextField* field = addField("0.50");
    paint();
    press({20, 20});
    ASSERT_TRUE(editing());
    EXPECT_EQ(backend.editorPlacement(window()), (platform::PixelRect{10, 10, 51, 31}));
    pressReturn();
    EXPECT_FALSE(editing());
    EXPECT_TRUE(listener.values.empty());

    press({20, 20});
    type("7");
    pressReturn();
    EXPECT_EQ(textOf(field), "7");
    EXPECT_EQ(listener.values.size(), 1u);
    EXPECT_TRUE(field->wasReturnPressed());
}

TEST_F(TextFieldTest, AClickElsewhereEndsTheEditFirstAndAClickInsideDoesNot) {
    TextField* field = addField("abc");
    auto* toggle = new ToggleButton({80, 10, 100, 30}, &listener, 5, nullptr);
    frame->addView(toggle);
    paint();
    press({20, 20});
    type("xyz");
    press({30, 25});  // inside the editor: caret placement only
    EXPECT_TRUE(editing());
    press({90, 20});
    EXPECT_FALSE(editing());
    EXPECT_EQ(textOf(field), "xyz");
    ASSERT_EQ(listener.values.size(), 2u);  // the field first, then the toggle
    EXPECT_FLOAT_EQ(listener.values[1], 1.0f);
}

TEST_F(TextFieldTest, WithEditOnDoubleClickOnlyASecondClickInTimeStartsTheEdit) {
    backend.setDoubleClickTime(100);  // raised to 250 by the controls
    addField("abc", editOnDoubleClick);
    paint();
    const struct {
        std::uint32_t after;
        bool edits;
    } clicks[] = {
        {0, false},    // the first click ever, whatever the tick count
        {200, true},   // within 250 ms
        {10, false},   // a third click starts a new pair
        {300, false},  // too late for that pair; starts another
        {249, true},
    };
    for (const auto& click : clicks) {
        backend.advanceClock(click.after);
        press({20, 20});
        EXPECT_EQ(editing(), click.edits) << click.after;
        if (editing()) pressReturn();
    }
}

TEST_F(TextFieldTest, TextsAreCutTo255Characters) {
    const std::string longText(300, 'q');
    TextField* field = addField(longText.c_str());
    EXPECT_EQ(textOf(field).size(), 255u);
    field->setText(std::string(400, 'r').c_str());
    EXPECT_EQ(textOf(field), std::string(255, 'r'));
    field->setNeedsRedraw(false);
    field->setText(std::string(256, 'r').c_str());  // the same text once cut
    EXPECT_FALSE(field->needsRedraw());
    paint();
    press({20, 20});
    type(std::string(300, 's'));
    backend.moveFocusAway(window());
    EXPECT_EQ(textOf(field), std::string(255, 's'));
}

TEST_F(TextFieldTest, HiddenSuppressedAndBevelledBoxes) {
    TextField* hidden = addField("88", textHidden, {10, 10, 30, 30});
    hidden->setBackColour(colourBlue);
    hidden->setFrameColour(colourRed);
    TextField* suppressed = addField("88", drawingSuppressed, {40, 10, 60, 30});
    EXPECT_FALSE(suppressed->needsRedraw());
    TextField* bevel = addField("", bevelOut, {70, 10, 90, 30});
    bevel->setFrameColour(colourGrey);
    paint();
    for (int y = 11; y < 30; ++y)
        for (int x = 11; x < 30; ++x) ASSERT_EQ(pixel(x, y), ref(colourBlue)) << x << "," << y;
    EXPECT_EQ(pixel(10, 10), ref(colourRed));
    EXPECT_EQ(pixel(30, 30), ref(colourRed));
    EXPECT_NE(pixel(50, 20), ref(colourBlack));  // nothing drawn: the class background shows
    EXPECT_EQ(pixel(70, 20), ref(colourGrey));   // left edge, frame colour
    EXPECT_EQ(pixel(80, 10), ref(colourGrey));   // top edge
    EXPECT_EQ(pixel(90, 20), ref(colourBlack));  // right edge, back colour
    EXPECT_EQ(pixel(80, 30), ref(colourBlack));  // bottom edge
}

TEST_F(TextFieldTest, DisplayFormatsItsValueWithTwoDecimals) {
    openFrame({0, 0, 200, 40});
    const struct {
        float value;
        const char* shown;
    } cases[] = {{0.5f, "0.50"}, {12.345f, "12.35"}, {-1.0f, "-1.00"}};
    for (const auto& c : cases) {
        auto* display = new TextDisplay({0, 0, 60, 20}, nullptr, 0);
        display->setValue(c.value);
        auto* reference = new TextField({100, 0, 160, 20}, nullptr, 0, c.shown, nullptr, 0);
        frame->addView(display);
        frame->addView(reference);
        frame->redrawView(nullptr);
        for (int y = 0; y <= 20; ++y)
            for (int x = 0; x <= 60; ++x) ASSERT_EQ(pixel(x, y), pixel(x + 100, y)) << c.shown;
        frame->removeAllViews(true);
    }
}

TEST_F(TextFieldTest, ComposedFrameSnapshot) {
    openFrame({0, 0, 120, 60});
    auto* background = new ResourceBitmap(kBackgroundId);
    frame->setBackground(background);
    auto* handle = new ResourceBitmap(kHandleId);
    auto* strip = new ResourceBitmap(kStripId);
    auto* knob = new Knob({2, 2, 42, 42}, &listener, 1, nullptr, handle, {0, 0});
    knob->setValue(0.3f);
    frame->addView(knob);
    auto* knob2 = new Knob({44, 2, 84, 42}, &listener, 2, nullptr, nullptr, {0, 0});
    knob2->setValue(0.8f);
    frame->addView(knob2);
    frame->addView(FrameSwitch::create({90, 5, 93, 8}, &listener, 3, 5, 3, 5, strip, {0, 0}));
    TextField* text = addField("Delay & Mix", textShadowed, {2, 44, 118, 58});
    text->setBackColour(colourGrey);
    background->release();
    handle->release();
    strip->release();
    paint();
    // The background shows where no view is: pixel (x, y) of the bitmap is (6x, 8y, 100).
    EXPECT_EQ(pixel(39, 29), platform::makeColourRef(234, 232, 100));
    EXPECT_TRUE(backend.saveSnapshot(window(), "composed_frame"));
}
