#include "host/gui_editor_base.h"

#include "host/effect_base_ex.h"
#include "platform/platform.h"

namespace {

constexpr std::uint32_t kEarlySleep = 4;
constexpr std::uint32_t kWorkWindow = 50;
constexpr std::uint32_t kIdleInterval = 100;

// a < b on a tick count that wraps after 2^32 ms: true when a lies less than half the range
// before b.
bool tickBefore(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

}  // namespace

GuiEditorBase::GuiEditorBase(EffectBaseEx* owner)
    : EditorBase(owner), nextIdleTick(platform::services().tickCount()) {
    owner->attachEditor(this);
    platform::services().initObjectLinking();
}

GuiEditorBase::~GuiEditorBase() { platform::services().uninitObjectLinking(); }

EffectBaseEx* GuiEditorBase::hostEffect() const { return static_cast<EffectBaseEx*>(effect); }

VstInt32 GuiEditorBase::getRect(ERect** out) {
    if (out) *out = &rect;
    return 1;
}

VstInt32 GuiEditorBase::open(void* parent) {
    postUpdate();
    return EditorBase::open(parent);
}

void GuiEditorBase::idle() {
    if (inIdle) return;
    platform::services().dispatchPendingEvents();
    EditorBase::idle();
    if (frame) frame->idleRedraw();
}

VstInt32 GuiEditorBase::onKeyDown(VstKeyCode& key) { return frame ? frame->handleKeyDown(key) : -1; }

VstInt32 GuiEditorBase::onKeyUp(VstKeyCode& key) { return frame ? frame->handleKeyUp(key) : -1; }

VstInt32 GuiEditorBase::setKnobMode(VstInt32 mode) {
    knobMode = mode;
    return 1;
}

bool GuiEditorBase::onWheel(float distance) { return frame && frame->handleWheel(nullptr, {0, 0}, distance); }

void GuiEditorBase::setParameter(VstInt32, float) { postUpdate(); }

void GuiEditorBase::redraw() {
    if (frame) frame->redrawView(nullptr);
}

void GuiEditorBase::timedIdle() {
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
    effect->hostIdle();
    inIdle = false;
}

void GuiEditorBase::beginEdit(std::int32_t tag) { hostEffect()->hostBeginEdit(tag); }

void GuiEditorBase::endEdit(std::int32_t tag) { hostEffect()->hostEndEdit(tag); }
