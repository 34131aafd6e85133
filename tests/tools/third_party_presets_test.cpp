// A third-party plug-in that keeps its state in chunks, saved and restored through plughost's
// preset files. In an executable of its own: the module keeps memory until the process ends,
// which is not ours to judge, so its leak check is off.
#include "plughost/plugin_presets.h"

#include <gtest/gtest.h>

#include <vector>

#include "opened_plugin.h"

namespace plughost {
namespace {

const std::string kChunkPlugin = THIRD_PARTY_PLUGIN;

// A few blocks of silence with idle calls, as a host runs after loading a song: some plug-ins
// apply a restored chunk on their audio or idle path.
void settle(PluginInstance& plugin) {
    constexpr int kBlock = 256;
    std::vector<std::vector<float>> in(static_cast<std::size_t>(plugin.inputs()), std::vector<float>(kBlock)),
        out(static_cast<std::size_t>(plugin.outputs()), std::vector<float>(kBlock));
    std::vector<float*> inputs, outputs;
    for (auto& channel : in) inputs.push_back(channel.data());
    for (auto& channel : out) outputs.push_back(channel.data());
    plugin.start(44100.0, kBlock);
    for (int b = 0; b < 8; ++b) {
        plugin.process(inputs.data(), outputs.data(), kBlock, false);
        plugin.dispatch(effIdle);
    }
    plugin.stop();
}

// The plug-in keeps its state in chunks and quantizes some values as it stores them, so the
// proof is its own: the restored instance gives back the same file, and the edits arrived.
TEST(PluginPresets, ChunkPluginStateSavesAndRestoresThroughItsChunk) {
    for (const bool bank : {false, true}) {
        OpenedPlugin edited(kChunkPlugin), restored(kChunkPlugin), fresh(kChunkPlugin);
        ASSERT_TRUE(edited.plugin && restored.plugin && fresh.plugin);
        ASSERT_TRUE(edited.plugin->record().flags & effFlagsProgramChunks);
        const VstInt32 count = edited.plugin->record().numParams;
        for (VstInt32 i = 0; i < count; i += 3) edited.plugin->setParameter(i, 0.25f + 0.5f * static_cast<float>(i % 2));
        settle(*edited.plugin);
        const auto saved = writePresetFile(bank ? saveBank(*edited.plugin) : saveProgram(*edited.plugin));
        std::string error;
        const auto parsed = parsePresetFile(saved, error);
        ASSERT_TRUE(parsed && parsed->chunked && presetFits(*parsed, restored.plugin->record(), error)) << error;
        loadPreset(*restored.plugin, *parsed);
        settle(*restored.plugin);
        EXPECT_EQ(writePresetFile(bank ? saveBank(*restored.plugin) : saveProgram(*restored.plugin)), saved);
        int changed = 0;
        for (VstInt32 i = 0; i < count; i += 3) changed += restored.plugin->getParameter(i) != fresh.plugin->getParameter(i);
        EXPECT_GT(changed, count / 6) << (bank ? "bank" : "program");
    }
}

}  // namespace
}  // namespace plughost
