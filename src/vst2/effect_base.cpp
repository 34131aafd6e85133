#include "vst2/effect_base.h"

#include <cmath>
#include <cstring>

#include "vst2/editor_base.h"
#include "vst2/float_convert.h"
#include "core/number_text.h"

namespace {

// The host calls these through C pointers, so no exception may pass them: one thrown (an
// allocation that fails while the editor opens, say) is answered as a failure, 0.
VstIntPtr VSTCALL dispatcherEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) noexcept {
    EffectBase* object = EffectBase::fromRecord(effect);
    if (opcode == effClose) {
        try {
            object->dispatch(opcode, index, value, ptr, opt);
        } catch (...) {
        }
        delete object;
        return 1;
    }
    try {
        return object->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

void VSTCALL processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) noexcept {
    try {
        EffectBase::fromRecord(effect)->process(inputs, outputs, sampleFrames);
    } catch (...) {
    }
}

void VSTCALL processReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) noexcept {
    try {
        EffectBase::fromRecord(effect)->processReplacing(inputs, outputs, sampleFrames);
    } catch (...) {
    }
}

void VSTCALL setParameterEntry(AEffect* effect, VstInt32 index, float value) noexcept {
    try {
        EffectBase::fromRecord(effect)->setParameter(index, value);
    } catch (...) {
    }
}

float VSTCALL getParameterEntry(AEffect* effect, VstInt32 index) noexcept {
    try {
        return EffectBase::fromRecord(effect)->getParameter(index);
    } catch (...) {
        return 0.0f;
    }
}

}  // namespace

EffectBase::EffectBase(audioMasterCallback host, VstInt32 programCount, VstInt32 parameterCount)
    : hostCallback(host), numPrograms(programCount), numParams(parameterCount) {
    std::memset(&record, 0, sizeof record);
    record.magic = kEffectMagic;
    record.dispatcher = dispatcherEntry;
    record.process = processEntry;
    record.setParameter = setParameterEntry;
    record.getParameter = getParameterEntry;
    record.numPrograms = programCount;
    record.numParams = parameterCount;
    record.numInputs = 1;
    record.numOutputs = 2;
    record.ioRatio = 1.0f;
    record.object = this;
    record.uniqueID = fourCharCode("NoEf");
    record.version = 1;
    record.processReplacing = processReplacingEntry;
}

EffectBase::~EffectBase() { delete editor; }

void EffectBase::attachEditor(EditorBase* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, true);
}

VstIntPtr EffectBase::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!hostCallback) return 0;
    return hostCallback(&record, opcode, index, value, ptr, opt);
}

void EffectBase::setFlag(VstInt32 bit, bool state) {
    if (state)
        record.flags |= bit;
    else
        record.flags &= ~bit;
}

VstIntPtr EffectBase::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 0;
    case effSetProgram:
        // Negative program numbers are refused like those past the bank.
        if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName:
        if (ptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effGetVu: return truncateToInt(getVu() * 32767.0);
    case effSetSampleRate: setSampleRate(opt); return 0;
    case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect: return editor ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen: return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor) editor->close();
        return 0;
    case effEditIdle:
        if (editor) editor->idle();
        return 0;
    case effIdentify: return fourCharCode("NvEf");
    case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default: return 0;
    }
}

void EffectBase::setParameter(VstInt32, float) {}
float EffectBase::getParameter(VstInt32) { return 0.0f; }

void EffectBase::automateParameter(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void EffectBase::processReplacing(float**, float**, VstInt32) {}
void EffectBase::open() {}
void EffectBase::close() {}
VstInt32 EffectBase::getProgram() { return currentProgram; }
void EffectBase::setProgram(VstInt32 program) { currentProgram = program; }
void EffectBase::setProgramName(char* name) { *name = '\0'; }
void EffectBase::getProgramName(char* name) { *name = '\0'; }
void EffectBase::getParameterLabel(VstInt32, char* label) { *label = '\0'; }
void EffectBase::getParameterDisplay(VstInt32, char* text) { *text = '\0'; }
void EffectBase::getParameterName(VstInt32, char* text) { *text = '\0'; }
float EffectBase::getVu() { return 0.0f; }
VstInt32 EffectBase::getChunk(void**, bool) { return 0; }
VstInt32 EffectBase::setChunk(void*, VstInt32, bool) { return 0; }
void EffectBase::setSampleRate(float rate) { sampleRate = rate; }
void EffectBase::setBlockSize(VstInt32 frames) { blockSize = frames; }
void EffectBase::suspend() {}
void EffectBase::resume() {}
void EffectBase::setUniqueId(VstInt32 id) { record.uniqueID = id; }
void EffectBase::setInputCount(VstInt32 count) { record.numInputs = count; }
void EffectBase::setOutputCount(VstInt32 count) { record.numOutputs = count; }
void EffectBase::setHasVu(bool state) { setFlag(effFlagsHasVu, state); }
void EffectBase::setHasClip(bool state) { setFlag(effFlagsHasClip, state); }
void EffectBase::setCanMono(bool state) { setFlag(effFlagsCanMono, state); }
void EffectBase::setCanReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void EffectBase::setProgramsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void EffectBase::setRealtimeQualities(VstInt32 qualities) { record.realQualities = qualities; }
void EffectBase::setOfflineQualities(VstInt32 qualities) { record.offQualities = qualities; }
void EffectBase::setInitialDelay(VstInt32 frames) { record.initialDelay = frames; }
float EffectBase::getSampleRate() { return sampleRate; }
VstInt32 EffectBase::getBlockSize() { return blockSize; }

VstInt32 EffectBase::getHostVersion() {
    if (!hostCallback) return 1;
    const auto version = static_cast<VstInt32>(callHost(audioMasterVersion));
    return version == 0 ? 1 : version;
}

VstInt32 EffectBase::getHostCurrentId() { return static_cast<VstInt32>(callHost(audioMasterCurrentId)); }

void EffectBase::hostIdle() { callHost(audioMasterIdle); }

bool EffectBase::isInputConnected(VstInt32 input) {
    if (!hostCallback) return true;
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool EffectBase::isOutputConnected(VstInt32 output) {
    if (!hostCallback) return true;
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

void EffectBase::formatDecibels(float value, char* text) {
    if (value > 0.0f)
        formatNumber(static_cast<float>(20.0 * std::log10(value)), text);
    else
        std::strcpy(text, "-oo");
}

void EffectBase::formatHertz(float samples, char* text) {
    formatNumber(samples == 0.0f ? 0.0f : sampleRate / samples, text);
}

void EffectBase::formatMilliseconds(float samples, char* text) {
    formatNumber(static_cast<float>(samples * 1000.0 / sampleRate), text);
}

void EffectBase::formatNumber(float value, char* text) { numbertext::formatNumber(value, text); }
void EffectBase::formatInteger(VstInt32 value, char* text) { numbertext::formatInteger(value, text); }
float EffectBase::fromPercent(float value) { return static_cast<float>(1.0 / (100.0 / value)); }
void EffectBase::formatPercent(float value, char* text) { numbertext::formatPercent(value, text); }
float EffectBase::parseNumber(const char* text) { return numbertext::parseNumber(text); }
