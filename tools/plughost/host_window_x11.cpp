#include <cstdint>

#include "plughost/host_window.h"

// Xlib's macros (None, Bool, Status) come after the headers they would break.
#include <X11/Xlib.h>

namespace plughost {
namespace {

class X11Window : public HostWindow {
public:
    X11Window(Display* display, int width, int height) : x(display) {
        window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), 0, 0, WhitePixel(x, DefaultScreen(x)));
        XStoreName(x, window, "plughost check");
        XMapWindow(x, window);
        XFlush(x);
    }
    ~X11Window() override {
        XDestroyWindow(x, window);
        XCloseDisplay(x);
    }
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    void* parent() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }
    void serve() override {
        while (XPending(x)) {
            XEvent event;
            XNextEvent(x, &event);
        }
    }

private:
    Display* x;
    ::Window window = 0;
};

}  // namespace

std::unique_ptr<HostWindow> HostWindow::open(int width, int height, std::string& whyNot) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        whyNot = "no X display to open the editor on: set DISPLAY, or run it through xvfb-run";
        return nullptr;
    }
    return std::make_unique<X11Window>(display, width, height);
}

}  // namespace plughost
