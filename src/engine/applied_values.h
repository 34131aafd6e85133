// What an engine was last given of each parameter, for the doors that apply only what changed:
// applying an LFO's rate or shape again restarts its cycle. A new engine takes the Init values
// first and then each stored value that differs, so that every door starts from the same
// engine settings. (The VST 2 door applies each stored change at once instead, and every value
// on a program change, as its hosts expect.) Used by the thread that processes, or by the one
// that builds the engine before it processes.
#pragma once

#include <array>
#include <cstdint>

#include "core/parameter_state.h"
#include "engine/delay_engine.h"

class AppliedValues {
public:
    void start(DelayEngine& engine, const ParameterState& state);
    // Applies the value unless the engine has it already.
    void apply(DelayEngine& engine, std::int32_t index, float value) {
        float& last = applied[static_cast<std::size_t>(index)];
        if (value == last) return;
        last = value;
        engine.applyParameter(index, value);
    }

private:
    std::array<float, kNumDefinedParams> applied{};
};
