#include <algorithm>
#include <cmath>

#include "plughost/clap_commands.h"

namespace plughost::clap {
namespace {

struct Change {
    std::int64_t frame;
    clap_id id;
    double value;
};


// The transport as the host tells it while rendering: the tempo, and playing until a stop.
struct Transport {
    double tempo;
    bool playing = true;

    clap_event_transport_t event() const {
        clap_event_transport_t transport{};
        transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
        transport.flags = CLAP_TRANSPORT_HAS_TEMPO | (playing ? CLAP_TRANSPORT_IS_PLAYING : 0);
        transport.tempo = tempo;
        return transport;
    }
};

bool resolve(const std::vector<clap_param_info_t>& parameters, const std::vector<AutomationPoint>& points,
             std::vector<Change>& changes, std::string& error) {
    const std::vector<ParameterNames> names = parameterNames(parameters);
    for (const AutomationPoint& point : points) {
        std::int32_t index = 0;
        if (!resolveParameter(names, point.setting.target, index, error)) return false;
        const clap_param_info_t& info = parameters[static_cast<std::size_t>(index)];
        changes.push_back({point.frame, info.id, plainValue(info, point.setting.value)});
    }
    return true;
}

std::vector<float> padded(const std::vector<float>& samples, std::size_t frames) {
    std::vector<float> out(frames, 0.0f);
    std::copy_n(samples.begin(), std::min(samples.size(), frames), out.begin());
    return out;
}

// The settings sent through flush before activation, as a host restores a project.
bool applySettings(ClapPlugin& plugin, const std::vector<ParameterSetting>& settings, std::string& error) {
    std::vector<AutomationPoint> atStart;
    for (const ParameterSetting& setting : settings) atStart.push_back({0, setting});
    std::vector<Change> changes;
    if (!resolve(plugin.parameters(), atStart, changes, error)) return false;
    InputEvents events;
    OutputEvents sent;
    for (const Change& change : changes) events.addValue(0, change.id, change.value);
    plugin.flush(events, sent);
    return true;
}

bool isStereo(const ClapPlugin& plugin, const std::string& path, std::string& error) {
    if (plugin.inputChannels() == 2 && plugin.outputChannels() == 2) return true;
    error = path + ": plughost runs CLAP plug-ins with a stereo input and output port";
    return false;
}

}  // namespace

double plainValue(const clap_param_info_t& info, double normalized) {
    return info.min_value + normalized * (info.max_value - info.min_value);
}

std::vector<ParameterNames> parameterNames(const std::vector<clap_param_info_t>& parameters) {
    std::vector<ParameterNames> names;
    for (const clap_param_info_t& info : parameters) names.push_back({info.name, info.module});
    return names;
}

bool renderClap(const ClapModule& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
                std::string& error) {
    if (!options.preset.empty() || options.program || options.accumulate) {
        error = "presets, programs and --accumulate are VST 2 matters; a CLAP plug-in takes --set and --automate";
        return false;
    }
    ClapHost host;
    auto plugin = ClapPlugin::create(module, host, 0, error);
    if (!plugin) return false;
    std::vector<Change> changes;
    std::vector<HostChange> transportChanges;
    if (!isStereo(*plugin, module.path(), error) || !applySettings(*plugin, options.settings, error) ||
        !resolve(plugin->parameters(), splitHostChanges(options.automation, transportChanges), changes, error))
        return false;
    InputEvents events;
    OutputEvents sent;

    const std::size_t total = input.frames() + static_cast<std::size_t>(std::llround(options.tailSeconds * input.sampleRate));
    const auto inLeft = padded(input.left, total), inRight = padded(input.right, total);
    output.sampleRate = input.sampleRate;
    output.left.assign(total, 0.0f);
    output.right.assign(total, 0.0f);
    if (!plugin->activate(input.sampleRate, static_cast<std::uint32_t>(options.blockSize))) {
        error = module.path() + ": activate refused " + std::to_string(input.sampleRate) + " Hz";
        return false;
    }
    const AudioThreadScope audio;
    plugin->startProcessing();
    auto next = changes.begin();
    auto nextTransport = transportChanges.begin();
    Transport transport{options.tempo};
    for (std::size_t done = 0; done < total;) {
        // A block starts at each change of the transport, which holds for a whole block.
        for (; nextTransport != transportChanges.end() && nextTransport->frame <= static_cast<std::int64_t>(done);
             ++nextTransport) {
            if (nextTransport->tempo)
                transport.tempo = nextTransport->value;
            else
                transport.playing = nextTransport->value != 0.0;
        }
        std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(options.blockSize), total - done);
        if (nextTransport != transportChanges.end())
            frames = std::min(frames, static_cast<std::size_t>(nextTransport->frame) - done);
        events.clear();
        for (; next != changes.end() && next->frame < static_cast<std::int64_t>(done + frames); ++next) {
            const std::int64_t at = std::max<std::int64_t>(next->frame - static_cast<std::int64_t>(done), 0);
            events.addValue(static_cast<std::uint32_t>(at), next->id, next->value);
        }
        const float* inputs[2] = {&inLeft[done], &inRight[done]};
        float* outputs[2] = {&output.left[done], &output.right[done]};
        const clap_event_transport_t told = transport.event();
        if (plugin->process(inputs, outputs, static_cast<std::uint32_t>(frames), events, sent, &told) ==
            CLAP_PROCESS_ERROR) {
            error = module.path() + ": process answered an error";
            return false;
        }
        sent.take();
        done += frames;
        if (options.progress) options.progress(done, total);
    }
    plugin->stopProcessing();
    return true;
}


std::unique_ptr<ClapStereo> ClapStereo::create(const BenchEntry& entry, double sampleRate, int maxBlock,
                                               std::string& error) {
    if (!entry.preset.empty() || entry.program) {
        error = "presets and programs are VST 2 matters";
        return nullptr;
    }
    auto stereo = std::make_unique<ClapStereo>();
    stereo->module = ClapModule::load(entry.path, error);
    if (!stereo->module) return nullptr;
    stereo->host = std::make_unique<ClapHost>();
    stereo->plugin = ClapPlugin::create(*stereo->module, *stereo->host, 0, error);
    if (!stereo->plugin || !isStereo(*stereo->plugin, entry.path, error) ||
        !applySettings(*stereo->plugin, entry.settings, error))
        return nullptr;
    if (!stereo->plugin->activate(sampleRate, static_cast<std::uint32_t>(maxBlock))) {
        error = entry.path + ": activate failed";
        return nullptr;
    }
    const AudioThreadScope audio;
    stereo->plugin->startProcessing();
    return stereo;
}

void ClapStereo::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames) {
    const AudioThreadScope audio;
    const float* inputs[2] = {inLeft, inRight};
    float* outputs[2] = {outLeft, outRight};
    plugin->process(inputs, outputs, static_cast<std::uint32_t>(frames), none, sent);
}

}  // namespace plughost::clap
