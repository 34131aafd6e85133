// plughost's automation-file reader, as `plughost render --automate FILE` uses it: the
// file's lines parsed into timed settings, each setting's target then resolved against the
// names and labels of this plug-in's parameters.
//
// Input: one byte choosing the sample rate that seconds are converted at, then the file.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/parameters.h"
#include "plughost/parameter_setting.h"

namespace {

constexpr double kSampleRates[] = {44100.0, 48000.0, 96000.0, 8000.0, 1.0};

// The names and labels a host reads from this plug-in; labels it leaves unwritten are empty.
const std::vector<plughost::ParameterNames>& names() {
    static const std::vector<plughost::ParameterNames> table = [] {
        std::vector<plughost::ParameterNames> out;
        for (const ParameterInfo& info : kParameters) out.push_back({info.name, info.label ? info.label : ""});
        return out;
    }();
    return table;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const double rate = data.PickValueInArray(kSampleRates);
    std::istringstream file(data.ConsumeRemainingBytesAsString());

    std::vector<plughost::AutomationPoint> points;
    std::string error;
    if (!plughost::parseAutomation(file, rate, points, error)) {
        check(!error.empty());
        return 0;
    }
    // Accepted points lie at or after the start, in time order.
    check(std::all_of(points.begin(), points.end(), [](const auto& p) { return p.frame >= 0; }));
    check(std::is_sorted(points.begin(), points.end(),
                         [](const auto& a, const auto& b) { return a.frame < b.frame; }));
    for (const plughost::AutomationPoint& point : points) {
        std::int32_t index = -1;
        std::string why;
        if (plughost::resolveParameter(names(), point.setting.target, index, why)) {
            check(index >= 0 && index < kNumDefinedParams);
        } else {
            check(!why.empty());
        }
    }
    return 0;
}
