// Silence: filter states that have died away are cleared, so that a tail ends in zeros, and
// LFO phases advance without the filters as they do with them.
#include "engine/filter_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/delay_engine.h"
#include "engine/wave_table.h"

namespace {

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

void apply(DelayEngine& engine, std::initializer_list<std::pair<std::int32_t, float>> values) {
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) engine.applyParameter(i, kParameters[i].initial);
    for (auto [index, value] : values) engine.applyParameter(index, value);
}

struct AdvanceCase {
    float phase, increment;
    int steps;
};

// Advancing the phases without the table look-ups is ticking them, the folds at 2^20 included:
// phases that reach it within the steps, just miss it, stand still below it, or get there by
// rounding alone (each sum rounded up to the next 1/16: twice the increment).
TEST(SilentBlocks, LfoPhasesAdvanceAsTheyTick) {
    const AdvanceCase cases[] = {{1046198.0f, 4.6439909f, 512}, {1047807.0f, 1.5f, 512}, {1048560.0f, 0.001f, 700},
                                 {1048000.0f, 0.0625f, 700},    {1048575.9f, 0.0f, 300}, {100.0f, 25.6f, 4096},
                                 {1047552.0f, 2.0f, 512},       {1048556.0f, 0.0313f, 512}};
    WaveTableSet tables;
    buildWaveTables(tables);
    for (const AdvanceCase& c : cases) {
        const Lfo::Cursor lfo{tables.get(ShapeSine).data.get(), kWaveTableLength - 1, c.phase, c.increment, 0.5f};
        const FilterUnit::Runner unit{0, 0, 0, 0, 0.5f, 0.5f, 1.0f, 1.0f, ModeLow, true, true, lfo, lfo};
        std::array<FilterUnit::Runner, 4> ticked{unit, unit, unit, unit}, advanced = ticked;
        FilterLanes byTicks(ticked), bySteps(advanced);
        for (int n = 0; n < c.steps; ++n) byTicks.step<true>(Float4::all(0.0f));
        bySteps.advanceLfos(c.steps);
        byTicks.store(ticked);
        bySteps.store(advanced);
        EXPECT_EQ(bits(advanced[0].filterCursor.phase), bits(ticked[0].filterCursor.phase)) << c.phase;
    }
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
