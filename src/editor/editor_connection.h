// What the editor needs of the plug-in it edits, whatever the format: each parameter's
// normalized value and display text, and the user's edits, which it sends inside begin and
// end gestures (GuiEditorHost). Each format's door implements it over its own parameters and
// tells the editor of the host's changes through DelayEditor::parameterChanged.
#pragma once

#include <cstdint>

#include "gui/gui_editor.h"

class EditorConnection : public GuiEditorHost {
public:
    virtual float parameterValue(std::int32_t index) = 0;
    // At most kDisplayTextSize bytes, the terminator included.
    virtual void parameterText(std::int32_t index, char* text) = 0;
    // The user set the parameter: the plug-in takes the value and the host learns of it.
    virtual void editParameter(std::int32_t index, float value) = 0;

protected:
    ~EditorConnection() = default;
};
