// Software backend only: a drop handed to the frame's window. On Win32 a drop arrives through
// OLE with a data object; tests/platform/win32/win32_drop_test.cpp drives that drop target.
#include "gui_test_support.h"
#include "platform/software/software_platform.h"

using namespace guitest;

TEST_F(GuiTest, ADropOnTheWindowIsOfferedAtTheCursorFromTheLastAddedView) {
    openFrame();
    std::vector<std::string> log;
    auto* lower = new ProbeView({0, 0, 30, 30}, "A", log);
    auto* upper = new ProbeView({10, 10, 40, 40}, "B", log);
    lower->acceptsDrops = true;
    frame->addView(lower);
    frame->addView(upper);
    auto& window = static_cast<platform::software::SoftwareWindow&>(*frame->window());
    EXPECT_TRUE(window.acceptsDrops());

    char name[] = "/tmp/a.wav";
    char* items[] = {name};
    pointAt({25, 25});
    window.drop(items, 1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"B drop", "A drop"}));
    EXPECT_EQ(lower->lastWhere, (Point{25, 25}));
}
