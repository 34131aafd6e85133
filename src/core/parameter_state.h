// The parameters' values as every door keeps them: one normalized value per parameter, Init
// first, stored from any thread and read from any other. A value the parameter has already
// (the same bits) changes nothing: hosts send a whole automation lane again and again, and an
// LFO must keep running through it. The VST 2 door keeps one per program; the others one per
// instance (the LV2 UI one of its own, since it may run in another process).
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

#include "core/parameters.h"
#include "core/state_bytes.h"

class ParameterState {
public:
    ParameterState();
    ParameterState(const ParameterState&) = delete;
    ParameterState& operator=(const ParameterState&) = delete;

    float value(std::int32_t index) const {
        return values[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
    }
    // Stores the value held to 0..1; false when the parameter has it already.
    bool store(std::int32_t index, float value) { return storeHeld(index, normalizedValue(value)); }
    // The same for a value known to be in 0..1 already, such as a unit value made normalized.
    bool storeHeld(std::int32_t index, float held) {
        if (std::bit_cast<std::uint32_t>(held) == std::bit_cast<std::uint32_t>(this->value(index))) return false;
        values[static_cast<std::size_t>(index)].store(held, std::memory_order_relaxed);
        return true;
    }
    ParameterValues all() const;

    // What a value set in the editor comes back as from a host that carries unit values (LV2
    // ports, CLAP parameters): the unit value made normalized again. Kept as the edit's value,
    // the host's echo of it is no change.
    static float asSentBack(std::int32_t index, float value);

private:
    // Each value stands for itself and publishes no other data: relaxed order is enough.
    std::array<std::atomic<float>, kNumDefinedParams> values;
};
