#include "plughost/check.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "plughost/check_support.h"
#include "plughost/preset_command.h"

namespace plughost {

const char* entryName(Entry entry) { return entry == Entry::Replacing ? "processReplacing" : "process"; }

void fillNoise(GuardedAudio& audio, std::size_t frames, Random& random) {
    for (int c = 0; c < audio.channels(); ++c) {
        for (std::size_t i = 0; i < frames; ++i) audio.channel(c)[i] = 0.5f * (2.0f * random.unit() - 1.0f);
    }
}

std::string firstDifference(const Channels& a, const Channels& b) {
    if (a.size() != b.size()) return "different channel counts";
    for (std::size_t c = 0; c < a.size(); ++c) {
        if (a[c].size() != b[c].size()) return "different lengths";
        for (std::size_t i = 0; i < a[c].size(); ++i)
            if (std::memcmp(&a[c][i], &b[c][i], sizeof(float)) != 0)
                return "channel " + std::to_string(c) + " differs from frame " + std::to_string(i) + " (" +
                       std::to_string(a[c][i]) + " against " + std::to_string(b[c][i]) + ")";
    }
    return {};
}

long firstSubnormal(GuardedAudio& audio, std::size_t used, int& channel) {
    for (channel = 0; channel < audio.channels(); ++channel)
        for (std::size_t i = 0; i < used; ++i)
            if (std::fpclassify(audio.channel(channel)[i]) == FP_SUBNORMAL) return static_cast<long>(i);
    return -1;
}

bool sameBits(const Channels& a, const Channels& b) {
    for (std::size_t c = 0; c < a.size(); ++c) {
        if (std::memcmp(a[c].data(), b[c].data(), a[c].size() * sizeof(float)) != 0) return false;
    }
    return true;
}

bool processChecked(PluginInstance& plugin, Entry entry, int frames, Random& random, const std::string& context,
                    Findings& findings) {
    const auto n = static_cast<std::size_t>(frames);
    GuardedAudio in(plugin.inputs(), n), out(plugin.outputs(), n);
    fillNoise(in, n, random);
    const auto before = in.samples();
    AEffect& e = plugin.record();
    if (entry == Entry::Replacing) e.processReplacing(&e, in.pointers(), out.pointers(), frames);
    else e.process(&e, in.pointers(), out.pointers(), frames);
    const std::string what = context + ", " + entryName(entry) + " of " + std::to_string(frames) + " frames";
    bool clean = true;
    const auto report = [&](const std::string& finding) {
        findings.add(what + ": " + finding);
        clean = false;
    };
    if (out.overrun(n)) report("wrote past the end of an output buffer");
    if (in.overrun(n)) report("wrote past the end of an input buffer");
    if (!sameBits(in.samples(), before)) report("changed its input buffer");
    int channel = 0;
    if (const long at = out.firstNonFinite(n, channel); at >= 0) {
        report("output not finite (channel " + std::to_string(channel) + ", frame " + std::to_string(at) + ")");
    }
    return clean;
}

std::vector<Entry> entries(const PluginInstance& plugin) {
    std::vector<Entry> list;
    if (plugin.canReplace()) list.push_back(Entry::Replacing);
    if (plugin.record().process) list.push_back(Entry::Accumulating);
    return list;
}

Entry preferredEntry(const PluginInstance& plugin) { return entries(plugin).front(); }

void startProcessing(PluginInstance& plugin, int maxBlock) {
    plugin.host().setPlaying(true);
    plugin.start(kCheckRate, maxBlock);
}

bool runBlocks(PluginInstance& plugin, int blocks, Random& random, const std::string& context, Findings& findings,
               const std::function<void(int)>& between) {
    const Entry entry = preferredEntry(plugin);
    for (int b = 0; b < blocks; ++b) {
        between(b);
        if (!processChecked(plugin, entry, kRunBlock, random, context + ", block " + std::to_string(b), findings)) {
            return false;
        }
        plugin.dispatch(effIdle);
    }
    return true;
}

VstInt32 automatedIndex(VstInt32 count, int turn, Random& random) {
    return turn % 2 ? random.below(count) : random.below(std::min(count, 32));
}

namespace {

constexpr int kOpenCloseCycles = 100;
constexpr std::size_t kFindingsPerCheck = 8;

void checkRecordFields(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    const AEffect& e = plugin->record();
    if (e.numInputs < 0 || e.numInputs > 256) c.findings.add("numInputs is " + std::to_string(e.numInputs));
    if (e.numOutputs < 0 || e.numOutputs > 256) c.findings.add("numOutputs is " + std::to_string(e.numOutputs));
    if (e.numParams < 0) c.findings.add("numParams is " + std::to_string(e.numParams));
    if (e.numPrograms < 0) c.findings.add("numPrograms is " + std::to_string(e.numPrograms));
    if (!e.setParameter || !e.getParameter) c.findings.add("setParameter or getParameter entry missing");
    if ((e.flags & effFlagsCanReplacing) && !e.processReplacing) {
        c.findings.add("effFlagsCanReplacing is set but processReplacing is null");
    }
}

void checkParameterValues(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    for (VstInt32 i = 0; i < plugin->record().numParams; ++i) {
        const float v = plugin->getParameter(i);
        if (!(v >= 0.0f && v <= 1.0f)) c.findings.add("getParameter(" + std::to_string(i) + ") is " + std::to_string(v));
    }
}

void checkOpcode(CheckContext& c, VstInt32 opcode) {
    auto plugin = c.open();
    if (plugin) probeOpcode(*plugin, opcode, c.findings);
}

void checkBlockSizes(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    for (int frames : {0, 1, 2, 3, 7, 31, 64, 333, 512, 1000, 4096, 8191, 8192}) {
        for (Entry entry : entries(*plugin)) processChecked(*plugin, entry, frames, random, "block sizes", c.findings);
    }
}

void checkEntries(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    for (int round = 0; round < 8; ++round) {
        for (Entry entry : entries(*plugin)) processChecked(*plugin, entry, 512, random, "alternating entries", c.findings);
    }
}

// Inputs and outputs in the same memory, as hosts do for insert effects.
void checkInPlace(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    const int channels = std::max(plugin->inputs(), plugin->outputs());
    AEffect& e = plugin->record();
    for (int round = 0; round < 16; ++round) {
        GuardedAudio shared(channels, kRunBlock);
        fillNoise(shared, kRunBlock, random);
        if (plugin->canReplace()) e.processReplacing(&e, shared.pointers(), shared.pointers(), kRunBlock);
        else e.process(&e, shared.pointers(), shared.pointers(), kRunBlock);
        int channel = 0;
        if (shared.overrun(kRunBlock)) c.findings.add("in place: wrote past the end of a buffer");
        if (const long at = shared.firstNonFinite(kRunBlock, channel); at >= 0) {
            c.findings.add("in place: output not finite (channel " + std::to_string(channel) + ", frame " +
                           std::to_string(at) + ")");
            return;
        }
    }
}

float hostileValue(Random& random) {
    constexpr float kSpecial[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(), -1.0f, 2.0f, 1e30f, -1e30f, -0.0f, 1.0f};
    if (random.below(3) == 0) return kSpecial[random.below(static_cast<int>(std::size(kSpecial)))];
    return random.unit();
}

// Random parameter changes between blocks, a third of them NaN, infinite or out of range;
// then the original values back and more blocks: the output must stay finite throughout.
void checkAutomation(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    const VstInt32 count = plugin->record().numParams;
    std::vector<float> original;
    for (VstInt32 i = 0; i < count; ++i) original.push_back(plugin->getParameter(i));
    startProcessing(*plugin, kMaxBlock);
    runBlocks(*plugin, 200, random, "random automation", c.findings, [&](int) {
        for (int k = 0; k < 8 && count > 0; ++k) plugin->setParameter(automatedIndex(count, k, random), hostileValue(random));
    });
    for (VstInt32 i = 0; i < count; ++i) plugin->setParameter(i, original[static_cast<std::size_t>(i)]);
    runBlocks(*plugin, 50, random, "after automation, values restored", c.findings, [](int) {});
}

void checkSuspendResume(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    runBlocks(*plugin, 60, random, "suspend and resume", c.findings, [&](int block) {
        if (block % 5 != 4) return;
        plugin->stop();
        if (block % 10 == 9) plugin->dispatch(effSetSampleRate, 0, 0, nullptr, block % 20 == 19 ? 96000.0f : 48000.0f);
        plugin->dispatch(effMainsChanged, 0, 1);
        plugin->dispatch(effStartProcess);
    });
}

void checkProgramChanges(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    runBlocks(*plugin, 100, random, "program changes", c.findings, [&](int) {
        plugin->dispatch(effBeginSetProgram);
        plugin->dispatch(effSetProgram, 0, random.below(plugin->record().numPrograms));
        plugin->dispatch(effEndSetProgram);
    });
}

void checkTransport(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    startProcessing(*plugin, kMaxBlock);
    runBlocks(*plugin, 40, random, "transport starts and stops", c.findings,
              [&](int block) { plugin->host().setPlaying(block % 8 < 4); });
}

void checkOpenClose(CheckContext& c) {
    Random random(c.options.seed);
    for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle) {
        auto plugin = c.open();
        if (!plugin) {
            c.findings.add("cycle " + std::to_string(cycle) + ": no instance");
            return;
        }
        startProcessing(*plugin, kRunBlock);
        if (!processChecked(*plugin, preferredEntry(*plugin), kRunBlock, random, "cycle " + std::to_string(cycle), c.findings)) return;
    }
}

struct Check {
    std::string name;
    std::function<void(CheckContext&)> body;
    const char* skipReason = nullptr;
};

std::vector<Check> allChecks() {
    std::vector<Check> checks{{"record fields", checkRecordFields}, {"parameter values", checkParameterValues}};
    for (VstInt32 op = kFirstProbedOpcode; op <= kLastProbedOpcode; ++op) {
        checks.push_back({"opcode " + std::to_string(op) + " " + opcodeName(op),
                          [op](CheckContext& c) { checkOpcode(c, op); }, opcodeSkipReason(op)});
    }
    checks.push_back({"block sizes 0 to 8192", checkBlockSizes});
    checks.push_back({"both entry points", checkEntries});
    checks.push_back({"in-place buffers", checkInPlace});
    checks.push_back({"random automation with NaN, Inf and out-of-range values", checkAutomation});
    checks.push_back({"suspend and resume mid-stream", checkSuspendResume});
    checks.push_back({"program changes mid-stream", checkProgramChanges});
    checks.push_back({"transport starts and stops", checkTransport});
    checks.push_back({std::to_string(kOpenCloseCycles) + " open/close cycles", checkOpenClose});
    for (int which = 0; which < kExtremeSettings; ++which) {
        checks.push_back({"60 s of audio with " + extremeSettingName(which),
                          [which](CheckContext& c) { checkExtremeSetting(c, which); }});
    }
    checks.push_back({"NaN and infinite input samples", checkNonFiniteInput});
    checks.push_back({"sample rates from 8 to 384 kHz", checkSampleRates});
    checks.push_back({"automation from a second thread while processing", checkAutomationThread});
    checks.push_back({"program changes racing automation", checkProgramsRacingAutomation});
    checks.push_back({"editor open with automation from the audio thread", checkEditorWithAutomation});
    checks.push_back({"state round trip of every program", checkStateRoundTrip});
    return checks;
}

// What a check run as a process of its own is started with (see runIsolatedCheck in main).
std::vector<std::string> isolatedArguments(const PluginModule& module, const CheckOptions& options, std::size_t number) {
    std::vector<std::string> words{module.path(), std::to_string(number), std::to_string(options.seed)};
    for (const std::string& word : presetArguments(options.preset, options.program)) words.push_back(word);
    return words;
}

}  // namespace

void runOneCheck(const PluginModule& module, const CheckOptions& options, std::size_t number, Findings& findings) {
    const std::vector<Check> checks = allChecks();
    if (number >= checks.size()) {
        findings.add("no check number " + std::to_string(number));
        return;
    }
    CheckContext context{module, options, Host(), findings};
    checks[number].body(context);
}

CheckSummary runChecks(const PluginModule& module, const CheckOptions& options, std::ostream& out) {
    CheckSummary summary;
    const std::vector<Check> checks = allChecks();
    for (std::size_t number = 0; number < checks.size(); ++number) {
        const Check& check = checks[number];
        if (leftOut(options, check.name)) continue;
        if (check.skipReason) {
            ++summary.skipped;
            if (options.verbose) out << "skip " << check.name << ": " << check.skipReason << "\n";
            continue;
        }
        const IsolatedOutcome outcome = runIsolated(
            [&](Findings& findings) { runOneCheck(module, options, number, findings); },
            isolatedArguments(module, options, number), options.timeLimitSeconds);
        tallyCheck(check.name, outcome, options.verbose, summary, out);
    }
    printSummary(summary, out);
    return summary;
}

void tallyCheck(const std::string& name, const IsolatedOutcome& outcome, bool verbose, CheckSummary& summary,
                std::ostream& out) {
    const std::string marker = kSkipMarker;
    std::string skipReason;
    std::vector<std::string> found;
    for (const std::string& line : outcome.findings) {
        if (line.starts_with(marker)) skipReason = line.substr(marker.size());
        else found.push_back(line);
    }
    for (std::size_t i = 0; i < found.size() && i < kFindingsPerCheck; ++i) {
        out << "FAIL " << name << ": " << found[i] << "\n";
        summary.findings.push_back(name + ": " + found[i]);
    }
    if (found.size() > kFindingsPerCheck) out << "FAIL " << name << ": ... and " << found.size() - kFindingsPerCheck << " more\n";
    if (!found.empty()) {
        ++summary.failed;
    } else if (!skipReason.empty()) {
        ++summary.skipped;
        if (verbose) out << "skip " << name << ": " << skipReason << "\n";
    } else {
        ++summary.passed;
        if (verbose) out << "ok   " << name << "\n";
    }
}

void printSummary(const CheckSummary& summary, std::ostream& out) {
    out << summary.passed << " passed, " << summary.failed << " failed, " << summary.skipped << " skipped\n";
}

}  // namespace plughost
