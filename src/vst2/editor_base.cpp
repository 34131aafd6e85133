#include "vst2/editor_base.h"

EditorBase::EditorBase(EffectBase* owner) : effect(owner) {}

VstInt32 EditorBase::getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return 0;
}

VstInt32 EditorBase::open(void* parent) {
    parentWindow = parent;
    return 0;
}

void EditorBase::close() {}

void EditorBase::idle() {
    // Taken in one step, so that a change posted meanwhile waits for the next idle.
    if (updatePending.exchange(0)) update();
}

void EditorBase::update() {}

void EditorBase::postUpdate() { updatePending = 1; }

VstInt32 EditorBase::onKeyDown(VstKeyCode&) { return -1; }

VstInt32 EditorBase::onKeyUp(VstKeyCode&) { return -1; }

VstInt32 EditorBase::setKnobMode(VstInt32) { return 0; }

bool EditorBase::onWheel(float) { return false; }
