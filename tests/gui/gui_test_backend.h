// What the toolkit tests need from a backend, with one implementation per backend chosen at
// build time: software_gui_backend.cpp (framebuffers) natively, win32_gui_backend.cpp (real
// windows, GDI, the native edit control) under Wine. On both, polled input, the cursor, the
// tick count and sleeping come from a script (InputScript, VirtualClock), so that drags and
// timed idles are deterministic; everything else reaches the backend's real implementation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace guitest {

class GuiTestBackend {
public:
    // Installs the backend for the life of this object and opens the host's window.
    GuiTestBackend();
    ~GuiTestBackend();
    GuiTestBackend(const GuiTestBackend&) = delete;
    GuiTestBackend& operator=(const GuiTestBackend&) = delete;

    // The host's window that frames open in; its client area starts at this screen point.
    static constexpr platform::PixelPoint kParentOrigin{200, 100};
    void* parentWindow();
    platform::PixelPoint screen(int x, int y) const { return {kParentOrigin.x + x, kParentOrigin.y + y}; }
    // The window class name frames of this module register: "Plugin" and the module's
    // instance in eight hex digits.
    std::string moduleClassName() const;

    // Scripted input and time.
    void setInput(platform::PixelPoint screenPosition, platform::InputState state);
    void queueStep(platform::PixelPoint screenPosition, platform::InputState state);
    std::size_t stepsLeft() const;
    void setTickCount(std::uint32_t ticks);
    void advanceClock(std::uint32_t milliseconds);
    std::uint32_t tickCount() const;
    std::uint32_t sleepCalls() const;
    void setButtonsSwapped(bool swapped);
    void setDoubleClickTime(int milliseconds);
    // Whether findTransparentBlit may find the routine; without it the toolkit masks.
    void setTransparentBlitPresent(bool present);

    // What reached the backend.
    int classRegistrations() const;
    bool isClassRegistered(const std::string& name) const;
    int objectLinkingLevel() const;
    std::uint32_t paintsDispatched() const;

    // A button press at a window position with the physical state held at that moment: the text
    // editor under it takes it, else the window.
    void press(platform::Window& window, platform::PixelPoint where, platform::InputState state);
    // One pending paint, after the host has served its own window.
    bool paint();
    void invalidate(platform::Window& window, const platform::PixelRect& area);
    platform::ColourRef pixel(platform::Window& window, int x, int y);
    // The host destroys its window, and with it the frames' windows.
    void destroyParent();
    // Saves the window's pixels under `name` for a person to look at.
    bool saveSnapshot(platform::Window& window, const std::string& name);

    // A drag that ends in a drop on the window, at the cursor the script holds, handed over as
    // the system hands one: text in a block ending in its terminator, or file names. False
    // when the window has no drop target or its target refused the drag.
    bool dropText(platform::Window& window, const std::string& text);
    bool dropFiles(platform::Window& window, const std::vector<std::string>& names);
    bool hasDropTarget(platform::Window& window);

    // The text editor open over the window: its placement in window pixels, none without one.
    std::optional<platform::PixelRect> editorPlacement(platform::Window& window);
    // Keys typed into it; '\b' deletes the character before the caret.
    void type(platform::Window& window, const std::string& keys);
    void pressReturn(platform::Window& window);
    void moveFocusAway(platform::Window& window);

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace guitest
