#include "core/parameters.h"

#include <cmath>
#include <cstring>

#include "core/number_text.h"

namespace {

constexpr float kTypedPercentScale = 100.0f;

}  // namespace

float normalizedValue(float value) {
    if (!(value >= 0.0f)) return 0.0f;  // negative or NaN
    return value > 1.0f ? 1.0f : value;
}

std::int32_t enumerationStop(std::int32_t index, float value) {
    const double last = static_cast<double>(kParameters[index].stops.size() - 1);
    return static_cast<std::int32_t>(last * value);
}

void displayText(std::int32_t index, float value, char* text) {
    const ParameterInfo& info = kParameters[index];
    switch (info.unit) {
    case Unit::Enumeration: std::strcpy(text, info.stops[static_cast<std::size_t>(enumerationStop(index, value))]); break;
    case Unit::Percent:
        numbertext::formatPercent(info.displayScale == 1.0 ? value : scaled(info.displayScale, value), text);
        break;
    case Unit::Hertz:
    case Unit::Milliseconds: numbertext::formatNumber(scaled(info.displayScale, value), text); break;
    }
}

float typedFullScale(std::int32_t index) {
    const ParameterInfo& info = kParameters[index];
    const float scale = static_cast<float>(info.displayScale);
    return info.unit == Unit::Percent ? scale * kTypedPercentScale : scale;
}

std::optional<float> typedToNormalized(std::int32_t index, float typed) {
    const float full = typedFullScale(index);
    if (kParameters[index].unit == Unit::Enumeration || typed > full) return std::nullopt;
    const float value = typed / full;
    return value >= 0.0f ? value : 0.0f;
}

double syncedDelaySamples(std::int32_t stop, double beatsPerMinute, double sampleRate) {
    // Stops 1, 2, 3: a thirty-second note (an eighth of a beat) as a triplet, straight and
    // dotted; every three stops the note doubles.
    const std::int32_t note = (stop - 1) / 3;
    constexpr double kNumerators[] = {2.0, 1.0, 3.0};
    constexpr double kDenominators[] = {3.0, 1.0, 2.0};
    const double beats = 0.125 * static_cast<double>(1 << note) * kNumerators[(stop - 1) % 3];
    return std::floor(60.0 * sampleRate * beats / (beatsPerMinute * kDenominators[(stop - 1) % 3]) + 0.5);
}

float fromUnitValue(std::int32_t index, float unitValue) {
    const float full = kParameters[index].unitFullScale;
    if (!(unitValue > 0.0f)) return 0.0f;  // zero, negative, NaN
    if (unitValue >= full) return 1.0f;    // also +Inf
    return unitValue / full;
}

float toUnitValue(std::int32_t index, float normalized) {
    return static_cast<float>(static_cast<double>(normalized) * kParameters[index].unitFullScale);
}
