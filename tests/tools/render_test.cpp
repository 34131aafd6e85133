#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "plughost/render.h"

namespace plughost {
namespace {

std::unique_ptr<PluginModule> load(const std::string& path) {
    std::string error;
    auto module = PluginModule::load(path, error);
    EXPECT_TRUE(module) << error;
    return module;
}

const std::string kGain = std::string(FAULTY_PLUGIN_DIR) + "/faulty_none.so";  // out = in x 2 x parameter 0
const std::string kMonoGain = std::string(FAULTY_PLUGIN_DIR) + "/mono_gain.so";

StereoAudio constant(std::size_t frames, float left, float right) {
    StereoAudio audio;
    audio.left.assign(frames, left);
    audio.right.assign(frames, right);
    return audio;
}

TEST(Render, AutomationTakesEffectAtItsExactFrame) {
    auto module = load(kGain);
    ASSERT_TRUE(module);
    RenderOptions options;
    options.blockSize = 512;
    options.settings = {{"Gain", 0.5f}};                               // x 1
    options.automation = {{1000, {"0", 0.25f}}, {1700, {"0", 1.0f}}};  // x 0.5 from 1000, x 2 from 1700
    StereoAudio output;
    std::string error;
    ASSERT_TRUE(render(*module, constant(3000, 0.5f, -0.5f), options, output, error)) << error;
    ASSERT_EQ(output.frames(), 3000u);
    for (std::size_t i : {0u, 511u, 512u, 999u}) EXPECT_FLOAT_EQ(output.left[i], 0.5f) << i;
    for (std::size_t i : {1000u, 1023u, 1024u, 1699u}) EXPECT_FLOAT_EQ(output.left[i], 0.25f) << i;
    for (std::size_t i : {1700u, 2999u}) EXPECT_FLOAT_EQ(output.right[i], -1.0f) << i;
}

TEST(Render, TailExtendsTheInputWithSilence) {
    auto module = load(kGain);
    ASSERT_TRUE(module);
    RenderOptions options;
    options.tailSeconds = 0.5;
    StereoAudio input = constant(1000, 0.5f, 0.5f);
    input.sampleRate = 8000.0;
    StereoAudio output;
    std::string error;
    ASSERT_TRUE(render(*module, input, options, output, error)) << error;
    ASSERT_EQ(output.frames(), 5000u);
    EXPECT_EQ(output.sampleRate, 8000.0);
    EXPECT_FLOAT_EQ(output.left[999], 0.5f);
    EXPECT_FLOAT_EQ(output.left[1000], 0.0f);
}

TEST(Render, MonoEffectRunsAsTwoInstancesOneChannelEach) {
    auto module = load(kMonoGain);
    ASSERT_TRUE(module);
    StereoAudio output;
    std::string error;
    ASSERT_TRUE(render(*module, constant(100, 0.5f, -0.25f), RenderOptions{}, output, error)) << error;
    EXPECT_FLOAT_EQ(output.left[50], 0.5f);
    EXPECT_FLOAT_EQ(output.right[50], -0.25f);
}

TEST(Render, UnknownParameterNamesAreRefused) {
    auto module = load(kGain);
    ASSERT_TRUE(module);
    RenderOptions options;
    options.settings = {{"Volume", 0.5f}};
    StereoAudio output;
    std::string error;
    EXPECT_FALSE(render(*module, constant(10, 0.0f, 0.0f), options, output, error));
    EXPECT_NE(error.find("Volume"), std::string::npos);
}

// Through the real plug-in: origin path off, the delay path at unity, 375 ms of delay and
// feedback 0.5. The delay is ceil(441000 x 0.0375) = 16538 samples (16537.5 rounded up),
// each repeat half the one before, and nothing before the first.
TEST(Render, VellumineEchoesAnImpulseAt375Milliseconds) {
    auto module = load(VELLUMINE_PLUGIN);
    ASSERT_TRUE(module);
    StereoAudio input = constant(3 * 44100, 0.0f, 0.0f);
    input.left[100] = input.right[100] = 1.0f;
    RenderOptions options;
    options.settings = {{"0", 0.0f}, {"10", 0.5f}, {"11", 0.0375f}, {"12", 0.5f}};
    StereoAudio output;
    std::string error;
    ASSERT_TRUE(render(*module, input, options, output, error)) << error;

    const auto loudestNear = [&](std::size_t centre) {
        std::size_t best = centre - 8;
        for (std::size_t i = centre - 8; i <= centre + 8; ++i) {
            if (std::fabs(output.left[i]) > std::fabs(output.left[best])) best = i;
        }
        return best;
    };
    constexpr std::size_t kDelay = 16538;
    float before = 0.0f;
    for (std::size_t i = 0; i < 100 + kDelay - 8; ++i) before = std::max(before, std::fabs(output.left[i]));
    EXPECT_EQ(before, 0.0f);
    const std::size_t first = loudestNear(100 + kDelay), second = loudestNear(100 + 2 * kDelay);
    EXPECT_NEAR(static_cast<double>(first), 100.0 + kDelay, 3.0);
    EXPECT_EQ(second - first, kDelay);
    EXPECT_NEAR(output.left[second] / output.left[first], 0.5, 1e-4);
    EXPECT_EQ(output.left, output.right);
}

// The host's tempo from --tempo and from "TIME tempo=BPM" automation, which a synced delay
// follows from the next block: a quarter note at 90, then at 140 BPM from frame 40000.
TEST(Render, TheTempoAndItsChangesReachASyncedDelay) {
    auto module = load(VELLUMINE_PLUGIN);
    ASSERT_TRUE(module);
    StereoAudio input = constant(80000, 0.0f, 0.0f);
    input.left[0] = input.left[50000] = 1.0f;
    RenderOptions options;
    options.tempo = 90.0;
    options.settings = {{"0", 0.0f}, {"10", 0.5f}, {"Sync", 11.0f / 21.0f}};
    options.automation = {{40000, {"tempo", 140.0f}}};
    StereoAudio output;
    std::string error;
    ASSERT_TRUE(render(*module, input, options, output, error)) << error;
    const auto firstFrom = [&](std::size_t from) {
        while (from < output.frames() && std::fabs(output.left[from]) <= 0.1f) ++from;
        return from;
    };
    // The delay path's low-pass answers one sample after the impulse.
    EXPECT_EQ(firstFrom(0), 29401u);
    EXPECT_EQ(firstFrom(50000), 50000u + 18901u);
}

}  // namespace
}  // namespace plughost
