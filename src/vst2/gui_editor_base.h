// GuiEditorBase: the VST 2 editor of a toolkit editor. It answers the host's editor opcodes
// with the toolkit editor it owns (size, open, close, idle, keys, wheel, knob mode) and hands
// on the updates that parameter changes post.
#pragma once

#include <memory>

#include "gui/gui_editor.h"
#include "vst2/editor_base.h"

class EffectBaseEx;

class GuiEditorBase : public EditorBase {
public:
    // Attaches itself to the effect, which owns it from then on.
    GuiEditorBase(EffectBaseEx* effect, std::unique_ptr<GuiEditor> editor);
    ~GuiEditorBase() override;

    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* parent) override;
    void close() override;
    void idle() override;
    void postUpdate() override;
    VstInt32 onKeyDown(VstKeyCode& key) override;
    VstInt32 onKeyUp(VstKeyCode& key) override;
    VstInt32 setKnobMode(VstInt32 mode) override;
    bool onWheel(float distance) override;

    GuiEditor& guiEditor() const { return *editor; }

private:
    std::unique_ptr<GuiEditor> editor;
    ERect rect{};
};
