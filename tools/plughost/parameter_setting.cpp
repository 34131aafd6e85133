#include "plughost/parameter_setting.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

namespace plughost {
namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

template <typename Number>
bool parseWhole(const std::string& text, Number& number) {
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, number);
    return status == std::errc() && stop == end;
}

bool parseReal(const std::string& text, double& number) {
    std::istringstream in(text);
    in >> number;
    return !in.fail() && (in >> std::ws).eof();
}

std::vector<std::int32_t> matches(const std::vector<ParameterNames>& parameters, const std::string& target,
                                  std::string ParameterNames::*field) {
    std::vector<std::int32_t> found;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (equalIgnoringCase(parameters[i].*field, target)) found.push_back(static_cast<std::int32_t>(i));
    }
    return found;
}

std::string listOf(const std::vector<std::int32_t>& indices) {
    std::string text;
    for (std::int32_t i : indices) text += (text.empty() ? "" : ", ") + std::to_string(i);
    return text;
}

constexpr double kFrameLimit = 9223372036854775808.0;  // 2^63

bool parseTime(const std::string& text, double sampleRate, std::int64_t& frame) {
    if (!text.empty() && text.back() == 's') {
        double seconds = 0.0;
        if (!parseReal(text.substr(0, text.size() - 1), seconds) || seconds < 0.0) return false;
        // A time whose frame a 64-bit count cannot hold has no frame to fall on; llround
        // would give an unspecified one (a negative frame on x86).
        const double frames = seconds * sampleRate;
        if (!(frames < kFrameLimit)) return false;
        frame = std::llround(frames);
        return true;
    }
    return parseWhole(text, frame) && frame >= 0;
}

}  // namespace

bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error) {
    const auto equals = text.rfind('=');
    double value = 0.0;
    if (equals == std::string::npos || trim(text.substr(0, equals)).empty() ||
        !parseReal(trim(text.substr(equals + 1)), value)) {
        error = "'" + text + "' is not NAME=VALUE or INDEX=VALUE";
        return false;
    }
    setting.target = trim(text.substr(0, equals));
    setting.value = static_cast<float>(value);
    return true;
}

bool resolveParameter(const std::vector<ParameterNames>& parameters, const std::string& target, std::int32_t& index,
                      std::string& error) {
    if (parseWhole(target, index)) {
        if (index >= 0 && static_cast<std::size_t>(index) < parameters.size()) return true;
        error = "parameter index " + target + " is outside 0 to " + std::to_string(parameters.size() - 1);
        return false;
    }
    for (auto field : {&ParameterNames::name, &ParameterNames::label}) {
        const auto found = matches(parameters, target, field);
        if (found.size() == 1) {
            index = found.front();
            return true;
        }
        if (found.size() > 1 && field == &ParameterNames::label) {
            error = "'" + target + "' names parameters " + listOf(found) + "; give the index";
            return false;
        }
    }
    const auto byName = matches(parameters, target, &ParameterNames::name);
    error = byName.empty() ? "no parameter is called '" + target + "'"
                           : "'" + target + "' names parameters " + listOf(byName) + "; give the index";
    return false;
}

bool parseAutomation(std::istream& in, double sampleRate, std::vector<AutomationPoint>& points, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const auto space = line.find_first_of(" \t");
        AutomationPoint point;
        std::string why;
        if (space == std::string::npos || !parseTime(line.substr(0, space), sampleRate, point.frame)) {
            error = "line " + std::to_string(number) + ": expected TIME TARGET=VALUE, TIME in frames or seconds ('1.5s')";
            return false;
        }
        const std::string change = trim(line.substr(space));
        if (change == std::string(kTransportTarget) + "=stop" || change == std::string(kTransportTarget) + "=play") {
            point.setting = {kTransportTarget, change.back() == 'y' ? 1.0f : 0.0f};
        } else if (!parseSetting(change, point.setting, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        points.push_back(point);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const AutomationPoint& a, const AutomationPoint& b) { return a.frame < b.frame; });
    return true;
}

std::vector<AutomationPoint> splitHostChanges(const std::vector<AutomationPoint>& points, std::vector<HostChange>& host) {
    std::vector<AutomationPoint> parameters;
    for (const AutomationPoint& point : points) {
        if (point.setting.target == "tempo" || point.setting.target == kTransportTarget)
            host.push_back({point.frame, point.setting.target == "tempo", point.setting.value});
        else
            parameters.push_back(point);
    }
    return parameters;
}

}  // namespace plughost
