// `plughost check`: a validator that drives a plug-in the way hosts do, and harder: every
// dispatcher opcode with guarded buffers, awkward block sizes, in-place buffers, hostile
// parameter values, state changes mid-stream and many open/close cycles.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "plughost/isolation.h"
#include "plughost/module_loader.h"
#include "plughost/plugin_instance.h"
#include "plughost/plugin_presets.h"

namespace plughost {

struct CheckOptions {
    bool verbose = false;       // also list the checks that passed
    unsigned seed = 1;          // of the random automation and test signals
    unsigned timeLimitSeconds = 120;  // per check
    PresetChoice preset;              // loaded into every instance a check opens
    std::optional<int> program;
    std::string only;  // when set, only the checks whose names contain it run
};

// Whether the options leave out the check of that name.
inline bool leftOut(const CheckOptions& options, const std::string& name) {
    return !options.only.empty() && name.find(options.only) == std::string::npos;
}

struct CheckSummary {
    int passed = 0, failed = 0, skipped = 0;
    std::vector<std::string> findings;  // "check name: what was found"
};

// Runs every check, each in a process of its own; prints one line per finding and the
// closing "N passed, M failed" line.
CheckSummary runChecks(const PluginModule& module, const CheckOptions& options, std::ostream& out);

// Prints a check's findings (the first few, then how many more) and counts it as failed, as
// skipped when it reported only a reason not to apply, or as passed.
void tallyCheck(const std::string& name, const IsolatedOutcome& outcome, bool verbose, CheckSummary& summary,
                std::ostream& out);
// The closing "N passed, M failed, K skipped" line.
void printSummary(const CheckSummary& summary, std::ostream& out);

// One check by its number in the list, as an isolated child runs it. The arguments the
// child is started with are the module's path, the number and the seed (see isolation.h).
void runOneCheck(const PluginModule& module, const CheckOptions& options, std::size_t number, Findings& findings);

// The opcode probes, one per dispatcher opcode from -1 to 80 (check_opcodes.cpp).
constexpr VstInt32 kFirstProbedOpcode = -1;
constexpr VstInt32 kLastProbedOpcode = 80;
// Why an opcode is not probed, or null when it is.
const char* opcodeSkipReason(VstInt32 opcode);
std::string opcodeName(VstInt32 opcode);
void probeOpcode(PluginInstance& plugin, VstInt32 opcode, Findings& findings);

}  // namespace plughost
