// A table-driven low-frequency oscillator: a free-running float phase selects a table
// sample (no interpolation), scaled by the depth. Depth 0.0 stops it where it stands.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/shared_value.h"
#include "engine/wave_table.h"

class Lfo {
public:
    Lfo(const WaveTableSet& tables, float sampleRate);

    void setShape(std::int32_t n);
    void setRate(float x);
    void setDepth(float d) { depth = d; }
    void setRateScale(float scale) { rateScale = scale; }
    // Restarts the cycle at phase 0 before the next step. Any thread may ask; only the
    // thread that steps the oscillator writes its phase, so a restart asked for while a
    // block is running is not undone by the block storing its advanced phase.
    void reset() { restartPending.store(true, std::memory_order_release); }

    // The oscillator's running state, copied out for a block so that it lives in registers
    // while the block runs, and stored back afterwards.
    struct Cursor {
        const float* table;
        std::int32_t indexMask;
        float phase;
        float increment;
        float depth;

        float tick() {
            const float result = table[static_cast<std::int32_t>(phase) & indexMask] * depth;
            phase = phase + increment;
            // Below 2^20 positions the phase is exact and runs unwrapped; from there on it
            // is folded back by whole table lengths, so it keeps advancing instead of
            // freezing once increments fall below its precision. Subtracting the largest
            // multiple of the (power-of-two) length below the phase is exact in float.
            if (phase >= kWrapThreshold) {
                const std::int32_t whole = static_cast<std::int32_t>(phase) & ~indexMask;
                phase = phase - static_cast<float>(whole);
            }
            return result;
        }
    };

    // Takes a pending restart first: its release store makes the rate or shape that asked
    // for it visible here.
    Cursor cursor() {
        takeRestart();
        return {table, indexMask, phase, phaseIncrement, depth};
    }
    void store(const Cursor& running) { phase = running.phase; }
    // A pending restart, taken: the phase is 0 again. Answers whether there was one.
    bool takeRestart() {
        if (!restartPending.load(std::memory_order_relaxed) || !restartPending.exchange(false, std::memory_order_acquire))
            return false;
        phase = 0.0f;
        return true;
    }

    // One step: the table value at the current phase times the depth; depth 0.0 returns
    // 0.0 and leaves the phase where it is.
    float tick() {
        if (depth == 0.0f) return 0.0f;
        Cursor running = cursor();
        const float result = running.tick();
        store(running);
        return result;
    }

    float getDepth() const { return depth; }
    float getRate() const { return rate; }
    float getRateScale() const { return rateScale; }
    float getPhase() const { return restartPending.load(std::memory_order_acquire) ? 0.0f : static_cast<float>(phase); }
    float getPhaseIncrement() const { return phaseIncrement; }
    std::int32_t getShape() const { return shape; }
    const char* shapeName() const { return static_cast<const WaveTable*>(currentTable)->name; }

    // From this phase on, the phase is folded back by whole table lengths.
    static constexpr float kWrapThreshold = 1048576.0f;

private:

    const WaveTableSet& waveTables;
    std::int32_t sampleRate;
    SharedValue<std::int32_t> indexMask{0};
    SharedValue<float> phaseIncrement{0.0f};
    SharedValue<float> incrementPerRateUnit{0.0f};
    SharedValue<float> phase{0.0f};  // written only by the stepping thread
    SharedValue<const WaveTable*> currentTable{nullptr};
    SharedValue<const float*> table{nullptr};
    SharedValue<std::int32_t> shape{0};
    float rateScale = 0.0f;  // set once, before any other thread sees the oscillator
    SharedValue<float> rate{0.0f};
    SharedValue<float> depth{0.0f};
    std::atomic<bool> restartPending{false};
};
