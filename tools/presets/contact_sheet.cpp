// The factory presets at a glance: the built-in phrase rendered through each generated .fxp,
// all outputs in one picture on one amplitude scale, and a Markdown table of the names and
// what each does, with the peak level of its render.
// Usage: contact_sheet PLUGIN PRESET_DIR OUT.png
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "plughost/default_signal.h"
#include "plughost/plot.h"
#include "plughost/render.h"
#include "presets/factory_presets.h"

namespace {

using namespace plughost;

constexpr double kRate = 44100.0;
constexpr double kTailSeconds = 5.0;  // after the five-second phrase: room for the long echoes

// Alternating colours keep neighbouring lanes apart.
constexpr Colour kColours[] = {{200, 70, 40}, {30, 110, 170}};

bool renderPreset(const PluginModule& module, const std::string& directory, const FactoryPreset& preset,
                  std::vector<float>& left, std::string& error) {
    RenderOptions options;
    options.preset.programFile = directory + "/" + preset.name + ".fxp";
    options.tailSeconds = kTailSeconds;
    StereoAudio output;
    if (!render(module, defaultSignal(kRate), options, output, error)) return false;
    left = std::move(output.left);
    return true;
}

std::string decibels(float peak) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f dBFS", 20.0 * std::log10(peak));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: contact_sheet PLUGIN PRESET_DIR OUT.png\n";
        return 2;
    }
    std::string error;
    auto module = PluginModule::load(argv[1], error);
    if (!module) {
        std::cerr << "contact_sheet: " << error << "\n";
        return 1;
    }
    const auto presets = factoryPresets();
    std::vector<std::vector<float>> outputs(presets.size());
    std::vector<PlotLane> lanes;
    std::cout << "| Preset | What it does | Peak on the phrase |\n|---|---|---|\n";
    for (std::size_t i = 0; i < presets.size(); ++i) {
        if (!renderPreset(*module, argv[2], presets[i], outputs[i], error)) {
            std::cerr << "contact_sheet: " << presets[i].name << ": " << error << "\n";
            return 1;
        }
        lanes.push_back({presets[i].name, &outputs[i], kColours[i % 2]});
        std::cout << "| " << presets[i].name << " | " << presets[i].description << " | "
                  << decibels(measure(outputs[i]).peak) << " |\n";
    }
    const Image sheet = plotWaveforms("VELLUMINE FACTORY PRESETS  -  BUILT-IN PHRASE, LEFT OUTPUT", lanes, kRate);
    if (!sheet.writePng(argv[3], error)) {
        std::cerr << "contact_sheet: " << error << "\n";
        return 1;
    }
    return 0;
}
