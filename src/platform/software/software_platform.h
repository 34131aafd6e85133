// The software backend: windows are framebuffers, input comes from a script, time from a
// virtual clock that only `sleep` and the script's owner advance. Deterministic by design, so
// tests can drive drags and timed idles; a Linux editor can present the framebuffers.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/software/input_script.h"
#include "platform/software/software_image.h"
#include "platform/software/text_renderer.h"

namespace platform::software {

class SoftwarePlatform;
class SoftwareTextEditor;

// What the host hands over as its window: the screen position of the area for the editor.
struct ParentWindow {
    PixelPoint screenOrigin;
};

class SoftwareWindow : public Window {
public:
    SoftwareWindow(SoftwarePlatform& owner, PixelPoint origin, int width, int height, WindowHandler& handler);
    ~SoftwareWindow() override;

    PixelPoint screenOrigin() const override { return origin; }
    std::unique_ptr<Surface> acquireSurface() override;
    bool registerDropTarget() override;
    void revokeDropTarget() override { dropRegistered = false; }
    std::unique_ptr<TextEditor> createTextEditor(const TextEditorSetup& setup, TextEditorListener& listener) override;

    const SoftwareImage& pixels() const { return framebuffer; }
    bool acceptsDrops() const { return dropRegistered; }
    SoftwareTextEditor* activeEditor() const { return editor; }

    // Marks an area for the next paint; the pending area grows to cover all requests.
    void invalidate(const PixelRect& rect);
    bool paintPending() const { return pending.has_value(); }
    bool paint();
    void buttonDown(PixelPoint where);
    void drop(char** items, int count, int kind) { handler.windowDrop(items, count, kind); }
    // The host destroys its own window, and with it this child.
    void destroyedByHost() { handler.windowDestroyed(); }

private:
    friend class SoftwareTextEditor;

    SoftwarePlatform& platform;
    PixelPoint origin;
    SoftwareImage framebuffer;
    WindowHandler& handler;
    std::optional<PixelRect> pending;
    bool dropRegistered = false;
    SoftwareTextEditor* editor = nullptr;
};

class SoftwareTextEditor : public TextEditor {
public:
    SoftwareTextEditor(SoftwareWindow& window, const TextEditorSetup& setup, TextEditorListener& listener);
    ~SoftwareTextEditor() override;

    std::string text() const override { return content; }
    const PixelRect& placement() const { return setup.placement; }
    const FontDescription& font() const { return setup.font; }

    // Typing replaces the initial selection of the whole text; '\b' deletes the last character.
    void type(const std::string& keys);
    void pressReturn() { listener.editorReturnPressed(); }
    void loseFocus() { listener.editorFocusLost(); }

private:
    void render();

    SoftwareWindow& window;
    TextEditorSetup setup;
    TextEditorListener& listener;
    std::string content;
    bool allSelected = true;
};

class SoftwarePlatform : public Services {
public:
    SoftwarePlatform();
    ~SoftwarePlatform() override;

    std::uintptr_t moduleInstanceId() const override { return 0x10000000u; }
    void registerWindowClass(const std::string& name) override;
    void unregisterWindowClass(const std::string& name) override;
    std::unique_ptr<Window> createChildWindow(const std::string& className, void* parent, int width, int height,
                                              WindowHandler& handler) override;

    InputState inputState() override { return script.inputState(); }
    PixelPoint cursorPosition() override { return script.cursorPosition(); }
    bool buttonsSwapped() override { return swapped; }
    int doubleClickTime() override { return doubleClickMs; }

    std::uint32_t tickCount() override { return clock.tickCount(); }
    void sleep(std::uint32_t milliseconds) override { clock.sleep(milliseconds); }
    bool dispatchOnePendingPaint() override;

    std::unique_ptr<Image> loadBitmap(int resourceId) override;
    bool findTransparentBlit() override { return transparentBlitPresent; }

    void initObjectLinking() override { ++objectLinkingDepth; }
    void uninitObjectLinking() override { --objectLinkingDepth; }

    void messageBox(const std::string& text, const std::string& caption, double scale) override;

    // Scripted input (see InputScript).
    void setInput(PixelPoint screenPosition, InputState state) { script.setInput(screenPosition, state); }
    void queueStep(PixelPoint screenPosition, InputState state) { script.queueStep(screenPosition, state); }
    std::size_t stepsLeft() const { return script.stepsLeft(); }
    // A button press at a window position: the text editor under it takes it, else the window.
    void press(SoftwareWindow& window, PixelPoint where, InputState state);

    void setTickCount(std::uint32_t ticks) { clock.setTickCount(ticks); }
    void advanceClock(std::uint32_t milliseconds) { clock.advance(milliseconds); }
    std::uint32_t sleepCalls() const { return clock.sleepCalls(); }
    std::uint32_t paintsDispatched() const { return paints; }

    void setButtonsSwapped(bool on) { swapped = on; }
    void setDoubleClickTime(int milliseconds) { doubleClickMs = milliseconds; }
    void setTransparentBlitPresent(bool on) { transparentBlitPresent = on; }

    bool isClassRegistered(const std::string& name) const { return classes.count(name) != 0; }
    int classRegistrations() const { return registrations; }
    int objectLinkingLevel() const { return objectLinkingDepth; }
    const std::vector<std::string>& messageBoxes() const { return shownMessages; }
    const std::vector<SoftwareWindow*>& openWindows() const { return windows; }
    TextRenderer& textRenderer() { return text; }

private:
    friend class SoftwareWindow;

    TextRenderer text;
    std::map<std::string, int> classes;
    int registrations = 0;
    std::vector<SoftwareWindow*> windows;
    InputScript script;
    VirtualClock clock;
    std::uint32_t paints = 0;
    bool swapped = false;
    int doubleClickMs = 500;
    bool transparentBlitPresent = true;
    int objectLinkingDepth = 0;
    std::vector<std::string> shownMessages;
};

}  // namespace platform::software
