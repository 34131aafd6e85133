// The dispatcher sweep of `plughost check`: each opcode called as a careful host would,
// with every buffer the plug-in may write guarded, and the answers that can be checked
// checked.
#include <array>
#include <cstring>

#include "plughost/check.h"
#include "plughost/guarded_memory.h"

namespace plughost {
namespace {

constexpr std::array<const char*, 77> kOpcodeNames = {
    "effOpen", "effClose", "effSetProgram", "effGetProgram", "effSetProgramName", "effGetProgramName",
    "effGetParamLabel", "effGetParamDisplay", "effGetParamName", "effGetVu", "effSetSampleRate", "effSetBlockSize",
    "effMainsChanged", "effEditGetRect", "effEditOpen", "effEditClose", "effEditDraw", "effEditMouse", "effEditKey",
    "effEditIdle", "effEditTop", "effEditSleep", "effIdentify", "effGetChunk", "effSetChunk", "effProcessEvents",
    "effCanBeAutomated", "effString2Parameter", "effGetNumProgramCategories", "effGetProgramNameIndexed",
    "effCopyProgram", "effConnectInput", "effConnectOutput", "effGetInputProperties", "effGetOutputProperties",
    "effGetPlugCategory", "effGetCurrentPosition", "effGetDestinationBuffer", "effOfflineNotify",
    "effOfflinePrepare", "effOfflineRun", "effProcessVarIo", "effSetSpeakerArrangement",
    "effSetBlockSizeAndSampleRate", "effSetBypass", "effGetEffectName", "effGetErrorText", "effGetVendorString",
    "effGetProductString", "effGetVendorVersion", "effVendorSpecific", "effCanDo", "effGetTailSize", "effIdle",
    "effGetIcon", "effSetViewPosition", "effGetParameterProperties", "effKeysRequired", "effGetVstVersion",
    "effEditKeyDown", "effEditKeyUp", "effSetEditKnobMode", "effGetMidiProgramName", "effGetCurrentMidiProgram",
    "effGetMidiProgramCategory", "effHasMidiProgramsChanged", "effGetMidiKeyName", "effBeginSetProgram",
    "effEndSetProgram", "effGetSpeakerArrangement", "effShellGetNextPlugin", "effStartProcess", "effStopProcess",
    "effSetTotalSampleToProcess", "effSetPanLaw", "effBeginLoadBank", "effBeginLoadProgram",
};

constexpr const char* kCapabilities[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                         "receiveVstMidiEvent", "receiveVstTimeInfo", "offline",
                                         "midiProgramNames", "bypass", "2in2out", "1in1out"};

// Offsets of text fields in records the plug-in fills in (published layouts).
constexpr std::size_t kPinLabelLength = 64;          // VstPinProperties starts with its label
constexpr std::size_t kParameterLabelOffset = 12;    // VstParameterProperties: after three floats
constexpr std::size_t kParameterLabelLength = 64;

std::string where(VstInt32 index) { return " (index " + std::to_string(index) + ")"; }

void checkGuard(const GuardedBytes& buffer, const std::string& context, Findings& findings) {
    if (buffer.overrun()) findings.add(context + ": wrote past the 256 bytes of the buffer");
}

// A text answer: nothing past 256 bytes, and a terminator if anything was written.
void checkText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, VstIntPtr value, Findings& findings) {
    GuardedBytes buffer;
    plugin.dispatch(opcode, index, value, buffer.data());
    const std::string context = opcodeName(opcode) + where(index);
    if (buffer.overrun()) findings.add(context + ": text written past 256 bytes");
    else if (buffer.written() && !buffer.terminated()) findings.add(context + ": text not terminated within 256 bytes");
}

// A record answer: nothing past the buffer, and its label terminated when it says yes.
void checkRecord(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, std::size_t labelOffset,
                 std::size_t labelLength, Findings& findings) {
    GuardedBytes buffer = GuardedBytes::zeroed();
    const VstIntPtr answer = plugin.dispatch(opcode, index, 0, buffer.data());
    const std::string context = opcodeName(opcode) + where(index);
    checkGuard(buffer, context, findings);
    if (answer != 0 && labelLength > 0 && !buffer.terminated(labelOffset, labelLength)) {
        findings.add(context + ": label not terminated within " + std::to_string(labelLength) + " bytes");
    }
}

void checkPlain(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt,
                Findings& findings) {
    GuardedBytes buffer = GuardedBytes::zeroed();
    plugin.dispatch(opcode, index, value, buffer.data(), opt);
    checkGuard(buffer, opcodeName(opcode) + where(index), findings);
}

void forEachParameter(PluginInstance& plugin, const std::function<void(VstInt32)>& body) {
    for (VstInt32 i = 0; i < plugin.record().numParams; ++i) body(i);
}

void probePrograms(PluginInstance& plugin, Findings& findings) {
    const VstInt32 count = plugin.record().numPrograms;
    for (VstInt32 i = 0; i < count; ++i) {
        plugin.dispatch(effSetProgram, 0, i);
        const VstIntPtr now = plugin.dispatch(effGetProgram);
        if (now != i) findings.add("effSetProgram" + where(i) + ": effGetProgram then answers " + std::to_string(now));
    }
    if (count > 0) plugin.dispatch(effSetProgram, 0, 0);
}

void probeGetProgram(PluginInstance& plugin, Findings& findings) {
    const VstIntPtr current = plugin.dispatch(effGetProgram);
    const VstInt32 count = plugin.record().numPrograms;
    if (count > 0 && (current < 0 || current >= count)) {
        findings.add("effGetProgram: answers " + std::to_string(current) + " of " + std::to_string(count) + " programs");
    }
}

void probeEditRect(PluginInstance& plugin, Findings& findings) {
    const ERect* rect = nullptr;
    const VstIntPtr answer = plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (answer == 0 || !rect) return;
    if (rect->right < rect->left || rect->bottom < rect->top) {
        findings.add("effEditGetRect: a rectangle of negative size");
    }
}

// Byte-wise sum, only so that every byte of the chunk is read.
unsigned touch(const unsigned char* data, VstIntPtr size) {
    unsigned sum = 0;
    for (VstIntPtr i = 0; i < size; ++i) sum += data[i];
    return sum;
}

void probeGetChunk(PluginInstance& plugin, Findings& findings) {
    for (VstInt32 single : {0, 1}) {
        void* data = nullptr;
        const VstIntPtr size = plugin.dispatch(effGetChunk, single, 0, &data);
        const std::string context = "effGetChunk" + where(single);
        if (size < 0) findings.add(context + ": a negative size");
        if (size > 0 && !data) findings.add(context + ": a size but no data");
        if (size > 0 && data) touch(static_cast<const unsigned char*>(data), size);
    }
}

// Gives the plug-in back what it handed out, as a host restoring a saved song does.
void probeSetChunk(PluginInstance& plugin, Findings&) {
    for (VstInt32 single : {0, 1}) {
        void* data = nullptr;
        const VstIntPtr size = plugin.dispatch(effGetChunk, single, 0, &data);
        if (size <= 0 || !data) continue;
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::vector<unsigned char> copy(bytes, bytes + size);
        plugin.dispatch(effSetChunk, single, size, copy.data());
    }
}

void probeCanDo(PluginInstance& plugin, Findings& findings) {
    for (const char* capability : kCapabilities) {
        GuardedBytes text = GuardedBytes::holding(capability);
        const VstIntPtr answer = plugin.dispatch(effCanDo, 0, 0, text.data());
        checkGuard(text, std::string("effCanDo \"") + capability + "\"", findings);
        if (answer < -1 || answer > 1) {
            findings.add(std::string("effCanDo \"") + capability + "\": answers " + std::to_string(answer) +
                         ", not -1, 0 or 1");
        }
    }
}

std::vector<unsigned char> speakerArrangement(VstInt32 channels) {
    std::vector<unsigned char> bytes(speakerArrangementSize(std::max(channels, 1)), 0);
    auto* arrangement = reinterpret_cast<VstSpeakerArrangement*>(bytes.data());
    constexpr VstInt32 kMono = 0, kStereo = 1, kUserDefined = -2;
    arrangement->type = channels == 1 ? kMono : channels == 2 ? kStereo : kUserDefined;
    arrangement->numChannels = channels;
    for (VstInt32 c = 0; c < channels; ++c) {
        VstSpeakerProperties& speaker = arrangement->speakers[c];
        speaker.type = channels == 1 ? 0 : c + 1;  // M, or L, R, ...
        std::snprintf(speaker.name, sizeof speaker.name, "%d", c + 1);
    }
    return bytes;
}

void probeSetSpeakers(PluginInstance& plugin, Findings&) {
    auto in = speakerArrangement(plugin.inputs()), out = speakerArrangement(plugin.outputs());
    plugin.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(in.data()), out.data());
}

void probeGetSpeakers(PluginInstance& plugin, Findings& findings) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    if (plugin.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out) == 0) return;
    for (const VstSpeakerArrangement* a : {in, out}) {
        if (a && (a->numChannels < 0 || a->numChannels > 256)) {
            findings.add("effGetSpeakerArrangement: " + std::to_string(a->numChannels) + " channels");
        }
    }
}

// VstPatchChunkInfo: version, unique id, plug-in version, element count, 48 reserved bytes.
void probeBeginLoad(PluginInstance& plugin, VstInt32 opcode, Findings& findings) {
    GuardedBytes info = GuardedBytes::zeroed();
    const AEffect& e = plugin.record();
    const VstInt32 fields[] = {1, e.uniqueID, e.version, opcode == effBeginLoadBank ? e.numPrograms : e.numParams};
    std::memcpy(info.data(), fields, sizeof fields);
    plugin.dispatch(opcode, 0, 0, info.data());
    checkGuard(info, opcodeName(opcode), findings);
}

void probeOpenClose(PluginInstance&, Findings&) {
    // The instance was opened to get here and is closed afterwards: the lifecycle is the probe.
}

}  // namespace

std::string opcodeName(VstInt32 opcode) {
    if (opcode >= 0 && static_cast<std::size_t>(opcode) < kOpcodeNames.size()) return kOpcodeNames[opcode];
    return "opcode " + std::to_string(opcode);
}

const char* opcodeSkipReason(VstInt32 opcode) {
    if (opcode == effEditOpen || opcode == effEditClose) return "opening an editor needs a parent window";
    return nullptr;
}

void probeOpcode(PluginInstance& plugin, VstInt32 opcode, Findings& findings) {
    const VstInt32 inputs = plugin.inputs(), outputs = plugin.outputs();
    switch (opcode) {
    case effOpen:
    case effClose: return probeOpenClose(plugin, findings);
    case effSetProgram: return probePrograms(plugin, findings);
    case effGetProgram: return probeGetProgram(plugin, findings);
    case effSetProgramName: {
        GuardedBytes name = GuardedBytes::holding("Checked");
        plugin.dispatch(effSetProgramName, 0, 0, name.data());
        return checkGuard(name, "effSetProgramName", findings);
    }
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
        return forEachParameter(plugin, [&](VstInt32 i) { checkText(plugin, opcode, i, 0, findings); });
    case effGetProgramName:
    case effGetEffectName:
    case effGetErrorText:
    case effGetVendorString:
    case effGetProductString:
    case effShellGetNextPlugin: return checkText(plugin, opcode, 0, 0, findings);
    case effGetProgramNameIndexed:
        for (VstInt32 i = 0; i < plugin.record().numPrograms; ++i) checkText(plugin, opcode, i, -1, findings);
        return;
    case effSetSampleRate:
        checkPlain(plugin, opcode, 0, 0, 48000.0f, findings);
        return checkPlain(plugin, opcode, 0, 0, 44100.0f, findings);
    case effSetBlockSize: return checkPlain(plugin, opcode, 0, 1024, 0.0f, findings);
    case effMainsChanged:
    case effSetBypass:
        checkPlain(plugin, opcode, 0, 1, 0.0f, findings);
        return checkPlain(plugin, opcode, 0, 0, 0.0f, findings);
    case effEditGetRect: return probeEditRect(plugin, findings);
    case effGetChunk: return probeGetChunk(plugin, findings);
    case effSetChunk: return probeSetChunk(plugin, findings);
    case effCanBeAutomated:
        return forEachParameter(plugin, [&](VstInt32 i) { checkPlain(plugin, opcode, i, 0, 0.0f, findings); });
    case effString2Parameter:
        return forEachParameter(plugin, [&](VstInt32 i) {
            GuardedBytes text = GuardedBytes::holding("0.5");
            plugin.dispatch(opcode, i, 0, text.data());
            checkGuard(text, opcodeName(opcode) + where(i), findings);
        });
    case effGetParameterProperties:
        return forEachParameter(plugin, [&](VstInt32 i) {
            checkRecord(plugin, opcode, i, kParameterLabelOffset, kParameterLabelLength, findings);
        });
    case effCopyProgram: return checkPlain(plugin, opcode, static_cast<VstInt32>(plugin.dispatch(effGetProgram)), 0, 0.0f, findings);
    case effConnectInput:
        for (VstInt32 c = 0; c < inputs; ++c) checkPlain(plugin, opcode, c, 1, 0.0f, findings);
        return;
    case effConnectOutput:
        for (VstInt32 c = 0; c < outputs; ++c) checkPlain(plugin, opcode, c, 1, 0.0f, findings);
        return;
    case effGetInputProperties:
        for (VstInt32 c = 0; c < inputs; ++c) checkRecord(plugin, opcode, c, 0, kPinLabelLength, findings);
        return;
    case effGetOutputProperties:
        for (VstInt32 c = 0; c < outputs; ++c) checkRecord(plugin, opcode, c, 0, kPinLabelLength, findings);
        return;
    case effSetSpeakerArrangement: return probeSetSpeakers(plugin, findings);
    case effGetSpeakerArrangement: return probeGetSpeakers(plugin, findings);
    case effSetBlockSizeAndSampleRate: return checkPlain(plugin, opcode, 0, 512, 44100.0f, findings);
    case effCanDo: return probeCanDo(plugin, findings);
    case effSetTotalSampleToProcess: return checkPlain(plugin, opcode, 0, 44100, 0.0f, findings);
    case effSetPanLaw: return checkPlain(plugin, opcode, 0, 0, 1.0f, findings);
    case effBeginLoadBank:
    case effBeginLoadProgram: return probeBeginLoad(plugin, opcode, findings);
    case effBeginSetProgram:
        checkPlain(plugin, effBeginSetProgram, 0, 0, 0.0f, findings);
        return checkPlain(plugin, effEndSetProgram, 0, 0, 0.0f, findings);
    case effStartProcess:
        checkPlain(plugin, effStartProcess, 0, 0, 0.0f, findings);
        return checkPlain(plugin, effStopProcess, 0, 0, 0.0f, findings);
    default:
        // Queries without arguments, obsolete and unknown opcodes: all zero, and a zeroed
        // guarded buffer in case the plug-in reads or writes through ptr anyway.
        return checkPlain(plugin, opcode, 0, 0, 0.0f, findings);
    }
}

}  // namespace plughost
