// The seam's text editor as a native "EDIT" child window over the field, with a filter
// procedure in front of the control's own that reports Return and focus loss.
#pragma once

#include <windows.h>

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
    ColourRef textColour;
    ColourRef backColour;
    HWND edit = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    WNDPROC nativeProcedure = nullptr;
};

}  // namespace platform::win32
