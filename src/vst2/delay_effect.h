// The stereo delay effect: per channel an origin path (filter unit straight to the output)
// and a delay path (filter unit into a ten-second feedback delay line).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/parameter_set.h"
#include "core/parameter_state.h"
#include "core/parameters.h"
#include "engine/delay_engine.h"
#include "vst2/effect_base_ex.h"
#include "vst2/program_bank.h"

// One preset: a value per defined parameter and a name of at most 23 characters. The values
// are set from the host's and the editor's threads and read on others.
struct DelayProgram {
    ParameterState values;
    char name[24] = "Init";
};

class DelayEffect : public EffectBaseEx {
public:
    explicit DelayEffect(audioMasterCallback host);
    ~DelayEffect() override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void resume() override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 getPlugCategory() override;
    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 idle() override;

    // Zeroes both delay lines, resets the four units and rewinds the write position.
    void clearState();

    // Read access for the editor and for tests, with every stored value applied.
    const FilterUnit& unit(int number) {
        applyMarked();
        return engine->unit(number);
    }
    float getDelayLength() {
        applyMarked();
        return engine->getDelayLength();
    }
    float getFeedback() {
        applyMarked();
        return engine->getFeedback();
    }
    VstInt32 getBufferLength() const { return engine->getBufferLength(); }
    VstInt32 getWritePosition() const { return engine->getWritePosition(); }
    float getEngineSampleRate() const { return engine->getSampleRate(); }

protected:
    // On the audio thread, when a new tempo moved the synced delay: the Rate's text changed.
    virtual void syncedLengthChanged();

    // Stores the value in the current program and marks it to be applied; false when the index
    // names no parameter or the parameter has the value already. One read of the current
    // program: the value lands in the program that was current when it came, and is applied
    // only as long as that program still is (applyStored).
    bool storeAndMark(VstInt32 index, float value) {
        if (index < 0 || index >= kNumDefinedParams) return false;
        if (!programs[currentProgram].values.store(index, value)) return false;
        pendingIndices.add(index);
        return true;
    }

private:
    void applyStored(const ParameterSet& indices);
    // Counts a request to apply what is marked; applies it when no other thread has the turn.
    void takeApplyTurn();
    // The marked values go into the engine before each block and before anything reads its
    // settings: a host's automation costs a store and a mark per change, and the engine takes
    // its settings at the start of a block in any case.
    void applyMarked() {
        if (pendingIndices.any()) takeApplyTurn();
    }
    // Out of line: inlined into the processing calls, its frame moved the engine's stack by a
    // cache line, and 32-frame blocks took a third longer (8.5 against 6.5 ns per frame).
    [[gnu::noinline]] void applyPending(std::int32_t handled);
    void rebuildEngineAtHostRate();
    void followHostTempo();

    const char* vendorText;
    const char* effectNameText;
    const char* productText;
    std::unique_ptr<DelayProgram[]> programs;
    // Built at 44100 Hz with the effect, rebuilt at the host's rate when processing is
    // switched on (resume), never while it processes.
    std::unique_ptr<DelayEngine> engine;
    VstInt32 stoppedResetDone = 0;
    // Parameters whose stored value is still to be applied, and the count of requests to apply
    // them (see applyStored).
    SharedParameterSet pendingIndices;
    std::atomic<std::int32_t> applyRequests{0};
};
