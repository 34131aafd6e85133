// plughost's commands on a VST 3 bundle: info, render, bench and check, as they run on a VST 2 or CLAP
// module. Settings and automation values are normalized, as VST 3 parameters are.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "plughost/audio_file.h"
#include "plughost/bench.h"
#include "plughost/check.h"
#include "plughost/render.h"
#include "plughost/vst3_host.h"

namespace plughost::vst3 {

bool printVst3Info(const Vst3Module& module, std::ostream& out, std::string& error);

// The first audio effect class at the input's rate; presets and the accumulating entry are
// VST 2 matters and refused.
bool renderVst3(const Vst3Module& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
                std::string& error);

// The first audio effect class as `plughost bench` runs it: the entry's settings set on the
// controller, active at the rate, processing blocks without queue points while the host's
// transport plays at 120 BPM.
class Vst3Stereo {
public:
    static std::unique_ptr<Vst3Stereo> create(const BenchEntry& entry, double sampleRate, int maxBlock,
                                              std::string& error);
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames);

private:
    std::unique_ptr<Vst3Module> module;
    std::unique_ptr<Vst3Plugin> plugin;
    ParameterChanges none, sent;
    v3_process_context context{};
};

// `plughost check` on a VST 3 bundle: every check in a process of its own.
CheckSummary runVst3Checks(const Vst3Module& module, const CheckOptions& options, std::ostream& out);
void runOneVst3Check(const Vst3Module& module, const CheckOptions& options, std::size_t number, Findings& findings);

}  // namespace plughost::vst3
