#include <windows.h>

#include "plughost/host_window.h"

namespace plughost {
namespace {

class Win32Window : public HostWindow {
public:
    explicit Win32Window(HWND hwnd) : hwnd(hwnd) {}
    ~Win32Window() override { DestroyWindow(hwnd); }
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    void* parent() const override { return hwnd; }
    void serve() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

private:
    HWND hwnd;
};

}  // namespace

std::unique_ptr<HostWindow> HostWindow::open(int width, int height, std::string& whyNot) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PlughostCheckHost";
    RegisterClassA(&windowClass);
    HWND hwnd = CreateWindowExA(0, windowClass.lpszClassName, "plughost check", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!hwnd) {
        whyNot = "no window could be created for the editor";
        return nullptr;
    }
    return std::make_unique<Win32Window>(hwnd);
}

}  // namespace plughost
