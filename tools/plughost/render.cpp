#include "plughost/render.h"

#include <algorithm>
#include <cmath>

namespace plughost {
namespace {

// A change of the host's tempo or transport rather than of a parameter.
constexpr std::int32_t kTempoChange = -1;
constexpr std::int32_t kTransportChange = -2;

struct ResolvedChange {
    std::int64_t frame;
    std::int32_t index;
    float value;
};

bool resolveAutomation(const std::vector<ParameterNames>& names, const std::vector<AutomationPoint>& points,
                       std::vector<ResolvedChange>& changes, std::string& error) {
    for (const AutomationPoint& point : points) {
        std::int32_t index = point.setting.target == kTransportTarget ? kTransportChange : kTempoChange;
        if (point.setting.target != "tempo" && index != kTransportChange &&
            !resolveParameter(names, point.setting.target, index, error))
            return false;
        changes.push_back({point.frame, index, point.setting.value});
    }
    return true;
}

std::vector<float> padded(const std::vector<float>& samples, std::size_t frames) {
    std::vector<float> out(frames, 0.0f);
    std::copy_n(samples.begin(), std::min(samples.size(), frames), out.begin());
    return out;
}

}  // namespace

std::vector<ParameterNames> parameterNames(PluginInstance& instance) {
    std::vector<ParameterNames> names(static_cast<std::size_t>(std::max(instance.record().numParams, 0)));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto index = static_cast<VstInt32>(i);
        names[i] = {instance.text(effGetParamName, index), instance.text(effGetParamLabel, index)};
    }
    return names;
}

bool applyPresets(StereoRig& rig, const PresetChoice& preset, std::optional<int> program, std::string& error) {
    for (int i = 0; i < rig.instanceCount(); ++i) {
        if (!loadChoice(rig.instance(i), preset, program, error)) return false;
    }
    return true;
}

bool applySettings(StereoRig& rig, const std::vector<ParameterSetting>& settings, std::string& error) {
    if (settings.empty()) return true;
    const auto names = parameterNames(rig.first());
    for (const ParameterSetting& setting : settings) {
        std::int32_t index = 0;
        if (!resolveParameter(names, setting.target, index, error)) return false;
        rig.setParameter(index, setting.value);
    }
    return true;
}

bool render(const PluginModule& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
            std::string& error) {
    Host host(input.sampleRate);
    host.setTempo(options.tempo);
    auto rig = StereoRig::create(module, host, error);
    if (!rig) return false;
    if (!applyPresets(*rig, options.preset, options.program, error) || !applySettings(*rig, options.settings, error)) return false;
    std::vector<ResolvedChange> changes;
    if (!options.automation.empty() &&
        !resolveAutomation(parameterNames(rig->first()), options.automation, changes, error)) {
        return false;
    }

    const std::size_t total = input.frames() + static_cast<std::size_t>(std::llround(options.tailSeconds * input.sampleRate));
    const auto inLeft = padded(input.left, total), inRight = padded(input.right, total);
    output.sampleRate = input.sampleRate;
    output.left.assign(total, 0.0f);
    output.right.assign(total, 0.0f);

    rig->start(input.sampleRate, options.blockSize);
    host.setPlaying(true);
    auto next = changes.begin();
    for (std::size_t done = 0; done < total;) {
        for (; next != changes.end() && next->frame <= static_cast<std::int64_t>(done); ++next) {
            if (next->index == kTempoChange)
                host.setTempo(next->value);
            else if (next->index == kTransportChange)
                host.setPlaying(next->value != 0.0f);
            else
                rig->setParameter(next->index, next->value);
        }
        std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(options.blockSize), total - done);
        if (next != changes.end()) frames = std::min(frames, static_cast<std::size_t>(next->frame) - done);
        host.setPosition(static_cast<double>(done));
        rig->process(&inLeft[done], &inRight[done], &output.left[done], &output.right[done], static_cast<int>(frames),
                     options.accumulate);
        done += frames;
        rig->idle();
        if (options.progress) options.progress(done, total);
    }
    host.setPlaying(false);
    rig->idle();
    rig->stop();
    return true;
}

ChannelLevels measure(const std::vector<float>& samples) {
    ChannelLevels levels;
    double sum = 0.0;
    for (float s : samples) {
        if (!std::isfinite(s)) {
            levels.finite = false;
            continue;
        }
        levels.peak = std::max(levels.peak, std::fabs(s));
        sum += static_cast<double>(s) * s;
    }
    levels.rms = samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
    return levels;
}

}  // namespace plughost
