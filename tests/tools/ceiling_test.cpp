// No sample of ours goes beyond +-16.0, whatever the settings: every extreme setting that
// plughost check tries, held through noise and the silence after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "opened_plugin.h"
#include "plughost/check_support.h"

namespace plughost {
namespace {

TEST(Ceiling, NoExtremeSettingTakesTheOutputBeyondSixteen) {
    constexpr int kBlock = 512;
    std::mt19937 random(22);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int which = 0; which < kExtremeSettings; ++which) {
        OpenedPlugin opened(VELLUMINE_PLUGIN);
        ASSERT_TRUE(opened.plugin);
        PluginInstance& plugin = *opened.plugin;
        plugin.start(44100.0, kBlock);
        const auto values = extremeSetting(which, static_cast<std::size_t>(plugin.record().numParams), 1u);
        for (std::size_t i = 0; i < values.size(); ++i) plugin.setParameter(static_cast<VstInt32>(i), values[i]);
        std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        float peak = 0.0f;
        for (int block = 0; block < 40 * 44100 / kBlock; ++block) {
            const bool loud = block < 20 * 44100 / kBlock;
            for (int n = 0; n < kBlock; ++n) inL[n] = inR[n] = loud ? noise(random) : 0.0f;
            plugin.process(ins, outs, kBlock, false);
            for (int n = 0; n < kBlock; ++n) peak = std::max({peak, std::fabs(outL[n]), std::fabs(outR[n])});
        }
        EXPECT_LE(peak, 16.0f) << extremeSettingName(which);
        std::printf("%s: peak %.3f\n", extremeSettingName(which).c_str(), static_cast<double>(peak));
    }
}

}  // namespace
}  // namespace plughost
