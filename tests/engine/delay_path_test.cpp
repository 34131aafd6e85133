// The delay path's own modes, heard at the engine's outputs: stereo routing, the motion of a
// delay change, freeze and ducking.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "core/parameters.h"
#include "engine/delay_engine.h"

namespace {

constexpr float kRate = 44100.0f;
constexpr std::size_t kSecond = 44100;
constexpr std::size_t kBlock = 256;
// The first frame of the block nearest to a time, where a change can be made.
constexpr std::size_t blockAt(double seconds) { return static_cast<std::size_t>(seconds * kRate / kBlock + 0.5) * kBlock; }
constexpr float kJump = 0.0f, kFade = 0.5f, kTape = 1.0f;  // Motion's stops
constexpr float kNormal = 0.0f, kCross = 0.5f, kPingPong = 1.0f;  // Stereo's stops

using Settings = std::vector<std::pair<std::int32_t, float>>;

void apply(DelayEngine& engine, const Settings& settings) {
    for (const auto& [index, value] : settings) engine.applyParameter(index, value);
}

// Init, the delay path alone at full level, then the settings.
std::unique_ptr<DelayEngine> delayPath(const Settings& settings) {
    auto engine = std::make_unique<DelayEngine>(kRate);
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) engine->applyParameter(i, kParameters[i].initial);
    apply(*engine, {{OriginMix, 0.0f}, {DelayMix, 1.0f}});
    apply(*engine, settings);
    return engine;
}

struct Stereo {
    std::vector<float> left, right;
};

// In blocks of kBlock frames; `before` is told each block's first frame before it runs.
Stereo render(DelayEngine& engine, const Stereo& in, const std::function<void(std::size_t)>& before = {}) {
    Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.left.size())};
    for (std::size_t done = 0; done < in.left.size(); done += kBlock) {
        if (before) before(done);
        const auto frames = static_cast<std::int32_t>(std::min(kBlock, in.left.size() - done));
        const float* ins[2] = {in.left.data() + done, in.right.data() + done};
        float* outs[2] = {out.left.data() + done, out.right.data() + done};
        engine.processReplacing(ins, outs, frames);
    }
    return out;
}

Stereo sine(std::size_t frames, float frequency = 440.0f) {
    Stereo s{std::vector<float>(frames), {}};
    for (std::size_t n = 0; n < frames; ++n)
        s.left[n] = 0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(n) / kRate));
    s.right = s.left;
    return s;
}

Stereo noise(std::size_t frames, std::size_t playing, float amplitude, std::uint32_t seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> draw(-amplitude, amplitude);
    Stereo s{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t n = 0; n < playing; ++n) s.left[n] = draw(random), s.right[n] = draw(random);
    return s;
}

float largestStep(const std::vector<float>& x, std::size_t from, std::size_t to) {
    float step = 0.0f;
    for (std::size_t n = from + 1; n < to; ++n) step = std::max(step, std::fabs(x[n] - x[n - 1]));
    return step;
}

double decibels(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t n = from; n < to; ++n) sum += static_cast<double>(x[n]) * x[n];
    return 10.0 * std::log10(sum / static_cast<double>(to - from));
}

std::size_t cycleOf(const DelayEngine& engine) { return static_cast<std::size_t>(std::ceil(engine.getDelayLength())); }

// A left-only impulse in Cross, a mono one in Ping-Pong: the filtered impulse comes back left
// after the delay, then right, then left, each echo exactly feedback times the one before, the
// other side silent, in the loop layout and in the ring alike.
TEST(DelayPath, CrossAndPingPongEchoesAlternateSidesEachFeedbackTimesTheOneBefore) {
    struct Case {
        float stereo, motion, right;  // right: the right input's impulse
    };
    for (const auto& [stereo, motion, right] : {Case{kCross, kJump, 0.0f}, {kPingPong, kJump, 1.0f}, {kCross, kFade, 0.0f},
                                                {kPingPong, kTape, 1.0f}, {kPingPong, kJump, 0.0f}}) {
        auto engine = delayPath({{DelayStereo, stereo}, {DelayMotion, motion}, {Feedback, 0.5f}, {DelayTime, 0.001f}});
        const std::size_t k = cycleOf(*engine);
        Stereo in{std::vector<float>(4 * k + 10), std::vector<float>(4 * k + 10)};
        in.left[0] = 1.0f;
        in.right[0] = right;
        const Stereo out = render(*engine, in);
        SCOPED_TRACE(testing::Message() << "stereo " << stereo << " motion " << motion << " right " << right);
        const float feedback = engine->getFeedback();
        ASSERT_GT(largestStep(out.left, k, 2 * k), 0.1f);
        for (std::size_t n = 0; n < k; ++n) {
            ASSERT_EQ(out.left[n], 0.0f);
            ASSERT_EQ(out.right[n], 0.0f);
            ASSERT_EQ(out.right[k + n], 0.0f) << n;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(out.right[2 * k + n]), std::bit_cast<std::uint32_t>(out.left[k + n] * feedback)) << n;
            ASSERT_EQ(out.left[2 * k + n], 0.0f) << n;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(out.left[3 * k + n]), std::bit_cast<std::uint32_t>(out.right[2 * k + n] * feedback)) << n;
            ASSERT_EQ(out.right[3 * k + n], 0.0f) << n;
        }
    }
}

// Frozen, the lines loop what they hold: the delay output repeats its loop (crossed: both
// lines in turn) bit for bit for a minute while new input plays, and dies away after Off.
TEST(DelayPath, AFrozenLoopRepeatsBitForBitForAMinuteAndDecaysAfterwards) {
    struct Case {
        float motion, stereo;
    };
    const std::size_t freezeAt = blockAt(1.0), thawAt = blockAt(61.0), frames = 64 * kSecond;
    for (const auto& [motion, stereo] : {Case{kJump, kNormal}, {kFade, kCross}, {kTape, kPingPong}, {kJump, kCross}}) {
        auto engine = delayPath({{DelayMotion, motion}, {DelayStereo, stereo}, {DelayTime, 0.01f}, {Feedback, 0.5f}});
        const std::size_t period = cycleOf(*engine) * (stereo == kNormal ? 1 : 2);
        const Stereo out = render(*engine, noise(frames, thawAt, 0.5f), [&](std::size_t frame) {
            if (frame == freezeAt) engine->applyParameter(DelayFreeze, 1.0f);
            if (frame == thawAt) engine->applyParameter(DelayFreeze, 0.0f);
        });
        SCOPED_TRACE(testing::Message() << "motion " << motion << " stereo " << stereo);
        // After the 20 ms ramp of the ring modes and one period.
        for (std::size_t n = freezeAt + kSecond / 20 + period; n < thawAt; ++n) {
            ASSERT_EQ(out.left[n], out.left[n - period]) << n;
            ASSERT_EQ(out.right[n], out.right[n - period]) << n;
        }
        const double frozen = decibels(out.left, thawAt - kSecond, thawAt);
        EXPECT_GT(frozen, -20.0);
        EXPECT_LT(decibels(out.left, frames - kSecond / 10, frames), frozen - 60.0);
    }
}

// A 440 Hz sine through the delay path, its delay shortened mid-render by the Rate or by the
// host's tempo while synced. Jump clicks; Fade's output steps no further than the sine's own
// (a linear fade between two taps of one signal cannot), and is the new delay's within 60 ms.
TEST(DelayPath, FadeChangesTheDelayWithoutAStepWhereJumpClicks) {
    struct Case {
        Settings from, to;
        double tempoFrom, tempoTo;
    };
    const Case cases[] = {{{{DelayTime, 0.0375f}}, {{DelayTime, 0.025f}}, 120.0, 120.0},  // 375 to 250 ms
                          {{{DelaySync, 11.0f / 21.0f}}, {{DelaySync, 11.0f / 21.0f}}, 120.0, 150.0}};
    const std::size_t changeAt = blockAt(1.0), frames = 2 * kSecond;
    const Stereo in = sine(frames);
    for (const Case& c : cases) {
        for (float motion : {kJump, kFade}) {
            auto engine = delayPath({{DelayMotion, motion}});
            apply(*engine, c.from);
            engine->setTempo(c.tempoFrom);
            const Stereo out = render(*engine, in, [&](std::size_t frame) {
                if (frame != changeAt) return;
                apply(*engine, c.to);
                engine->setTempo(c.tempoTo);
            });
            auto settled = delayPath({{DelayMotion, motion}});
            apply(*settled, c.to);
            settled->setTempo(c.tempoTo);
            const Stereo after = render(*settled, in);
            SCOPED_TRACE(testing::Message() << "motion " << motion << " tempo " << c.tempoTo);
            const float own = largestStep(out.left, changeAt - kSecond / 4, changeAt);
            const float step = largestStep(out.left, changeAt - 1, frames);
            std::printf("%s: largest step %.4f, the sine's own %.4f\n", motion == kJump ? "Jump" : "Fade", step, own);
            if (motion == kJump) {
                EXPECT_GT(step, 1.3f * own);
            } else {
                EXPECT_LE(step, 1.05f * own);
                for (std::size_t n = changeAt + 60 * kSecond / 1000; n < frames; ++n) ASSERT_EQ(out.left[n], after.left[n]) << n;
            }
        }
    }
}

// The frequency of each half cycle, from the zero crossings (linearly placed between samples).
std::vector<double> halfCycleFrequencies(const std::vector<float>& x, std::size_t from, std::size_t to) {
    std::vector<double> frequencies;
    double last = -1.0;
    for (std::size_t n = from + 1; n < to; ++n) {
        if ((x[n - 1] < 0.0f) == (x[n] < 0.0f)) continue;
        const double at = static_cast<double>(n - 1) + x[n - 1] / (static_cast<double>(x[n - 1]) - x[n]);
        if (last >= 0.0) frequencies.push_back(kRate / (2.0 * (at - last)));
        last = at;
    }
    return frequencies;
}

// Tape: the same change bends the pitch up and back without a jump, within an octave, and
// the head arrives at the new delay exactly.
TEST(DelayPath, TapeGlidesToTheNewDelayWithinAnOctave) {
    const std::size_t changeAt = blockAt(1.0), frames = 3 * kSecond;
    const Stereo in = sine(frames);
    auto engine = delayPath({{DelayMotion, kTape}, {DelayTime, 0.0375f}});
    const Stereo out =
        render(*engine, in, [&](std::size_t frame) { if (frame == changeAt) engine->applyParameter(DelayTime, 0.025f); });
    auto settled = delayPath({{DelayMotion, kTape}, {DelayTime, 0.025f}});
    const Stereo after = render(*settled, in);

    const float own = largestStep(out.left, changeAt - kSecond / 2, changeAt);
    EXPECT_LE(largestStep(out.left, changeAt - 1, frames), 2.0f * own);
    const std::vector<double> f = halfCycleFrequencies(out.left, changeAt - kSecond / 2, frames);
    const auto [lowest, highest] = std::ranges::minmax(f);
    EXPECT_GT(lowest, 430.0);
    EXPECT_GT(highest, 600.0);
    EXPECT_LT(highest, 880.0);
    for (std::size_t i = 1; i < f.size(); ++i) ASSERT_LT(std::fabs(f[i] - f[i - 1]), 0.1 * f[i - 1]) << i;
    for (std::size_t n = 2 * kSecond; n < frames; ++n) ASSERT_EQ(out.left[n], after.left[n]) << n;
}

// A change of Motion while echoes sound carries the line's contents over: the output goes on
// without a step, in the ring and in the loop layout after it.
TEST(DelayPath, AChangeOfMotionGoesOnWithoutAStep) {
    const std::pair<float, float> changes[] = {{kJump, kFade}, {kFade, kTape}, {kTape, kJump}, {kFade, kJump}, {kJump, kTape}};
    const std::size_t changeAt = blockAt(1.0), frames = 2 * kSecond;
    const Stereo in = sine(frames);
    for (const auto& [from, to] : changes) {
        auto engine = delayPath({{DelayMotion, from}, {DelayTime, 0.0125f}, {Feedback, 0.5f}, {DelayStereo, kCross}});
        const float motion = to;  // a structured binding cannot be captured before C++20's clang 16
        const Stereo out =
            render(*engine, in, [&](std::size_t frame) { if (frame == changeAt) engine->applyParameter(DelayMotion, motion); });
        const float own = largestStep(out.left, changeAt - kSecond / 4, changeAt);
        EXPECT_LE(largestStep(out.left, changeAt - 1, frames), 1.05f * own) << from << " to " << to;
    }
}

// In Fade and Tape the mixes and cutoffs move over 20 ms: a change steps no further than the
// signal itself does before and after it, where in Jump the mixes click.
TEST(DelayPath, RampedSettingsMoveWithoutSteps) {
    struct Case {
        std::int32_t index;
        float from, to;
        bool jumpClicks;
    };
    const Case cases[] = {{OriginMix, 0.0f, 1.0f, true}, {DelayMix, 0.0f, 1.0f, true}, {DelayCutoff, 0.2f, 1.0f, false},
                          {Feedback, 0.0f, 0.9f, false}};
    const std::size_t changeAt = blockAt(1.0), frames = 2 * kSecond;
    const Stereo in = sine(frames);
    for (const Case& c : cases) {
        for (float motion : {kJump, kFade, kTape}) {
            auto engine = delayPath({{DelayMotion, motion}, {DelayTime, 0.005f}, {c.index, c.from}});
            const Stereo out =
                render(*engine, in, [&](std::size_t frame) { if (frame == changeAt) engine->applyParameter(c.index, c.to); });
            SCOPED_TRACE(testing::Message() << "parameter " << c.index << " motion " << motion);
            const float own = std::max(largestStep(out.left, changeAt - kSecond / 2, changeAt),
                                       largestStep(out.left, frames - kSecond / 2, frames));
            const float step = largestStep(out.left, changeAt - 1, frames);
            if (motion != kJump) {
                EXPECT_LE(step, 1.05f * own);
            } else if (c.jumpClicks) {
                EXPECT_GT(step, 2.0f * own);
            }
        }
    }
}

// Noise at about -12 dBFS for a second, then silence, into 100 ms echoes at feedback 0.9:
// against the same without Duck, the echoes are 40 dB x Duck down while it plays and back
// within a dB 500 ms after it stops.
TEST(DelayPath, DuckTurnsTheEchoesDownWhileTheInputPlays) {
    const std::size_t frames = 2 * kSecond;
    const Stereo in = noise(frames, kSecond, 0.433f);
    auto level = [&](float duck, std::size_t from, std::size_t to) {
        auto engine = delayPath({{DelayTime, 0.01f}, {Feedback, 0.9f}, {DelayDuck, duck}});
        return decibels(render(*engine, in).left, from, to);
    };
    const std::size_t playing = kSecond / 2, after = kSecond + kSecond / 2;
    const double full = level(1.0f, playing, kSecond) - level(0.0f, playing, kSecond);
    const double half = level(0.5f, playing, kSecond) - level(0.0f, playing, kSecond);
    EXPECT_LT(full, -30.0);
    EXPECT_NEAR(half / full, 0.5, 0.1);
    EXPECT_NEAR(level(1.0f, after, after + kSecond / 10), level(0.0f, after, after + kSecond / 10), 1.0);
}

}  // namespace
