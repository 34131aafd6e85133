// The stereo delay effect: per channel an origin path (filter unit straight to the output)
// and a delay path (filter unit into a ten-second feedback delay line).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/filter_unit.h"
#include "engine/parameters.h"
#include "engine/shared_value.h"
#include "host/effect_base_ex.h"

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

    // Read access for the editor and for tests.
    const FilterUnit& unit(int number) const { return *units[number - 1]; }
    float getDelayLength() const { return delayLength; }
    float getFeedback() const { return feedback; }
    VstInt32 getBufferLength() const { return bufferLength; }
    VstInt32 getWritePosition() const { return writePosition; }

protected:
    // Values from the host or the editor are held to 0.0..1.0 (NaN counts as 0.0) before
    // they are stored: they become table indices, filter modes and delay lengths.
    static float normalized(float value);

private:
    // Host blocks are cut into pieces of this many frames when their input must be cleaned.
    static constexpr VstInt32 kCleanFrames = 256;

    void applyStored(std::uint32_t indices);
    void applyParameter(VstInt32 index, float value);
    template <bool Accumulate>
    void processBlock(float** inputs, float** outputs, VstInt32 sampleFrames);
    template <bool Accumulate>
    void processCleaned(float** inputs, float** outputs, VstInt32 sampleFrames);
    template <bool Accumulate>
    void runBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight, VstInt32 sampleFrames);
    void silenceNonFiniteDelay(VstInt32 start, VstInt32 sampleFrames, float length);

    const char* vendorText;
    const char* effectNameText;
    const char* productText;
    std::unique_ptr<float[]> delayLeft;
    std::unique_ptr<float[]> delayRight;
    VstInt32 writePosition = 0;
    VstInt32 bufferLength = 0;
    SharedValue<float> delayLength{0.0f};
    SharedValue<float> feedback{0.0f};
    // 1 and 2: origin left and right; 3 and 4: delay left and right.
    std::array<std::unique_ptr<FilterUnit>, 4> units;
    std::unique_ptr<DelayProgram[]> programs;
    float constructionSampleRate;
    VstInt32 stoppedResetDone = 0;
    // A transport stop seen by idle, on the host's window thread: the audio thread resets the
    // units before its next block, since it alone writes their states.
    std::atomic<bool> unitsResetPending{false};
    // Parameters whose stored value is still to be applied, bit i for index i, and the count
    // of requests to apply them (see applyStored).
    std::atomic<std::uint32_t> pendingIndices{0};
    std::atomic<std::int32_t> applyRequests{0};
    // The input of a block that held NaN or infinite samples, cleaned piece by piece.
    std::array<float, kCleanFrames> cleanLeft{};
    std::array<float, kCleanFrames> cleanRight{};
};
