// plughost edit: the plug-in's editor in a window of its own, so that a person can play it
// without a sequencer. The window closes with its close button, or after a given time.
#pragma once

#include <string>

#include "plughost/module_loader.h"

namespace plughost {

struct EditOptions {
    double seconds = 0.0;  // 0: until the window is closed
};

// Opens the editor on the X display named by DISPLAY and serves it until the window closes;
// false with the reason in error when there is no display or no editor.
bool runEditor(const PluginModule& module, const EditOptions& options, std::string& error);

}  // namespace plughost
