// The Win32 backend of the seam: user32 windows and messages, GDI surfaces, LoadBitmapA
// resources, GetAsyncKeyState/GetCursorPos polling, the native "EDIT" control, OLE drops and
// MessageBoxA. Each seam call maps onto one native call or one short fixed sequence.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_surface.h"

namespace platform::win32 {

class Win32TextEditor;

class Win32Window : public Window {
public:
    Win32Window(HWND window, WindowHandler& handler, TransparentBltFunction transparentBlt);
    // Detaches the window procedure from this object first, so destroying the window is not
    // reported back to the handler that is destroying it.
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    PixelPoint screenOrigin() const override;
    std::unique_ptr<Surface> acquireSurface() override;
    bool registerDropTarget() override;
    void revokeDropTarget() override;
    std::unique_ptr<TextEditor> createTextEditor(const TextEditorSetup& setup, TextEditorListener& listener) override;

    HWND handle() const { return hwnd; }
    // The window procedure of every window of the toolkit's classes.
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Win32TextEditor;

    LRESULT paint();
    LRESULT buttonDown(LPARAM position);
    LRESULT editColours(HDC editContext);

    HWND hwnd;
    WindowHandler& handler;
    TransparentBltFunction transparentBlt;
    bool dropRegistered = false;
    Win32TextEditor* activeEditor = nullptr;
};

class Win32Platform : public Services {
public:
    // `module` is the module whose resources and window classes the toolkit uses: the
    // plug-in DLL, or the executable in tests.
    explicit Win32Platform(HINSTANCE module);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::uintptr_t moduleInstanceId() const override { return reinterpret_cast<std::uintptr_t>(module); }
    void registerWindowClass(const std::string& name) override;
    void unregisterWindowClass(const std::string& name) override;
    std::unique_ptr<Window> createChildWindow(const std::string& className, void* parent, int width, int height,
                                              WindowHandler& handler) override;

    InputState inputState() override;
    PixelPoint cursorPosition() override;
    bool buttonsSwapped() override { return GetSystemMetrics(SM_SWAPBUTTON) > 0; }
    int doubleClickTime() override { return static_cast<int>(GetDoubleClickTime()); }

    std::uint32_t tickCount() override { return GetTickCount(); }
    void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }
    bool dispatchOnePendingPaint() override;

    std::unique_ptr<Image> loadBitmap(int resourceId) override;
    bool findTransparentBlit() override;

    void initObjectLinking() override;
    void uninitObjectLinking() override;

    void messageBox(const std::string& text, const std::string& caption, double scale) override;
    double desktopScale() override;
    std::optional<double> windowScale(void* parent) override;

    // The routine found by findTransparentBlit, handed to every surface of this backend.
    TransparentBltFunction boundTransparentBlt() const { return transparentBlt; }

private:
    HINSTANCE module;
    HMODULE imageLibrary = nullptr;
    TransparentBltFunction transparentBlt = nullptr;
};

}  // namespace platform::win32
