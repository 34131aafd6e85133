// The class the module instantiates: the delay effect with its final identity and, where the
// build has an editor (VELLUMINE_WITH_EDITOR), its DelayEditor.
#pragma once

#include "engine/delay_effect.h"

class DelayEditor;

class DelayPlugin : public DelayEffect {
public:
    explicit DelayPlugin(audioMasterCallback host);
    ~DelayPlugin() override;

    // The effect takes the value first, then the editor shows it.
    void setParameter(VstInt32 index, float value) override;
    // The program's values are applied, then the editor shows each of them.
    void setProgram(VstInt32 program) override;
    bool getEffectName(char* text) override;
    bool getProductString(char* text) override;

private:
    DelayEditor* delayEditor = nullptr;  // owned and destroyed by the base, as its editor
};
