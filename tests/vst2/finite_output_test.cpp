// Whatever the settings and the input, every sample that leaves the plug-in is finite: NaN and
// infinite input count as silence, a filter pumped without bound is silenced, and nothing
// non-finite stays in the delay lines to come round again.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/parameters.h"
#include "support/plugin_fixture.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class FiniteOutputTest : public PluginTest {
protected:
    struct Stereo {
        std::vector<float> left, right;
    };

    // Replacing processing in blocks; the input vectors are passed as the host's buffers.
    Stereo render(std::vector<float>& left, std::vector<float>& right, int block = 512) {
        Stereo out{std::vector<float>(left.size()), std::vector<float>(right.size())};
        for (std::size_t start = 0; start < left.size(); start += block) {
            const auto frames = static_cast<VstInt32>(std::min<std::size_t>(block, left.size() - start));
            float* in[2] = {left.data() + start, right.data() + start};
            float* outs[2] = {out.left.data() + start, out.right.data() + start};
            effect->processReplacing(effect, in, outs, frames);
        }
        return out;
    }

    Stereo silence(std::size_t frames) {
        std::vector<float> left(frames), right(frames);
        return render(left, right);
    }

    // An echo setting that keeps whatever enters the delay line: 100 samples, feedback 1.0.
    void holdEchoes() {
        set(DelayMix, 0.5f);
        set(DelayTime, 100.0f / 441000.0f);
        set(Feedback, 1.0f);
    }

    static std::size_t countNonFinite(const Stereo& s) {
        std::size_t n = 0;
        for (float x : s.left) n += !std::isfinite(x);
        for (float x : s.right) n += !std::isfinite(x);
        return n;
    }
};

// The Init program loses its filter state within a few hundred samples and plays no echo,
// and processing flushes denormals, so ten seconds on the tail is exactly 0.0.
void expectSilentTail(const std::vector<float>& samples) {
    for (std::size_t n = samples.size() - 44100; n < samples.size(); ++n) ASSERT_EQ(samples[n], 0.0f) << n;
}

TEST_F(FiniteOutputTest, NonFiniteInputSoundsLikeSilenceAndIsLeftAsItWas) {
    struct Case {
        float bad;
        bool inPlace;
        bool accumulate;
    };
    const Case cases[] = {{kNaN, false, false}, {kInf, false, true}, {-kInf, true, false}};
    for (const Case& c : cases) {
        std::vector<float> outputs[2];
        for (int take = 0; take < 2; ++take) {
            dispatch(effMainsChanged, 0, 1);
            holdEchoes();
            std::vector<float> left(1500), right(1500);
            for (std::size_t n = 0; n < left.size(); ++n) left[n] = right[n] = std::sin(0.05f * n);
            // The first take has the bad samples, in the second block of 512, the second take 0.0.
            const float odd = take == 0 ? c.bad : 0.0f;
            left[700] = odd;
            right[701] = odd;
            right[1400] = odd;
            std::vector<float> out(left.size(), 0.0f), outRight(left.size(), 0.0f);
            float* ins[2] = {left.data(), right.data()};
            float* outs[2] = {c.inPlace ? left.data() : out.data(), c.inPlace ? right.data() : outRight.data()};
            const auto frames = static_cast<VstInt32>(left.size());
            if (c.accumulate)
                effect->process(effect, ins, outs, frames);
            else
                effect->processReplacing(effect, ins, outs, frames);
            outputs[take] = c.inPlace ? left : out;
            if (take == 0 && !c.inPlace) {
                EXPECT_FALSE(std::isfinite(left[700]));  // the host's input is untouched
            }
        }
        EXPECT_EQ(outputs[0], outputs[1]) << c.bad << " in place " << c.inPlace;
    }
}

// Filter Q 1.0 leaves the filter undamped; a sawtooth LFO at full depth and rate sweeping
// its coefficient pumps energy in, and the level grows without bound even in silence.
TEST_F(FiniteOutputTest, FilterPumpedWithoutBoundIsSilencedInsteadOfOverflowing) {
    struct Path {
        VstInt32 q, shape, rate, depth;
    };
    for (const Path path : {Path{OriginQ, OriginFilterLfoShape, OriginFilterLfoRate, OriginFilterLfoDepth},
                            Path{DelayQ, DelayFilterLfoShape, DelayFilterLfoRate, DelayFilterLfoDepth}}) {
        dispatch(effSetProgram, 0, path.q == OriginQ ? 1 : 2);
        set(path.q, 1.0f);
        set(path.shape, 0.25f);  // Sawtooth
        set(path.rate, 1.0f);
        set(path.depth, 1.0f);
        if (path.q == DelayQ) {
            set(DelayMix, 0.5f);
            set(Feedback, 0.5f);
        }
        std::vector<float> left(44100), right(44100);
        for (std::size_t n = 0; n < left.size(); ++n) left[n] = right[n] = std::sin(0.1f * n);
        EXPECT_EQ(countNonFinite(render(left, right)), 0u);
        float peak = 0.0f;
        for (int second = 0; second < 40; ++second) {  // it reached NaN after 26 s
            const Stereo out = silence(44100);
            ASSERT_EQ(countNonFinite(out), 0u) << second;
            for (float x : out.left) peak = std::max(peak, std::fabs(x));
        }
        EXPECT_EQ(peak, 16.0f);  // it ran away; what left was held at the ceiling
        dispatch(effSetProgram, 0, 0);
        expectSilentTail(silence(441000).left);
    }
}

// Huge but finite input: the delay path's gain of 2.0 takes 3e38 past the float range
// inside the block, before the unit is checked. The infinity must not be kept.
TEST_F(FiniteOutputTest, OverflowInsideABlockIsNotKeptInTheDelayLines) {
    holdEchoes();
    set(DelayMix, 1.0f);
    std::vector<float> left(600), right(600);
    left[10] = 3e38f;
    right[10] = -3e38f;
    const Stereo out = render(left, right, 600);
    EXPECT_EQ(countNonFinite(out), 0u);
    const Stereo later = silence(44100);
    EXPECT_EQ(countNonFinite(later), 0u);
    dispatch(effSetProgram, 0, 5);  // an untouched program: Init
    const Stereo tail = silence(441000);
    expectSilentTail(tail.left);
    expectSilentTail(tail.right);
}

}  // namespace
