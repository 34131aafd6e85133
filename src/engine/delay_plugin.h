// The class the module instantiates: the delay effect with its final identity.
#pragma once

#include "engine/delay_effect.h"

class DelayPlugin : public DelayEffect {
public:
    explicit DelayPlugin(audioMasterCallback host);
    ~DelayPlugin() override;

    bool getEffectName(char* text) override;
    bool getProductString(char* text) override;
};
