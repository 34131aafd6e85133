// The factory presets as a user gets them: each generated .fxp loaded by the host tool into
// the built plug-in, and its sound measured against what its name and values promise.
#include "presets/factory_presets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>

#include "lv2/ports.h"
#include "vst2/program_bank.h"
#include "plughost/default_signal.h"
#include "plughost/render.h"

namespace {

using namespace plughost;

constexpr double kRate = 44100.0;
constexpr std::size_t kLineLength = 441000;  // the whole delay line: ten seconds at 44100 Hz

std::string presetFile(const FactoryPreset& preset) {
    return std::string(VELLUMINE_PRESET_DIR) + "/" + preset.name + ".fxp";
}

// The delay in samples that the preset's time value stands for.
// The delay in samples that the preset's time value, or its note at the host's tempo, stands for.
std::size_t delaySamples(const FactoryPreset& preset) {
    const std::int32_t note = enumerationStop(DelaySync, preset.values()[DelaySync]);
    if (note != 0) return static_cast<std::size_t>(std::ceil(static_cast<float>(syncedDelaySamples(note, Host::kTempo, kRate))));
    return static_cast<std::size_t>(std::ceil(scaled(static_cast<double>(kLineLength), preset.values()[DelayTime])));
}

// The louder side, sample by sample: where echoes cross from side to side, each echo is on one.
std::vector<float> louderSide(const StereoAudio& audio) {
    std::vector<float> louder(audio.left.size());
    for (std::size_t n = 0; n < louder.size(); ++n) louder[n] = std::max(std::fabs(audio.left[n]), std::fabs(audio.right[n]));
    return louder;
}

StereoAudio render(const FactoryPreset& preset, StereoAudio input, double tailSeconds,
                   std::vector<ParameterSetting> settings = {}, double tempo = Host::kTempo) {
    std::string error;
    auto module = PluginModule::load(VELLUMINE_PLUGIN, error);
    EXPECT_TRUE(module) << error;
    RenderOptions options;
    options.preset.programFile = presetFile(preset);
    options.settings = std::move(settings);
    options.tailSeconds = tailSeconds;
    options.tempo = tempo;
    StereoAudio output;
    if (module) {
        EXPECT_TRUE(plughost::render(*module, input, options, output, error)) << error;
    }
    return output;
}

// A single full-scale sample at kImpulseAt: 70 ms in, where the gating LFOs of the presets
// (phase 0 at the start) let the delay path through.
constexpr std::size_t kImpulseAt = 3087;
StereoAudio impulse() {
    StereoAudio audio;
    audio.sampleRate = kRate;
    audio.left.assign(kImpulseAt + 1, 0.0f);
    audio.left.back() = 1.0f;
    audio.right = audio.left;
    return audio;
}

std::size_t firstAbove(const std::vector<float>& samples, float threshold) {
    for (std::size_t n = 0; n < samples.size(); ++n)
        if (std::fabs(samples[n]) > threshold) return n;
    return samples.size();
}

float peakBetween(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    float peak = 0.0f;
    for (std::size_t n = from; n < std::min(to, samples.size()); ++n) peak = std::max(peak, std::fabs(samples[n]));
    return peak;
}

class FactoryPresetSound : public testing::TestWithParam<std::size_t> {
protected:
    const FactoryPreset& preset() const { return factoryPresets()[GetParam()]; }
};

// The delay path alone (dry mix 0), once as the preset has it and once with one sample of
// delay and no feedback: the same signal enters the line in both, so the distance between
// their onsets is the echo spacing, and each later repeat is compared with the one before.
TEST_P(FactoryPresetSound, EchoesAreSpacedByItsDelayTimeAndFallByItsFeedback) {
    const std::size_t delay = delaySamples(preset());
    const double seconds = static_cast<double>(4 * delay) / kRate + 0.2;
    // Dry and ducking off, so that only the echoes are heard, at their full level.
    const auto echoes = louderSide(render(preset(), impulse(), seconds, {{"0", 0.0f}, {"26", 0.0f}}));
    // The delay path at its shortest, as the loop runs it (a tape head reads at least 2 behind).
    const auto direct =
        render(preset(), impulse(), 0.1, {{"0", 0.0f}, {"11", 0.0f}, {"12", 0.0f}, {"22", 0.0f}, {"24", 0.0f}}).left;
    const float threshold = 1e-3f * peakBetween(direct, 0, direct.size());
    ASSERT_GT(threshold, 0.0f);
    EXPECT_EQ(firstAbove(echoes, threshold) - firstAbove(direct, threshold) + 1, delay);

    const float feedback = preset().values()[Feedback];
    // Without feedback, the first echo is the last: its successor must be silent.
    const std::size_t repeats = feedback > 0.0f ? 2 : 1;
    for (std::size_t repeat = 1; repeat <= repeats; ++repeat) {
        const float earlier = peakBetween(echoes, kImpulseAt + repeat * delay, kImpulseAt + (repeat + 1) * delay);
        const float later = peakBetween(echoes, kImpulseAt + (repeat + 1) * delay, kImpulseAt + (repeat + 2) * delay);
        ASSERT_GT(earlier, 0.0f) << "repeat " << repeat;
        EXPECT_NEAR(later / earlier, feedback, 1e-3) << "repeat " << repeat;
    }
}

// The built-in phrase and four delay times more: no peak above +6 dBFS, every sample finite
// and none denormal, and no runaway: long after the phrase, when only repeats are left, the
// last delay time is quieter than the one before by the feedback, which is below 1.
TEST_P(FactoryPresetSound, PhraseStaysBelowSixDecibelsAndItsRepeatsDecay) {
    const std::size_t delay = delaySamples(preset());
    const StereoAudio out = render(preset(), defaultSignal(kRate), static_cast<double>(4 * delay) / kRate);
    for (const auto* channel : {&out.left, &out.right}) {
        const ChannelLevels levels = measure(*channel);
        EXPECT_TRUE(levels.finite);
        EXPECT_LE(levels.peak, 2.0f) << "peak " << 20.0 * std::log10(levels.peak) << " dBFS";
        std::size_t denormals = 0;
        for (float s : *channel) denormals += std::fpclassify(s) == FP_SUBNORMAL;
        EXPECT_EQ(denormals, 0u);
    }
    const std::vector<float> louder = louderSide(out);
    const std::size_t end = louder.size();
    const float last = peakBetween(louder, end - delay, end), before = peakBetween(louder, end - 2 * delay, end - delay);
    if (preset().values()[Feedback] > 0.0f) {
        EXPECT_NEAR(last / before, preset().values()[Feedback], 1e-3);
    } else {
        EXPECT_EQ(last, 0.0f);
    }
}

std::string presetName(const testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    for (const char* c = factoryPresets()[info.param].name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
}

INSTANTIATE_TEST_SUITE_P(Factory, FactoryPresetSound, testing::Range<std::size_t>(0, factoryPresets().size()), presetName);

TEST(FactoryPresets, NamesFitAProgramNameAndDiffer) {
    std::set<std::string_view> names;
    for (const FactoryPreset& preset : factoryPresets()) {
        EXPECT_LE(std::string_view(preset.name).size(), 23u) << preset.name;
        EXPECT_TRUE(names.insert(preset.name).second) << preset.name << " twice";
    }
    EXPECT_GE(names.size(), 24u);
    EXPECT_LE(names.size(), static_cast<std::size_t>(kNumPrograms));
}

// The LV2 presets carry the values in the ports' units; the plug-in must turn each back into
// exactly the value the .fxp holds, or the two editions would not sound the same. No preset
// keeps the feedback at 1.0 or a filter at full resonance, which would never fall silent.
TEST(FactoryPresets, ValuesAreNormalizedDecayAndSurviveThePortUnits) {
    for (const FactoryPreset& preset : factoryPresets()) {
        for (std::int32_t i = 0; i < kNumDefinedParams; ++i) {
            const float v = preset.values()[i];
            EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << preset.name << " parameter " << i;
            EXPECT_EQ(fromUnitValue(i, toUnitValue(i, v)), v) << preset.name << " parameter " << i;
        }
        EXPECT_LT(preset.values()[Feedback], 1.0f) << preset.name;
        EXPECT_LT(preset.values()[OriginQ], 1.0f) << preset.name;
        EXPECT_LT(preset.values()[DelayQ], 1.0f) << preset.name;
    }
}

// Presets named after a note value land on it at 120 BPM, to the sample.
TEST(FactoryPresets, TempoPresetsLandOnTheirNoteValue) {
    const std::pair<const char*, double> kNotes[] = {
        {"Quarter Note 120", 0.5}, {"Eighth Note 120", 0.25}, {"Dotted Eighth 120", 0.375},
        {"Sixteenth Note 120", 0.125}, {"Half Note 120", 1.0},
    };
    for (const auto& note : kNotes) {
        const auto [name, seconds] = note;
        const auto presets = factoryPresets();
        const auto found = std::find_if(presets.begin(), presets.end(),
                                        [&](const FactoryPreset& p) { return std::string_view(p.name) == note.first; });
        ASSERT_NE(found, presets.end()) << name;
        EXPECT_NEAR(static_cast<double>(delaySamples(*found)), seconds * kRate, 1.0) << name;
    }
}

// The synced presets follow the host's tempo: the first echo comes one note of it after the
// impulse, to the sample (the note at 90 and 140 BPM, rounded halves up).
TEST(FactoryPresets, SyncedPresetsLandOnTheirNoteAtTheHostsTempo) {
    const std::pair<const char*, double> kBeats[] = {
        {"Quarter Note Sync", 1.0}, {"Eighth Note Sync", 0.5}, {"Dotted Eighth Sync", 0.75},
        {"Triplet Eighth Sync", 1.0 / 3.0}, {"Half Note Sync", 2.0},
    };
    const auto presets = factoryPresets();
    for (const auto& [noteName, noteBeats] : kBeats) {
        const char* name = noteName;  // copies: clang before 16 cannot capture a structured binding in a lambda
        const double beats = noteBeats;
        const auto found = std::find_if(presets.begin(), presets.end(),
                                        [&](const FactoryPreset& p) { return std::string_view(p.name) == name; });
        ASSERT_NE(found, presets.end()) << name;
        EXPECT_NE(found->values()[DelaySync], 0.0f) << name;
        for (double bpm : {90.0, 140.0}) {
            const auto echo = static_cast<std::size_t>(std::floor(beats * 60.0 / bpm * kRate + 0.5));
            const StereoAudio out = render(*found, impulse(), 3.0, {{"0", 0.0f}}, bpm);  // the echoes alone
            std::size_t first = 0;
            for (std::size_t n = kImpulseAt + 1; n < out.left.size() && first == 0; ++n)
                if (std::fabs(out.left[n]) > 0.05f) first = n;
            EXPECT_EQ(first - kImpulseAt, echo + 1) << name << " at " << bpm;  // + the low-pass's one sample
        }
    }
}

}  // namespace
