// Checks of what the plug-in makes of long and hostile signals: extreme settings held for a
// minute of audio, NaN and infinite input samples, and sample rates far from the usual.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "plughost/check_support.h"
#include "plughost/rate_level.h"

namespace plughost {
namespace {

constexpr double kHoldSeconds = 60.0;
constexpr double kNoiseSeconds = 5.0;
// 120 dB over full scale. Fed with noise at half scale, no stable setting comes near it once
// the input has stopped, while a feedback loop that gains energy passes it within seconds.
constexpr float kRunawayPeak = 1e6f;
// After a non-finite input sample, a second of clean input is time enough to forget it.
constexpr double kRecoverySeconds = 1.0;

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", s);
    return text;
}

std::string scientific(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", static_cast<double>(value));
    return text;
}

// The loudest output sample of a block; infinity when any sample is not finite.
float outputPeak(GuardedAudio& out, int frames) {
    float peak = 0.0f;
    for (int c = 0; c < out.channels(); ++c) {
        for (int i = 0; i < frames; ++i) {
            const float sample = out.channel(c)[i];
            if (!std::isfinite(sample)) return std::numeric_limits<float>::infinity();
            peak = std::max(peak, std::fabs(sample));
        }
    }
    return peak;
}

// Plain processing of whatever the input holds, for runs too long to guard every block.
float processBlock(PluginInstance& plugin, GuardedAudio& in, GuardedAudio& out) {
    for (int c = 0; c < out.channels(); ++c) std::fill_n(out.channel(c), kRunBlock, 0.0f);
    plugin.process(in.pointers(), out.pointers(), kRunBlock, false);
    plugin.dispatch(effIdle);
    return outputPeak(out, kRunBlock);
}

void fillSilence(GuardedAudio& audio) {
    for (int c = 0; c < audio.channels(); ++c) std::fill_n(audio.channel(c), kRunBlock, 0.0f);
}

int blocksIn(double s, double rate = kCheckRate) { return static_cast<int>(s * rate / kRunBlock); }
double secondsAt(int block, double rate = kCheckRate) { return block * kRunBlock / rate; }

std::string beyondBound(int fromBlock) {
    return "beyond " + scientific(kRunawayPeak) + " from " + seconds(secondsAt(fromBlock));
}

// The settings, in order: every parameter at 0; at 1; at 1 with every fourth at 0.25, from
// four offsets; four seeded mixtures of 0, 0.25, 0.5 and 1. Switches that divide their range
// into steps reach their second step at 0.25 (of four or more) and their last at 1, so
// together these reach most corners of a plug-in's settings without knowing what any
// parameter means.
constexpr int kFirstQuarterPattern = 2;
constexpr int kFirstMixture = 6;
static_assert(kExtremeSettings == kFirstMixture + 4);

}  // namespace

float blockPeak(GuardedAudio& out) { return outputPeak(out, kRunBlock); }

const std::vector<Poison>& poisons() {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    static const std::vector<Poison> list{{"NaN", std::numeric_limits<float>::quiet_NaN()}, {"+Inf", kInfinity}, {"-Inf", -kInfinity}};
    return list;
}

void judgePoisonedInput(const SignalBlock& process, GuardedAudio& in, const Poison& poison, unsigned seed, Findings& findings) {
    Random random(seed);
    const int before = blocksIn(0.5), recovered = before + 1 + blocksIn(kRecoverySeconds);
    int lastNonFinite = -1;
    for (int b = 0; b < recovered + blocksIn(1.0); ++b) {
        fillNoise(in, kRunBlock, random);
        if (b == before) {
            for (int ch = 0; ch < in.channels(); ++ch) in.channel(ch)[17] = poison.value;
        }
        if (std::isinf(process())) lastNonFinite = b;
    }
    if (lastNonFinite >= recovered) {
        findings.add(std::string("one ") + poison.name + " input sample at " + seconds(secondsAt(before)) +
                     ": output still not finite at " + seconds(secondsAt(lastNonFinite)) + ", after " +
                     seconds(secondsAt(lastNonFinite - before)) + " of clean input");
    }
}

void judgeExtremeSetting(const SignalBlock& process, GuardedAudio& in, unsigned seed, Findings& findings) {
    Random random(seed);
    const int noiseBlocks = blocksIn(kNoiseSeconds), blocks = blocksIn(kHoldSeconds), lastSecond = blocks - blocksIn(1.0);
    int beyondSince = -1;  // the first block of the stretch, after the input, beyond the bound
    float finalPeak = 0.0f;
    for (int b = 0; b < blocks; ++b) {
        if (b < noiseBlocks) fillNoise(in, kRunBlock, random);
        else fillSilence(in);
        const float peak = process();
        if (std::isinf(peak)) {
            const std::string since = beyondSince >= 0 ? beyondBound(beyondSince) + ", " : "";
            findings.add(since + "output not finite from " + seconds(secondsAt(b)) + " (input stopped at " +
                         seconds(kNoiseSeconds) + ")");
            return;
        }
        if (b >= noiseBlocks) beyondSince = peak > kRunawayPeak ? (beyondSince < 0 ? b : beyondSince) : -1;
        if (b >= lastSecond) finalPeak = std::max(finalPeak, peak);
    }
    if (finalPeak > kRunawayPeak) {
        findings.add("runs away after the input stopped at " + seconds(kNoiseSeconds) + ": " + beyondBound(beyondSince) +
                     ", peak " + scientific(finalPeak) + " in the last second");
    }
}

std::vector<float> extremeSetting(int which, std::size_t count, unsigned seed) {
    if (which == 0) return std::vector<float>(count, 0.0f);
    std::vector<float> values(count, 1.0f);
    if (which >= kFirstQuarterPattern && which < kFirstMixture) {
        for (std::size_t i = static_cast<std::size_t>(which - kFirstQuarterPattern); i < count; i += 4) values[i] = 0.25f;
    } else if (which >= kFirstMixture) {
        constexpr float kLevels[] = {0.0f, 0.25f, 0.5f, 1.0f};
        Random random(seed + 1000u * static_cast<unsigned>(which));
        for (float& value : values) value = kLevels[random.below(4)];
    }
    return values;
}

std::string extremeSettingName(int which) {
    if (which == 0) return "every parameter at 0";
    if (which < kFirstQuarterPattern) return "every parameter at 1";
    if (which < kFirstMixture) {
        return "every parameter at 1, those from " + std::to_string(which - kFirstQuarterPattern) + " in steps of 4 at 0.25";
    }
    return "seeded mixture " + std::to_string(which - kFirstMixture + 1) + " of 0, 0.25, 0.5 and 1";
}

void checkExtremeSetting(CheckContext& c, int which) {
    auto plugin = c.open();
    if (!plugin) return;
    startProcessing(*plugin, kRunBlock);
    const auto values = extremeSetting(which, static_cast<std::size_t>(plugin->record().numParams), c.options.seed);
    for (std::size_t i = 0; i < values.size(); ++i) plugin->setParameter(static_cast<VstInt32>(i), values[i]);
    GuardedAudio in(plugin->inputs(), kRunBlock), out(plugin->outputs(), kRunBlock);
    judgeExtremeSetting([&] { return processBlock(*plugin, in, out); }, in, c.options.seed, c.findings);
}

// Clean noise, one block with a poisoned sample in every input channel, clean noise again:
// the output may carry the poison for a moment, not for good.
void checkNonFiniteInput(CheckContext& c) {
    for (const Poison& poison : poisons()) {
        auto plugin = c.open();
        if (!plugin) return;
        startProcessing(*plugin, kRunBlock);
        GuardedAudio in(plugin->inputs(), kRunBlock), out(plugin->outputs(), kRunBlock);
        judgePoisonedInput([&] { return processBlock(*plugin, in, out); }, in, poison, c.options.seed, c.findings);
    }
}

namespace {

struct PhraseLevel {
    float output = 0.0f, input = 0.0f;  // peaks
};

// The built-in phrase through a fresh instance at `rate`.
PhraseLevel phraseLevel(CheckContext& c, double rate) {
    auto plugin = c.open();
    if (!plugin) return {};
    plugin->host().setPlaying(true);
    plugin->host().setSampleRate(rate);
    plugin->start(rate, kRunBlock);
    std::vector<std::vector<float>> out(static_cast<std::size_t>(plugin->outputs()), std::vector<float>(kRunBlock));
    std::vector<float*> inputs(static_cast<std::size_t>(plugin->inputs())), outputs;
    for (auto& channel : out) outputs.push_back(channel.data());
    PhraseLevel level;
    level.input = playPhrase(rate, kRunBlock, [&](const float* input, int frames) {
        std::fill(inputs.begin(), inputs.end(), const_cast<float*>(input));
        for (float* channel : outputs) std::fill_n(channel, frames, 0.0f);
        plugin->process(inputs.data(), outputs.data(), frames, false);
        for (const float* channel : outputs) level.output = std::max(level.output, peakOf(channel, frames));
    });
    return level;
}

}  // namespace

// A host moving a project between sample rates: mains off, the new rate, mains on, and half a
// second of noise at each, the transport reporting the rate too. Then the level at each rate.
void checkSampleRates(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kRunBlock);
    for (double rate : {8000.0, 11025.0, 22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0,
                        384000.0, 44100.0}) {
        plugin->stop();
        plugin->host().setSampleRate(rate);
        plugin->start(rate, kRunBlock);
        const std::string context = "at " + std::to_string(static_cast<int>(rate)) + " Hz";
        if (!runBlocks(*plugin, blocksIn(0.5, rate), random, context, c.findings, [](int) {})) return;
    }
    const PhraseLevel reference = phraseLevel(c, kCheckRate);
    for (double rate : kLevelRates) {
        const std::string finding = rateLevelFinding(rate, phraseLevel(c, rate).output, reference.output, reference.input);
        if (!finding.empty()) c.findings.add(finding);
    }
}

}  // namespace plughost
