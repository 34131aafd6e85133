// One channel of one signal path: a Chamberlin state-variable filter with a selectable
// output (low, high, band, notch) and an output gain, each lowered by its own LFO.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/parameters.h"
#include "engine/lfo.h"
#include "engine/shared_value.h"
#include "engine/wave_table.h"

enum FilterMode : std::int32_t { ModeLow = 0, ModeHigh, ModeBand, ModeNotch };

// 2 pi x (cutoff scale x x) / sample rate, in this order: the scale divided by the
// reciprocal, then the rate, then 2 pi.
constexpr float cutoffCoefficient(float cutoffScale, float x, float sampleRate) {
    return static_cast<float>(cutoffScale / (1.0 / x) / sampleRate * 6.283185307179586);
}
// The recursion is stable only while the coefficient stays small (with damping q, f^2 + 2 f q
// below 4). Its largest value at 44.1 kHz, a full cutoff (1.1398), bounds it at every rate:
// below 44.1 kHz a high cutoff is held at the frequency that gives it, about 0.18 x the rate,
// where it would otherwise blow up. At 44.1 kHz and above no coefficient reaches the bound.
constexpr float kLargestCutoffCoefficient = cutoffCoefficient(parameterScale(OriginCutoff), 1.0f, 44100.0f);

class FilterUnit {
public:
    explicit FilterUnit(float sampleRate);

    FilterUnit(const FilterUnit&) = delete;
    FilterUnit& operator=(const FilterUnit&) = delete;

    void reset();
    // Clears the filter's states when one is no longer finite or has run away beyond
    // kRunawayLevel; answers whether it did. The LFOs run on.
    bool silenceRunaway();
    // High and notch are what the last sample put out; the next sample does not read them.
    // A -0.0 there (a last input of -0.0) becomes +0.0, so that a filter holding nothing is
    // at rest whatever the sign of its last input.
    void forgetZeroSigns();
    // Whether all four states are +0.0.
    bool atRest() const;
    // Inline: automation sets a cutoff as often as every block.
    void setCutoff(float x) {
        frequency = x == 0.0f ? 0.0f : std::min(cutoffCoefficient(cutoffScale, x, sampleRate), kLargestCutoffCoefficient);
    }
    // The other unit's cutoff, for a unit of the same cutoff scale and rate: the same
    // coefficient setCutoff would compute.
    void copyCutoff(const FilterUnit& other) { frequency = other.getFrequency(); }
    void setDamping(float q) { damping = q; }
    void setCutoffScale(float scale) { cutoffScale = scale; }
    void setOutputGain(float gain) { outputGain = gain; }
    void setMode(std::int32_t newMode) { mode = newMode; }

    // The unit's running state for one processing call, copied into a local object so that
    // it stays in registers while it runs (float stores could alias any float member and
    // would force reloads), then stored back. The engine runs four of them in the lanes of
    // one register (FilterLanes), with these operations in this order.
    struct Runner {
        float low, high, band, notch;
        float f, q, gainIn, gainOut;
        std::int32_t mode;
        bool filterModulated, volumeModulated;
        Lfo::Cursor filterCursor, volumeCursor;

        bool modulated() const { return filterModulated || volumeModulated; }

        float step(float in) {
            float fc = f;
            if (filterModulated) {
                const float m = filterCursor.tick();
                fc = f - m * f;
            }
            low = low + fc * band;
            high = in * gainIn - low - q * band;
            band = band + fc * high;
            notch = low + high;
            const float y = mode == ModeLow ? low : mode == ModeHigh ? high : mode == ModeBand ? band : notch;
            if (!volumeModulated) return y * gainOut;
            const float m2 = volumeCursor.tick();
            return (y - m2 * y) * gainOut;
        }
    };

    Runner runner() {
        return {state[ModeLow],
                state[ModeHigh],
                state[ModeBand],
                state[ModeNotch],
                frequency,
                damping,
                inputGain,
                outputGain,
                mode,
                filterLfo.getDepth() != 0.0f,
                volumeLfo.getDepth() != 0.0f,
                filterLfo.cursor(),
                volumeLfo.cursor()};
    }

    // The states a run elsewhere (the engine's lanes) has left, kept here for whoever looks.
    void park(float lowState, float highState, float bandState, float notchState) {
        state[ModeLow] = lowState;
        state[ModeHigh] = highState;
        state[ModeBand] = bandState;
        state[ModeNotch] = notchState;
    }

    void store(const Runner& running) {
        state[ModeLow] = running.low;
        state[ModeHigh] = running.high;
        state[ModeBand] = running.band;
        state[ModeNotch] = running.notch;
        filterLfo.store(running.filterCursor);
        volumeLfo.store(running.volumeCursor);
    }

    // One sample through the filter, its LFOs and the output gain.
    float tick(float in) {
        Runner running = runner();
        const float out = running.step(in);
        store(running);
        return out;
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

    // Far beyond anything a stable setting reaches: the highest resonance, damping 2^-24
    // (Filter Q one step below 1.0), lifts a full-scale input about 1.7e7 times (144 dB).
    // 1e9 is 180 dB over full scale, sixty times that, and still a billionth of the float
    // range, so a state that grows past it is pumped by modulation (an undamped filter
    // swept by its LFO gains energy without bound) and would go on to infinity and NaN.
    static constexpr float kRunawayLevel = 1e9f;
    // With denormals flushed a decaying filter may never reach zero by itself: once fc x band
    // and q x band fall below the smallest normal float (1.2e-38) they flush to zero and the
    // states stop where they are, just above it, for good (with an LFO they wander there).
    // Below 1e-30, 600 dB under full scale, the filter holds nothing and is cleared.
    static constexpr float kSettledLevel = 1e-30f;

private:
    // The table set is declared first so that it is filled before the LFOs that read it.
    WaveTableSet waveTables;
    Lfo filterLfo;
    Lfo volumeLfo;
    float sampleRate;
    float state[4] = {};  // indexed by FilterMode
    // Written by parameter changes on any thread, read by the audio thread once per block.
    SharedValue<float> frequency{0.0f};
    float cutoffScale = parameterScale(OriginCutoff);  // set once, before any other thread sees the unit
    SharedValue<float> damping{0.0f};
    float inputGain = 1.0f;
    float gainScale = parameterScale(OriginMix);
    SharedValue<float> outputGain{0.0f};
    SharedValue<std::int32_t> mode{ModeLow};
};
