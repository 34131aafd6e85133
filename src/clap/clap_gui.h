// The editor as a CLAP GUI: the same DelayEditor as the other editions, embedded in the host's
// window (X11 on Linux, Win32 on Windows), driven by the host's timer. The user's edits reach
// the host as gesture and value events; the host's changes move the controls at the next tick.
#pragma once

#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>

#include <memory>

#include "editor/delay_editor.h"

namespace clapdoor {

class DelayInstance;

#ifdef _WIN32
inline constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
inline constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

class DelayGui final : public EditorConnection {
public:
    // Registers the timer with the host when it offers timers.
    explicit DelayGui(DelayInstance& instance);
    ~DelayGui();

    std::uint32_t width() const;
    std::uint32_t height() const;
    // Before the editor opens: draws it at the nearest supported scale not larger (see
    // editor_scale.h); true when that is the scale asked for. Without it the editor takes the
    // scale of the host's window where it has one (Windows) and asks the host to resize.
    bool setScale(double scale);
    // Opens the editor in the host's window; false when it cannot be shown there.
    bool setParent(const clap_window_t& window);
    bool ownsTimer(clap_id id) const { return timer == id; }
    // The host's timer: the host's changes go to the controls, then the editor's idle.
    void tick();

    float parameterValue(std::int32_t index) override;
    void parameterText(std::int32_t index, char* text) override;
    void editParameter(std::int32_t index, float value) override;
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    void runHostIdle() override {}
    bool resizeHostWindow(int width, int height) override;

private:
    DelayInstance& instance;
    const clap_host_timer_support_t* timers = nullptr;
    clap_id timer = CLAP_INVALID_ID;
    std::unique_ptr<DelayEditor> editor;
};

}  // namespace clapdoor
