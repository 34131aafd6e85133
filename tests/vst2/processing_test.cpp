// Audio through the record's processing entries, as a host drives it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/denormal_guard.h"
#include "engine/filter_unit.h"
#include "core/parameters.h"
#include "support/plugin_fixture.h"

namespace {

class ProcessingTest : public PluginTest {
protected:
    struct Stereo {
        std::vector<float> left, right;
    };

    Stereo render(const std::vector<float>& left, const std::vector<float>& right, int block = 512) {
        Stereo out{std::vector<float>(left.size()), std::vector<float>(right.size())};
        for (std::size_t start = 0; start < left.size(); start += block) {
            const auto frames = static_cast<VstInt32>(std::min<std::size_t>(block, left.size() - start));
            float* in[2] = {const_cast<float*>(left.data() + start), const_cast<float*>(right.data() + start)};
            float* outs[2] = {out.left.data() + start, out.right.data() + start};
            effect->processReplacing(effect, in, outs, frames);
        }
        return out;
    }

    static std::vector<float> impulse(std::size_t length, float level = 1.0f) {
        std::vector<float> v(length, 0.0f);
        v[0] = level;
        return v;
    }

    // The delay path's filter on its own, set as the Init program sets it, started at the
    // engine's clock 0: every 64 frames its states are cleared when all have died below 1e-30.
    static std::vector<float> delayPathResponse(const std::vector<float>& in, float gain) {
        FilterUnit unit(44100.0f);
        unit.setCutoff(1.0f);
        unit.setDamping(1.0f);
        unit.setOutputGain(gain);
        std::vector<float> out;
        for (float x : in) {
            out.push_back(unit.tick(x));
            const bool settled = std::fabs(unit.low()) < 1e-30f && std::fabs(unit.high()) < 1e-30f &&
                                 std::fabs(unit.band()) < 1e-30f && std::fabs(unit.notch()) < 1e-30f;
            if (out.size() % 64 == 0 && settled) unit.reset();
        }
        return out;
    }
};

TEST_F(ProcessingTest, InitProgramLowPassesEachChannelWithoutDelay) {
    const auto out = render(impulse(6), std::vector<float>(6, 0.0f));
    const float expected[] = {0.0f, 1.2991596460342407f, -0.5702877044677734f, 0.4319683313369751f,
                              -0.26934975385665894f, 0.1786276400089264f};
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(out.left[n], expected[n]) << n;
        EXPECT_EQ(out.right[n], 0.0f) << n;
    }
}

TEST_F(ProcessingTest, ShortestDelayIsOneSample) {
    set(OriginMix, 0.0f);
    set(DelayMix, 0.5f);
    std::vector<float> in(64);
    for (std::size_t n = 0; n < in.size(); ++n) in[n] = std::sin(0.3f * n);
    const auto out = render(in, in);
    const auto wet = delayPathResponse(in, 1.0f);
    EXPECT_EQ(out.left[0], 0.0f);
    for (std::size_t n = 1; n < in.size(); ++n) {
        EXPECT_EQ(out.left[n], wet[n - 1]) << n;
        EXPECT_EQ(out.right[n], wet[n - 1]) << n;
    }
}

TEST_F(ProcessingTest, EchoesReturnAfterTheDelayAtFeedbackLevel) {
    set(OriginMix, 0.0f);
    set(DelayMix, 0.5f);
    set(DelayTime, 0.5f);  // 220500 samples
    set(Feedback, 0.5f);
    const std::size_t length = 441000 + 200;
    const auto out = render(impulse(length), std::vector<float>(length, 0.0f), 4096);
    const auto wet = delayPathResponse(impulse(200), 1.0f);
    for (std::size_t n = 0; n < 220500; ++n) ASSERT_EQ(out.left[n], 0.0f) << n;
    for (std::size_t k = 0; k < 200; ++k) {
        EXPECT_EQ(out.left[220500 + k], wet[k]) << k;
        EXPECT_EQ(out.left[441000 + k], 0.5f * wet[k]) << k;
    }
    for (float r : out.right) ASSERT_EQ(r, 0.0f);  // channels never cross
}

TEST_F(ProcessingTest, DelayTimeIsCountedInSamplesWhateverTheHostRate) {
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    set(OriginMix, 0.0f);
    set(DelayMix, 0.5f);
    set(DelayTime, 1.0f);
    const std::size_t length = 441000 + 3;
    const auto out = render(impulse(length), impulse(length), 8192);
    for (std::size_t n = 0; n < 441000; ++n) ASSERT_EQ(out.left[n], 0.0f) << n;
    EXPECT_EQ(out.left[441001], 1.2991596460342407f);
}

TEST_F(ProcessingTest, AccumulatingAddsAndReplacingOverwrites) {
    set(DelayMix, 0.5f);
    set(Feedback, 0.3f);
    std::vector<float> in(300);
    for (std::size_t n = 0; n < in.size(); ++n) in[n] = std::cos(0.05f * n);
    const auto reference = render(in, in);
    dispatch(effMainsChanged, 0, 1);  // clears the delay lines and filters

    std::vector<float> left(in.size(), 0.25f), right(in.size(), -1.0f);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    effect->process(effect, ins, outs, static_cast<VstInt32>(in.size()));
    for (std::size_t n = 0; n < in.size(); ++n) {
        // (out + old) + dry: the sum in that order, so compare with a tolerance only for the
        // difference in rounding against (old + dry) + out.
        EXPECT_NEAR(left[n], 0.25f + reference.left[n], 1e-6f) << n;
        EXPECT_NEAR(right[n], -1.0f + reference.right[n], 1e-6f) << n;
    }
}

TEST_F(ProcessingTest, InPlaceBuffersGiveTheSameResult) {
    set(DelayMix, 0.7f);
    set(Feedback, 0.6f);
    set(OriginFilterType, 0.5f);
    std::vector<float> in(1000);
    for (std::size_t n = 0; n < in.size(); ++n) in[n] = std::sin(0.01f * n * n);
    const auto reference = render(in, in);
    dispatch(effMainsChanged, 0, 1);

    std::vector<float> left = in, right = in;
    float* both[2] = {left.data(), right.data()};
    effect->processReplacing(effect, both, both, static_cast<VstInt32>(in.size()));
    EXPECT_EQ(left, reference.left);
    EXPECT_EQ(right, reference.right);
}

// The delay path as it always was, then ping-pong ducked on tape, then cross-fed in Fade.
TEST_F(ProcessingTest, BlockSizeDoesNotChangeTheSound) {
    const std::vector<std::pair<VstInt32, float>> modes[] = {
        {}, {{DelayStereo, 1.0f}, {DelayDuck, 0.5f}, {DelayMotion, 1.0f}}, {{DelayStereo, 0.5f}, {DelayMotion, 0.5f}}};
    for (const auto& more : modes) {
        set(DelayMix, 0.5f);
        set(DelayTime, 0.0003f);
        set(Feedback, 0.8f);
        set(OriginFilterLfoDepth, 0.5f);
        set(DelayVolLfoDepth, 0.9f);
        for (const auto& [index, value] : more) set(index, value);
        // A phrase, then silence in which the states die away and are cleared to zero at the
        // engine's settle points, which must not depend on the blocks either.
        std::vector<float> in(5000 + 60000, 0.0f);
        for (std::size_t n = 0; n < 5000; ++n) in[n] = (n * 7919 % 200) / 100.0f - 1.0f;
        dispatch(effMainsChanged, 0, 1);
        const auto whole = render(in, in, static_cast<int>(in.size()));
        ASSERT_EQ(whole.left.back(), 0.0f);
        ASSERT_NE(whole.left[20000], 0.0f);
        for (int block : {1, 7, 64, 513}) {
            dispatch(effMainsChanged, 0, 1);
            const auto pieces = render(in, in, block);
            EXPECT_EQ(pieces.left, whole.left) << block << " with " << more.size() << " more";
            EXPECT_EQ(pieces.right, whole.right) << block << " with " << more.size() << " more";
        }
    }
}

TEST_F(ProcessingTest, EmptyAndNegativeBlocksDoNothing) {
    float sample = 5.0f;
    float* ins[2] = {&sample, &sample};
    float* outs[2] = {&sample, &sample};
    effect->processReplacing(effect, ins, outs, 0);
    effect->process(effect, ins, outs, -5);
    EXPECT_EQ(sample, 5.0f);
}

TEST_F(ProcessingTest, TransportStopResetsTheFiltersOnce) {
    set(OriginQ, 1.0f);  // no damping: the filter rings until reset
    auto ringing = [&] {
        const auto out = render(std::vector<float>(64, 0.0f), std::vector<float>(64, 0.0f));
        return out.left.back() != 0.0f;
    };
    render(impulse(16), impulse(16));
    EXPECT_TRUE(ringing());

    host.setPlaying(false);
    dispatch(effIdle);
    EXPECT_FALSE(ringing());  // reset by the stop

    render(impulse(16), impulse(16));
    dispatch(effIdle);  // same stop: no second reset
    EXPECT_TRUE(ringing());

    host.setPlaying(true);
    dispatch(effIdle);
    EXPECT_TRUE(ringing());
    host.setPlaying(false);
    dispatch(effIdle);  // a new stop resets again
    EXPECT_FALSE(ringing());
}

TEST_F(ProcessingTest, TransportStopKeepsTheDelayLines) {
    set(OriginMix, 0.0f);
    set(DelayMix, 0.5f);
    set(DelayTime, 0.001f);  // 441 samples
    render(impulse(100), impulse(100));
    host.setPlaying(false);
    dispatch(effIdle);
    const auto out = render(std::vector<float>(400), std::vector<float>(400));
    float energy = 0.0f;
    for (float x : out.left) energy += x * x;
    EXPECT_GT(energy, 0.5f);
}

TEST_F(ProcessingTest, ProcessingRestoresTheCallersFloatingPointState) {
    const FloatControl before = readFloatControl();
    std::vector<float> in(32, 1e-39f);  // denormal input
    const auto out = render(in, in);
    EXPECT_EQ(readFloatControl(), before);
    for (float x : out.left) EXPECT_EQ(std::fpclassify(x) == FP_SUBNORMAL, false);
}

}  // namespace
