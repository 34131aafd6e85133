// The class the module instantiates: the delay effect with its final identity and, where the
// build has an editor (VELLUMINE_WITH_EDITOR), its DelayEditor, which it serves as the
// editor's connection: values and texts from the current program, edits as automation.
#pragma once

#include "editor/editor_connection.h"
#include "vst2/delay_effect.h"

class DelayEditor;

class DelayPlugin : public DelayEffect, private EditorConnection {
public:
    explicit DelayPlugin(audioMasterCallback host);
    ~DelayPlugin() override;

    // The effect takes the value first, then the editor shows it.
    void setParameter(VstInt32 index, float value) override;
    // The program's values are applied, then the editor shows each of them.
    void setProgram(VstInt32 program) override;
    bool getEffectName(char* text) override;
    bool getProductString(char* text) override;

    // The editor, or null in a build without one.
    DelayEditor* getDelayEditor() const { return delayEditor; }

protected:
    void syncedLengthChanged() override;

private:
    float parameterValue(std::int32_t index) override;
    void parameterText(std::int32_t index, char* text) override;
    void editParameter(std::int32_t index, float value) override;
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    void runHostIdle() override;
    bool resizeHostWindow(int width, int height) override;

    DelayEditor* delayEditor = nullptr;  // owned by the base's editor
};
