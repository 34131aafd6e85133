// One channel of one signal path: a Chamberlin state-variable filter with a selectable
// output (low, high, band, notch) and an output gain, each lowered by its own LFO.
#pragma once

#include <cstdint>

#include "engine/lfo.h"
#include "engine/wave_table.h"

enum FilterMode : std::int32_t { ModeLow = 0, ModeHigh, ModeBand, ModeNotch };

class FilterUnit {
public:
    explicit FilterUnit(float sampleRate);

    FilterUnit(const FilterUnit&) = delete;
    FilterUnit& operator=(const FilterUnit&) = delete;

    void reset();
    void setCutoff(float x);
    void setDamping(float q) { damping = q; }
    void setCutoffScale(float scale) { cutoffScale = scale; }
    void setOutputGain(float gain) { outputGain = gain; }
    void setMode(std::int32_t newMode) { mode = newMode; }

    float tick(float in) {
        float fc = frequency;
        if (filterLfo.getDepth() != 0.0f) {
            const float m = filterLfo.tick();
            fc = frequency - m * frequency;
        }
        state[ModeLow] = state[ModeLow] + fc * state[ModeBand];
        state[ModeHigh] = in * inputGain - state[ModeLow] - damping * state[ModeBand];
        state[ModeBand] = state[ModeBand] + fc * state[ModeHigh];
        state[ModeNotch] = state[ModeLow] + state[ModeHigh];
        const float y = state[mode];
        if (volumeLfo.getDepth() == 0.0f) return y * outputGain;
        const float m2 = volumeLfo.tick();
        return (y - m2 * y) * outputGain;
    }

    Lfo& getFilterLfo() { return filterLfo; }
    Lfo& getVolumeLfo() { return volumeLfo; }
    const Lfo& getFilterLfo() const { return filterLfo; }
    const Lfo& getVolumeLfo() const { return volumeLfo; }
    float getGainScale() const { return gainScale; }
    float getCutoffScale() const { return cutoffScale; }
    float getOutputGain() const { return outputGain; }
    float getFrequency() const { return frequency; }
    float getDamping() const { return damping; }
    std::int32_t getMode() const { return mode; }
    float low() const { return state[ModeLow]; }
    float high() const { return state[ModeHigh]; }
    float band() const { return state[ModeBand]; }
    float notch() const { return state[ModeNotch]; }

private:
    // The table set is declared first so that it is filled before the LFOs that read it.
    WaveTableSet waveTables;
    Lfo filterLfo;
    Lfo volumeLfo;
    float sampleRate;
    float state[4] = {};  // indexed by FilterMode
    float frequency = 0.0f;
    float cutoffScale = 8000.0f;
    float damping = 0.0f;
    float inputGain = 1.0f;
    float gainScale = 2.0f;
    float outputGain = 0.0f;
    std::int32_t mode = ModeLow;
};
