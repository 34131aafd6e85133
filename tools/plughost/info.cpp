#include "plughost/info.h"

#include <cstdio>
#include <iomanip>

#include "plughost/plugin_instance.h"

namespace plughost {
namespace {

constexpr const char* kCapabilities[] = {
    "sendVstEvents",  "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
    "offline",        "midiProgramNames", "bypass",           "plugAsChannelInsert", "plugAsSend",
    "mixDryWet",      "noRealTime",       "multipass",        "metapass",            "1in1out",
    "1in2out",        "2in1out",          "2in2out",
};

std::string hex(VstInt32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

const char* canDoWord(VstIntPtr answer) {
    if (answer > 0) return "yes";
    if (answer < 0) return "no";
    return "don't know";
}

void printRecord(const AEffect& e, std::ostream& out) {
    out << "Record\n"
        << "  magic          " << fourCharText(e.magic) << "\n"
        << "  programs       " << e.numPrograms << "\n"
        << "  parameters     " << e.numParams << "\n"
        << "  inputs         " << e.numInputs << "\n"
        << "  outputs        " << e.numOutputs << "\n"
        << "  flags          " << e.flags << " = " << flagNames(e.flags) << "\n"
        << "  initial delay  " << e.initialDelay << " frames\n"
        << "  io ratio       " << e.ioRatio << "\n"
        << "  unique id      " << fourCharText(e.uniqueID) << "\n"
        << "  version        " << e.version << "\n";
}

void printStrings(PluginInstance& plugin, std::ostream& out) {
    out << "Strings\n"
        << "  effect name    " << quoted(plugin.text(effGetEffectName)) << "\n"
        << "  vendor         " << quoted(plugin.text(effGetVendorString)) << "\n"
        << "  product        " << quoted(plugin.text(effGetProductString)) << "\n"
        << "  vendor version " << plugin.dispatch(effGetVendorVersion) << "\n"
        << "  VST version    " << plugin.dispatch(effGetVstVersion) << "\n"
        << "  category       " << plugin.dispatch(effGetPlugCategory) << "\n"
        << "  tail size      " << plugin.dispatch(effGetTailSize) << "\n";
}

void printParameters(PluginInstance& plugin, const InfoOptions& options, std::ostream& out) {
    const VstInt32 count = plugin.record().numParams;
    const VstInt32 listed = options.allParameters ? count : std::min(count, InfoOptions::kListedParameters);
    out << "Parameters (" << count << ")\n";
    out << "  " << std::left << std::setw(6) << "index" << std::setw(20) << "name" << std::setw(20) << "label"
        << std::setw(14) << "display" << "value\n";
    for (VstInt32 i = 0; i < listed; ++i) {
        out << "  " << std::setw(6) << i << std::setw(20) << plugin.text(effGetParamName, i) << std::setw(20)
            << plugin.text(effGetParamLabel, i) << std::setw(14) << plugin.text(effGetParamDisplay, i)
            << plugin.getParameter(i) << "\n";
    }
    if (listed == count) return;
    VstInt32 unnamed = 0;
    for (VstInt32 i = listed; i < count; ++i) unnamed += plugin.text(effGetParamName, i).empty() ? 1 : 0;
    out << "  ... and " << count - listed << " more (" << unnamed << " of them without a name); --all lists them\n";
}

// Names by effGetProgramNameIndexed, or, where the plug-in lacks it, by selecting each
// program in turn and asking for the current name.
void printPrograms(PluginInstance& plugin, std::ostream& out) {
    const VstInt32 count = plugin.record().numPrograms;
    const VstIntPtr current = plugin.dispatch(effGetProgram);
    out << "Programs (" << count << ", current " << current << ")\n";
    constexpr int kPerLine = 4;
    for (VstInt32 i = 0; i < count; ++i) {
        std::string name;
        char buffer[512] = {};
        if (plugin.dispatch(effGetProgramNameIndexed, i, 0, buffer) != 0) {
            buffer[255] = '\0';
            name = buffer;
        } else {
            plugin.dispatch(effSetProgram, 0, i);
            name = plugin.text(effGetProgramName);
        }
        out << (i % kPerLine == 0 ? "  " : "") << std::right << std::setw(3) << i << " " << std::left << std::setw(24)
            << name << ((i % kPerLine == kPerLine - 1 || i == count - 1) ? "\n" : "");
    }
    plugin.dispatch(effSetProgram, 0, current);
}

void printCapabilities(PluginInstance& plugin, std::ostream& out) {
    out << "Can do\n";
    for (const char* capability : kCapabilities) {
        const VstIntPtr answer = plugin.dispatch(effCanDo, 0, 0, const_cast<char*>(capability));
        out << "  " << std::left << std::setw(22) << capability << canDoWord(answer) << " (" << answer << ")\n";
    }
}

}  // namespace

std::string flagNames(VstInt32 flags) {
    static constexpr std::pair<VstInt32, const char*> kNames[] = {
        {effFlagsHasEditor, "HasEditor"},       {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},               {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},           {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},     {effFlagsExtHasBuffer, "ExtHasBuffer"},
    };
    std::string text;
    VstInt32 known = 0;
    for (const auto& [bit, name] : kNames) {
        known |= bit;
        if (flags & bit) text += (text.empty() ? "" : " | ") + std::string(name);
    }
    if (flags & ~known) text += (text.empty() ? "" : " | ") + hex(flags & ~known);
    return text.empty() ? "none" : text;
}

bool printInfo(const PluginModule& module, const InfoOptions& options, std::ostream& out, std::string& error) {
    Host host;
    auto plugin = PluginInstance::create(module, host, error);
    if (!plugin) return false;
    out << "Plug-in " << module.path() << "\n";
    printRecord(plugin->record(), out);
    printStrings(*plugin, out);
    printParameters(*plugin, options, out);
    printPrograms(*plugin, out);
    printCapabilities(*plugin, out);
    return true;
}

}  // namespace plughost
