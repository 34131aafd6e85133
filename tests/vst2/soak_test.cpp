// An hour of audio as a long session gives it: automation at random block sizes, bursts of
// extreme settings, a minute of the setting that pumps an undamped filter without bound,
// NaN and infinite input samples, transport stops and sample-rate changes. Every sample
// must be finite, and the Init program must then fall silent. Offline this takes seconds;
// the sanitizer build runs ten minutes of audio instead (VELLUMINE_SOAK_SECONDS).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "core/parameters.h"
#include "support/plugin_fixture.h"

#ifndef VELLUMINE_SOAK_SECONDS
#define VELLUMINE_SOAK_SECONDS 3600
#endif

namespace {

constexpr long kRate = 44100;  // frames are counted at the rate the engine was built for
constexpr long kSoakFrames = VELLUMINE_SOAK_SECONDS * kRate;
constexpr int kMaxBlock = 4096;
constexpr VstInt32 kInitProgram = 63;  // automation only ever reaches the current program, 0

class SoakTest : public PluginTest {
protected:
    std::mt19937 random{20260101};

    float uniform() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(random); }
    bool chance(unsigned oneIn) { return random() % oneIn == 0; }

    void automate() {
        for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
            const auto index = static_cast<VstInt32>(random() % kNumDefinedParams);
            set(index, chance(4) ? static_cast<float>(random() % 5) / 4.0f : uniform());
        }
    }

    // Every parameter at one end of its range, or just inside it.
    void extremes() {
        const float ends[] = {0.0f, 1.0f, 1e-7f, 0.9999999f};
        for (VstInt32 index = 0; index < kNumDefinedParams; ++index) set(index, ends[random() % 4]);
    }

    // No damping on either path and each filter swept by a sawtooth at full depth and rate.
    void runaway() {
        for (VstInt32 q : {OriginQ, DelayQ}) set(q, 1.0f);
        for (VstInt32 shape : {OriginFilterLfoShape, DelayFilterLfoShape}) set(shape, 0.25f);
        for (VstInt32 rate : {OriginFilterLfoRate, DelayFilterLfoRate, OriginFilterLfoDepth, DelayFilterLfoDepth})
            set(rate, 1.0f);
        set(DelayMix, 0.5f);
        set(Feedback, 0.5f);
    }

    void stopTransport() {
        host.setPlaying(false);
        for (int n = 0; n < 3; ++n) dispatch(effIdle);
        host.setPlaying(true);
        dispatch(effIdle);
    }

    void changeSampleRate() {
        const float rates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f};
        dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, nullptr, rates[random() % 4]);
        dispatch(effMainsChanged, 0, 1);
    }
};

TEST_F(SoakTest, AnHourOfAbuseStaysFiniteAndInitThenFallsSilent) {
    std::vector<float> noise(kRate + kMaxBlock);
    for (float& x : noise) x = uniform() * 2.0f - 1.0f;
    std::vector<float> inL(kMaxBlock), inR(kMaxBlock), outL(kMaxBlock), outR(kMaxBlock);
    const long runawayFrom = kSoakFrames / 6, runawayTo = runawayFrom + 60 * kRate;
    long extremeUntil = 0;
    bool runawayHeld = false;
    long nonFinite = 0, blocks = 0, badInputs = 0;
    float peak = 0.0f;
    const auto started = std::chrono::steady_clock::now();

    for (long done = 0; done < kSoakFrames; ++blocks) {
        const VstInt32 frames = chance(8) ? 1 + static_cast<VstInt32>(random() % 16)
                                          : 1 + static_cast<VstInt32>(random() % kMaxBlock);
        if (done >= runawayFrom && done < runawayTo) {
            // Held untouched: a transport stop or a new rate would reset the filters.
            if (!runawayHeld) runaway();
            runawayHeld = true;
        } else {
            if (done >= extremeUntil && chance(2000)) {
                extremes();
                extremeUntil = done + 2 * kRate;
            } else if (chance(4)) {
                automate();
            }
            if (chance(1500)) stopTransport();
            if (chance(20000)) changeSampleRate();
        }

        const auto offset = random() % kRate;
        std::copy_n(noise.begin() + offset, frames, inL.begin());
        std::copy_n(noise.begin() + (offset + 7) % kRate, frames, inR.begin());
        if (chance(50)) {
            const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity()};
            (chance(2) ? inL : inR)[random() % frames] = odd[random() % 3];
            ++badInputs;
        }
        const bool inPlace = chance(3);
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {inPlace ? inL.data() : outL.data(), inPlace ? inR.data() : outR.data()};
        if (inPlace || chance(2)) {
            effect->processReplacing(effect, ins, outs, frames);
        } else {
            std::fill_n(outs[0], frames, 0.0f);  // the host's mix bus, empty before this plug-in
            std::fill_n(outs[1], frames, 0.0f);
            effect->process(effect, ins, outs, frames);
        }
        for (VstInt32 n = 0; n < frames; ++n) {
            nonFinite += !std::isfinite(outs[0][n]) + !std::isfinite(outs[1][n]);
            peak = std::max({peak, std::fabs(outs[0][n]), std::fabs(outs[1][n])});
        }
        done += frames;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("soak: %.2f h of audio, %ld frames in %ld blocks (%ld with NaN or infinite input), %.1f s\n",
                static_cast<double>(kSoakFrames) / kRate / 3600.0, kSoakFrames, blocks, badInputs, took.count());
    EXPECT_TRUE(runawayHeld);
    EXPECT_EQ(nonFinite, 0);
    EXPECT_LE(peak, 16.0f);  // the output ceiling, +24 dBFS

    // Init: low-pass with full damping, no echo. The filter's state shrinks by more than half
    // a decade per sample, and states that have died away below 1e-30 are cleared, so well
    // within ten seconds the output is exactly 0.0; the whole last second must be.
    dispatch(effSetProgram, 0, kInitProgram);
    std::vector<float> silence(kRate), left(kRate), right(kRate);
    float* ins[2] = {silence.data(), silence.data()};
    float* outs[2] = {left.data(), right.data()};
    for (int second = 0; second < 10; ++second) effect->processReplacing(effect, ins, outs, kRate);
    for (long n = 0; n < kRate; ++n) {
        ASSERT_EQ(left[n], 0.0f) << n;
        ASSERT_EQ(right[n], 0.0f) << n;
    }
}

}  // namespace
