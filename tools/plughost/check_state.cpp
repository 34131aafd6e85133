// The state round trip: what a host saves of a plug-in (every program's values and name, read
// through the effect record and the dispatcher, or the bank chunk) must come back as it was,
// both after changing programs and in a new instance the host restores it into.
#include <cmath>
#include <cstdio>

#include "plughost/check_support.h"

namespace plughost {
namespace {

// Room for a plug-in that stores values in a coarser form than the float it is given.
constexpr float kValueTolerance = 1e-5f;
constexpr int kProgramsReported = 4;
constexpr int kSettleBlocks = 8;

struct ProgramState {
    std::string name;
    std::vector<float> values;
    std::vector<std::string> displays;  // what the plug-in shows for each value
};
using Bank = std::vector<ProgramState>;

// A plug-in without programs has one state all the same.
VstInt32 programCount(const PluginInstance& plugin) { return std::max(plugin.record().numPrograms, 1); }

void select(PluginInstance& plugin, VstInt32 program) {
    if (plugin.record().numPrograms > 0) plugin.dispatch(effSetProgram, 0, program);
}

ProgramState readProgram(PluginInstance& plugin) {
    ProgramState state{plugin.text(effGetProgramName), {}, {}};
    for (VstInt32 i = 0; i < plugin.record().numParams; ++i) {
        state.values.push_back(plugin.getParameter(i));
        state.displays.push_back(plugin.text(effGetParamDisplay, i));
    }
    return state;
}

Bank readBank(PluginInstance& plugin) {
    Bank bank;
    for (VstInt32 p = 0; p < programCount(plugin); ++p) {
        select(plugin, p);
        bank.push_back(readProgram(plugin));
    }
    return bank;
}

void setName(PluginInstance& plugin, const std::string& name) {
    GuardedBytes text = GuardedBytes::holding(name);
    plugin.dispatch(effSetProgramName, 0, 0, text.data());
}

// Every program given values and a name of its own, as a user editing them does; what the
// plug-in answers for each right after its edit.
Bank editBank(PluginInstance& plugin, Random& random) {
    Bank edited;
    for (VstInt32 p = 0; p < programCount(plugin); ++p) {
        select(plugin, p);
        for (VstInt32 i = 0; i < plugin.record().numParams; ++i) plugin.setParameter(i, random.unit());
        setName(plugin, "Checked " + std::to_string(p + 1));
        edited.push_back(readProgram(plugin));
    }
    return edited;
}

// A bank restored value by value, as hosts without chunks save and load songs.
void writeBank(PluginInstance& plugin, const Bank& bank) {
    for (VstInt32 p = 0; p < programCount(plugin) && p < static_cast<VstInt32>(bank.size()); ++p) {
        select(plugin, p);
        setName(plugin, bank[static_cast<std::size_t>(p)].name);
        const std::vector<float>& values = bank[static_cast<std::size_t>(p)].values;
        for (std::size_t i = 0; i < values.size(); ++i) plugin.setParameter(static_cast<VstInt32>(i), values[i]);
    }
}

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    return text;
}

// A value came back when it is the same within the tolerance, or shows the same: a plug-in
// may keep the value a host set, 0.3 for an on/off switch, and save what it means, off.
bool sameValue(const ProgramState& expected, const ProgramState& got, std::size_t i) {
    return std::fabs(expected.values[i] - got.values[i]) <= kValueTolerance || expected.displays[i] == got.displays[i];
}

// What differs in one program, or nothing.
std::string difference(const ProgramState& expected, const ProgramState& got) {
    if (expected.name != got.name) return "name \"" + expected.name + "\" came back as \"" + got.name + "\"";
    std::size_t first = expected.values.size(), count = 0;
    for (std::size_t i = 0; i < expected.values.size() && i < got.values.size(); ++i) {
        if (!sameValue(expected, got, i)) {
            first = std::min(first, i);
            ++count;
        }
    }
    if (count == 0) return {};
    std::string text = "parameter " + std::to_string(first) + " was " + number(expected.values[first]) + " (\"" +
                       expected.displays[first] + "\"), came back as " + number(got.values[first]) + " (\"" +
                       got.displays[first] + "\")";
    return count > 1 ? text + " (and " + std::to_string(count - 1) + " more)" : text;
}

void compareBanks(const Bank& expected, const Bank& got, const std::string& context, Findings& findings) {
    int reported = 0;
    for (std::size_t p = 0; p < expected.size() && p < got.size(); ++p) {
        const std::string found = difference(expected[p], got[p]);
        if (found.empty()) continue;
        if (++reported > kProgramsReported) {
            findings.add(context + ": more programs differ");
            return;
        }
        findings.add(context + ", program " + std::to_string(p) + ": " + found);
    }
}

// What a host does after loading a song: mains on and a few blocks of silence with idle
// calls, so that a plug-in that applies restored state on its audio or idle path has done so.
void settle(PluginInstance& plugin) {
    plugin.host().setPlaying(true);
    plugin.start(kCheckRate, kRunBlock);
    GuardedAudio in(plugin.inputs(), kRunBlock), out(plugin.outputs(), kRunBlock);
    for (int b = 0; b < kSettleBlocks; ++b) {
        plugin.process(in.pointers(), out.pointers(), kRunBlock, false);
        plugin.dispatch(effIdle);
    }
    plugin.stop();
}

std::vector<unsigned char> bankChunk(PluginInstance& plugin) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return {bytes, bytes + size};
}

}  // namespace

void checkStateRoundTrip(CheckContext& c) {
    Random random(c.options.seed);
    Bank saved;
    std::vector<unsigned char> chunk;
    if (auto plugin = c.open()) {
        const Bank edited = editBank(*plugin, random);
        saved = readBank(*plugin);
        compareBanks(edited, saved, "edited, then other programs selected and this one again", c.findings);
        if (plugin->record().flags & effFlagsProgramChunks) chunk = bankChunk(*plugin);
    }
    if (auto restored = c.open()) {
        writeBank(*restored, saved);
        settle(*restored);
        compareBanks(saved, readBank(*restored), "restored value by value into a new instance", c.findings);
    }
    if (chunk.empty()) return;
    if (auto restored = c.open()) {
        restored->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
        settle(*restored);
        compareBanks(saved, readBank(*restored), "restored from the bank chunk into a new instance", c.findings);
    }
}

}  // namespace plughost
