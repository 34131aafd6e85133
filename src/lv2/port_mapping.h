// The LV2 edition's control ports: the 22 parameters in the VST 2 module's index order, each
// in a unit that holds at every sample rate (percent, hertz, milliseconds, enumeration stops),
// and the conversion between those units and the engine's normalized 0..1 values.
#pragma once

#include <cstdint>

namespace lv2ports {

enum class Unit { Percent, Hertz, Milliseconds, Enumeration };

struct ControlPort {
    const char* symbol;
    const char* name;
    const char* group;  // "origin" or "delay": the signal path the parameter belongs to
    Unit unit;
    float fullScale;  // the port value that stands for the normalized value 1.0
};

constexpr std::int32_t kNumControlPorts = 22;
constexpr std::uint32_t kAudioInLeft = 22;
constexpr std::uint32_t kAudioInRight = 23;
constexpr std::uint32_t kAudioOutLeft = 24;
constexpr std::uint32_t kAudioOutRight = 25;
constexpr std::uint32_t kNumPorts = 26;

extern const ControlPort kControlPorts[kNumControlPorts];

// The port's value as the engine takes it: clamped to 0..full scale (NaN counts as 0), then
// divided by the full scale and rounded to float once, so 100 ms arrives as the same 0.01
// that a VST 2 host sends for it.
float toNormalized(std::int32_t index, float portValue);

// The value to write to the port for a normalized value: v x full scale, rounded to float once.
float toPortValue(std::int32_t index, float normalized);

// The port's default: the Init program's value in the port's unit.
float defaultValue(std::int32_t index);

// The names of the enumeration stops of the filter-type and LFO-shape ports.
inline constexpr const char* kFilterTypeNames[] = {"Low", "High", "Band", "Notch"};
inline constexpr const char* kLfoShapeNames[] = {"Pulse", "Sawtooth", "Sine", "Square", "Triangle"};

}  // namespace lv2ports
