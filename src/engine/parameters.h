// The plug-in's parameters: the one place where their indices, names, labels and initial
// values are fixed.
#pragma once

#include <cstdint>

#include "engine/shared_value.h"

enum ParameterIndex : std::int32_t {
    OriginMix = 0,
    OriginFilterType,
    OriginCutoff,
    OriginQ,
    OriginFilterLfoShape,
    OriginFilterLfoRate,
    OriginFilterLfoDepth,
    OriginVolLfoShape,
    OriginVolLfoRate,
    OriginVolLfoDepth,
    DelayMix,
    DelayTime,
    Feedback,
    DelayFilterType,
    DelayCutoff,
    DelayQ,
    DelayFilterLfoShape,
    DelayFilterLfoRate,
    DelayFilterLfoDepth,
    DelayVolLfoShape,
    DelayVolLfoRate,
    DelayVolLfoDepth,
};

constexpr std::int32_t kNumPrograms = 64;
constexpr std::int32_t kNumDefinedParams = 22;
// The parameter count announced to hosts; indices from kNumDefinedParams on are inert.
constexpr std::int32_t kDeclaredParams = 4112;

// scale x v as the engine and its displays compute it everywhere: the scale divided by the
// reciprocal of v, in double precision, rounded once to float.
inline float scaled(double scale, float v) { return v == 0.0f ? 0.0f : static_cast<float>(scale / (1.0 / v)); }

struct ParameterInfo {
    const char* name;   // the short name (effGetParamName, the editor's captions)
    const char* label;  // the long name answered to effGetParamLabel; null writes nothing
    float initial;
};

inline constexpr ParameterInfo kParameters[kNumDefinedParams] = {
    {"Output Mix", "Origin Output Mix", 0.5f},
    {"Filter Type", nullptr, 0.0f},
    {"Filter Rate", "Filter Rate", 1.0f},
    {"Filter Q", "Filter Q", 0.0f},
    {"Filt. LFO Shape", "Filt. LFO1 Shape", 0.5f},
    {"Filt. LFO Rate", "Filt. LFO1 Rate", 1.0f},
    {"Filt. LFO Depth", "Filt. LFO1 Depth", 0.0f},
    {"Vol. LFO Shape", "Vol. Mod Shape", 0.5f},
    {"Vol. LFO Rate", "Vol. Mod Rate", 1.0f},
    {"Vol. LFO Depth", "Vol. Mod Depth", 0.0f},
    {"Output Mix", "Delay Output Mix", 0.0f},
    {"Rate", "Delay Amount", 0.0f},
    {"Feedback", "Feedback", 0.0f},
    {"Filter Type", nullptr, 0.0f},
    {"Filter Rate", "Filter Rate", 1.0f},
    {"Filter Q", "Filter Q", 0.0f},
    {"Filt. LFO Shape", "Filt. LFO Shape", 0.5f},
    {"Filt. LFO Rate", "Filt. LFO Rate", 1.0f},
    {"Filt. LFO Depth", "Filt. LFO Depth", 0.0f},
    {"Vol. LFO Shape", "Vol. LFO Shape", 0.5f},
    {"Vol. LFO Rate", "Vol. LFO Rate", 1.0f},
    {"Vol. LFO Depth", "Vol. LFO Depth", 0.0f},
};

// One preset: a value per defined parameter and a name of at most 23 characters. The values
// are set from the host's and the editor's threads and read on others.
struct DelayProgram {
    DelayProgram();

    SharedValue<float> values[kNumDefinedParams];
    char name[24];
};
