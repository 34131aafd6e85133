// The factory presets: what the plug-in can do, as named settings. The VST 2 preset files
// (.fxp, .fxb) and the LV2 presets are generated from this one table at build time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/parameters.h"

// A normalized value a preset sets; a list of them ends at the first without an index.
struct PresetValue {
    std::int32_t index = -1;
    float value = 0.0f;
};

struct FactoryPreset {
    const char* name;         // at most 23 characters, as a program name
    const char* description;  // one line on what it does and what it suits
    PresetValue sets[kNumDefinedParams];  // what it sets; every other parameter is at its Init value

    // Every parameter's value, in index order.
    std::array<float, kNumDefinedParams> values() const;
};

std::span<const FactoryPreset> factoryPresets();
