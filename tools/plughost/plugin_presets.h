// Preset files and a live plug-in: checking that a file suits the plug-in before anything is
// sent to it, loading a program or a bank into it, and saving its state the way hosts do:
// value by value through getParameter / setParameter and the program names, or through the
// chunk opcodes when the plug-in keeps its state in chunks.
#pragma once

#include <optional>
#include <string>

#include "plughost/plugin_instance.h"
#include "plughost/preset_file.h"

namespace plughost {

// What a run loads before it starts: a program file into the current program, or a bank
// into all programs.
struct PresetChoice {
    std::string programFile, bankFile;
    bool empty() const { return programFile.empty() && bankFile.empty(); }
};

// Reads and parses a file; errors name the file, the problem and the byte offset.
std::optional<PresetFile> readPresetFile(const std::string& path, std::string& error);
bool savePresetFile(const std::string& path, const PresetFile& file, std::string& error);

// Whether the file can be loaded into a plug-in with this record: its id, its parameter
// count, its program count and, for a chunk, whether the plug-in takes chunks.
bool presetFits(const PresetFile& file, const AEffect& record, std::string& error);

// Sends a file that fits to the plug-in: a program into the current program; a bank into
// programs 0 onwards, then selects the bank's current program.
void loadPreset(PluginInstance& plugin, const PresetFile& file);

// The current program, or every program, as a file.
PresetFile saveProgram(PluginInstance& plugin);
PresetFile saveBank(PluginInstance& plugin);

// Reads the choice's files and checks them against the plug-in; then loads the bank, selects
// the program if one is given, and loads the program file into it. Nothing is sent to the
// plug-in unless every file fits.
bool loadChoice(PluginInstance& plugin, const PresetChoice& choice, std::optional<int> program, std::string& error);

}  // namespace plughost
