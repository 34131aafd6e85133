// The editor frame's X11 child window: a framebuffer drawn by the software backend's surfaces
// and presented after each drawing. Expose is the paint message, button presses 1 to 3 are
// button-down messages, and the host destroying its window is the destroy message.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/x11/presenter.h"
#include "platform/x11/x11_platform.h"

namespace platform::x11 {

class X11Window : public Window, private EventTarget {
public:
    // `id` is the created, mapped window of that visual and depth.
    X11Window(X11Platform& owner, ::Window id, Visual* visual, int depth, int width, int height,
              WindowHandler& handler);
    ~X11Window() override;

    PixelPoint screenOrigin() const override;
    std::unique_ptr<Surface> acquireSurface() override;
    // X11 has no drop protocol of its own and no view accepts drops: nothing registers.
    bool registerDropTarget() override { return false; }
    void revokeDropTarget() override {}
    std::unique_ptr<TextEditor> createTextEditor(const TextEditorSetup& setup, TextEditorListener& listener) override;

    ::Window id() const { return window; }
    const software::SoftwareImage& pixels() const { return framebuffer; }

private:
    void handleEvent(XEvent& event) override;
    void paint(XEvent& first);
    void buttonDown(const XButtonEvent& press);
    std::unique_ptr<Surface> surfaceFor(const PixelRect& shown);

    X11Platform& platform;
    ::Window window;
    Visual* visual;
    int depth;
    std::unique_ptr<Presenter> presenter;
    software::SoftwareImage framebuffer;
    WindowHandler& handler;
    bool destroyedByHost = false;
};

}  // namespace platform::x11
