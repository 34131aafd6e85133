// `plughost preset save|show`, and the preset options that render, bench and check share:
// --preset FILE.fxp, --bank FILE.fxb, --program N.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plughost/command_line.h"
#include "plughost/plugin_presets.h"

namespace plughost {

bool isPresetOption(const std::string& option);
// Takes the value of a preset option; false with the reason when it is missing or bad.
bool parsePresetOption(CommandLine& args, const std::string& option, PresetChoice& choice, std::optional<int>& program,
                       std::string& error);
// The same choice as command-line words, for a check run in a process of its own.
std::vector<std::string> presetArguments(const PresetChoice& choice, std::optional<int> program);
// Reads the files of a choice once, so that a malformed one is refused before any plug-in
// is opened.
bool checkChoiceFiles(const PresetChoice& choice, std::string& error);

// `plughost preset ...`: prints to standard output; answers the exit code.
int runPresetCommand(CommandLine& args);

}  // namespace plughost
