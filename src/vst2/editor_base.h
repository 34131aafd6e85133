// EditorBase links an editor to its effect and keeps the deferred-update flag that
// parameter changes raise and the editor idle consumes.
#pragma once

#include <atomic>

#include "vst2/aeffect.h"

class EffectBase;

class EditorBase {
public:
    explicit EditorBase(EffectBase* effect);
    virtual ~EditorBase() = default;

    EditorBase(const EditorBase&) = delete;
    EditorBase& operator=(const EditorBase&) = delete;

    virtual VstInt32 getRect(ERect** rect);
    virtual VstInt32 open(void* parent);
    virtual void close();
    virtual void idle();
    virtual void update();
    virtual void postUpdate();
    virtual VstInt32 onKeyDown(VstKeyCode& key);
    virtual VstInt32 onKeyUp(VstKeyCode& key);
    virtual VstInt32 setKnobMode(VstInt32 mode);
    virtual bool onWheel(float distance);

    bool isUpdatePending() const { return updatePending != 0; }

protected:
    EffectBase* effect;
    void* parentWindow = nullptr;
    // Raised by parameter changes on any thread, taken by the idle on the window thread.
    std::atomic<VstInt32> updatePending{0};
};
