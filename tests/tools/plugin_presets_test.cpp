#include "plughost/plugin_presets.h"
#include "vst2/program_bank.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

#include "core/parameters.h"
#include "presets/factory_presets.h"

#include "opened_plugin.h"

namespace plughost {
namespace {

const std::string kBank = std::string(VELLUMINE_PRESET_DIR) + "/Vellumine Factory.fxb";

PresetFile readFile(const std::string& path) {
    std::string error;
    auto file = readPresetFile(path, error);
    EXPECT_TRUE(file) << error;
    return file ? *file : PresetFile{};
}

std::string indexedName(PluginInstance& plugin, VstInt32 program) {
    std::array<char, 256> text{};
    plugin.dispatch(effGetProgramNameIndexed, program, 0, text.data());
    return text.data();
}

TEST(PluginPresets, FactoryBankGivesEveryProgramsValuesAndNamesBackThroughTheDispatcher) {
    OpenedPlugin vellumine(VELLUMINE_PLUGIN);
    ASSERT_TRUE(vellumine.plugin);
    PluginInstance& plugin = *vellumine.plugin;
    std::string error;
    ASSERT_TRUE(loadChoice(plugin, {"", kBank}, std::nullopt, error)) << error;
    const auto presets = factoryPresets();
    for (VstInt32 p = 0; p < kNumPrograms; ++p) {
        plugin.dispatch(effSetProgram, 0, p);
        const bool factory = static_cast<std::size_t>(p) < presets.size();
        EXPECT_EQ(indexedName(plugin, p), factory ? presets[static_cast<std::size_t>(p)].name : "Init") << p;
        for (VstInt32 i = 0; i < kNumDefinedParams; ++i) {
            const float expected = factory ? presets[static_cast<std::size_t>(p)].values()[static_cast<std::size_t>(i)] : kParameters[i].initial;
            EXPECT_EQ(plugin.getParameter(i), expected) << "program " << p << " parameter " << i;
        }
    }
    plugin.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plugin.text(effGetProgramName), presets[0].name);
}

TEST(PluginPresets, SavedFilesLoadAndSaveAgainToTheSameBytes) {
    const std::string program = std::string(VELLUMINE_PRESET_DIR) + "/Dub Band Echo.fxp";
    for (const auto& [path, bank] : {std::pair{kBank, true}, std::pair{program, false}}) {
        OpenedPlugin first(VELLUMINE_PLUGIN), second(VELLUMINE_PLUGIN);
        ASSERT_TRUE(first.plugin && second.plugin);
        std::string error;
        ASSERT_TRUE(loadChoice(*first.plugin, bank ? PresetChoice{"", path} : PresetChoice{path, ""}, std::nullopt, error));
        const auto saved = writePresetFile(bank ? saveBank(*first.plugin) : saveProgram(*first.plugin));
        // As generated at build time, the files are what the plug-in itself gives back.
        EXPECT_EQ(saved, writePresetFile(readFile(path))) << path;
        const auto parsed = parsePresetFile(saved, error);
        ASSERT_TRUE(parsed) << error;
        loadPreset(*second.plugin, *parsed);
        EXPECT_EQ(writePresetFile(bank ? saveBank(*second.plugin) : saveProgram(*second.plugin)), saved) << path;
    }
}

// A file that does not suit the plug-in is refused before anything reaches it.
TEST(PluginPresets, FilesThatDoNotFitAreRefusedAndLeaveThePluginAsItWas) {
    const PresetFile good = readFile(std::string(VELLUMINE_PRESET_DIR) + "/Echo Only.fxp");
    const std::vector<std::pair<const char*, std::function<void(PresetFile&)>>> cases = {
        {"byte 16: the file is for plug-in Othr", [](PresetFile& f) { f.pluginId = fourCharCode("Othr"); }},
        {"byte 24: the file holds 22 parameters, the plug-in has 4112", [](PresetFile& f) { f.programs[0].values.resize(22); }},
        {"byte 8: the file holds a chunk; the plug-in takes no chunks", [](PresetFile& f) { f.chunked = true; f.chunk = {1}; }},
        {"byte 24: the bank holds 65 programs, the plug-in has 64",
         [](PresetFile& f) { f.bank = true; f.programs.resize(65, f.programs[0]); }},
    };
    const auto scratch = std::filesystem::path(TEST_OUTPUT_DIR) / "refused.fxp";
    for (const auto& [message, spoil] : cases) {
        PresetFile file = good;
        spoil(file);
        std::string error;
        ASSERT_TRUE(savePresetFile(scratch.string(), file, error)) << error;
        OpenedPlugin vellumine(VELLUMINE_PLUGIN);
        ASSERT_TRUE(vellumine.plugin);
        const auto before = writePresetFile(saveBank(*vellumine.plugin));
        const PresetChoice choice = file.bank ? PresetChoice{"", scratch.string()} : PresetChoice{scratch.string(), ""};
        EXPECT_FALSE(loadChoice(*vellumine.plugin, choice, 7, error)) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(vellumine.plugin->dispatch(effGetProgram), 0) << message;
        EXPECT_EQ(writePresetFile(saveBank(*vellumine.plugin)), before) << message;
    }
}

}  // namespace
}  // namespace plughost
