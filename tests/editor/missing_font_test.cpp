// The editor on a machine without its font package: the faces cannot be loaded, so the text
// is left out, and everything else must work as it does with them.
#include "editor_test_support.h"

namespace editortest {
namespace {

class MissingFontTest : public EditorTest {
protected:
    MissingFontTest() : EditorTest("/nonexistent/fonts") {}
};

TEST_F(MissingFontTest, TheEditorOpensDrawsItsArtAndLeavesTheTextOut) {
    open();
    for (int x : {34, 35, 36, 598, 599, 600}) EXPECT_EQ(pixel(x, 200), rgb(192, 192, 192)) << "panel outline " << x;
    for (Point p : {Point{45, 190}, Point{115, 190}, Point{80, 183}, Point{80, 197}})
        EXPECT_EQ(pixel(p.x, p.y), rgb(127, 127, 127)) << "value box frame " << p.x << ", " << p.y;
    // Inside the box of index 1, where "Low" is written with the font, only the black fill.
    int drawn = 0;
    for (int y = 184; y < 197; ++y)
        for (int x = 46; x < 115; ++x) drawn += pixel(x, y) != rgb(0, 0, 0);
    EXPECT_EQ(drawn, 0);
}

TEST_F(MissingFontTest, ValueBoxesKnobsAndTheAboutBoxStillWork) {
    open();
    typeInto(0, "150");
    EXPECT_EQ(get(0), 0.75f);
    idle();
    EXPECT_EQ(boxText(0), "150.0000%");

    set(12, 1.0f);
    idle();
    EXPECT_EQ(control(12)->getValue(), 1.0f);

    press({317, 200});
    EXPECT_EQ(system.messageBoxes().size(), 1u);
    dispatch(effEditClose);
    EXPECT_TRUE(system.openWindows().empty());
}

}  // namespace
}  // namespace editortest
