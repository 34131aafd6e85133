#include "platform/win32/win32_text_editor.h"

#include "platform/win32/win32_platform.h"

namespace platform::win32 {

namespace {

DWORD alignStyle(TextAlign align) {
    switch (align) {
    case TextAlign::centre: return ES_CENTER;
    case TextAlign::right: return ES_RIGHT;
    case TextAlign::left: break;
    }
    return ES_LEFT;
}

Win32TextEditor* editorObject(HWND edit) {
    return reinterpret_cast<Win32TextEditor*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
}

}  // namespace

Win32TextEditor::Win32TextEditor(Win32Window& owner, const TextEditorSetup& setup, TextEditorListener& editorListener)
    : window(owner), listener(editorListener), textColour(setup.textColour), backColour(setup.backColour) {
    const PixelRect& r = setup.placement;
    initialText = setup.text.substr(0, setup.limit);
    edit = CreateWindowExA(0, "EDIT", initialText.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignStyle(setup.align),
                           r.left, r.top, r.right - r.left, r.bottom - r.top, window.handle(), nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window.handle(), GWLP_HINSTANCE)), nullptr);
    if (!edit) return;
    const LOGFONTA logical = logicalFont(setup.font);
    font = CreateFontIndirectA(&logical);
    SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageA(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_LIMITTEXT, setup.limit, 0);
    window.activeEditor = this;
    previousFocus = SetFocus(edit);
    nativeProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32TextEditor::filter)));
}

// The filter is taken out before the control is destroyed or gives the focus back: both send
// it WM_KILLFOCUS, which must not reach a listener that is ending this edit already. The focus
// goes back only while it is still the control's: a click into another window has given it
// to that one.
Win32TextEditor::~Win32TextEditor() {
    if (window.activeEditor == this) window.activeEditor = nullptr;
    if (edit) {
        if (nativeProcedure) SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(nativeProcedure));
        SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
        if (GetFocus() == edit && previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
        DestroyWindow(edit);
    }
    if (font) DeleteObject(font);
    if (brush) DeleteObject(brush);
}

std::string Win32TextEditor::text() const {
    char buffer[256] = {};
    if (edit) GetWindowTextA(edit, buffer, sizeof buffer);
    return buffer;
}

HBRUSH Win32TextEditor::colours(HDC editContext) {
    SetTextColor(editContext, textColour);
    SetBkColor(editContext, backColour);
    HBRUSH replacement = CreateSolidBrush(backColour);
    if (brush) DeleteObject(brush);
    brush = replacement;
    return brush;
}

// Return and focus loss end the edit through the listener, which may destroy this object and
// the control; the native procedure is kept in a local and called only while the control
// still exists.
LRESULT CALLBACK Win32TextEditor::filter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32TextEditor* editor = editorObject(edit);
    if (!editor) return DefWindowProcA(edit, message, wParam, lParam);
    const WNDPROC native = editor->nativeProcedure;
    switch (message) {
    case WM_KILLFOCUS: editor->listener.editorFocusLost(); break;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) editor->listener.editorReturnPressed();
        if (wParam == VK_ESCAPE) {
            // The text it began with: the field sees no change.
            SetWindowTextA(edit, editor->initialText.c_str());
            editor->listener.editorFocusLost();
        }
        break;
    default: break;
    }
    if (!IsWindow(edit)) return 0;
    return CallWindowProcA(native, edit, message, wParam, lParam);
}

}  // namespace platform::win32
