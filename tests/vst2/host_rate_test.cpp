// The VST 2 module at the host's rate and tempo, through its record as a host drives it: echoes
// at their time in milliseconds at every rate, Sync following the tempo, and LFOs that keep
// running while a host sends their rate again and again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "support/plugin_fixture.h"
#include "support/rate_levels.h"
#include "vst2/delay_effect.h"

namespace {

class HostRateTest : public PluginTest {
protected:
    DelayEffect& delay() { return static_cast<DelayEffect&>(*EffectBase::fromRecord(effect)); }

    void startAt(float rate) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effMainsChanged, 0, 1);
    }

    // An impulse through the delay path alone; the frame of the first echo, or -1.
    long firstEcho(long frames) {
        set(OriginMix, 0.0f);
        set(DelayMix, 0.5f);  // unity gain
        set(DelayFilterType, 0.5f);  // high-pass: the impulse's first sample passes unchanged
        set(DelayCutoff, 0.0f);
        std::vector<float> in(static_cast<std::size_t>(frames)), out(in.size());
        in[0] = 1.0f;
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        for (long done = 0; done < frames; done += 512) {
            const long block = std::min(512L, frames - done);
            float* blockIns[2] = {ins[0] + done, ins[1] + done};
            float* blockOuts[2] = {outs[0] + done, outs[1] + done};
            effect->processReplacing(effect, blockIns, blockOuts, static_cast<VstInt32>(block));
        }
        for (std::size_t n = 1; n < out.size(); ++n)
            if (out[n] != 0.0f) return static_cast<long>(n);
        return -1;
    }
};

TEST_F(HostRateTest, EchoesComeAtTheirTimeAtEveryRate) {
    for (float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f}) {
        SCOPED_TRACE(rate);
        startAt(rate);
        EXPECT_EQ(delay().getBufferLength(), static_cast<VstInt32>(rate) * 10);
        set(DelayTime, 0.05f);  // 500 ms
        EXPECT_EQ(text(effGetParamDisplay, DelayTime), "500.0000");
        EXPECT_EQ(firstEcho(static_cast<long>(rate)), static_cast<long>(rate / 2));
    }
}

TEST_F(HostRateTest, SyncFollowsTheHostsTempoAndTheRateShowsIt) {
    set(DelayTime, 0.01f);
    set(DelaySync, 11.0f / 21.0f);  // 1/4
    EXPECT_EQ(text(effGetParamDisplay, DelaySync), "1/4");
    struct TempoCase {
        double bpm;
        bool valid;
        long echo;
        const char* rateText;
    };
    for (const TempoCase& c : {TempoCase{90.0, true, 29400, "666.6666"}, TempoCase{140.0, true, 18900, "428.5714"},
                               TempoCase{60.0, false, 18900, "428.5714"}}) {
        SCOPED_TRACE(c.bpm);
        host.time.tempo = c.bpm;
        host.time.flags = kVstTransportPlaying | (c.valid ? kVstTempoValid : 0);
        startAt(44100.0f);
        EXPECT_EQ(firstEcho(30000), c.echo);
        EXPECT_EQ(text(effGetParamDisplay, DelayTime), c.rateText);
    }
    set(DelaySync, 0.0f);
    EXPECT_EQ(text(effGetParamDisplay, DelayTime), "100.0000");  // the Rate's own value, kept
}

// Every note value at 90, 120 and 140 BPM: the echo lands on the note's sample, halves up.
TEST_F(HostRateTest, EveryNoteValueLandsOnItsSampleAtEveryTempo) {
    // Beats per stop: each note from a thirty-second to two wholes as a triplet, straight, dotted.
    const double notes[] = {0.125, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
    const double kinds[] = {2.0 / 3.0, 1.0, 1.5};
    host.time.flags = kVstTransportPlaying | kVstTempoValid;
    set(DelaySync, 0.0f);
    for (double bpm : {90.0, 120.0, 140.0}) {
        host.time.tempo = bpm;
        for (int stop = 1; stop <= 21; ++stop) {
            const double beats = notes[(stop - 1) / 3] * kinds[(stop - 1) % 3];
            const auto expected = static_cast<long>(std::floor(beats * 60.0 / bpm * 44100.0 + 0.5));
            startAt(44100.0f);
            set(DelaySync, static_cast<float>(stop) / 21.0f);
            EXPECT_EQ(firstEcho(expected + 600), expected) << kSyncNames[stop] << " at " << bpm;
        }
    }
}

// The volume LFO at one cycle per second, its rate sent again every 512 frames as hosts do
// while an automation lane plays, runs exactly as with the rate set once.
TEST_F(HostRateTest, ARateSentAgainLeavesTheLfoRunning) {
    set(OriginVolLfoRate, 0.02f);
    set(OriginVolLfoDepth, 1.0f);
    std::vector<float> in(512, 0.5f), out(512);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    // Asked of the unit after every block: its phase is the one the block left.
    auto lfo = [&]() -> const Lfo& { return delay().unit(1).getVolumeLfo(); };
    float phase = 0.0f;
    for (int block = 0; block < 200; ++block) {
        set(OriginVolLfoRate, 0.02f);
        effect->processReplacing(effect, ins, outs, 512);
        for (int n = 0; n < 512; ++n) phase = phase + lfo().getPhaseIncrement();
        if (phase >= Lfo::kWrapThreshold) break;
        ASSERT_EQ(lfo().getPhase(), phase) << block;
    }
    // A moving rate goes on from the phase it has reached.
    for (int block = 0; block < 50; ++block) {
        set(OriginVolLfoRate, 0.02f + 0.001f * static_cast<float>(block));
        effect->processReplacing(effect, ins, outs, 512);
        for (int n = 0; n < 512; ++n) phase = phase + lfo().getPhaseIncrement();
        ASSERT_EQ(lfo().getPhase(), phase) << block;
    }
}

// Below 44.1 kHz a high cutoff is held where the filter stays stable: no setting roars.
TEST_F(HostRateTest, NoSettingIsLouderAtALowRate) {
    expectLevelsHeldAtLowRates([&](const LevelSetting& setting, double rate, const std::vector<float>& phrase) {
        startAt(static_cast<float>(rate));
        for (std::size_t i = 0; i < setting.values.size(); ++i) set(static_cast<VstInt32>(i), setting.values[i]);
        std::vector<float> in(phrase), left(phrase.size()), right(phrase.size());
        for (std::size_t done = 0; done < in.size(); done += 512) {
            const auto block = static_cast<VstInt32>(std::min<std::size_t>(512, in.size() - done));
            float* ins[2] = {in.data() + done, in.data() + done};
            float* outs[2] = {left.data() + done, right.data() + done};
            effect->processReplacing(effect, ins, outs, block);
        }
        left.insert(left.end(), right.begin(), right.end());
        return left;
    });
}

}  // namespace
