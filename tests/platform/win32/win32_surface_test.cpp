// What only the Win32 surface has to get right: the device context it borrows. The pixel
// rules every backend follows are checked here too, from tests/platform/surface_rules_test.cpp,
// and the toolkit's drawing on this backend by the toolkit tests (tests/gui).
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "test_canvas.h"

using namespace platform;
using namespace platform::win32;

TEST(Win32Surface, ReleasingTheSurfacePutsBackTheContextsObjectsAndDeletesItsOwn) {
    const ColourRef ink = makeColourRef(250, 240, 230);
    win32test::Canvas target(4, 4, 0);
    const HGDIOBJ pen = GetCurrentObject(target.context(), OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(target.context(), OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(target.context(), OBJ_FONT);
    HGDIOBJ own[3] = {};
    {
        Win32Surface s(target.context(), nullptr);
        s.setPen(PenStyle::solid, 1, ink);
        s.setBrush(ink);
        FontDescription arial;
        arial.face = "Arial";
        s.setFont(arial);
        own[0] = GetCurrentObject(target.context(), OBJ_PEN);
        own[1] = GetCurrentObject(target.context(), OBJ_BRUSH);
        own[2] = GetCurrentObject(target.context(), OBJ_FONT);
        EXPECT_NE(own[0], pen);
    }
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(target.context(), OBJ_FONT), font);
    for (HGDIOBJ object : own) EXPECT_EQ(GetObjectType(object), 0u);
}
