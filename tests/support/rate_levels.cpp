#include "support/rate_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "plughost/default_signal.h"
#include "presets/factory_presets.h"

namespace {

constexpr double kLowRates[] = {8000.0, 16000.0, 22050.0, 24000.0, 32000.0, 37800.0};
constexpr float kMargin = 2.0f;  // 6 dB

LevelSetting initWith(std::string name, std::initializer_list<std::pair<ParameterIndex, float>> changes) {
    LevelSetting setting{std::move(name), {}};
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) setting.values[static_cast<std::size_t>(i)] = kParameters[i].initial;
    for (const auto& [index, value] : changes) setting.values[static_cast<std::size_t>(index)] = value;
    return setting;
}

// The loudest sample; infinity when one is not finite.
float peakOf(const std::vector<float>& samples) {
    float peak = 0.0f;
    for (float s : samples) peak = std::isfinite(s) ? std::max(peak, std::fabs(s)) : INFINITY;
    return peak;
}

float decibels(float level) { return 20.0f * std::log10(level); }

}  // namespace

std::vector<LevelSetting> levelSettings() {
    std::vector<LevelSetting> settings = {
        initWith("Init", {}),
        initWith("engine_bench busy",
                 {{OriginFilterType, 0.5f}, {OriginQ, 0.9f}, {OriginFilterLfoDepth, 0.6f}, {OriginFilterLfoRate, 0.3f},
                  {OriginVolLfoDepth, 0.4f}, {OriginVolLfoRate, 0.1f}, {DelayMix, 0.5f}, {DelayTime, 0.0375f},
                  {Feedback, 0.9f}, {DelayFilterType, 0.7f}, {DelayQ, 0.9f}, {DelayFilterLfoDepth, 0.5f},
                  {DelayFilterLfoRate, 0.2f}, {DelayVolLfoDepth, 0.3f}, {DelayVolLfoRate, 0.05f}}),
        initWith("edition_bench busy",
                 {{OriginFilterType, 0.5f}, {OriginQ, 0.5f}, {OriginFilterLfoDepth, 0.5f}, {OriginVolLfoDepth, 0.5f},
                  {DelayMix, 0.5f}, {DelayTime, 0.5f}, {Feedback, 0.7f}, {DelayFilterType, 0.667f}, {DelayQ, 0.5f},
                  {DelayFilterLfoDepth, 0.5f}, {DelayVolLfoDepth, 0.5f}}),
    };
    for (const FactoryPreset& preset : factoryPresets()) {
        LevelSetting setting{preset.name, {}};
        const std::array<float, kNumDefinedParams> values = preset.values();
        std::copy(values.begin(), values.end(), setting.values.begin());
        settings.push_back(setting);
    }
    return settings;
}

void expectLevelsHeldAtLowRates(const LevelRender& render) {
    for (const LevelSetting& setting : levelSettings()) {
        const float reference = peakOf(render(setting, 44100.0, plughost::defaultSignal(44100.0).left));
        ASSERT_TRUE(std::isfinite(reference) && reference > 0.0f) << setting.name;
        for (const double rate : kLowRates) {
            const float peak = peakOf(render(setting, rate, plughost::defaultSignal(rate).left));
            EXPECT_LE(peak, kMargin * reference)
                << setting.name << " at " << rate << " Hz: " << decibels(peak) << " dBFS against " << decibels(reference)
                << " dBFS at 44.1 kHz";
        }
    }
}
