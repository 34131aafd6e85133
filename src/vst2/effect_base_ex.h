// EffectBaseEx adds the extended opcodes (25 to 76) and the extended host queries to
// EffectBase. It has no state of its own; every operation here is a default.
#pragma once

#include "vst2/effect_base.h"

class EffectBaseEx : public EffectBase {
public:
    EffectBaseEx(audioMasterCallback host, VstInt32 programCount, VstInt32 parameterCount);

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual EditorBase* getEditor();
    virtual void requestEvents(VstInt32 filter);
    virtual VstTimeInfo* getHostTime(VstInt32 filter);
    virtual VstInt32 getHostTempoAt(VstInt32 position);
    virtual VstInt32 processEvents(VstEvents* events);
    virtual VstInt32 getHostAutomatableCount();
    virtual VstInt32 getHostParameterQuantization();
    virtual bool canBeAutomated(VstInt32 index);
    virtual bool stringToParameter(VstInt32 index, char* text);
    // Occupies its slot in the operation table; nothing calls it.
    virtual float reservedChannelQuery(VstInt32 channel, VstInt32 selector);
    virtual VstInt32 getProgramCategoryCount();
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual bool copyProgram(VstInt32 destination);
    virtual bool notifyIoChanged();
    virtual bool requestIdle();
    virtual bool requestWindowSize(VstInt32 width, VstInt32 height);
    virtual float fetchHostSampleRate();
    virtual VstInt32 fetchHostBlockSize();
    virtual VstInt32 getHostInputLatency();
    virtual VstInt32 getHostOutputLatency();
    virtual AEffect* getPreviousPlug(VstInt32 input);
    virtual AEffect* getNextPlug(VstInt32 output);
    virtual void connectInput(VstInt32 index, bool connected);
    virtual void connectOutput(VstInt32 index, bool connected);
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    virtual VstInt32 getPlugCategory();
    virtual VstInt32 hostWillReplace();
    virtual VstInt32 getHostProcessLevel();
    virtual VstInt32 getHostAutomationState();
    virtual void setAsync(bool state);
    virtual void setHasBuffer(bool state);
    virtual VstInt32 getCurrentPosition();
    virtual float* getDestinationBuffer();
    virtual bool hostOfflineRead(VstOfflineTask* task, VstInt32 option, bool readSource);
    virtual bool hostOfflineWrite(VstOfflineTask* task, VstInt32 option);
    virtual bool hostOfflineStart(VstAudioFile* files, VstInt32 count, VstInt32 newCount);
    virtual bool hostOfflinePass();
    virtual bool hostOfflineMetaPass();
    virtual bool offlineNotify(VstAudioFile* files, VstInt32 count, bool start);
    virtual bool offlinePrepare(VstOfflineTask* tasks, VstInt32 count);
    virtual bool offlineRun(VstOfflineTask* tasks, VstInt32 count);
    // Occupy their slots in the operation table; nothing calls them.
    virtual VstInt32 reservedQueryA();
    virtual VstInt32 reservedQueryB();
    virtual void setHostOutputSampleRate(float rate);
    virtual VstSpeakerArrangement* getHostInputArrangement();
    virtual VstSpeakerArrangement* getHostOutputArrangement();
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual bool hostCanDo(char* text);
    virtual void setIsSynth(bool state);
    virtual void setNoSoundInStop(bool state);
    virtual VstInt32 getHostLanguage();
    virtual void* hostOpenWindow(void* window);
    virtual bool hostCloseWindow(void* window);
    virtual void* getHostDirectory();
    virtual bool hostUpdateDisplay();
    virtual bool processVariableIo(VstVariableIo* io);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output);
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output);
    virtual void setBlockSizeAndSampleRate(VstInt32 frames, float rate);
    virtual bool setBypass(bool on);
    virtual bool getEffectName(char* text);
    virtual bool getErrorText(char* text);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual VstInt32 canDo(char* text);
    virtual void* getIcon();
    virtual bool setViewPosition(VstInt32 x, VstInt32 y);
    virtual VstInt32 getTailSize();
    virtual VstInt32 idle();
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* properties);
    virtual bool keysRequired();
    virtual VstInt32 getInterfaceVersion();
    virtual VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* name);
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName* name);
    virtual VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(VstInt32 channel);
    virtual bool getMidiKeyName(VstInt32 channel, MidiKeyName* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual bool hostBeginEdit(VstInt32 index);
    virtual bool hostEndEdit(VstInt32 index);
    virtual bool hostOpenFileSelector(VstFileSelect* selector);
    virtual VstInt32 setTotalSamplesToProcess(VstInt32 value);
    virtual VstInt32 getNextShellPlugin(char* name);
    virtual VstInt32 startProcess();
    virtual VstInt32 stopProcess();
    virtual bool setPanLaw(VstInt32 type, float gain);
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* info);
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* info);
    virtual bool allocateArrangement(VstSpeakerArrangement** slot, VstInt32 channels);
    virtual bool freeArrangement(VstSpeakerArrangement** slot);
    virtual bool copySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from);
    virtual bool copyArrangement(VstSpeakerArrangement** slot, const VstSpeakerArrangement* from);
};
