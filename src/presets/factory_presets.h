// The factory presets: what the plug-in can do, as named settings. The VST 2 preset files
// (.fxp, .fxb) and the LV2 presets are generated from this one table at build time.
#pragma once

#include <span>

#include "core/parameters.h"

struct FactoryPreset {
    const char* name;         // at most 23 characters, as a program name
    const char* description;  // one line on what it does and what it suits
    float values[kNumDefinedParams];  // normalized, in parameter index order
};

std::span<const FactoryPreset> factoryPresets();
