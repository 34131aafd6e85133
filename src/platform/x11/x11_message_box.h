// The message box of the X11 backend: a small dialog window of our own with the text, one
// line per line of it, and an OK button, drawn with the software backend's text. It is modal
// to the editor: until OK, Return, Escape, Space or the window's close button dismisses it,
// the editor windows are still painted but take no input, and the call does not return. At a
// scale above 1 its text, margins and button are as many times larger, as the editor's are.
#pragma once

#include <string>

#include "platform/x11/x11_platform.h"

namespace platform::x11 {

void runMessageBox(X11Platform& platform, const std::string& text, const std::string& caption, double scale);

}  // namespace platform::x11
