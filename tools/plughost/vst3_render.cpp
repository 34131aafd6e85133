#include <algorithm>
#include <cmath>

#include "plughost/vst3_commands.h"

namespace plughost::vst3 {
namespace {

struct Change {
    std::int64_t frame;
    v3_param_id id;
    double value;
};


std::string narrow(const std::int16_t* text) {
    std::string out;
    for (std::size_t i = 0; i < 128 && text[i] != 0; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

// Names for resolving settings: each parameter's title, with its short title as the label.
std::vector<ParameterNames> parameterNames(const std::vector<v3_param_info>& parameters) {
    std::vector<ParameterNames> names;
    for (const v3_param_info& info : parameters) names.push_back({narrow(info.title), narrow(info.short_title)});
    return names;
}

bool resolve(const std::vector<v3_param_info>& parameters, const std::vector<AutomationPoint>& points,
             std::vector<Change>& changes, std::string& error) {
    const std::vector<ParameterNames> names = parameterNames(parameters);
    for (const AutomationPoint& point : points) {
        std::int32_t index = 0;
        if (!resolveParameter(names, point.setting.target, index, error)) return false;
        changes.push_back({point.frame, parameters[static_cast<std::size_t>(index)].param_id, point.setting.value});
    }
    return true;
}

std::vector<float> padded(const std::vector<float>& samples, std::size_t frames) {
    std::vector<float> out(frames, 0.0f);
    std::copy_n(samples.begin(), std::min(samples.size(), frames), out.begin());
    return out;
}

}  // namespace

bool renderVst3(const Vst3Module& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
                std::string& error) {
    if (!options.preset.empty() || options.program || options.accumulate) {
        error = "presets, programs and --accumulate are VST 2 matters; a VST 3 plug-in takes --set and --automate";
        return false;
    }
    auto plugin = Vst3Plugin::create(module, error);
    if (!plugin) return false;
    // The settings reach the processor at the first frame, and the controller as a host sets them.
    std::vector<AutomationPoint> points;
    for (const ParameterSetting& setting : options.settings) points.push_back({0, setting});
    std::vector<HostChange> contextChanges;
    for (const AutomationPoint& point : splitHostChanges(options.automation, contextChanges)) points.push_back(point);
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; });
    std::vector<Change> changes;
    if (!resolve(plugin->parameters(), points, changes, error)) return false;
    for (const Change& change : changes)
        if (change.frame == 0) plugin->setNormalized(change.id, change.value);

    const std::size_t total = input.frames() + static_cast<std::size_t>(std::llround(options.tailSeconds * input.sampleRate));
    const auto inLeft = padded(input.left, total), inRight = padded(input.right, total);
    output.sampleRate = input.sampleRate;
    output.left.assign(total, 0.0f);
    output.right.assign(total, 0.0f);
    if (!plugin->activate(input.sampleRate, options.blockSize)) {
        error = module.path() + ": setup or activation refused " + std::to_string(input.sampleRate) + " Hz";
        return false;
    }
    ParameterChanges in, out;
    v3_process_context context{};
    context.sample_rate = input.sampleRate;
    context.bpm = options.tempo;
    bool playing = true;
    auto next = changes.begin();
    auto nextContext = contextChanges.begin();
    for (std::size_t done = 0; done < total;) {
        // A block starts at each change of the context, which holds for a whole block.
        for (; nextContext != contextChanges.end() && nextContext->frame <= static_cast<std::int64_t>(done); ++nextContext) {
            if (nextContext->tempo)
                context.bpm = nextContext->value;
            else
                playing = nextContext->value != 0.0;
        }
        std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(options.blockSize), total - done);
        if (nextContext != contextChanges.end()) frames = std::min(frames, static_cast<std::size_t>(nextContext->frame) - done);
        in.clear();
        for (; next != changes.end() && next->frame < static_cast<std::int64_t>(done + frames); ++next) {
            const std::int64_t at = std::max<std::int64_t>(next->frame - static_cast<std::int64_t>(done), 0);
            in.add(next->id, static_cast<std::int32_t>(at), next->value);
        }
        context.state = V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_PROJECT_TIME_VALID | (playing ? V3_PROCESS_CTX_PLAYING : 0);
        context.project_time_in_samples = static_cast<std::int64_t>(done);
        const float* inputs[2] = {&inLeft[done], &inRight[done]};
        float* outputs[2] = {&output.left[done], &output.right[done]};
        if (plugin->process(inputs, outputs, static_cast<std::int32_t>(frames), in, out, &context) != V3_OK) {
            error = module.path() + ": process answered an error";
            return false;
        }
        out.clear();
        done += frames;
        if (options.progress) options.progress(done, total);
    }
    return true;
}

std::unique_ptr<Vst3Stereo> Vst3Stereo::create(const BenchEntry& entry, double sampleRate, int maxBlock,
                                               std::string& error) {
    if (!entry.preset.empty() || entry.program) {
        error = "presets and programs are VST 2 matters";
        return nullptr;
    }
    auto stereo = std::make_unique<Vst3Stereo>();
    stereo->module = Vst3Module::load(entry.path, error);
    if (!stereo->module) return nullptr;
    stereo->plugin = Vst3Plugin::create(*stereo->module, error);
    if (!stereo->plugin) return nullptr;
    std::vector<AutomationPoint> points;
    for (const ParameterSetting& setting : entry.settings) points.push_back({0, setting});
    std::vector<Change> changes;
    if (!resolve(stereo->plugin->parameters(), points, changes, error)) return nullptr;
    for (const Change& change : changes) stereo->plugin->setNormalized(change.id, change.value);
    if (!stereo->plugin->activate(sampleRate, maxBlock)) {
        error = entry.path + ": setup or activation refused " + std::to_string(sampleRate) + " Hz";
        return nullptr;
    }
    stereo->context.sample_rate = sampleRate;
    stereo->context.bpm = 120.0;
    stereo->context.state = V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_PROJECT_TIME_VALID | V3_PROCESS_CTX_PLAYING;
    return stereo;
}

void Vst3Stereo::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames) {
    const float* inputs[2] = {inLeft, inRight};
    float* outputs[2] = {outLeft, outRight};
    plugin->process(inputs, outputs, frames, none, sent, &context);
    sent.clear();
    context.project_time_in_samples += frames;
}

}  // namespace plughost::vst3
