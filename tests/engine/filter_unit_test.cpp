#include "engine/filter_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

class FilterUnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        unit.setCutoff(1.0f);
        unit.setDamping(1.0f);
        unit.setOutputGain(1.0f);
        for (Lfo* lfo : {&unit.getFilterLfo(), &unit.getVolumeLfo()}) lfo->setRateScale(100.0f);
    }
    FilterUnit unit{44100.0f};
};

TEST_F(FilterUnitTest, CoefficientIsTheLinearApproximation) {
    // 2 pi x 8000 x v / 44100, rounded to float once.
    struct CutoffCase {
        float v;
        float f;
    };
    for (const CutoffCase& c : {CutoffCase{1.0f, 1.139806866645813f}, CutoffCase{0.5f, 0.5699034333229065f},
                                CutoffCase{0.0f, 0.0f}}) {
        unit.setCutoff(c.v);
        EXPECT_EQ(unit.getFrequency(), c.f) << c.v;
    }
}

// The recursion is stable only up to about 1.14, the coefficient of a full cutoff at 44.1 kHz:
// at lower rates a higher one is held there (a full cutoff at 32 kHz would be 1.5708).
TEST(FilterUnit, CoefficientNeverExceedsAFullCutoffsAt44100Hz) {
    struct RateCase {
        float rate, v, f;
    };
    for (const RateCase& c : {RateCase{48000.0f, 1.0f, 1.0471975803375244f}, RateCase{32000.0f, 0.5f, 0.7853981852531433f},
                              RateCase{8000.0f, 0.1f, 0.6283185482025146f}, RateCase{22050.0f, 0.5f, 1.139806866645813f},
                              RateCase{22050.0f, 0.5000001f, 1.139806866645813f},
                              RateCase{32000.0f, 1.0f, 1.139806866645813f}, RateCase{8000.0f, 1.0f, 1.139806866645813f}}) {
        FilterUnit unit(c.rate);
        unit.setCutoff(c.v);
        EXPECT_EQ(unit.getFrequency(), c.f) << c.v << " at " << c.rate << " Hz";
    }
}

TEST_F(FilterUnitTest, LowPassImpulseResponseSampleBySample) {
    // Worked through the recursion by hand in float: low += f band; high = in - low - q band;
    // band += f high; with f = 1.1398069, q = 1.
    const float expected[] = {0.0f, 1.2991596460342407f, -0.5702877044677734f, 0.4319683313369751f,
                              -0.26934975385665894f, 0.1786276400089264f};
    float in = 1.0f;
    for (float e : expected) {
        EXPECT_EQ(unit.tick(in), e);
        in = 0.0f;
    }
}

TEST_F(FilterUnitTest, SettlesOnAConstantInput) {
    for (int n = 0; n < 2000; ++n) unit.tick(1.0f);
    EXPECT_NEAR(unit.low(), 1.0f, 1e-6);
    EXPECT_NEAR(unit.notch(), 1.0f, 1e-6);
    EXPECT_NEAR(unit.band(), 0.0f, 1e-6);
    EXPECT_NEAR(unit.high(), 0.0f, 1e-6);
}

TEST_F(FilterUnitTest, ResetClearsEveryState) {
    // Notch among them: a reset unit in notch mode must start from silence, not from the
    // sum it held before.
    for (int n = 0; n < 50; ++n) unit.tick(1.0f);
    ASSERT_NE(unit.notch(), 0.0f);
    unit.reset();
    EXPECT_EQ(unit.low(), 0.0f);
    EXPECT_EQ(unit.high(), 0.0f);
    EXPECT_EQ(unit.band(), 0.0f);
    EXPECT_EQ(unit.notch(), 0.0f);
}

TEST_F(FilterUnitTest, ModeSelectsTheOutputState) {
    const float input[] = {1.0f, -0.5f, 0.25f, 0.8f, 0.0f, -1.0f};
    for (std::int32_t mode : {ModeLow, ModeHigh, ModeBand, ModeNotch}) {
        FilterUnit probe(44100.0f);
        probe.setCutoff(0.3f);
        probe.setDamping(0.4f);
        probe.setOutputGain(0.5f);
        probe.setMode(mode);
        for (float x : input) {
            const float y = probe.tick(x);
            const float states[] = {probe.low(), probe.high(), probe.band(), probe.low() + probe.high()};
            EXPECT_EQ(y, states[mode] * 0.5f) << mode;
        }
    }
}

TEST_F(FilterUnitTest, ZeroGainSilencesButStatesFollow) {
    unit.setOutputGain(0.0f);
    for (int n = 0; n < 100; ++n) EXPECT_EQ(unit.tick(1.0f), 0.0f);
    EXPECT_NEAR(unit.low(), 1.0f, 1e-3);
}

TEST_F(FilterUnitTest, ZeroDampingRingsWithoutDecay) {
    unit.setDamping(0.0f);
    unit.setCutoff(0.1f);
    unit.tick(1.0f);
    float early = 0.0f;
    float late = 0.0f;
    for (int n = 1; n < 100000; ++n) {
        const float y = std::fabs(unit.tick(0.0f));
        if (n < 2000) early = std::max(early, y);
        if (n > 98000) late = std::max(late, y);
    }
    EXPECT_GT(early, 0.1f);
    EXPECT_GT(late, 0.9f * early);
}

TEST_F(FilterUnitTest, VolumeLfoLowersTheLevel) {
    // Pulse at depth 0.25: the first quarter cycle plays at 0.75 of the level.
    unit.setMode(ModeNotch);
    unit.setDamping(1.0f);
    Lfo& volume = unit.getVolumeLfo();
    volume.setShape(ShapePulse);
    volume.setRate(1.0f);
    volume.setDepth(0.25f);
    FilterUnit plain(44100.0f);
    plain.setCutoff(1.0f);
    plain.setDamping(1.0f);
    plain.setOutputGain(1.0f);
    plain.setMode(ModeNotch);
    for (int n = 0; n < 200; ++n) {
        const float x = n % 7 == 0 ? 1.0f : -0.25f;
        const float reference = plain.tick(x);
        const float y = unit.tick(x);
        EXPECT_EQ(y, (reference - 0.25f * reference) * 1.0f) << n;
    }
}

TEST_F(FilterUnitTest, FilterLfoAtFullDepthFreezesTheIntegrators) {
    // A pulse at depth 1.0 takes the coefficient to 0 for its first quarter cycle: low
    // and band keep their values whatever comes in.
    unit.tick(1.0f);
    const float low = unit.low();
    const float band = unit.band();
    Lfo& filter = unit.getFilterLfo();
    filter.setShape(ShapePulse);
    filter.setRate(1.0f);
    filter.setDepth(1.0f);
    for (int n = 0; n < 100; ++n) unit.tick(n % 2 ? 1.0f : -1.0f);
    EXPECT_EQ(unit.low(), low);
    EXPECT_EQ(unit.band(), band);
}

TEST_F(FilterUnitTest, ResetClearsStatesAndRestartsBothLfos) {
    unit.getFilterLfo().setDepth(0.5f);
    unit.getFilterLfo().setRate(1.0f);
    unit.getVolumeLfo().setDepth(0.5f);
    unit.getVolumeLfo().setRate(1.0f);
    for (int n = 0; n < 10; ++n) unit.tick(1.0f);
    unit.reset();
    EXPECT_EQ(unit.low(), 0.0f);
    EXPECT_EQ(unit.high(), 0.0f);
    EXPECT_EQ(unit.band(), 0.0f);
    EXPECT_EQ(unit.getFilterLfo().getPhase(), 0.0f);
    EXPECT_EQ(unit.getVolumeLfo().getPhase(), 0.0f);
}

}  // namespace
