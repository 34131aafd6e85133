// plughost's commands on a CLAP module: info, render, bench and check, as they run on a VST 2
// module. Settings and automation values are normalized (0 to 1) over each parameter's range.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "plughost/audio_file.h"
#include "plughost/bench.h"
#include "plughost/check.h"
#include "plughost/clap_host.h"
#include "plughost/render.h"

namespace plughost::clap {

bool printClapInfo(const ClapModule& module, std::ostream& out, std::string& error);

// The first plug-in of the module at the input's rate; presets and the accumulating entry
// are VST 2 matters and refused.
bool renderClap(const ClapModule& module, const StereoAudio& input, const RenderOptions& options, StereoAudio& output,
                std::string& error);

// The plain value for a normalized one: min + v x (max - min).
double plainValue(const clap_param_info_t& info, double normalized);
// Names for resolving settings: each parameter's name, with its module as the label.
std::vector<ParameterNames> parameterNames(const std::vector<clap_param_info_t>& parameters);

// A CLAP plug-in set up to process stereo blocks, for the benchmark: its first plug-in,
// activated, with the entry's settings; presets are refused.
class ClapStereo {
public:
    static std::unique_ptr<ClapStereo> create(const BenchEntry& entry, double sampleRate, int maxBlock,
                                              std::string& error);
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames);

private:
    std::unique_ptr<ClapModule> module;
    std::unique_ptr<ClapHost> host;
    std::unique_ptr<ClapPlugin> plugin;
    InputEvents none;
    OutputEvents sent;
};

// `plughost check` on a CLAP module: every check in a process of its own.
CheckSummary runClapChecks(const ClapModule& module, const CheckOptions& options, std::ostream& out);
void runOneClapCheck(const ClapModule& module, const CheckOptions& options, std::size_t number, Findings& findings);

}  // namespace plughost::clap
