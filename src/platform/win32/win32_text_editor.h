// The seam's text editor as a native "EDIT" child window over the field, with a filter
// procedure in front of the control's own that reports Return and focus loss, and ends the
// edit on Escape with the text it began with. When it closes with the focus still on it, the
// focus goes back to the window that had it before (the host's), so that the host's keys work
// again at once.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform::win32 {

class Win32Window;

class Win32TextEditor : public TextEditor {
public:
    Win32TextEditor(Win32Window& window, const TextEditorSetup& setup, TextEditorListener& listener);
    ~Win32TextEditor() override;
    Win32TextEditor(const Win32TextEditor&) = delete;
    Win32TextEditor& operator=(const Win32TextEditor&) = delete;

    std::string text() const override;
    HWND handle() const { return edit; }
    // Answers the parent's WM_CTLCOLOREDIT: the setup's colours and a brush of the back colour.
    HBRUSH colours(HDC editContext);

private:
    static LRESULT CALLBACK filter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    Win32Window& window;
    TextEditorListener& listener;
    std::string initialText;
    HWND previousFocus = nullptr;
    ColourRef textColour;
    ColourRef backColour;
    HWND edit = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    WNDPROC nativeProcedure = nullptr;
};

}  // namespace platform::win32
