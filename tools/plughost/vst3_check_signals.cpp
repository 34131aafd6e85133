// The long checks of `plughost check` on a VST 3 plug-in, as the VST 2 check has them: extreme
// settings held for a minute of audio, non-finite input samples, and the controller edited
// from the main thread while the audio thread processes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "plughost/vst3_check_support.h"

namespace plughost::vst3 {
namespace {

// One block of what `in` holds into a cleared `out`, the changes in its queues; the peak.
float processBlock(Vst3Plugin& plugin, GuardedAudio& in, GuardedAudio& out, ParameterChanges& changes) {
    for (int c = 0; c < out.channels(); ++c) std::fill_n(out.channel(c), kRunBlock, 0.0f);
    ParameterChanges sent;
    plugin.process(in.pointers(), out.pointers(), kRunBlock, changes, sent);
    changes.clear();
    return blockPeak(out);
}

}  // namespace

// Every automated parameter at the setting's value, on the controller as a host sets it and in
// the first block's queues.
void checkExtremeSetting(Vst3CheckContext& c, int which) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const std::vector<v3_param_info> parameters = automated(plugin->parameters());
    const std::vector<float> values = extremeSetting(which, parameters.size(), c.options.seed);
    ParameterChanges changes;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        plugin->setNormalized(parameters[i].param_id, values[i]);
        changes.add(parameters[i].param_id, 0, values[i]);
    }
    GuardedAudio in(2, kRunBlock), out(2, kRunBlock);
    judgeExtremeSetting([&] { return processBlock(*plugin, in, out, changes); }, in, c.options.seed, c.findings);
}

void checkNonFiniteInput(Vst3CheckContext& c) {
    for (const Poison& poison : poisons()) {
        auto plugin = c.openRunning();
        if (!plugin) return;
        GuardedAudio in(2, kRunBlock), out(2, kRunBlock);
        ParameterChanges none;
        judgePoisonedInput([&] { return processBlock(*plugin, in, out, none); }, in, poison, c.options.seed, c.findings);
    }
}

// For about a second the main thread sets random values on the controller, reads them and
// their texts back and saves the state, as a host's automation lanes and autosave do, while
// the audio thread processes guarded blocks.
void checkControllerEdits(Vst3CheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const std::vector<v3_param_info> parameters = automated(plugin->parameters());
    if (parameters.empty()) return;
    Findings audioFindings;
    std::atomic<bool> stopped{false};
    std::thread audio([&] {
        Random random(c.options.seed + 1);
        ParameterChanges none;
        while (!stopped)
            if (!processGuarded(*plugin, kRunBlock, random, none, "audio thread", audioFindings)) return;
    });
    Random random(c.options.seed);
    for (int round = 0; round < 400; ++round) {
        const v3_param_info& info = parameters[static_cast<std::size_t>(random.below(static_cast<int>(parameters.size())))];
        const double value = randomSettings({info}, random).front().value;
        plugin->setNormalized(info.param_id, value);
        plugin->text(info.param_id, plugin->normalized(info.param_id));
        if (round % 50 == 0) plugin->save();
        std::this_thread::sleep_for(std::chrono::microseconds(2500));
    }
    stopped = true;
    audio.join();
    for (const std::string& finding : audioFindings.list()) c.findings.add(finding);
}

}  // namespace plughost::vst3
