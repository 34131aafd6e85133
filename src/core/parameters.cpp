#include "core/parameters.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "core/number_text.h"

namespace {

constexpr float kTypedPercentScale = 100.0f;

// What a unit value's conversion needs of its parameter, together for the events that arrive
// on the audio thread: how the box makes its figure of the value and how the display makes its
// figure of the normalized value, and the scales. Rescaled: the box's full scale is not the
// unit's (LFO rate boxes show twice the Hz); elsewhere the figure is the unit value itself,
// since u x f / f in double is u.
enum class Display : std::uint8_t { Stop, Percent, ScaledPercent, Scaled, Rescaled };

// 32 bytes, so that a row's address is one shift.
struct alignas(32) UnitConversion {
    double displayScale = 1.0;
    float full = 0.0f;       // the unit value of 1.0
    float typedFull = 0.0f;  // the figure a box shows for 1.0
    Display display = Display::Stop;
};

constexpr Display displayOf(const ParameterInfo& info, float typedFull) {
    if (info.unit == Unit::Enumeration) return Display::Stop;
    const bool sameScale = typedFull == info.unitFullScale;
    if (info.unit != Unit::Percent) return sameScale ? Display::Scaled : Display::Rescaled;
    if (!sameScale) throw "a percentage's box shows its unit value";
    return info.displayScale == 1.0 ? Display::Percent : Display::ScaledPercent;
}

constexpr std::array<UnitConversion, kNumDefinedParams> kUnitConversions = [] {
    std::array<UnitConversion, kNumDefinedParams> table{};
    for (std::size_t index = 0; index < table.size(); ++index) {
        const ParameterInfo& info = kParameters[index];
        const float scale = static_cast<float>(info.displayScale);
        const float typedFull = info.unit == Unit::Percent ? scale * kTypedPercentScale : scale;
        table[index] = {info.displayScale, info.unitFullScale, typedFull, displayOf(info, typedFull)};
    }
    return table;
}();

// The number a display text shows for a value, before any "%".
float displayedFigure(std::int32_t index, float value) {
    const UnitConversion& conversion = kUnitConversions[static_cast<std::size_t>(index)];
    switch (conversion.display) {
    case Display::Percent: return value * 100.0f;
    case Display::ScaledPercent: return scaled(conversion.displayScale, value) * 100.0f;
    default: return scaled(conversion.displayScale, value);
    }
}

bool showsFigure(std::int32_t index, float value, float figure) {
    // Equal numbers show the same digits: only numbers that differ need theirs compared.
    const float displayed = displayedFigure(index, value);
    return displayed == figure || numbertext::shownNumber(displayed) == numbertext::shownNumber(figure);
}

// A figure in the display's units over its full scale, rounded to float, may show as a
// figure a little below it, since the display truncates ("7" as "6.999999"). Of the quotient
// and its two neighbouring floats the nearest that shows the figure is taken, where one does.
// Out of line: the common case, a quotient whose display is the figure, needs no room for
// digits.
[[gnu::noinline]] float showingNeighbour(std::int32_t index, float quotient, float figure, float full) {
    if (showsFigure(index, quotient, figure)) return quotient;
    const double exact = static_cast<double>(figure) / static_cast<double>(full);
    float below = std::nextafter(quotient, 0.0f), above = std::nextafter(quotient, 1.0f);
    if (std::fabs(static_cast<double>(above) - exact) < std::fabs(static_cast<double>(below) - exact))
        std::swap(below, above);  // the nearer first
    for (float candidate : {below, above})
        if (candidate >= 0.0f && candidate <= 1.0f && showsFigure(index, candidate, figure)) return candidate;
    return quotient;
}

float showingFigure(std::int32_t index, float quotient, float figure, float full) {
    if (kUnitConversions[static_cast<std::size_t>(index)].display == Display::Stop ||
        displayedFigure(index, quotient) == figure)
        return quotient;
    return showingNeighbour(index, quotient, figure, full);
}

}  // namespace

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

void shownText(std::int32_t index, float value, std::optional<float> syncedMilliseconds, char* text) {
    if (index == DelayTime && syncedMilliseconds)
        numbertext::formatNumber(*syncedMilliseconds, text);
    else
        displayText(index, value, text);
}

float typedFullScale(std::int32_t index) { return kUnitConversions[static_cast<std::size_t>(index)].typedFull; }

std::optional<float> typedToNormalized(std::int32_t index, float typed) {
    const float full = typedFullScale(index);
    if (kParameters[index].unit == Unit::Enumeration || typed > full) return std::nullopt;
    const float value = typed / full;
    return value > 0.0f ? showingFigure(index, value, typed, full) : 0.0f;
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
    const UnitConversion& conversion = kUnitConversions[static_cast<std::size_t>(index)];
    if (!(unitValue > 0.0f)) return 0.0f;         // zero, negative, NaN
    if (unitValue >= conversion.full) return 1.0f;  // also +Inf
    const float figure = conversion.display == Display::Rescaled
                             ? static_cast<float>(static_cast<double>(unitValue) * conversion.typedFull / conversion.full)
                             : unitValue;
    return showingFigure(index, unitValue / conversion.full, figure, conversion.typedFull);
}

float toUnitValue(std::int32_t index, float normalized) {
    return static_cast<float>(static_cast<double>(normalized) * kParameters[index].unitFullScale);
}
