#include "vst2/gui_editor_base.h"

#include "vst2/effect_base_ex.h"

namespace {

KeyStroke toolkitKey(const VstKeyCode& key) { return {key.character, key.virt, key.modifier}; }

}  // namespace

GuiEditorBase::GuiEditorBase(EffectBaseEx* owner, std::unique_ptr<GuiEditor> toolkitEditor)
    : EditorBase(owner), editor(std::move(toolkitEditor)) {
    owner->attachEditor(this);
}

GuiEditorBase::~GuiEditorBase() = default;

// The editor's size at the time of asking: it follows the editor's scale.
VstInt32 GuiEditorBase::getRect(ERect** out) {
    editor->settleScale();
    const Rect& size = editor->getRect();
    rect = {static_cast<std::int16_t>(size.top), static_cast<std::int16_t>(size.left),
            static_cast<std::int16_t>(size.bottom), static_cast<std::int16_t>(size.right)};
    if (out) *out = &rect;
    return 1;
}

VstInt32 GuiEditorBase::open(void* parent) {
    EditorBase::open(parent);
    editor->settleScale();
    return editor->open(parent) ? 1 : 0;
}

void GuiEditorBase::close() { editor->close(); }

void GuiEditorBase::idle() { editor->idle(); }

void GuiEditorBase::postUpdate() { editor->postUpdate(); }

VstInt32 GuiEditorBase::onKeyDown(VstKeyCode& key) {
    KeyStroke pressed = toolkitKey(key);
    return editor->onKeyDown(pressed);
}

VstInt32 GuiEditorBase::onKeyUp(VstKeyCode& key) {
    KeyStroke released = toolkitKey(key);
    return editor->onKeyUp(released);
}

VstInt32 GuiEditorBase::setKnobMode(VstInt32 mode) {
    knobMode = mode;
    return 1;
}

bool GuiEditorBase::onWheel(float distance) { return editor->onWheel(distance); }
