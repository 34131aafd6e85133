// What the VST 3 checks of `plughost check` share: the context a check runs in, guarded
// processing, and renders of a fixed signal that two instances or two runs can compare.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plughost/check_support.h"
#include "plughost/vst3_commands.h"

namespace plughost::vst3 {

constexpr std::int32_t kVst3MaxBlock = 4096;

struct Vst3CheckContext {
    const Vst3Module& module;
    const CheckOptions& options;
    Findings& findings;

    // The module's first audio effect; a finding when there is none.
    std::unique_ptr<Vst3Plugin> open();
    // Opened, set up and active at rate, processing.
    std::unique_ptr<Vst3Plugin> openRunning(double rate = kCheckRate);
};

// One block of noise through guarded buffers (one shared buffer set when inPlace), with the
// changes as its input queues. Reports writes past the block, a changed input, output that is
// not finite or subnormal and an error answer; answers whether the block was clean.
bool processGuarded(Vst3Plugin& plugin, std::int32_t frames, Random& random, ParameterChanges& changes,
                    const std::string& context, Findings& findings, bool inPlace = false, Channels* output = nullptr);

// A queue point at a frame of a render.
struct TimedChange {
    std::int32_t frame;
    v3_param_id id;
    double value;
};

// Noise from seed through a running plug-in in blocks of `block` frames, each change a point
// in the block it falls in; the output, or empty after a finding.
Channels renderNoise(Vst3Plugin& plugin, std::int32_t frames, std::int32_t block, unsigned seed,
                     const std::vector<TimedChange>& changes, Findings& findings, const std::string& context);

// The parameters a host automates: neither read-only, nor bypass, nor program change.
std::vector<v3_param_info> automated(const std::vector<v3_param_info>& parameters);

// Random normalized values for the parameters at frame 0, a stepped one on a step.
std::vector<TimedChange> randomSettings(const std::vector<v3_param_info>& parameters, Random& random);

// vst3_check_signals.cpp, vst3_check_state.cpp and vst3_check_editor.cpp.
void checkExtremeSetting(Vst3CheckContext& c, int which);
void checkNonFiniteInput(Vst3CheckContext& c);
void checkControllerEdits(Vst3CheckContext& c);
void checkStateRoundTrip(Vst3CheckContext& c);
void checkStateRefusals(Vst3CheckContext& c);
void checkEditor(Vst3CheckContext& c);

}  // namespace plughost::vst3
