// Silence: filter states that have died away are cleared, so that a tail ends in zeros.
#include "engine/delay_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace {

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

void apply(DelayEngine& engine, std::initializer_list<std::pair<std::int32_t, float>> values) {
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) engine.applyParameter(i, kParameters[i].initial);
    for (auto [index, value] : values) engine.applyParameter(index, value);
}

// Filters that only stop decaying where their products flush to zero, until their states are
// cleared: all eight LFOs at half depth, Q 0.7, 100 ms at feedback 0.5. Zeros after 20 s.
TEST(SilentBlocks, ATailWithEveryLfoRunningEndsInZeros) {
    DelayEngine engine(44100.0f);
    apply(engine, {{OriginFilterLfoDepth, 0.5f}, {OriginVolLfoDepth, 0.5f}, {DelayFilterLfoDepth, 0.5f},
                   {DelayVolLfoDepth, 0.5f}, {DelayMix, 0.5f}, {Feedback, 0.5f}, {OriginQ, 0.7f}, {DelayQ, 0.7f},
                   {DelayTime, 0.01f}});
    std::mt19937 random(7);
    std::vector<float> in(512), left(512), right(512);
    float* outs[] = {left.data(), right.data()};
    for (int b = 0; b < 100 + 20 * 44100 / 512; ++b) {
        for (float& x : in) x = b < 100 ? std::uniform_real_distribution<float>(-1.0f, 1.0f)(random) : 0.0f;
        const float* ins[] = {in.data(), in.data()};
        engine.processReplacing(ins, outs, 512);
    }
    EXPECT_TRUE(std::ranges::all_of(left, [](float x) { return bits(x) == 0; }));
    for (int u = 1; u <= 4; ++u) EXPECT_TRUE(engine.unit(u).atRest()) << u;
}

}  // namespace
