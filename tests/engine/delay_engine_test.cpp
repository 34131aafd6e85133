// The delay engine built at a given sample rate: the line holds ten seconds, and delay times,
// cutoffs and LFO speeds are true at that rate.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "engine/delay_engine.h"

namespace {

struct RateCase {
    float rate;
    std::int32_t bufferLength;   // ten seconds, whole samples
    float delayOf100ms;          // the delay length at the normalized 0.01
    double halfCutoff;           // 2 pi x 4000 Hz / rate
    double fastestLfoIncrement;  // table positions per sample at 50 cycles per second
};

TEST(DelayEngine, EverythingTimedFollowsTheRateItWasBuiltFor) {
    const RateCase cases[] = {
        {44100.0f, 441000, 4410.0f, 0.5699074201296676, 4.643990929705215},
        {48000.0f, 480000, 4800.0f, 0.5235987755982988, 4.266666666666667},
        {96000.0f, 960000, 9600.0f, 0.2617993877991494, 2.1333333333333333},
        {22050.0f, 220500, 2205.0f, 1.1398148402593352, 9.28798185941043},
        {44100.9f, 441000, 4410.0f, 0.5699074201296676, 4.643990929705215},  // LFO and line: whole Hz
    };
    for (const RateCase& c : cases) {
        SCOPED_TRACE(c.rate);
        DelayEngine engine(c.rate);
        EXPECT_EQ(engine.getBufferLength(), c.bufferLength);
        engine.applyParameter(DelayTime, 0.01f);
        EXPECT_EQ(engine.getDelayLength(), c.delayOf100ms);
        engine.applyParameter(OriginCutoff, 0.5f);
        EXPECT_NEAR(engine.unit(1).getFrequency(), c.halfCutoff, c.halfCutoff * 1e-4);
        engine.applyParameter(DelayFilterLfoRate, 1.0f);
        EXPECT_NEAR(engine.unit(3).getFilterLfo().getPhaseIncrement(), c.fastestLfoIncrement, 1e-5);
    }
}

// An impulse through the delay path only (high-pass, so its first sample passes unchanged)
// comes back after the delay in samples at the engine's rate.
TEST(DelayEngine, AnEchoComesAfterTheDelayAtTheEnginesRate) {
    for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
        DelayEngine engine(rate);
        // The engine starts from raw settings: its owner applies every parameter first.
        for (std::int32_t i = 0; i < kNumDefinedParams; ++i) engine.applyParameter(i, kParameters[i].initial);
        engine.applyParameter(OriginMix, 0.0f);
        engine.applyParameter(DelayMix, 0.5f);
        engine.applyParameter(DelayFilterType, 0.5f);
        engine.applyParameter(DelayTime, 0.01f);
        const auto expected = static_cast<std::size_t>(rate / 10.0f);  // 100 ms
        std::vector<float> in(expected + 4, 0.0f), left(in.size()), right(in.size());
        in[0] = 1.0f;
        const float* inputs[] = {in.data(), in.data()};
        float* outputs[] = {left.data(), right.data()};
        engine.processReplacing(inputs, outputs, static_cast<std::int32_t>(in.size()));
        std::size_t first = 0;
        while (first < left.size() && left[first] == 0.0f) ++first;
        EXPECT_EQ(first, expected) << rate;
    }
}

}  // namespace

namespace {

// While Sync is on the delay is the note at the tempo, to the nearest sample (halves up),
// at most the ten-second line; Off goes back to the Rate's length.
TEST(DelayEngine, ASyncedDelayIsTheNoteAtTheTempo) {
    struct SyncCase {
        float rate;
        double bpm;
        std::int32_t stop;
        float length;
    };
    const SyncCase cases[] = {
        {44100.0f, 120.0, 11, 22050.0f},   // 1/4 at 120: half a second
        {48000.0f, 120.0, 9, 18000.0f},    // 1/8. : three sixteenths
        {44100.0f, 140.0, 4, 3150.0f},     // 1/16T: a sixth of a beat
        {44100.0f, 100.0, 2, 3308.0f},     // 1/32 : 3307.5, the half rounds up
        {44100.0f, 90.0, 1, 2450.0f},      // 1/32T
        {96000.0f, 90.0, 21, 768000.0f},   // 2/1. : twelve beats, eight seconds
        {44100.0f, 40.0, 21, 441000.0f},   // eighteen seconds: held to the line
        {88200.0f, 120.0, 17, 176400.0f},  // 1/1
    };
    for (const SyncCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.bpm << " BPM, stop " << c.stop);
        DelayEngine engine(c.rate);
        engine.applyParameter(DelayTime, 0.01f);
        engine.setTempo(c.bpm);
        engine.applyParameter(DelaySync, static_cast<float>(c.stop) / 21.0f);
        EXPECT_EQ(engine.getDelayLength(), c.length);
        engine.setTempo(0.0);  // not a tempo: ignored
        EXPECT_EQ(engine.getDelayLength(), c.length);
        engine.applyParameter(DelaySync, 0.0f);
        EXPECT_EQ(engine.getDelayLength(), c.rate / 10.0f);
    }
}

}  // namespace

namespace {

// Every 64 frames the filters whose four states have all died away below 1e-30 are cleared.
// With the highest coefficient (a full cutoff is held at 1.14 at a low rate like 11025 Hz)
// and "Filter Q" 0.0, the input at the settle point may be nearly twice that level while
// every state lies below it: three inputs chosen backwards from the states high -0.9,
// low 0.9, band 0.9 (x 1e-30) after frame 63. Cleared there, the filters hold nothing and
// silence after it stays exactly 0.0; not cleared, they ring on from it.
TEST(DelayEngine, AFilterDiedAwayAtASettlePointIsClearedWhateverItsInput) {
    DelayEngine engine(11025.0f);
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) engine.applyParameter(i, kParameters[i].initial);
    for (std::int32_t index : {OriginCutoff, DelayCutoff}) engine.applyParameter(index, 1.0f);
    for (std::int32_t index : {OriginQ, DelayQ}) engine.applyParameter(index, 0.0f);  // damping 1
    const double f = engine.unit(1).getFrequency();
    const double high = -0.9, low = 0.9, band = 0.9;
    const double bandBefore = band - f * high, lowBefore = low - f * bandBefore;
    const double first = lowBefore / (f * f);          // from rest: low f^2 x, band f x after two frames
    const double highBefore = (bandBefore - f * first) / f;
    const double second = highBefore + lowBefore + f * first;
    const double last = high + low + bandBefore;
    ASSERT_GE(last, 1.9);  // the input of the settle point: nearly twice the level

    std::vector<float> in(64, 0.0f), left(64), right(64);
    in[61] = static_cast<float>(first * 1e-30);
    in[62] = static_cast<float>(second * 1e-30);
    in[63] = static_cast<float>(last * 1e-30);
    const float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {left.data(), right.data()};
    engine.processReplacing(inputs, outputs, 64);
    EXPECT_NE(left[63], 0.0f);  // the filter held something until the settle point
    std::fill(in.begin(), in.end(), 0.0f);
    engine.processReplacing(inputs, outputs, 64);
    EXPECT_EQ(std::count(left.begin(), left.end(), 0.0f), 64);
    EXPECT_EQ(std::count(right.begin(), right.end(), 0.0f), 64);
}

}  // namespace
