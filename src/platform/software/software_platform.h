// The software backend: windows are framebuffers, input comes from a script, time from a
// virtual clock that only `sleep` and the script's owner advance. Deterministic by design, so
// tests can drive drags and timed idles; a Linux editor can present the framebuffers.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    explicit SoftwarePlatform(std::string fontDirectory = VELLUMINE_FONT_DIR);
    ~SoftwarePlatform() override;

    std::uintptr_t moduleInstanceId() const override { return 0x10000000u; }
    void registerWindowClass(const std::string& name) override;
    void unregisterWindowClass(const std::string& name) override;
    std::unique_ptr<Window> createChildWindow(const std::string& className, void* parent, int width, int height,
                                              WindowHandler& handler) override;

    InputState inputState() override { return input; }
    PixelPoint cursorPosition() override;
    bool buttonsSwapped() override { return swapped; }
    int doubleClickTime() override { return doubleClickMs; }

    std::uint32_t tickCount() override { return clock; }
    void sleep(std::uint32_t milliseconds) override;
    bool dispatchOnePendingPaint() override;

    std::unique_ptr<Image> loadBitmap(int resourceId) override;
    bool findTransparentBlit() override { return transparentBlitPresent; }

    void initObjectLinking() override { ++objectLinkingDepth; }
    void uninitObjectLinking() override { --objectLinkingDepth; }

    void messageBox(const std::string& text, const std::string& caption) override;

    // Scripted input. Each cursor poll first moves on to the next queued step, if any, and
    // answers its position; button polls answer the current step. A drag loop that reads the
    // position once per pass thus sees one step per pass; the last step holds.
    struct Step {
        PixelPoint screenPosition;
        InputState state;
    };
    void setInput(PixelPoint screenPosition, InputState state);
    void queueStep(PixelPoint screenPosition, InputState state) { script.push_back({screenPosition, state}); }
    std::size_t stepsLeft() const { return script.size(); }
    // A button press at a window position: the text editor under it takes it, else the window.
    void press(SoftwareWindow& window, PixelPoint where, InputState state);

    void setTickCount(std::uint32_t ticks) { clock = ticks; }
    void advanceClock(std::uint32_t milliseconds) { clock += milliseconds; }
    std::uint32_t sleepCalls() const { return sleeps; }
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
    InputState input;
    PixelPoint cursor;
    std::deque<Step> script;
    std::uint32_t clock = 1000;
    std::uint32_t sleeps = 0;
    std::uint32_t paints = 0;
    bool swapped = false;
    int doubleClickMs = 500;
    bool transparentBlitPresent = true;
    int objectLinkingDepth = 0;
    std::vector<std::string> shownMessages;
};

}  // namespace platform::software
