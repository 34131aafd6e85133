// Offline processing of a whole signal through a plug-in, block by block, as a host does.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "plughost/audio_file.h"
#include "plughost/module_loader.h"
#include "plughost/parameter_setting.h"
#include "plughost/plugin_presets.h"
#include "plughost/stereo_rig.h"

namespace plughost {

struct RenderOptions {
    PresetChoice preset;          // loaded first
    std::optional<int> program;   // selected after a bank, before a program file
    std::vector<ParameterSetting> settings;  // applied before processing starts
    std::vector<AutomationPoint> automation;  // applied at their frames, ordered by time;
                                              // the target "tempo" changes the host's tempo,
                                              // kTransportTarget its transport (1 plays)
    double tempo = Host::kTempo;               // beats per minute, as the host reports it
    int blockSize = 512;
    double tailSeconds = 0.0;  // silence appended to the input
    bool accumulate = false;   // use the accumulating entry even when replacing is offered
    // Called after each block with the frames done and the total.
    std::function<void(std::size_t, std::size_t)> progress;
};

// The names of all parameters of an instance, for resolving settings.
std::vector<ParameterNames> parameterNames(PluginInstance& instance);

// Renders input through the module at the input's sample rate. Blocks are split where
// automation points fall, so each change takes effect at its exact frame.
bool render(const PluginModule& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
            std::string& error);

// Loads the preset files and selects the program in every instance of a rig.
bool applyPresets(StereoRig& rig, const PresetChoice& preset, std::optional<int> program, std::string& error);

// Looks up and applies settings to a rig; false with the reason on an unknown target.
bool applySettings(StereoRig& rig, const std::vector<ParameterSetting>& settings, std::string& error);

struct ChannelLevels {
    float peak = 0.0f;
    double rms = 0.0;
    bool finite = true;
};
ChannelLevels measure(const std::vector<float>& samples);

}  // namespace plughost
