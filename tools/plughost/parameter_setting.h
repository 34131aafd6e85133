// Parameter settings as the command line and automation files write them: NAME=VALUE or
// INDEX=VALUE, and the lookup of a name among a plug-in's parameters.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace plughost {

struct ParameterSetting {
    std::string target;  // a parameter index or name, as written
    float value = 0.0f;
};

struct ParameterNames {
    std::string name, label;
};

// Splits "TARGET=VALUE" at its last '='; the value is a plain number (normalized, 0 to 1
// for a well-behaved plug-in, but passed on as written).
bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error);

// A target that is a whole number is an index below the parameter count. Otherwise it must
// equal exactly one parameter's name, ignoring case; when names repeat (one plug-in may
// call two parameters "Output Mix"), exactly one label. Ambiguity is an error naming the
// candidates.
bool resolveParameter(const std::vector<ParameterNames>& parameters, const std::string& target, std::int32_t& index,
                      std::string& error);

struct AutomationPoint {
    std::int64_t frame = 0;
    ParameterSetting setting;
};

// The target of an automation point that starts or stops the host's transport: its value is
// 1 for "play", 0 for "stop".
inline constexpr const char* kTransportTarget = "transport";

// A change of the host's own: the tempo, or whether the transport plays (value 1 or 0).
struct HostChange {
    std::int64_t frame;
    bool tempo;  // otherwise whether it plays
    double value;
};

// The points that set parameters; the tempo and transport points go to `host`, in order.
std::vector<AutomationPoint> splitHostChanges(const std::vector<AutomationPoint>& points, std::vector<HostChange>& host);

// One change per line: "TIME TARGET=VALUE", where TIME is a sample frame ("44100") or
// seconds with an 's' ("1.5s"), or "TIME transport=stop" / "TIME transport=play"; '#' starts
// a comment. The points come back ordered by
// time, changes at the same time in file order.
bool parseAutomation(std::istream& in, double sampleRate, std::vector<AutomationPoint>& points, std::string& error);

}  // namespace plughost
