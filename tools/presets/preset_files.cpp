// Writes the factory presets as VST 2 preset files: one .fxp per preset and a bank of all 64
// programs (the factory set, then Init programs), parameter-based, with the parameter count
// the plug-in declares, so that hosts import them as if the plug-in had saved them.
// Usage: preset_files <output directory>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "vst2/aeffect.h"
#include "vst2/program_bank.h"
#include "plughost/preset_file.h"
#include "presets/factory_presets.h"

namespace {

using plughost::PresetFile;
using plughost::PresetProgram;

constexpr std::int32_t kPluginVersion = 1;  // the effect record's version field
constexpr const char* kBankName = "Vellumine Factory.fxb";

PresetProgram program(const char* name, const std::array<float, kNumDefinedParams>& values) {
    PresetProgram p{name, std::vector<float>(kDeclaredParams, 0.0f), 0};
    std::copy(std::begin(values), std::end(values), p.values.begin());
    return p;
}

PresetProgram initProgram() {
    std::array<float, kNumDefinedParams> values;
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) values[static_cast<std::size_t>(i)] = kParameters[i].initial;
    return program("Init", values);
}

PresetFile emptyFile(bool bank) {
    PresetFile file;
    file.bank = bank;
    file.pluginId = fourCharCode("QvRk");
    file.pluginVersion = kPluginVersion;
    return file;
}

bool write(const std::filesystem::path& path, const PresetFile& file) {
    const auto bytes = plughost::writePresetFile(file);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out.flush()) return true;
    std::fprintf(stderr, "preset_files: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    PresetFile bank = emptyFile(true);
    for (const FactoryPreset& preset : factoryPresets()) {
        PresetFile single = emptyFile(false);
        single.programs.push_back(program(preset.name, preset.values()));
        if (!write(directory / (std::string(preset.name) + ".fxp"), single)) return 1;
        bank.programs.push_back(single.programs.front());
    }
    while (bank.programs.size() < static_cast<std::size_t>(kNumPrograms)) bank.programs.push_back(initProgram());
    return write(directory / kBankName, bank) ? 0 : 1;
}
