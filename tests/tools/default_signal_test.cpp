#include <gtest/gtest.h>

#include <cmath>

#include "plughost/default_signal.h"

namespace plughost {
namespace {

double energy(const std::vector<float>& s, double from, double to, double rate) {
    double sum = 0.0;
    for (auto i = static_cast<std::size_t>(from * rate); i < static_cast<std::size_t>(to * rate); ++i) sum += s[i] * s[i];
    return sum;
}

float peak(const std::vector<float>& s, double from, double to, double rate) {
    float p = 0.0f;
    for (auto i = static_cast<std::size_t>(from * rate); i < std::min(s.size(), static_cast<std::size_t>(to * rate)); ++i) {
        p = std::max(p, std::fabs(s[i]));
    }
    return p;
}

// The lag between 2 and 400 samples at which the signal best matches itself.
int strongestPeriod(const std::vector<float>& s, std::size_t from, std::size_t length) {
    int best = 0;
    double bestScore = -1e300;
    for (int lag = 2; lag < 400; ++lag) {
        double score = 0.0;
        for (std::size_t i = from; i < from + length; ++i) score += s[i] * s[i + static_cast<std::size_t>(lag)];
        if (score > bestScore) bestScore = score, best = lag;
    }
    return best;
}

class DefaultSignal : public testing::TestWithParam<double> {};

TEST_P(DefaultSignal, IsThePhraseThenSilenceInBothChannels) {
    const double rate = GetParam();
    const StereoAudio audio = defaultSignal(rate);
    EXPECT_EQ(audio.sampleRate, rate);
    ASSERT_EQ(audio.frames(), static_cast<std::size_t>(5.0 * rate));
    EXPECT_EQ(audio.left, audio.right);

    const std::vector<float>& s = audio.left;
    for (std::size_t k = 0; k < kPhrase.size(); ++k) {
        const double start = kPhrase[k].start;
        SCOPED_TRACE(start);
        EXPECT_GT(peak(s, start, start + 0.05, rate), 0.2f) << "the event sounds";
        const double next = k + 1 < kPhrase.size() ? kPhrase[k + 1].start : kDefaultSignalSeconds;
        EXPECT_EQ(energy(s, start + kNoteSeconds + 1.0 / rate, next, rate), 0.0) << "then nothing until the next";
    }
    EXPECT_LT(peak(s, 0.0, kDefaultSignalSeconds, rate), 1.0f);
    // 1.8 s + 0.35 s: from 2.15 s on, nothing but room for echoes.
    EXPECT_EQ(energy(s, 2.16, kDefaultSignalSeconds, rate), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, DefaultSignal, testing::Values(44100.0, 48000.0, 96000.0));

TEST(DefaultSignal, PlucksAreTunedAndTheSameEveryTime) {
    const StereoAudio audio = defaultSignal(44100.0);
    // A4 at 1.2 s: a period of 44100 / 440 = 100.2 samples; A3 at 0: 200.5 samples.
    EXPECT_NEAR(strongestPeriod(audio.left, static_cast<std::size_t>(1.25 * 44100), 2000), 100, 1);
    EXPECT_NEAR(strongestPeriod(audio.left, static_cast<std::size_t>(0.05 * 44100), 2000), 200, 1);
    EXPECT_EQ(defaultSignal(44100.0).left, audio.left);
}

}  // namespace
}  // namespace plughost
