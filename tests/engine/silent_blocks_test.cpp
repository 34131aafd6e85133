// Silence: filter states that have died away are cleared, so that a tail ends in zeros, and a
// block whose output is then determined to be zero skips the filters. Against an engine that
// runs every block through them, the output, the delay lines, the filter states and the LFO
// phases agree bit for bit after every block; and the silence starts and ends where it should.
#include "engine/filter_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "engine/delay_engine.h"
#include "engine/wave_table.h"

namespace {

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }
bool sameBits(std::span<const float> a, std::span<const float> b) { return std::ranges::equal(a, b, {}, bits, bits); }

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

// An engine that skips silent blocks and one that runs every block through the filters, fed
// the same input and host buffers (holding the input when in place); answers whether the
// skipping one was silent.
struct Twins {
    DelayEngine engines[2];

    explicit Twins(float rate) : engines{DelayEngine(rate), DelayEngine(rate, DelayEngine::SilentBlocks::Processed)} {
        for (DelayEngine& e : engines) apply(e, {});
    }

    bool process(const std::vector<float> (&in)[2], const std::vector<float> (&host)[2], bool accumulate, bool place) {
        std::vector<float> out[2][2], state[2];
        for (int e = 0; e < 2; ++e) {
            for (int c = 0; c < 2; ++c) out[e][c] = place ? in[c] : host[c];
            float* outs[] = {out[e][0].data(), out[e][1].data()};
            const float* ins[] = {place ? outs[0] : in[0].data(), place ? outs[1] : in[1].data()};
            const auto frames = static_cast<std::int32_t>(in[0].size());
            accumulate ? engines[e].processAccumulating(ins, outs, frames)
                       : engines[e].processReplacing(ins, outs, frames);
            state[e] = {static_cast<float>(engines[e].getWritePosition())};
            for (int u = 1; u <= 4; ++u) {
                const FilterUnit& f = engines[e].unit(u);
                state[e].insert(state[e].end(), {f.low(), f.high(), f.band(), f.notch(), f.getFilterLfo().getPhase(),
                                                 f.getVolumeLfo().getPhase()});
            }
        }
        EXPECT_TRUE(sameBits(out[0][0], out[1][0]) && sameBits(out[0][1], out[1][1])) << "output";
        EXPECT_TRUE(sameBits(engines[0].getDelayLine(0), engines[1].getDelayLine(0)) &&
                    sameBits(engines[0].getDelayLine(1), engines[1].getDelayLine(1)))
            << "delay lines";
        EXPECT_TRUE(sameBits(state[0], state[1])) << "write position, filter states or LFO phases";
        EXPECT_FALSE(engines[1].isSilent());
        return engines[0].isSilent();
    }
};

struct RandomRun {
    std::uint32_t seed;
    float sampleRate;
    int blocks;
};

// Random settings between blocks (ends of ranges and -0.0 often, short delays, now and then a
// program, a tempo, a clear, a transport stop), blocks of 1 to 700 frames of mostly +0.0, -0.0
// or both, now and then noise, a click or a NaN; host buffers with zeros of both signs, large
// and non-finite values.
TEST(SilentBlocks, SoundAndStateAreThoseOfTheFullLoopBitForBit) {
    for (const RandomRun& run : {RandomRun{1, 8000.0f, 3000}, {2, 11025.0f, 3000}, {3, 44100.0f, 600}}) {
        Twins twins(run.sampleRate);
        std::mt19937 random(run.seed);
        auto chance = [&](unsigned percent) { return random() % 100 < percent; };
        auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
        auto value = [&](std::int32_t index) {
            const float ends[] = {0.0f, -0.0f, 1.0f, 0.25f, 0.5f, 0.75f};
            if (index == DelayTime) return uniform(0.0f, chance(80) ? 0.003f : 0.1f);
            if (index == DelaySync) return chance(80) ? 0.0f : uniform(0.0f, 0.3f);
            return chance(60) ? ends[random() % 6] : uniform(0.0f, 1.0f);
        };
        int silent = 0, accumulating = 0, inPlace = 0, negativeZeroIn = 0, lfoMoved = 0;
        for (int block = 0; block < run.blocks; ++block) {
            const bool program = chance(5), init = chance(50), tempo = chance(3), clear = chance(2), stop = chance(2);
            for (int n = chance(20) ? 1 + random() % 3 : 0; n > 0; --n) {
                const auto index = static_cast<std::int32_t>(random() % kNumDefinedParams);
                const float v = value(index);
                for (DelayEngine& e : twins.engines) e.applyParameter(index, v);
            }
            for (std::int32_t i = 0; i < kNumDefinedParams && program; ++i) {
                const float v = init ? kParameters[i].initial : value(i);
                for (DelayEngine& e : twins.engines) e.applyParameter(i, v);
            }
            const float bpm = uniform(60.0f, 200.0f);
            for (DelayEngine& e : twins.engines) {
                if (tempo) e.setTempo(bpm);
                if (clear) e.clearState();
                if (stop) e.requestUnitsReset();
            }
            const std::size_t frames = chance(10) ? 1 + random() % 4 : 1 + random() % 700;
            std::vector<float> in[2], host[2];
            const float kinds[] = {0.0f, -0.0f, 0.5f, -1e30f, std::numeric_limits<float>::infinity(), std::nanf("")};
            for (int c = 0; c < 2; ++c) {
                const unsigned kind = random() % 20;
                for (std::size_t n = 0; n < frames; ++n) {
                    const bool negative = kind >= 10 && (kind < 13 || chance(50));
                    in[c].push_back(kind < 2 ? uniform(-1.0f, 1.0f) : negative ? -0.0f : 0.0f);
                    host[c].push_back(chance(60) ? kinds[random() % 6] : uniform(-1.0f, 1.0f));
                }
                if (kind >= 16) in[c][random() % frames] = kind == 19 ? std::nanf("") : uniform(-1.0f, 1.0f);
            }
            const bool place = chance(25), accumulate = chance(50);
            const float phase = twins.engines[0].unit(3).getFilterLfo().getPhase();
            if (twins.process(in, host, accumulate, place)) {
                ++silent, accumulating += accumulate, inPlace += place;
                negativeZeroIn += std::ranges::any_of(in[0], [](float x) { return bits(x) == 0x80000000u; });
                lfoMoved += phase != twins.engines[0].unit(3).getFilterLfo().getPhase();
            }
            ASSERT_FALSE(::testing::Test::HasFailure()) << "seed " << run.seed << ", block " << block;
        }
        // Silent blocks of each kind, so that the comparison cannot pass for want of them.
        EXPECT_GT(silent, run.blocks / 10);
        EXPECT_TRUE(accumulating && inPlace && negativeZeroIn && lfoMoved);
    }
}

// Where the full loop writes or leaves -0.0: a high-pass passes the input's -0.0 on, and -0.0
// feedback makes +0.0 x feedback -0.0, so the line can receive -0.0 + -0.0; a host's -0.0
// becomes +0.0 when ours is added. Feedback, delay filter type, input, host buffer:
TEST(SilentBlocks, SignsOfZeroAreThoseOfTheFullLoop) {
    const float cases[][4] = {{-0.0f, 0.34f, -0.0f, 0.0f}, {-0.0f, 0.34f, 0.0f, 0.0f}, {-0.0f, 0.0f, -0.0f, 0.0f},
                              {0.0f, 0.34f, -0.0f, -0.0f}, {0.5f, 0.34f, -0.0f, -0.0f}};
    for (const auto& [feedback, type, input, hostValue] : cases) {
        Twins twins(8000.0f);
        for (DelayEngine& e : twins.engines)
            apply(e, {{DelayTime, 0.01f}, {DelayMix, 0.5f}, {DelayFilterType, type}, {Feedback, feedback}});
        const std::vector<float> in[2] = {std::vector<float>(64, input), std::vector<float>(64, input)};
        const std::vector<float> host[2] = {std::vector<float>(64, hostValue), std::vector<float>(64, hostValue)};
        for (bool accumulate : {false, true, false, true}) twins.process(in, host, accumulate, false);
        EXPECT_FALSE(::testing::Test::HasFailure()) << feedback << " " << type << " " << input;
    }
}

// Both paths through a high-pass at cutoff 0, which holds nothing (its output is its input),
// at unity; the delay synced to a 1/32 note: 500 samples at 120 BPM and 8 kHz.
class SilenceTiming : public ::testing::Test {
protected:
    void SetUp() override {
        apply(engine, {{OriginMix, 0.5f}, {DelayMix, 0.5f}, {OriginFilterType, 0.34f}, {DelayFilterType, 0.34f},
                       {OriginCutoff, 0.0f}, {DelayCutoff, 0.0f}, {DelaySync, 0.1f}});
        ASSERT_EQ(engine.getDelayLength(), 500.0f);
    }

    // Whether a block of zeros, but for its first sample, was silent.
    bool block(int frames, float first = 0.0f) {
        std::vector<float> in(static_cast<std::size_t>(frames), 0.0f), left(in.size()), right(in.size());
        in[0] = first;
        const float* ins[] = {in.data(), in.data()};
        float* outs[] = {left.data(), right.data()};
        engine.processReplacing(ins, outs, frames);
        return engine.isSilent();
    }

    int loudBlocksBeforeSilence(int frames) {
        int count = 0;
        while (!block(frames) && count < 1000) ++count;
        return count;
    }

    DelayEngine engine{8000.0f};
};

// The line must have held nothing but zeros for the delay length, counted from the end of the
// block that held anything else: the click's echo leaves at frame 500 and writes a zero.
TEST_F(SilenceTiming, SilenceStartsOnceTheLineHeldZerosForTheDelayLength) {
    const int cases[][2] = {{64, 8}, {100, 5}, {499, 2}, {500, 1}, {1024, 0}};  // frames, loud blocks
    for (const auto& [frames, loud] : cases) {
        engine.clearState();
        EXPECT_TRUE(block(frames)) << frames;  // a cleared line: nothing to wait for
        EXPECT_FALSE(block(frames, 1.0f)) << frames;
        EXPECT_EQ(loudBlocksBeforeSilence(frames), loud) << frames;
    }
}

// A new length counts the line's zeros anew. One lowered below the write position (600) has
// the loop write a sample there before it wraps to 0, which counts for nothing: the click left
// at 499 by the longer cycle comes out in the sixth block.
TEST_F(SilenceTiming, ANewLengthCountsTheZerosAgain) {
    EXPECT_FALSE(block(100, 1.0f));
    ASSERT_EQ(loudBlocksBeforeSilence(100), 5);
    engine.applyParameter(DelaySync, 0.25f);  // 1/16: 1000 samples
    EXPECT_EQ(loudBlocksBeforeSilence(100), 10);
    engine.clearState();
    ASSERT_TRUE(block(499));
    EXPECT_FALSE(block(1, 1.0f));
    EXPECT_FALSE(block(100));
    engine.applyParameter(DelaySync, 0.1f);
    EXPECT_EQ(loudBlocksBeforeSilence(100), 6);
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
    EXPECT_TRUE(engine.isSilent());
}

}  // namespace
