// `plughost render` on the CLAP module: the same settings and automation, in the same
// normalized values, sound as through the VST 2 module at its rate, bit for bit.
#include <gtest/gtest.h>

#include "plughost/clap_commands.h"
#include "plughost/default_signal.h"

namespace plughost {
namespace {

TEST(ClapRender, SoundsAsTheVst2ModuleWithTheSameSettingsAndAutomation) {
    RenderOptions options;
    options.settings = {{"10", 0.5f}, {"11", 0.0375f}, {"12", 0.5f}, {"19", 0.75f}, {"21", 0.5f}};
    options.automation = {{30000, {"11", 0.25f}}, {30100, {"13", 0.5f}}, {50001, {"12", 0.0f}}};
    options.tailSeconds = 1.0;
    const StereoAudio input = defaultSignal(44100.0);
    std::string error;
    StereoAudio vst2Output, clapOutput;
    auto vst2 = PluginModule::load(VELLUMINE_PLUGIN, error);
    ASSERT_TRUE(vst2 && render(*vst2, input, options, vst2Output, error)) << error;
    auto clapModule = clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule && clap::renderClap(*clapModule, input, options, clapOutput, error)) << error;
    EXPECT_EQ(clapOutput.left, vst2Output.left);
    EXPECT_EQ(clapOutput.right, vst2Output.right);
}

TEST(ClapRender, PresetsAreRefusedAsVst2Matters) {
    RenderOptions options;
    options.program = 3;
    std::string error;
    auto clapModule = clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule) << error;
    StereoAudio output;
    EXPECT_FALSE(clap::renderClap(*clapModule, defaultSignal(8000.0), options, output, error));
    EXPECT_NE(error.find("VST 2"), std::string::npos) << error;
}

}  // namespace
}  // namespace plughost
