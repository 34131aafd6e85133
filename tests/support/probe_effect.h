#pragma once

#include "vst2/effect_base_ex.h"

// The smallest concrete effect: every operation but process is the base classes' default.
class ProbeEffect : public EffectBaseEx {
public:
    explicit ProbeEffect(audioMasterCallback host) : EffectBaseEx(host, 4, 8) {}
    void process(float**, float**, VstInt32) override {}
    using EffectBase::getSampleRate;
};
