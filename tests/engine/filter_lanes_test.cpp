// The four-lane kernel and the engine that runs it, against the per-sample arithmetic of one
// filter unit written out plainly, over random and extreme settings: every output sample,
// filter state and LFO phase must agree bit for bit.
#include "engine/filter_lanes.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/delay_engine.h"
#include "engine/denormal_guard.h"
#include "core/parameters.h"
#include "engine/wave_table.h"

namespace {

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// One LFO: the table value at the truncated phase times the depth, then the phase advances,
// folded back by whole table lengths from 2^20 positions on. Depth 0 stops it where it is.
struct PlainLfo {
    const float* table;
    std::int32_t mask;
    float phase, increment, depth;

    float tick() {
        const float value = table[static_cast<std::int32_t>(phase) & mask] * depth;
        phase = phase + increment;
        if (phase >= 1048576.0f) phase = phase - static_cast<float>(static_cast<std::int32_t>(phase) & ~mask);
        return value;
    }
};

// One filter unit's sample: the Chamberlin recursion, the selected state, the output gain,
// each LFO lowering its target by its value times the target.
struct PlainUnit {
    float low, high, band, notch, f, q, gainIn, gainOut;
    std::int32_t mode;
    PlainLfo filter, volume;

    float tick(float in) {
        float fc = f;
        if (filter.depth != 0.0f) {
            const float m = filter.tick();
            fc = f - m * f;
        }
        low = low + fc * band;
        high = in * gainIn - low - q * band;
        band = band + fc * high;
        notch = low + high;
        const float states[] = {low, high, band, notch};
        const float y = mode >= 0 && mode <= 2 ? states[mode] : notch;
        if (volume.depth == 0.0f) return y * gainOut;
        const float m2 = volume.tick();
        return (y - m2 * y) * gainOut;
    }

    FilterUnit::Runner runner() const {
        return {low,  high, band,
                notch, f,   q,
                gainIn, gainOut, mode,
                filter.depth != 0.0f, volume.depth != 0.0f,
                {filter.table, filter.mask, filter.phase, filter.increment, filter.depth},
                {volume.table, volume.mask, volume.phase, volume.increment, volume.depth}};
    }
};

// Settings drawn at random, each at one of its ends a third of the time: no damping (Filter
// Q 1.0), the highest cutoff, full depth, rate 0 and the fastest rate, phases just short of
// the fold (a resting phase is always below it: every step that reaches it folds it back).
class Draw {
public:
    explicit Draw(std::uint32_t seed) : random(seed) { buildWaveTables(tables); }

    float between(float lowest, float highest) {
        const int pick = static_cast<int>(random() % 6);
        if (pick == 0) return lowest;
        if (pick == 1) return highest;
        return lowest + (highest - lowest) * std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    }

    PlainLfo lfo() {
        const float depth = random() % 3 == 0 ? 0.0f : between(0.0f, 1.0f);
        const float phase = random() % 3 == 0 ? 1048575.5f - between(0.0f, 200.0f) : between(0.0f, 4095.0f);
        return {tables.get(static_cast<std::int32_t>(random() % 5)).data.get(), kWaveTableLength - 1, phase,
                between(0.0f, 4.6439909f), depth};
    }

    PlainUnit unit() {
        return {between(-1.0f, 1.0f), between(-1.0f, 1.0f), between(-1.0f, 1.0f), between(-1.0f, 1.0f),
                between(0.0f, 1.1398069f), between(0.0f, 1.0f), 1.0f, between(0.0f, 2.0f),
                static_cast<std::int32_t>(random() % 4), lfo(), lfo()};
    }

    // Silence holds the input at +0.0 and -0.0, whose signs the recursion carries through
    // zero states.
    float input() {
        if (silent) return random() % 2 == 0 ? 0.0f : -0.0f;
        switch (random() % 8) {
        case 0: return 0.0f;
        case 1: return -0.0f;
        case 2: return 1.0f;
        default: return between(-1.0f, 1.0f);
        }
    }

    std::mt19937 random;
    bool silent = false;

private:
    WaveTableSet tables;
};

template <bool MayModulate>
void expectLanesFollowUnits(std::array<PlainUnit, 4> units, int frames, Draw& draw, int trial) {
    std::array<FilterUnit::Runner, 4> runners{units[0].runner(), units[1].runner(), units[2].runner(),
                                              units[3].runner()};
    FilterLanes lanes(runners);
    // FilterUnit::tick's scalar step, which a unit on its own still runs, alongside.
    std::array<FilterUnit::Runner, 4> scalar = runners;
    DenormalGuard flush;
    for (int n = 0; n < frames; ++n) {
        const std::array<float, 4> in{draw.input(), draw.input(), draw.input(), draw.input()};
        std::array<float, 4> out;
        lanes.step<MayModulate>(Float4::load(in.data())).store(out.data());
        for (std::size_t lane = 0; lane < 4; ++lane) {
            const float want = units[lane].tick(in[lane]);
            ASSERT_EQ(bits(out[lane]), bits(want)) << "trial " << trial << " lane " << lane << " frame " << n;
            ASSERT_EQ(bits(scalar[lane].step(in[lane])), bits(want)) << "trial " << trial << " unit " << lane;
        }
    }
    lanes.store(runners);
    for (std::size_t lane = 0; lane < 4; ++lane) {
        const FilterUnit::Runner& r = runners[lane];
        const PlainUnit& u = units[lane];
        const float got[] = {r.low, r.high, r.band, r.notch, r.filterCursor.phase, r.volumeCursor.phase};
        const float want[] = {u.low, u.high, u.band, u.notch, u.filter.phase, u.volume.phase};
        for (std::size_t k = 0; k < std::size(got); ++k)
            ASSERT_EQ(bits(got[k]), bits(want[k])) << "trial " << trial << " lane " << lane << " field " << k;
    }
}

TEST(FilterLanes, EveryLaneIsItsUnitBitForBit) {
    Draw draw(16);
    for (int trial = 0; trial < 400; ++trial) {
        std::array<PlainUnit, 4> units{draw.unit(), draw.unit(), draw.unit(), draw.unit()};
        draw.silent = trial % 4 == 0;
        if (draw.silent)
            for (PlainUnit& u : units) u.low = u.high = u.band = u.notch = 0.0f;
        expectLanesFollowUnits<true>(units, 600, draw, trial);
        // The loop for blocks without modulation, with every depth 0 in place.
        for (PlainUnit& u : units) u.filter.depth = u.volume.depth = 0.0f;
        expectLanesFollowUnits<false>(units, 600, draw, trial);
    }
}

// The engine's units, delay lines and guards written out plainly: the units take their
// settings from the engine after each change, and keep their own states and phases.
class PlainEngine {
public:
    explicit PlainEngine(const DelayEngine& engine)
        : lineLeft(static_cast<std::size_t>(engine.getBufferLength())),
          lineRight(static_cast<std::size_t>(engine.getBufferLength())) {
        buildWaveTables(tables);
        for (PlainUnit& u : units) u = {};
        follow(engine);
    }

    // Settings as the engine holds them; a phase that the engine restarted starts again.
    void follow(const DelayEngine& engine) {
        for (int n = 0; n < 4; ++n) {
            const FilterUnit& source = engine.unit(n + 1);
            PlainUnit& u = units[static_cast<std::size_t>(n)];
            u.f = source.getFrequency();
            u.q = source.getDamping();
            u.gainIn = 1.0f;
            u.gainOut = source.getOutputGain();
            u.mode = source.getMode();
            u.filter = lfo(source.getFilterLfo());
            u.volume = lfo(source.getVolumeLfo());
        }
        feedback = engine.getFeedback();
        length = engine.getDelayLength();
    }

    void process(const float* inL, const float* inR, float* outL, float* outR, int frames, bool accumulate) {
        DenormalGuard flush;
        for (int n = 0; n < frames; ++n) {
            const float wetL = units[2].tick(inL[n]);
            const float wetR = units[3].tick(inR[n]);
            const float oldL = lineLeft[w], oldR = lineRight[w];
            lineLeft[w] = oldL * feedback + wetL;
            lineRight[w] = oldR * feedback + wetR;
            w = w + 1;
            if (static_cast<float>(w) >= length) w = 0;
            const float dryL = units[0].tick(inL[n]);
            const float dryR = units[1].tick(inR[n]);
            outL[n] = mix(outL[n], oldL, dryL, accumulate);
            outR[n] = mix(outR[n], oldR, dryR, accumulate);
        }
        for (PlainUnit& u : units)
            if (!(std::fabs(u.low) <= 1e9f && std::fabs(u.high) <= 1e9f && std::fabs(u.band) <= 1e9f &&
                  std::fabs(u.notch) <= 1e9f))
                u.low = u.high = u.band = u.notch = 0.0f;
    }

    // What leaves: ours (the old sample plus the dry one) added to the host's buffer or in its
    // place, ours held to +-16 where it goes beyond.
    static float mix(float host, float old, float dry, bool accumulate) {
        const float ours = old + dry;
        if (std::fabs(ours) > 16.0f) return accumulate ? host + std::clamp(ours, -16.0f, 16.0f) : std::clamp(ours, -16.0f, 16.0f);
        return accumulate ? host + old + dry : ours;
    }

    void expectSameStates(const DelayEngine& engine, int block) const {
        for (int n = 0; n < 4; ++n) {
            const FilterUnit& e = engine.unit(n + 1);
            const PlainUnit& u = units[static_cast<std::size_t>(n)];
            const float got[] = {e.low(), e.high(), e.band(), e.notch(), e.getFilterLfo().getPhase(),
                                 e.getVolumeLfo().getPhase()};
            const float want[] = {u.low, u.high, u.band, u.notch, u.filter.phase, u.volume.phase};
            for (std::size_t k = 0; k < std::size(got); ++k)
                ASSERT_EQ(bits(got[k]), bits(want[k])) << "block " << block << " unit " << n + 1 << " field " << k;
        }
    }

private:
    PlainLfo lfo(const Lfo& source) {
        return {tables.get(source.getShape()).data.get(), kWaveTableLength - 1, source.getPhase(),
                source.getPhaseIncrement(), source.getDepth()};
    }

    WaveTableSet tables;
    std::array<PlainUnit, 4> units;
    std::vector<float> lineLeft, lineRight;
    std::size_t w = 0;
    float feedback = 0.0f, length = 0.0f;
};

TEST(FilterLanes, TheEngineIsItsUnitsAndDelayLinesBitForBit) {
    DelayEngine engine(44100.0f);
    for (int index = 0; index < kNumDefinedParams; ++index) engine.applyParameter(index, kParameters[index].initial);
    PlainEngine plain(engine);
    Draw draw(1607);
    std::vector<float> inL(4096), inR(4096), out[2], want[2];
    for (int block = 0; block < 300; ++block) {
        for (int changes = static_cast<int>(draw.random() % 4); changes > 0; --changes) {
            // The parameters of the plain engine: stereo modes, motion, freeze and ducking are not its.
            const auto index = static_cast<std::int32_t>(draw.random() % DelayStereo);
            // Echoes within a tenth of a second, so that they come round within the test.
            engine.applyParameter(index, index == DelayTime ? draw.between(0.0f, 0.01f) : draw.between(0.0f, 1.0f));
        }
        plain.follow(engine);
        const int frames = draw.random() % 4 == 0 ? 1 + static_cast<int>(draw.random() % 4)
                                                   : 1 + static_cast<int>(draw.random() % 4096);
        const bool accumulate = draw.random() % 2 == 0;
        for (int n = 0; n < frames; ++n) {
            inL[static_cast<std::size_t>(n)] = draw.input();
            inR[static_cast<std::size_t>(n)] = draw.input();
        }
        for (int c = 0; c < 2; ++c) {
            out[c].assign(static_cast<std::size_t>(frames), 0.25f);
            want[c] = out[c];
        }
        const float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {out[0].data(), out[1].data()};
        if (accumulate)
            engine.processAccumulating(ins, outs, frames);
        else
            engine.processReplacing(ins, outs, frames);
        plain.process(inL.data(), inR.data(), want[0].data(), want[1].data(), frames, accumulate);
        for (int c = 0; c < 2; ++c)
            for (std::size_t n = 0; n < static_cast<std::size_t>(frames); ++n)
                ASSERT_EQ(bits(out[c][n]), bits(want[c][n])) << "block " << block << " channel " << c << " frame " << n;
        plain.expectSameStates(engine, block);
    }
}

}  // namespace
