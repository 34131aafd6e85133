#include "lv2/port_mapping.h"

#include "engine/parameters.h"

namespace lv2ports {

namespace {

constexpr float kMixFull = 200.0f;      // percent; 100 is unity gain
constexpr float kCutoffFull = 8000.0f;  // Hz
constexpr float kPercentFull = 100.0f;
constexpr float kLfoRateFull = 50.0f;   // cycles per second
constexpr float kDelayFull = 10000.0f;  // ms: the whole ten-second line
constexpr float kTypeStops = 3.0f;      // Low, High, Band, Notch
constexpr float kShapeStops = 4.0f;     // Pulse, Sawtooth, Sine, Square, Triangle

}  // namespace

static_assert(kNumControlPorts == kNumDefinedParams, "one control port per parameter");

const ControlPort kControlPorts[kNumControlPorts] = {
    {"origin_mix", "Origin Output Mix", "origin", Unit::Percent, kMixFull},
    {"origin_filter_type", "Origin Filter Type", "origin", Unit::Enumeration, kTypeStops},
    {"origin_cutoff", "Origin Filter Rate", "origin", Unit::Hertz, kCutoffFull},
    {"origin_q", "Origin Filter Q", "origin", Unit::Percent, kPercentFull},
    {"origin_filter_lfo_shape", "Origin Filt. LFO Shape", "origin", Unit::Enumeration, kShapeStops},
    {"origin_filter_lfo_rate", "Origin Filt. LFO Rate", "origin", Unit::Hertz, kLfoRateFull},
    {"origin_filter_lfo_depth", "Origin Filt. LFO Depth", "origin", Unit::Percent, kPercentFull},
    {"origin_vol_lfo_shape", "Origin Vol. LFO Shape", "origin", Unit::Enumeration, kShapeStops},
    {"origin_vol_lfo_rate", "Origin Vol. LFO Rate", "origin", Unit::Hertz, kLfoRateFull},
    {"origin_vol_lfo_depth", "Origin Vol. LFO Depth", "origin", Unit::Percent, kPercentFull},
    {"delay_mix", "Delay Output Mix", "delay", Unit::Percent, kMixFull},
    {"delay_time", "Rate", "delay", Unit::Milliseconds, kDelayFull},
    {"feedback", "Feedback", "delay", Unit::Percent, kPercentFull},
    {"delay_filter_type", "Delay Filter Type", "delay", Unit::Enumeration, kTypeStops},
    {"delay_cutoff", "Delay Filter Rate", "delay", Unit::Hertz, kCutoffFull},
    {"delay_q", "Delay Filter Q", "delay", Unit::Percent, kPercentFull},
    {"delay_filter_lfo_shape", "Delay Filt. LFO Shape", "delay", Unit::Enumeration, kShapeStops},
    {"delay_filter_lfo_rate", "Delay Filt. LFO Rate", "delay", Unit::Hertz, kLfoRateFull},
    {"delay_filter_lfo_depth", "Delay Filt. LFO Depth", "delay", Unit::Percent, kPercentFull},
    {"delay_vol_lfo_shape", "Delay Vol. LFO Shape", "delay", Unit::Enumeration, kShapeStops},
    {"delay_vol_lfo_rate", "Delay Vol. LFO Rate", "delay", Unit::Hertz, kLfoRateFull},
    {"delay_vol_lfo_depth", "Delay Vol. LFO Depth", "delay", Unit::Percent, kPercentFull},
};

float toNormalized(std::int32_t index, float portValue) {
    const float full = kControlPorts[index].fullScale;
    if (!(portValue > 0.0f)) return 0.0f;  // zero, negative, NaN
    if (portValue >= full) return 1.0f;    // also +Inf
    return portValue / full;
}

float toPortValue(std::int32_t index, float normalized) {
    return static_cast<float>(static_cast<double>(normalized) * kControlPorts[index].fullScale);
}

float defaultValue(std::int32_t index) { return toPortValue(index, kParameters[index].initial); }

}  // namespace lv2ports
