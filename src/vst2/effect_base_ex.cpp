#include "vst2/effect_base_ex.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "vst2/bounded_text.h"
#include "vst2/editor_base.h"
#include "vst2/float_convert.h"

EffectBaseEx::EffectBaseEx(audioMasterCallback host, VstInt32 programCount, VstInt32 parameterCount)
    : EffectBase(host, programCount, parameterCount) {}

VstIntPtr EffectBaseEx::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents: return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated: return canBeAutomated(index) ? 1 : 0;
    case effString2Parameter: return text && stringToParameter(index, text) ? 1 : 0;
    case effGetNumProgramCategories: return getProgramCategoryCount();
    case effGetProgramNameIndexed:
        return text && getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effCopyProgram: return copyProgram(index) ? 1 : 0;
    case effConnectInput: connectInput(index, value != 0); return 1;
    case effConnectOutput: connectOutput(index, value != 0); return 1;
    case effGetInputProperties: return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties: return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory: return getPlugCategory();
    case effGetCurrentPosition: return getCurrentPosition();
    case effGetDestinationBuffer: return reinterpret_cast<VstIntPtr>(getDestinationBuffer());
    case effOfflineNotify:
        return offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value), index != 0) ? 1 : 0;
    case effOfflinePrepare:
        return offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)) ? 1 : 0;
    case effOfflineRun: return offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)) ? 1 : 0;
    case effProcessVarIo: return processVariableIo(static_cast<VstVariableIo*>(ptr)) ? 1 : 0;
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effSetBlockSizeAndSampleRate: setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt); return 1;
    case effSetBypass: return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName: return text && getEffectName(text) ? 1 : 0;
    case effGetErrorText: return text && getErrorText(text) ? 1 : 0;
    case effGetVendorString: return text && getVendorString(text) ? 1 : 0;
    case effGetProductString: return text && getProductString(text) ? 1 : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case effCanDo: return text ? canDo(text) : 0;
    case effGetTailSize: return getTailSize();
    case effIdle: return idle();
    case effGetIcon: return reinterpret_cast<VstIntPtr>(getIcon());
    case effSetViewPosition: return setViewPosition(index, static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetParameterProperties:
        return getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effKeysRequired: return keysRequired() ? 0 : 1;
    case effGetVstVersion: return getInterfaceVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor) return 0;
        VstKeyCode key{index, static_cast<unsigned char>(value & 0xFF),
                       static_cast<unsigned char>(truncateToInt(opt) & 0xFF)};
        return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode: return editor ? editor->setKnobMode(static_cast<VstInt32>(value)) : 0;
    case effGetMidiProgramName: return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram: return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory: return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged: return hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName: return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
    case effBeginSetProgram: return beginSetProgram() ? 1 : 0;
    case effEndSetProgram: return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
        return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                     static_cast<VstSpeakerArrangement**>(ptr))
                   ? 1
                   : 0;
    case effShellGetNextPlugin: return text ? getNextShellPlugin(text) : 0;
    case effStartProcess: return startProcess();
    case effStopProcess: return stopProcess();
    case effSetTotalSampleToProcess: return setTotalSamplesToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw: return setPanLaw(static_cast<VstInt32>(value), opt) ? 1 : 0;
    case effBeginLoadBank: return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram: return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    default: return EffectBase::dispatch(opcode, index, value, ptr, opt);
    }
}

EditorBase* EffectBaseEx::getEditor() { return editor; }

void EffectBaseEx::requestEvents(VstInt32 filter) { callHost(audioMasterWantMidi, 0, filter); }

VstTimeInfo* EffectBaseEx::getHostTime(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 EffectBaseEx::getHostTempoAt(VstInt32 position) {
    return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, position));
}

VstInt32 EffectBaseEx::processEvents(VstEvents*) { return 0; }

VstInt32 EffectBaseEx::getHostAutomatableCount() {
    return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 EffectBaseEx::getHostParameterQuantization() {
    return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}

bool EffectBaseEx::canBeAutomated(VstInt32) { return true; }
bool EffectBaseEx::stringToParameter(VstInt32, char*) { return false; }
float EffectBaseEx::reservedChannelQuery(VstInt32, VstInt32) { return 0.0f; }
VstInt32 EffectBaseEx::getProgramCategoryCount() { return 1; }
bool EffectBaseEx::getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
bool EffectBaseEx::copyProgram(VstInt32) { return false; }
bool EffectBaseEx::notifyIoChanged() { return callHost(audioMasterIOChanged) != 0; }
bool EffectBaseEx::requestIdle() { return callHost(audioMasterNeedIdle) != 0; }

bool EffectBaseEx::requestWindowSize(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

float EffectBaseEx::fetchHostSampleRate() {
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0) sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 EffectBaseEx::fetchHostBlockSize() {
    const VstIntPtr frames = callHost(audioMasterGetBlockSize);
    if (frames > 0) blockSize = static_cast<VstInt32>(frames);
    return blockSize;
}

VstInt32 EffectBaseEx::getHostInputLatency() { return static_cast<VstInt32>(callHost(audioMasterGetInputLatency)); }
VstInt32 EffectBaseEx::getHostOutputLatency() { return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency)); }

AEffect* EffectBaseEx::getPreviousPlug(VstInt32) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* EffectBaseEx::getNextPlug(VstInt32) { return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug)); }

void EffectBaseEx::connectInput(VstInt32, bool) {}
void EffectBaseEx::connectOutput(VstInt32, bool) {}
bool EffectBaseEx::getInputProperties(VstInt32, VstPinProperties*) { return false; }
bool EffectBaseEx::getOutputProperties(VstInt32, VstPinProperties*) { return false; }
VstInt32 EffectBaseEx::getPlugCategory() { return (record.flags & effFlagsIsSynth) ? 2 : 0; }

VstInt32 EffectBaseEx::hostWillReplace() {
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

VstInt32 EffectBaseEx::getHostProcessLevel() {
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 EffectBaseEx::getHostAutomationState() {
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

void EffectBaseEx::setAsync(bool state) { setFlag(effFlagsExtIsAsync, state); }
void EffectBaseEx::setHasBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
VstInt32 EffectBaseEx::getCurrentPosition() { return 0; }
float* EffectBaseEx::getDestinationBuffer() { return nullptr; }

bool EffectBaseEx::hostOfflineRead(VstOfflineTask* task, VstInt32 option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool EffectBaseEx::hostOfflineWrite(VstOfflineTask* task, VstInt32 option) {
    return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
}

bool EffectBaseEx::hostOfflineStart(VstAudioFile* files, VstInt32 count, VstInt32 newCount) {
    return callHost(audioMasterOfflineStart, newCount, count, files) != 0;
}

bool EffectBaseEx::hostOfflinePass() { return callHost(audioMasterOfflineGetCurrentPass) != 0; }
bool EffectBaseEx::hostOfflineMetaPass() { return callHost(audioMasterOfflineGetCurrentMetaPass) != 0; }
bool EffectBaseEx::offlineNotify(VstAudioFile*, VstInt32, bool) { return false; }
bool EffectBaseEx::offlinePrepare(VstOfflineTask*, VstInt32) { return false; }
bool EffectBaseEx::offlineRun(VstOfflineTask*, VstInt32) { return false; }
VstInt32 EffectBaseEx::reservedQueryA() { return 0; }
VstInt32 EffectBaseEx::reservedQueryB() { return 0; }

void EffectBaseEx::setHostOutputSampleRate(float rate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}

VstSpeakerArrangement* EffectBaseEx::getHostInputArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* EffectBaseEx::getHostOutputArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}

bool EffectBaseEx::getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }
bool EffectBaseEx::getHostProductString(char* text) { return callHost(audioMasterGetProductString, 0, 0, text) != 0; }
VstInt32 EffectBaseEx::getHostVendorVersion() { return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion)); }

VstIntPtr EffectBaseEx::hostVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}

bool EffectBaseEx::hostCanDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0; }
void EffectBaseEx::setIsSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void EffectBaseEx::setNoSoundInStop(bool state) { setFlag(effFlagsNoSoundInStop, state); }
VstInt32 EffectBaseEx::getHostLanguage() { return static_cast<VstInt32>(callHost(audioMasterGetLanguage)); }

void* EffectBaseEx::hostOpenWindow(void* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool EffectBaseEx::hostCloseWindow(void* window) { return callHost(audioMasterCloseWindow, 0, 0, window) != 0; }
void* EffectBaseEx::getHostDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
bool EffectBaseEx::hostUpdateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool EffectBaseEx::processVariableIo(VstVariableIo*) { return false; }
bool EffectBaseEx::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) { return false; }

bool EffectBaseEx::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

void EffectBaseEx::setBlockSizeAndSampleRate(VstInt32 frames, float rate) {
    blockSize = frames;
    sampleRate = rate;
}

bool EffectBaseEx::setBypass(bool) { return false; }
bool EffectBaseEx::getEffectName(char*) { return false; }
bool EffectBaseEx::getErrorText(char*) { return false; }
bool EffectBaseEx::getVendorString(char*) { return false; }
bool EffectBaseEx::getProductString(char*) { return false; }
VstInt32 EffectBaseEx::getVendorVersion() { return 0; }
VstIntPtr EffectBaseEx::vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
VstInt32 EffectBaseEx::canDo(char*) { return 0; }
void* EffectBaseEx::getIcon() { return nullptr; }
bool EffectBaseEx::setViewPosition(VstInt32, VstInt32) { return false; }
VstInt32 EffectBaseEx::getTailSize() { return 0; }
VstInt32 EffectBaseEx::idle() { return 0; }
bool EffectBaseEx::getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
bool EffectBaseEx::keysRequired() { return false; }
VstInt32 EffectBaseEx::getInterfaceVersion() { return 2300; }
VstInt32 EffectBaseEx::getMidiProgramName(VstInt32, MidiProgramName*) { return 0; }
VstInt32 EffectBaseEx::getCurrentMidiProgram(VstInt32, MidiProgramName*) { return -1; }
VstInt32 EffectBaseEx::getMidiProgramCategory(VstInt32, MidiProgramCategory*) { return 0; }
bool EffectBaseEx::hasMidiProgramsChanged(VstInt32) { return false; }
bool EffectBaseEx::getMidiKeyName(VstInt32, MidiKeyName*) { return false; }
bool EffectBaseEx::beginSetProgram() { return false; }
bool EffectBaseEx::endSetProgram() { return false; }
bool EffectBaseEx::hostBeginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool EffectBaseEx::hostEndEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }

bool EffectBaseEx::hostOpenFileSelector(VstFileSelect* selector) {
    if (!selector) return false;
    return callHost(audioMasterOpenFileSelector, 0, 0, selector) != 0;
}

VstInt32 EffectBaseEx::setTotalSamplesToProcess(VstInt32 value) { return value; }
VstInt32 EffectBaseEx::getNextShellPlugin(char*) { return 0; }
VstInt32 EffectBaseEx::startProcess() { return 0; }
VstInt32 EffectBaseEx::stopProcess() { return 0; }
bool EffectBaseEx::setPanLaw(VstInt32, float) { return false; }
VstInt32 EffectBaseEx::beginLoadBank(VstPatchChunkInfo*) { return 0; }
VstInt32 EffectBaseEx::beginLoadProgram(VstPatchChunkInfo*) { return 0; }

bool EffectBaseEx::allocateArrangement(VstSpeakerArrangement** slot, VstInt32 channels) {
    freeArrangement(slot);
    if (channels < 0) return false;
    const std::size_t size = speakerArrangementSize(channels);
    void* memory = std::calloc(1, size);
    if (!memory) return false;
    auto* arrangement = static_cast<VstSpeakerArrangement*>(memory);
    arrangement->numChannels = channels;
    *slot = arrangement;
    return true;
}

bool EffectBaseEx::freeArrangement(VstSpeakerArrangement** slot) {
    if (*slot) {
        std::free(*slot);
        *slot = nullptr;
    }
    return true;
}

bool EffectBaseEx::copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from) {
    if (!to || !from) return false;
    copyBounded(to->name, sizeof to->name, from->name);
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool EffectBaseEx::copyArrangement(VstSpeakerArrangement** slot, const VstSpeakerArrangement* from) {
    if (!from) return false;
    freeArrangement(slot);
    if (!allocateArrangement(slot, from->numChannels)) return false;
    (*slot)->type = from->type;
    for (VstInt32 i = 0; i < from->numChannels; ++i) {
        if (!copySpeaker(&(*slot)->speakers[i], &from->speakers[i])) return false;
    }
    return true;
}
