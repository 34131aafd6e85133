// EffectBase owns the effect record the host holds and routes the base opcodes (0 to 24)
// to virtual operations whose bodies here are the defaults a concrete effect may replace.
#pragma once

#include <atomic>

#include "vst2/aeffect.h"

class EditorBase;

class EffectBase {
public:
    EffectBase(audioMasterCallback host, VstInt32 programCount, VstInt32 parameterCount);
    virtual ~EffectBase();

    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    AEffect* getAeffect() { return &record; }
    static EffectBase* fromRecord(AEffect* effect) { return static_cast<EffectBase*>(effect->object); }

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void automateParameter(VstInt32 index, float value);
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual void open();
    virtual void close();
    virtual VstInt32 getProgram();
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    virtual float getVu();
    virtual VstInt32 getChunk(void** data, bool isPreset);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(VstInt32 frames);
    virtual void suspend();
    virtual void resume();
    virtual void setUniqueId(VstInt32 id);
    virtual void setInputCount(VstInt32 count);
    virtual void setOutputCount(VstInt32 count);
    virtual void setHasVu(bool state);
    virtual void setHasClip(bool state);
    virtual void setCanMono(bool state);
    virtual void setCanReplacing(bool state);
    virtual void setProgramsAreChunks(bool state);
    virtual void setRealtimeQualities(VstInt32 qualities);
    virtual void setOfflineQualities(VstInt32 qualities);
    virtual void setInitialDelay(VstInt32 frames);
    virtual float getSampleRate();
    virtual VstInt32 getBlockSize();
    virtual VstInt32 getHostVersion();
    virtual VstInt32 getHostCurrentId();
    virtual void hostIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);
    virtual void formatDecibels(float value, char* text);
    virtual void formatHertz(float samples, char* text);
    virtual void formatMilliseconds(float samples, char* text);
    virtual void formatNumber(float value, char* text);
    virtual void formatInteger(VstInt32 value, char* text);
    virtual float fromPercent(float value);
    virtual void formatPercent(float value, char* text);
    virtual float parseNumber(const char* text);

    // Called by an editor's constructor: the effect owns the editor from here on.
    void attachEditor(EditorBase* newEditor);

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setFlag(VstInt32 bit, bool state);

    float sampleRate = 44100.0f;
    EditorBase* editor = nullptr;
    audioMasterCallback hostCallback;
    VstInt32 numPrograms;
    VstInt32 numParams;
    // Program changes come from the host's threads while parameter changes, on others, use
    // it to choose the program that keeps the value.
    std::atomic<VstInt32> currentProgram{0};
    VstInt32 blockSize = 1024;
    AEffect record;
};
