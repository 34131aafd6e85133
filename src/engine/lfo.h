// A table-driven low-frequency oscillator: a free-running float phase selects a table
// sample (no interpolation), scaled by the depth. Depth 0.0 stops it where it stands.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/wave_table.h"

class Lfo {
public:
    Lfo(const WaveTableSet& tables, float sampleRate);

    void setShape(std::int32_t n);
    void setRate(float x);
    void setDepth(float d) { depth = d; }
    void setRateScale(float scale) { rateScale = scale; }
    void reset() { phase = 0.0f; }

    float tick() {
        if (depth == 0.0f) return 0.0f;
        const std::int32_t i = static_cast<std::int32_t>(phase) & indexMask;
        const float result = table[i] * depth;
        phase = phase + phaseIncrement;
        // Below 2^20 positions the phase is exact and runs unwrapped; from there on it is
        // folded back by whole table lengths (exact in float) so that it keeps advancing
        // instead of freezing when increments fall below its precision.
        if (phase >= kWrapThreshold) phase = std::fmod(phase, tableLength);
        return result;
    }

    float getDepth() const { return depth; }
    float getRate() const { return rate; }
    float getRateScale() const { return rateScale; }
    float getPhase() const { return phase; }
    float getPhaseIncrement() const { return phaseIncrement; }
    std::int32_t getShape() const { return shape; }
    const char* shapeName() const { return currentTable->name; }

private:
    static constexpr float kWrapThreshold = 1048576.0f;

    const WaveTableSet& waveTables;
    std::int32_t sampleRate;
    std::int32_t indexMask = 0;
    float phaseIncrement = 0.0f;
    float incrementPerRateUnit = 0.0f;
    float phase = 0.0f;
    const WaveTable* currentTable = nullptr;
    const float* table = nullptr;
    float tableLength = 0.0f;
    std::int32_t shape = 0;
    float rateScale = 0.0f;
    float rate = 0.0f;
    float depth = 0.0f;
};
