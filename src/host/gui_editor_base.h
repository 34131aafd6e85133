// GuiEditorBase: the editor base for editors built with the toolkit. It owns the frame while
// the editor is open, hands it keys and the wheel, keeps the host's knob mode, and runs the
// throttled idle that keeps the screen and the host served while a control tracks the mouse.
#pragma once

#include <cstdint>

#include "gui/editor_frame.h"
#include "host/editor_base.h"

class EffectBaseEx;

class GuiEditorBase : public EditorBase, public FrameEditor {
public:
    explicit GuiEditorBase(EffectBaseEx* effect);
    ~GuiEditorBase() override;

    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* parent) override;
    void idle() override;
    VstInt32 onKeyDown(VstKeyCode& key) override;
    VstInt32 onKeyUp(VstKeyCode& key) override;
    VstInt32 setKnobMode(VstInt32 mode) override;
    bool onWheel(float distance) override;

    virtual void setParameter(VstInt32 index, float value);
    virtual void redraw();
    // Sleeps 4 ms per early call and does the idle work about every 50 ms: the editor's idle,
    // one pending paint, then the host's idle.
    void timedIdle() override;

    void beginEdit(std::int32_t tag) override;
    void endEdit(std::int32_t tag) override;

    EditorFrame* getFrame() const { return frame; }

protected:
    EffectBaseEx* hostEffect() const;

    ERect rect{};
    EditorFrame* frame = nullptr;
    std::uint32_t nextIdleTick;
    bool inIdle = false;
};
