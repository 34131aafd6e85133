// The desktop's scale as X11 desktops publish it: GDK_SCALE before Xft.dpi.
#include <gtest/gtest.h>

#include "platform/x11/desktop_scale.h"

namespace {

TEST(DesktopScale, GdkScaleWinsThenXftDpiOverNinetySixThenOne) {
    struct Case {
        const char* resources;
        const char* gdkScale;
        double scale;
    };
    const Case cases[] = {
        {nullptr, nullptr, 1.0},
        {"Xft.dpi:\t192\n", nullptr, 2.0},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", nullptr, 1.5},
        {"Xft.dpi: 96", "2", 2.0},
        {"Xft.dpi:\t192\n", "", 2.0},
        {"Xft.dpi:\t192\n", "two", 2.0},
        {"Xft.dpi:\t192\n", "0", 2.0},
        {"Xft.dpix:\t192\nXft.dpi:\tabc\n", nullptr, 1.0},
        {"", "3", 3.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::x11::desktopScaleFrom(c.resources, c.gdkScale), c.scale)
            << (c.resources ? c.resources : "(none)") << " / " << (c.gdkScale ? c.gdkScale : "(unset)");
    }
}

}  // namespace
