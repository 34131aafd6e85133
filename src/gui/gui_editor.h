// GuiEditor: the base of editors built with the toolkit, whatever format hosts them. It owns
// the frame while the editor is open, hands it keys and the wheel, defers updates posted on
// any thread to the window thread's idle, and runs the throttled idle that keeps the screen
// and the host served while a control tracks the mouse. What it needs of the format that
// hosts it, it asks of a GuiEditorHost.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "gui/editor_frame.h"
#include "gui/key_stroke.h"

class GuiEditorHost {
public:
    // The user starts and ends changing the parameter with this tag.
    virtual void beginEdit(std::int32_t tag) = 0;
    virtual void endEdit(std::int32_t tag) = 0;
    // The host's own idle work, while a control holds the window thread in its mouse loop.
    virtual void runHostIdle() = 0;
    // Asks the host to make the editor's window this size; false where it cannot be asked or
    // refuses.
    virtual bool resizeHostWindow(int /*width*/, int /*height*/) { return false; }

protected:
    ~GuiEditorHost() = default;
};

class GuiEditor : public FrameEditor {
public:
    explicit GuiEditor(GuiEditorHost& host);
    virtual ~GuiEditor();

    GuiEditor(const GuiEditor&) = delete;
    GuiEditor& operator=(const GuiEditor&) = delete;

    // The window's size in pixels.
    const Rect& getRect() const { return rect; }
    // Before the size is first reported or the window opens, where no host gave a scale: takes
    // the desktop's. Editors drawn at one scale do nothing.
    virtual void settleScale() {}
    // Builds the frame in the host's window; true once it is shown.
    virtual bool open(void* parent);
    virtual void close();
    // The window thread's idle: pending window events, a posted update, changed views redrawn.
    void idle();
    // Any thread: asks for update() at the next idle.
    void postUpdate() { updatePending.store(true, std::memory_order_release); }
    bool isUpdatePending() const { return updatePending.load(std::memory_order_acquire); }

    // -1 when no view took the key.
    int onKeyDown(KeyStroke& key) { return frame ? frame->handleKeyDown(key) : -1; }
    int onKeyUp(KeyStroke& key) { return frame ? frame->handleKeyUp(key) : -1; }
    bool onWheel(float distance) { return frame && frame->handleWheel(nullptr, {0, 0}, distance); }

    // Sleeps 4 ms per early call and does the idle work about every 50 ms: the editor's idle,
    // one pending paint, then the host's idle.
    void timedIdle() override;
    void beginEdit(std::int32_t tag) override { host.beginEdit(tag); }
    void endEdit(std::int32_t tag) override { host.endEdit(tag); }
    // Kept for the next idle: the window is rebuilt at the new scale outside its own messages.
    void windowScaleChanged(double scale) override { pendingWindowScale = scale; }

    EditorFrame* getFrame() const { return frame; }

protected:
    // Runs at idle on the window thread, whenever an update was posted.
    virtual void update() {}
    // Runs at idle on the window thread after the window system moved the open window to
    // another scale. Editors drawn at one scale do nothing.
    virtual void followWindowScale(double /*scale*/) {}

    Rect rect{};
    EditorFrame* frame = nullptr;

private:
    GuiEditorHost& host;
    std::atomic<bool> updatePending{false};
    std::optional<double> pendingWindowScale;  // window thread only
    std::uint32_t nextIdleTick;
    bool inIdle = false;
};
