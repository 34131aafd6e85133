// The X11 backend: the software backend's drawing (framebuffers, built-in glyphs, embedded
// bitmaps), presented in X11 windows with XPutImage. The host hands over its window as an X11
// window id; the backend opens a connection of its own to the display when the first editor
// window opens and closes it after the last, so a host without a display never touches X.
// Without a display it behaves as the software backend. Events arrive on that connection and
// are delivered by `dispatchPendingEvents`, which the editor's idle calls.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <optional>

#include "platform/software/software_platform.h"

namespace platform::x11 {

// A window of the backend that takes the events X reports for it.
class EventTarget {
public:
    virtual void handleEvent(XEvent& event) = 0;

protected:
    ~EventTarget() = default;
};

class X11Platform : public software::SoftwarePlatform {
public:
    X11Platform();
    ~X11Platform() override;

    // A child window of `parent` (an X11 window id); null when no display can be opened or
    // `parent` is not a window of it with a true-colour visual.
    std::unique_ptr<Window> createChildWindow(const std::string& className, void* parent, int width, int height,
                                              WindowHandler& handler) override;

    InputState inputState() override;
    PixelPoint cursorPosition() override;
    bool buttonsSwapped() override;

    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
    bool dispatchOnePendingPaint() override;
    void dispatchPendingEvents() override;

    void messageBox(const std::string& text, const std::string& caption, double scale) override;
    double desktopScale() override;

    // For the backend's windows.
    Display* display() const { return connection; }
    void addTarget(::Window window, EventTarget& target) { targets[window] = &target; }
    void removeTarget(::Window window) { targets.erase(window); }
    void windowOpened() { ++openWindows; }
    void windowClosed();
    // A button press reported by an event: the button polls answer it until the first
    // cursor poll, so that a click shorter than the time before the event was read still
    // reaches the control as a press.
    void beginPress(unsigned int stateMask);
    void endPress() { pressed.reset(); }
    // Delivers one event to the window it belongs to; events of unknown windows are dropped.
    void dispatch(XEvent& event);
    // Whether an event is being delivered: the box's own loop delivers events then.
    bool isDispatching() const { return dispatching; }
    // The top-level window that holds the window being clicked, for a box to stay above it.
    ::Window activeTopLevel() const { return clickedTopLevel; }
    void setClickedWindow(::Window window);

private:
    bool openDisplay();
    void closeDisplayIfUnused();
    InputState inputFromMask(unsigned int mask) const;
    void readPointerMapping();

    Display* connection = nullptr;
    int openWindows = 0;
    std::map<::Window, EventTarget*> targets;
    std::optional<unsigned int> pressed;
    bool dispatching = false;
    ::Window clickedTopLevel = 0;
    // Logical button numbers of the physical left, middle and right buttons.
    unsigned char buttonMap[3] = {1, 2, 3};
};

}  // namespace platform::x11
