// The scale an X11 desktop asks of windows: GDK_SCALE where it is set to a whole number of 1
// or more, otherwise the Xft.dpi of the display's resource database over 96 (192 is 2), and
// 1 where neither says.
#pragma once

namespace platform::x11 {

// `resources` is the display's resource string (XResourceManagerString), `gdkScale` the
// GDK_SCALE variable; either may be null.
double desktopScaleFrom(const char* resources, const char* gdkScale);

// The scale of the display DISPLAY names, read through a connection of its own; 1 without one.
double desktopScale();

}  // namespace platform::x11
