#include "engine/lfo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

WaveTableSet builtTables() {
    WaveTableSet set;
    buildWaveTables(set);
    return set;
}

class LfoTest : public ::testing::Test {
protected:
    void SetUp() override { lfo.setRateScale(100.0f); }
    WaveTableSet tables = builtTables();
    Lfo lfo{tables, 44100.0f};
};

TEST_F(LfoTest, StandsStillAtDepthZero) {
    lfo.setRate(1.0f);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(lfo.tick(), 0.0f);
    EXPECT_EQ(lfo.getPhase(), 0.0f);
}

TEST_F(LfoTest, RateGivesFiftyCyclesPerSecond) {
    // 4096 / 44100 x 0.5 positions per rate unit, x 100: 4.643991 positions per sample.
    lfo.setRate(1.0f);
    EXPECT_EQ(lfo.getRate(), 100.0f);
    EXPECT_EQ(lfo.getPhaseIncrement(), 4.643990993499756f);
    lfo.setRate(0.25f);
    EXPECT_EQ(lfo.getRate(), 25.0f);
    EXPECT_EQ(lfo.getPhaseIncrement(), 1.160997748374939f);
}

TEST_F(LfoTest, PulseIsHighForTheFirstQuarterCycle) {
    lfo.setShape(ShapePulse);
    lfo.setRate(1.0f);
    lfo.setDepth(1.0f);
    // Positions 0, 4.64, 9.29 ... stay below 1024 for ticks 0 to 220 (220 x 4.644 = 1021.7).
    for (int n = 0; n <= 220; ++n) ASSERT_EQ(lfo.tick(), 1.0f) << n;
    for (int n = 221; n < 880; ++n) ASSERT_EQ(lfo.tick(), 0.0f) << n;
    for (int n = 880; n < 884; ++n) lfo.tick();  // the cycle ends near 4096 / 4.644 = 882
    EXPECT_EQ(lfo.tick(), 1.0f);                 // position 4105: the next cycle's pulse
}

TEST_F(LfoTest, DepthScalesAndRateZeroHolds) {
    struct HoldCase {
        WaveShape shape;
        float value;
    };
    for (const HoldCase& c : {HoldCase{ShapePulse, 0.5f}, HoldCase{ShapeSquare, 0.5f}, HoldCase{ShapeSine, 0.0f},
                              HoldCase{ShapeSawtooth, 0.0f}, HoldCase{ShapeTriangle, 0.0f}}) {
        lfo.setShape(c.shape);
        lfo.setRate(0.0f);
        lfo.setDepth(0.5f);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(lfo.tick(), c.value) << c.shape;
    }
}

TEST_F(LfoTest, SineIsUnipolarAndPeaksMidCycle) {
    lfo.setShape(ShapeSine);
    lfo.setRate(0.01f);
    lfo.setDepth(1.0f);
    float peak = 0.0f;
    int peakAt = 0;
    const int cycle = static_cast<int>(4096 / lfo.getPhaseIncrement());
    for (int n = 0; n < cycle; ++n) {
        const float v = lfo.tick();
        ASSERT_GE(v, 0.0f);
        if (v > peak) {
            peak = v;
            peakAt = n;
        }
    }
    EXPECT_EQ(peak, 1.0f);
    EXPECT_NEAR(peakAt, cycle / 2, cycle / 1000);
}

// A moving rate sweeps on from where the cycle is; a new shape starts it again.
TEST_F(LfoTest, ARateChangeGoesOnFromThePhaseAndAShapeChangeRestarts) {
    lfo.setShape(ShapeSawtooth);
    lfo.setRate(0.5f);
    lfo.setDepth(1.0f);
    for (int i = 0; i < 50; ++i) lfo.tick();
    const float phase = lfo.getPhase();
    ASSERT_GT(phase, 0.0f);
    for (float rate : {0.5f, 0.25f}) {
        lfo.setRate(rate);
        EXPECT_EQ(lfo.getPhase(), phase) << rate;
    }
    const float increment = lfo.getPhaseIncrement();
    EXPECT_EQ(increment, static_cast<float>(25.0 * static_cast<float>(4096.0 / 44100 * 0.5)));
    lfo.tick();
    EXPECT_EQ(lfo.getPhase(), phase + increment);
    lfo.setShape(ShapeSawtooth);
    EXPECT_EQ(lfo.getPhase(), 0.0f);
    EXPECT_EQ(lfo.tick(), 0.0f);
}

TEST_F(LfoTest, ResumesFromItsPhaseWhenDepthReturns) {
    lfo.setShape(ShapeSawtooth);
    lfo.setRate(1.0f);
    lfo.setDepth(1.0f);
    for (int i = 0; i < 10; ++i) lfo.tick();
    const float phase = lfo.getPhase();
    lfo.setDepth(0.0f);
    for (int i = 0; i < 10; ++i) lfo.tick();
    EXPECT_EQ(lfo.getPhase(), phase);
    lfo.setDepth(1.0f);
    EXPECT_EQ(lfo.tick(), static_cast<float>(static_cast<int>(phase)) / 4096);
}

// Below 2^20 positions the phase is the plain float sum; from there on it is folded back
// by whole table lengths and keeps cycling where the plain sum would get stuck (at
// 4.64 positions per sample the float sum stops moving past 2^27).
TEST_F(LfoTest, PhaseIsExactThenKeepsRunning) {
    lfo.setShape(ShapePulse);
    lfo.setRate(1.0f);
    lfo.setDepth(1.0f);
    const float increment = lfo.getPhaseIncrement();
    float plain = 0.0f;
    long n = 0;
    for (; plain < 1048576.0f; ++n) {
        const float expected = (static_cast<int>(plain) & 4095) < 1024 ? 1.0f : 0.0f;
        ASSERT_EQ(lfo.tick(), expected) << n;
        plain += increment;
        ASSERT_EQ(lfo.getPhase(), plain < 1048576.0f ? plain : std::fmod(plain, 4096.0f)) << n;
    }
    EXPECT_LT(lfo.getPhase(), 4096.0f + increment);

    for (; n < 40000000; ++n) lfo.tick();  // well past where a plain float sum freezes
    int highs = 0;
    for (int i = 0; i < 882; ++i) highs += lfo.tick() == 1.0f;
    EXPECT_NEAR(highs, 221, 1);
}

}  // namespace
