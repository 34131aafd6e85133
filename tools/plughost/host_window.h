// A top-level window standing in for a host's editor frame: somewhere for a plug-in's editor
// to open, with the window system's events served as a host's user-interface loop does.
#pragma once

#include <memory>
#include <string>

namespace plughost {

class HostWindow {
public:
    // Null with the reason when there is nowhere to show a window (on X11: no display).
    static std::unique_ptr<HostWindow> open(int width, int height, std::string& whyNot);
    virtual ~HostWindow() = default;

    // What effEditOpen takes: the X window id or the HWND.
    virtual void* parent() const = 0;
    // Handles the events that are waiting, without blocking.
    virtual void serve() = 0;
};

}  // namespace plughost
