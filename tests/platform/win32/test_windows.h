// A host's top-level window for the backend's child windows, and a message pump.
#pragma once

#include <windows.h>

namespace win32test {

// A borderless visible popup at a known screen position, standing in for the host's window.
class HostWindow {
public:
    HostWindow(int x, int y, int width, int height) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VellumineTestHost";
        RegisterClassA(&windowClass);  // fails harmlessly when already registered
        hwnd = CreateWindowExA(0, "VellumineTestHost", "Host", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~HostWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle() const { return hwnd; }

private:
    HWND hwnd;
};

// Dispatches every message waiting for this thread.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace win32test
