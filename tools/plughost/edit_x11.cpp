#include <poll.h>

#include <chrono>

#include "plughost/edit.h"
#include "plughost/plugin_instance.h"

// Xlib's macros (None, Bool, Status) come after the headers they would break.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace plughost {

namespace {

// Hosts call the editor's idle from their user-interface loop about this often.
constexpr int kIdleIntervalMs = 20;

class TopLevel {
public:
    TopLevel(Display* display, int width, int height, const std::string& title) : x(display) {
        window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), 0, 0, WhitePixel(x, DefaultScreen(x)));
        XStoreName(x, window, title.c_str());
        closeAtom = XInternAtom(x, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(x, window, &closeAtom, 1);
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(x, window, hints);
        XFree(hints);
        XMapWindow(x, window);
        XFlush(x);
    }
    ~TopLevel() {
        XDestroyWindow(x, window);
        XFlush(x);
    }
    TopLevel(const TopLevel&) = delete;
    TopLevel& operator=(const TopLevel&) = delete;

    ::Window id() const { return window; }
    // Reads this connection's events; true once the window manager asked to close it.
    bool closeRequested() {
        while (XPending(x)) {
            XEvent event;
            XNextEvent(x, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == closeAtom) return true;
        }
        return false;
    }

private:
    Display* x;
    ::Window window = 0;
    Atom closeAtom = 0;
};

}  // namespace

bool runEditor(const PluginModule& module, const EditOptions& options, std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error = "edit needs an X display: set DISPLAY, or run it through xvfb-run";
        return false;
    }
    Host host;
    auto plugin = PluginInstance::create(module, host, error);
    ERect* rect = nullptr;
    if (plugin && (!(plugin->record().flags & effFlagsHasEditor) || !plugin->dispatch(effEditGetRect, 0, 0, &rect) ||
                   !rect || rect->right <= rect->left || rect->bottom <= rect->top)) {
        error = module.path() + " has no editor";
        plugin.reset();
    }
    if (plugin) {
        const std::string name = module.path().substr(module.path().find_last_of('/') + 1);
        TopLevel window(display, rect->right - rect->left, rect->bottom - rect->top, "plughost - " + name);
        plugin->start(44100.0, 512);
        plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window.id()));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
        while (!window.closeRequested() && (options.seconds <= 0.0 || std::chrono::steady_clock::now() < deadline)) {
            plugin->dispatch(effEditIdle);
            pollfd events{ConnectionNumber(display), POLLIN, 0};
            poll(&events, 1, kIdleIntervalMs);
        }
        plugin->dispatch(effEditClose);
        plugin->stop();
    }
    const bool ok = plugin != nullptr;
    plugin.reset();
    XCloseDisplay(display);
    return ok;
}

}  // namespace plughost
