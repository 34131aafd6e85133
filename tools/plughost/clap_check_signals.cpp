// The long checks of `plughost check` on a CLAP plug-in, as the VST 2 check has them: extreme
// settings held for a minute of audio and non-finite input samples. (Parameter values reach a
// CLAP plug-in only as events on the audio thread, or in a flush while it is not processing:
// the threads check covers what other threads may call.)
#include <algorithm>
#include <cmath>

#include "plughost/clap_check_support.h"

namespace plughost::clap {
namespace {

// One block of what `in` holds into a cleared `out`, with the events; the output's peak.
float processBlock(ClapPlugin& plugin, GuardedAudio& in, GuardedAudio& out, InputEvents& events) {
    for (int c = 0; c < out.channels(); ++c) std::fill_n(out.channel(c), kRunBlock, 0.0f);
    OutputEvents sent;
    const AudioThreadScope audio;
    plugin.process(in.pointers(), out.pointers(), kRunBlock, events, sent);
    events.clear();
    return blockPeak(out);
}

}  // namespace

// Every parameter at the setting's point of its range (a stepped one on the nearest step), sent
// as events at the first frame.
void checkExtremeSetting(ClapCheckContext& c, int which) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const std::vector<clap_param_info_t> parameters = plugin->parameters();
    const std::vector<float> values = extremeSetting(which, parameters.size(), c.options.seed);
    InputEvents events;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        double value = plainValue(parameters[i], values[i]);
        if (parameters[i].flags & CLAP_PARAM_IS_STEPPED) value = std::floor(value + 0.5);
        events.addValue(0, parameters[i].id, value);
    }
    GuardedAudio in(static_cast<int>(plugin->inputChannels()), kRunBlock), out(static_cast<int>(plugin->outputChannels()), kRunBlock);
    judgeExtremeSetting([&] { return processBlock(*plugin, in, out, events); }, in, c.options.seed, c.findings);
}

void checkNonFiniteInput(ClapCheckContext& c) {
    for (const Poison& poison : poisons()) {
        auto plugin = c.openRunning();
        if (!plugin) return;
        GuardedAudio in(static_cast<int>(plugin->inputChannels()), kRunBlock), out(static_cast<int>(plugin->outputChannels()), kRunBlock);
        InputEvents none;
        judgePoisonedInput([&] { return processBlock(*plugin, in, out, none); }, in, poison, c.options.seed, c.findings);
    }
}

}  // namespace plughost::clap
