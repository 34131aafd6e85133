// The editor as a VST 3 plug view: the same DelayEditor as the other editions, embedded in the
// host's window (X11 on Linux, an HWND on Windows) and idled by a timer: on Linux one of the
// host's run loop, which the view reaches through its frame; on Windows its own. Fixed size:
// 640 x 400 at scale 1, or at the content scale the host sets. The user's edits reach the host
// through the component handler; the host's changes move the controls at the next tick. Every
// call comes on the UI thread.
#pragma once

#include <travesty/view.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "editor/delay_editor.h"

namespace vst3door {

class DelayPlugin;

class DelayView;

// One interface of the view as the host holds it: a pointer to this, whose first member is the
// interface's function table.
struct ViewFace {
    const void* table;
    DelayView* owner;
};

class DelayView final : public EditorConnection {
public:
    // Counted once, for the host; holds the plug-in while it lives.
    static v3_plugin_view** create(DelayPlugin& plugin);

    v3_result query(const v3_tuid iid, void** object);
    std::uint32_t ref() { return ++references; }
    std::uint32_t unref();  // deletes the view at zero

    v3_result attach(void* parent, const char* platformType);
    v3_result remove();
    v3_view_rect size() const;
    v3_result setScale(float factor);
    v3_result setFrame(v3_plugin_frame** frame);
    void tick();
    // Any thread: the control of the parameter follows at the next tick.
    void hostChanged(std::int32_t index) { editor->parameterChanged(index); }

    float parameterValue(std::int32_t index) override;
    void parameterText(std::int32_t index, char* text) override;
    void editParameter(std::int32_t index, float value) override;
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    void runHostIdle() override {}
    bool resizeHostWindow(int width, int height) override;

private:
    explicit DelayView(DelayPlugin& plugin);
    ~DelayView();
    v3_plugin_view** face();
    bool shownByHost() const;
    void startTimer();  // while attached
    void stopTimer();
    void releaseRunLoop();

    std::atomic<std::uint32_t> references{0};
    ViewFace view, contentScale, timer;
    DelayPlugin& plugin;
    std::unique_ptr<DelayEditor> editor;
    v3_plugin_frame** frame = nullptr;
    void* parentWindow = nullptr;      // the host's, while attached
    v3_run_loop** runLoop = nullptr;  // while the timer is registered (not on Windows)
    std::optional<float> shownSync;   // the synced Rate the editor shows, to follow the tempo
};

}  // namespace vst3door
