// What the CLAP checks of `plughost check` share: the context a check runs in, guarded
// processing, and renders of a fixed signal that two instances or two runs can compare.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plughost/check_support.h"
#include "plughost/clap_commands.h"

namespace plughost::clap {

constexpr std::uint32_t kClapMaxBlock = 4096;

struct ClapCheckContext {
    const ClapModule& module;
    const CheckOptions& options;
    ClapHost host;
    Findings& findings;

    // The factory's first plug-in; a finding when there is none.
    std::unique_ptr<ClapPlugin> open();
    // Opened, activated at rate and processing on this thread's audio role.
    std::unique_ptr<ClapPlugin> openRunning(double rate = kCheckRate);
};

// One block of noise through guarded buffers (one shared buffer set when inPlace). Reports
// writes past the block, a changed input, output that is not finite or subnormal and an
// error status; answers whether the block was clean.
bool processGuarded(ClapPlugin& plugin, std::uint32_t frames, Random& random, const InputEvents& events,
                    const std::string& context, Findings& findings, bool inPlace = false, Channels* output = nullptr);

// A parameter change at a frame of a render.
struct TimedChange {
    std::uint32_t frame;
    clap_id id;
    double value;
};

// Noise from seed through a running plug-in in blocks of `block` frames, the changes sent at
// their frames; the output, or empty after a finding.
Channels renderNoise(ClapPlugin& plugin, std::uint32_t frames, std::uint32_t block, unsigned seed,
                     const std::vector<TimedChange>& changes, Findings& findings, const std::string& context);

// The values a plug-in's random settings take: each parameter somewhere in its range, a
// stepped one on a step.
std::vector<TimedChange> randomSettings(const std::vector<clap_param_info_t>& parameters, Random& random);

// clap_check_signals.cpp, clap_check_state.cpp.
void checkExtremeSetting(ClapCheckContext& c, int which);
void checkNonFiniteInput(ClapCheckContext& c);
void checkStateRoundTrip(ClapCheckContext& c);
void checkStateRefusals(ClapCheckContext& c);
void checkStateInFreshInstance(ClapCheckContext& c);
void checkEditor(ClapCheckContext& c);

}  // namespace plughost::clap
