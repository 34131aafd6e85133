// The plug-in against a plain model of its arithmetic, written out step by step
// without any of the engine's classes, over random settings, blocks and transport changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/parameters.h"
#include "engine/denormal_guard.h"
#include "support/plugin_fixture.h"

namespace {

struct ModelLfo {
    const std::vector<std::vector<float>>* tables;
    int shape = 2;
    float increment = 0.0f;
    float phase = 0.0f;
    float depth = 0.0f;

    float tick() {
        const float v = (*tables)[shape][static_cast<int>(phase) & 4095] * depth;
        phase = phase + increment;
        if (phase >= 1048576.0f) phase = std::fmod(phase, 4096.0f);
        return v;
    }
    void setRate(float x) {
        const double perUnit = static_cast<float>(4096.0 / 44100 * 0.5);
        const double quotient = x == 0.0f ? 0.0 : 100.0 / (1.0 / x);
        increment = static_cast<float>(quotient * perUnit);  // the cycle goes on from its phase
    }
};

struct ModelUnit {
    ModelLfo filterLfo, volumeLfo;
    float low = 0, high = 0, band = 0, notch = 0, f = 0, q = 0, gain = 0;
    int mode = 0;

    float tick(float in) {
        float fc = f;
        if (filterLfo.depth != 0.0f) {
            const float m = filterLfo.tick();
            fc = f - m * f;
        }
        low = low + fc * band;
        high = in * 1.0f - low - q * band;
        band = band + fc * high;
        notch = low + high;
        const float y = mode == 0 ? low : mode == 1 ? high : mode == 2 ? band : notch;
        if (volumeLfo.depth == 0.0f) return y * gain;
        const float m2 = volumeLfo.tick();
        return (y - m2 * y) * gain;
    }
    // States that have all died away below 1e-30 are cleared (every 64 frames); answers
    // whether there was anything to clear.
    bool settle() {
        const auto tiny = [](float x) { return std::fabs(x) < 1e-30f; };
        if (!(tiny(low) && tiny(high) && tiny(band) && tiny(notch))) return false;
        const bool cleared = low != 0.0f || high != 0.0f || band != 0.0f || notch != 0.0f;
        low = high = band = notch = 0.0f;
        return cleared;
    }
    void reset() {
        low = high = band = 0.0f;
        filterLfo.phase = volumeLfo.phase = 0.0f;
    }
};

class Model {
public:
    Model() {
        tables.assign(5, std::vector<float>(4096));
        for (int i = 0; i < 4096; ++i) {
            const int j = i % 2048;
            tables[0][i] = i < 1024 ? 1.0f : 0.0f;
            tables[1][i] = static_cast<float>(i / 4096.0);
            tables[2][i] = static_cast<float>(std::sin(3.141592653589793 * i / 4096));
            tables[3][i] = i < 2048 ? 1.0f : 0.0f;
            tables[4][i] = static_cast<float>(i < 2048 ? j / 2048.0 : 1.0 - j / 2048.0);
        }
        for (ModelUnit& u : units) u.filterLfo.tables = u.volumeLfo.tables = &tables;
        const float init[22] = {0.5f, 0, 1, 0, 0.5f, 1, 0, 0.5f, 1, 0, 0, 0, 0, 0, 1, 0, 0.5f, 1, 0, 0.5f, 1, 0};
        std::fill(std::begin(held), std::end(held), std::numeric_limits<float>::quiet_NaN());
        for (int i = 0; i < 22; ++i) set(i, init[i]);
    }

    // A value the parameter already holds changes nothing (a shape set again does not restart).
    void set(int index, float v) {
        if (index != 11 && index != 12 && held[index] == v) return;
        held[index] = v;
        ModelUnit* pair = index < 10 ? &units[0] : &units[2];
        const int k = index < 10 ? index : index - 10;
        auto scaled = [](double s, float x) { return x == 0.0f ? 0.0f : static_cast<float>(s / (1.0 / x)); };
        if (index == 11) {
            delayLength = scaled(441000.0, v);
            return;
        }
        if (index == 12) {
            feedback = v;
            return;
        }
        for (ModelUnit* u : {pair, pair + 1}) {
            switch (index < 10 ? k : (k == 0 ? 0 : k - 2)) {
            case 0: u->gain = scaled(2.0, v); break;
            case 1: u->mode = static_cast<int>(3.0 * v); break;
            case 2: u->f = v == 0.0f ? 0.0f : static_cast<float>(8000.0 / (1.0 / v) / 44100.0f * 6.283185307179586); break;
            case 3: u->q = 1.0f - v; break;
            case 4: u->filterLfo.shape = static_cast<int>(4.0 * v); u->filterLfo.phase = 0.0f; break;
            case 5: u->filterLfo.setRate(v); break;
            case 6: u->filterLfo.depth = v; break;
            case 7: u->volumeLfo.shape = static_cast<int>(4.0 * v); u->volumeLfo.phase = 0.0f; break;
            case 8: u->volumeLfo.setRate(v); break;
            case 9: u->volumeLfo.depth = v; break;
            }
        }
    }

    void process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
        for (int n = 0; n < frames; ++n) {
            const float wetL = units[2].tick(inL[n]);
            const float wetR = units[3].tick(inR[n]);
            const float oldL = lineL[w], oldR = lineR[w];
            lineL[w] = oldL * feedback + wetL;
            lineR[w] = oldR * feedback + wetR;
            w = w + 1;
            if (static_cast<float>(w) >= delayLength) w = 0;
            outL[n] = oldL + units[0].tick(inL[n]);
            outR[n] = oldR + units[1].tick(inR[n]);
            if (++clock == 64) {
                for (ModelUnit& u : units) clears += u.settle() ? 1 : 0;
                clock = 0;
            }
        }
    }

    int clears = 0;  // filters the settle points found holding something and cleared

    void resetUnits() {
        for (ModelUnit& u : units) u.reset();
    }

private:
    std::vector<std::vector<float>> tables;
    ModelUnit units[4];
    std::vector<float> lineL = std::vector<float>(441000), lineR = std::vector<float>(441000);
    int w = 0;
    int clock = 0;  // frames since the last settle point
    float delayLength = 0.0f, feedback = 0.0f;
    float held[22];
};

using ReferenceModelTest = PluginTest;

TEST_F(ReferenceModelTest, RandomSettingsAgreeBitForBit) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    Model model;
    std::vector<float> inL(4096), inR(4096), outL(4096), outR(4096), refL(4096), refR(4096);
    bool playing = true;
    for (int block = 0; block < 400; ++block) {
        for (int changes = random() % 4; changes > 0; --changes) {
            const int index = static_cast<int>(random() % 22);
            float v = unit(random);
            if (random() % 5 == 0) v = static_cast<float>(random() % 5) / 4.0f;  // exact stops
            if (index == 11) v *= 0.01f;  // keep echoes within the test's reach
            set(index, v);
            model.set(index, v);
        }
        if (random() % 10 == 0) {
            playing = !playing;
            host.setPlaying(playing);
            if (dispatch(effIdle) == 1 && !playing) model.resetUnits();
        }
        const int frames = 1 + static_cast<int>(random() % 4096);
        for (int n = 0; n < frames; ++n) {
            inL[n] = unit(random) * 2.0f - 1.0f;
            inR[n] = n % 100 == 0 ? 1.0f : 0.0f;
        }
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, frames);
        {
            DenormalGuard flush;  // as the plug-in runs its processing, so tiny values agree too
            model.process(inL.data(), inR.data(), refL.data(), refR.data(), frames);
        }
        for (int n = 0; n < frames; ++n) {
            ASSERT_EQ(outL[n], refL[n]) << "block " << block << " frame " << n;
            ASSERT_EQ(outR[n], refR[n]) << "block " << block << " frame " << n;
        }
    }
}

// Resonant filters ringing near the settled level, fed only in the sample after each settle
// point: the settle points, where the input is quiet, clear them, in blocks of any size.
TEST_F(ReferenceModelTest, FiltersRingingNearTheSettledLevelAreClearedAtTheSettlePoints) {
    std::mt19937 random(20261208);
    Model model;
    for (const auto& [index, value] : {std::pair{OriginQ, 0.995f}, {OriginCutoff, 0.05f}, {DelayQ, 0.995f},
                                      {DelayCutoff, 0.05f}, {DelayMix, 0.5f}}) {
        set(index, value);
        model.set(index, value);
    }
    std::vector<float> inL(700), inR(700), outL(700), outR(700), refL(700), refR(700);
    for (int done = 0; done < 40000;) {
        const int frames = 1 + static_cast<int>(random() % 700);
        for (int n = 0; n < frames; ++n) {
            const int at = done + n;
            inL[n] = at % 64 == 0 && at % 1024 < 128 ? 4e-30f : 0.0f;
            inR[n] = at % 64 == 0 ? -4e-30f : 0.0f;
        }
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, frames);
        {
            DenormalGuard flush;
            model.process(inL.data(), inR.data(), refL.data(), refR.data(), frames);
        }
        for (int n = 0; n < frames; ++n) {
            ASSERT_EQ(outL[n], refL[n]) << "frame " << done + n;
            ASSERT_EQ(outR[n], refR[n]) << "frame " << done + n;
        }
        done += frames;
    }
    EXPECT_GT(model.clears, 0);
}

}  // namespace
