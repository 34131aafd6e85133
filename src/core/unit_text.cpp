#include "core/unit_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/parameters.h"

namespace {

const char* unitSymbol(Unit unit) {
    switch (unit) {
    case Unit::Percent: return "%";
    case Unit::Hertz: return "Hz";
    case Unit::Milliseconds: return "ms";
    case Unit::Enumeration: break;
    }
    return "";
}

// The LFO rates (up to 50 Hz) matter to the hundredth of a hertz; wider ranges show whole
// figures with a tenth where there is one.
int decimals(const ParameterInfo& info) { return info.unit == Unit::Hertz && info.unitFullScale <= 100.0f ? 2 : 1; }

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::optional<double> parseNumber(std::string_view text, std::string_view unit) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    const std::string_view rest = trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
    if (!rest.empty() && !sameText(rest, unit)) return std::nullopt;
    return number;
}

}  // namespace

bool unitValueText(std::int32_t index, double unitValue, char* text, std::uint32_t size) {
    const ParameterInfo& parameter = kParameters[index];
    const double value = std::clamp(std::isnan(unitValue) ? 0.0 : unitValue, 0.0, double{parameter.unitFullScale});
    int length = 0;
    if (parameter.unit == Unit::Enumeration) {
        // The stop the engine takes for this value, also between two stops.
        const std::int32_t stop = enumerationStop(index, fromUnitValue(index, static_cast<float>(value)));
        length = std::snprintf(text, size, "%s", parameter.stops[static_cast<std::size_t>(stop)]);
    } else {
        const int places = decimals(parameter);
        char figure[32];
        std::snprintf(figure, sizeof figure, "%.*f", places, value);
        // A tenth of zero is left out: "375 ms", not "375.0 ms".
        if (places == 1 && std::strcmp(figure + std::strlen(figure) - 2, ".0") == 0) figure[std::strlen(figure) - 2] = '\0';
        length = std::snprintf(text, size, "%s %s", figure, unitSymbol(parameter.unit));
    }
    return length >= 0 && static_cast<std::uint32_t>(length) < size;
}

std::optional<double> parseUnitValue(std::int32_t index, const char* text) {
    if (!text) return std::nullopt;
    const ParameterInfo& parameter = kParameters[index];
    if (parameter.unit == Unit::Enumeration) {
        for (std::size_t stop = 0; stop < parameter.stops.size(); ++stop)
            if (sameText(trimmed(text), parameter.stops[stop])) return static_cast<double>(stop);
    }
    const std::optional<double> number = parseNumber(text, unitSymbol(parameter.unit));
    if (!number || *number < 0.0 || *number > parameter.unitFullScale) return std::nullopt;
    if (parameter.unit == Unit::Enumeration && *number != std::floor(*number)) return std::nullopt;
    return number;
}
