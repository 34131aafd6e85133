#include "gui/gui_editor.h"

#include "platform/platform.h"

namespace {

constexpr std::uint32_t kEarlySleep = 4;
constexpr std::uint32_t kWorkWindow = 50;
constexpr std::uint32_t kIdleInterval = 100;

// a < b on a tick count that wraps after 2^32 ms: true when a lies less than half the range
// before b.
bool tickBefore(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

}  // namespace

GuiEditor::GuiEditor(GuiEditorHost& owner) : host(owner), nextIdleTick(platform::services().tickCount()) {
    platform::services().initObjectLinking();
}

GuiEditor::~GuiEditor() { platform::services().uninitObjectLinking(); }

bool GuiEditor::open(void*) {
    postUpdate();
    return false;  // a derived editor builds its frame and answers true
}

void GuiEditor::close() {}

void GuiEditor::idle() {
    if (inIdle) return;
    platform::services().dispatchPendingEvents();
    // Taken in one step, so that an update posted meanwhile waits for the next idle.
    if (updatePending.exchange(false, std::memory_order_acq_rel)) update();
    if (pendingWindowScale) {
        const double scale = *pendingWindowScale;
        pendingWindowScale.reset();
        followWindowScale(scale);
    }
    if (frame) frame->idleRedraw();
}

void GuiEditor::timedIdle() {
    platform::Services& system = platform::services();
    std::uint32_t now = system.tickCount();
    if (tickBefore(now, nextIdleTick)) {
        system.sleep(kEarlySleep);
        now += kEarlySleep;
        if (tickBefore(now, nextIdleTick - kWorkWindow)) return;
    }
    idle();
    system.dispatchOnePendingPaint();
    nextIdleTick = now + kIdleInterval;
    inIdle = true;
    host.runHostIdle();
    inIdle = false;
}
