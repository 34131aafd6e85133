// `plughost snapshot` on Windows: the plug-in's editor opened in a real window, set up as a
// host would, and captured from the window's pixels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plughost/module_loader.h"
#include "plughost/parameter_setting.h"
#include "plughost/plot.h"

namespace plughost {

struct SnapshotOptions {
    std::optional<int> program;
    std::vector<ParameterSetting> settings;  // applied through the effect record, as automation
};

// The editor's window after the program and settings reached it; nothing with a reason in
// error when the plug-in has no editor or the window cannot be made.
std::optional<Image> captureEditor(const PluginModule& module, const SnapshotOptions& options, std::string& error);

}  // namespace plughost
