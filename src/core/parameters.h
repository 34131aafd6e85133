// The plug-in's 23 parameters, for every format: their indices, names, units and scales,
// their Init values, the texts that show a value, the rule for a typed number, and the
// conversion to and from the unit values that LV2 ports and presets carry. Nothing else
// holds a parameter's scale: the engine, the editor and every format read it here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

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
    DelaySync,  // Off, or the delay time as a note value at the host's tempo
};

constexpr std::int32_t kNumDefinedParams = 23;

// The unit a parameter's value is given in outside the plug-in; it also picks the display
// text: a percentage, a plain figure, or the name of an enumeration stop.
enum class Unit { Percent, Hertz, Milliseconds, Enumeration };

inline constexpr const char* kFilterTypeNames[] = {"Low", "High", "Band", "Notch"};
inline constexpr const char* kLfoShapeNames[] = {"Pulse", "Sawtooth", "Sine", "Square", "Triangle"};
// Note values from a thirty-second to two wholes, each as a triplet (T, 2/3 of the note), straight
// and dotted (., 3/2 of it).
inline constexpr const char* kSyncNames[] = {"Off",   "1/32T", "1/32", "1/32.", "1/16T", "1/16", "1/16.", "1/8T",
                                             "1/8",   "1/8.",  "1/4T", "1/4",  "1/4.",  "1/2T", "1/2",  "1/2.",
                                             "1/1T",  "1/1",   "1/1.", "2/1T", "2/1",   "2/1."};

struct ParameterInfo {
    const char* symbol;    // stable identifier: LV2 port symbol, preset key
    const char* name;      // the short name: VST 2 parameter name, the editor's caption
    const char* label;     // the long name VST 2 answers as the label; null answers nothing
    const char* longName;  // the name with its signal path, for hosts that list all ports
    const char* group;     // "origin" or "delay": the signal path the parameter belongs to
    Unit unit;
    // The figure the display text shows for the normalized value 1.0 (for percentages, the
    // fraction that is shown x 100). The engine applies the same scale to the value.
    double displayScale;
    // The unit value that stands for the normalized value 1.0.
    float unitFullScale;
    std::span<const char* const> stops;  // an enumeration's stop names, in value order
    float initial;                       // the Init program's normalized value
};

namespace detail {

constexpr ParameterInfo percent(const char* symbol, const char* name, const char* label, const char* longName,
                                const char* group, double scale, float initial) {
    return {symbol, name, label, longName, group, Unit::Percent, scale, static_cast<float>(scale * 100.0), {}, initial};
}

constexpr ParameterInfo figure(const char* symbol, const char* name, const char* label, const char* longName,
                               const char* group, Unit unit, double scale, float unitFull, float initial) {
    return {symbol, name, label, longName, group, unit, scale, unitFull, {}, initial};
}

constexpr ParameterInfo stops(const char* symbol, const char* name, const char* label, const char* longName,
                              const char* group, std::span<const char* const> names, float initial) {
    return {symbol, name,     label, longName, group, Unit::Enumeration, 1.0, static_cast<float>(names.size() - 1),
            names,  initial};
}

constexpr double kMixScale = 2.0;        // the output gain runs to twice unity
constexpr double kCutoffScale = 8000.0;  // Hz
constexpr double kLfoRateScale = 100.0;  // the rate figure; the LFO runs at half of it in Hz
constexpr float kLfoRateFullHz = 50.0f;
constexpr double kDelayScale = 10000.0;  // ms: the whole ten-second line

}  // namespace detail

inline constexpr ParameterInfo kParameters[kNumDefinedParams] = {
    detail::percent("origin_mix", "Output Mix", "Origin Output Mix", "Origin Output Mix", "origin",
                    detail::kMixScale, 0.5f),
    detail::stops("origin_filter_type", "Filter Type", nullptr, "Origin Filter Type", "origin", kFilterTypeNames, 0.0f),
    detail::figure("origin_cutoff", "Filter Rate", "Filter Rate", "Origin Filter Rate", "origin", Unit::Hertz,
                   detail::kCutoffScale, 8000.0f, 1.0f),
    detail::percent("origin_q", "Filter Q", "Filter Q", "Origin Filter Q", "origin", 1.0, 0.0f),
    detail::stops("origin_filter_lfo_shape", "Filt. LFO Shape", "Filt. LFO1 Shape", "Origin Filt. LFO Shape", "origin",
                  kLfoShapeNames, 0.5f),
    detail::figure("origin_filter_lfo_rate", "Filt. LFO Rate", "Filt. LFO1 Rate", "Origin Filt. LFO Rate", "origin",
                   Unit::Hertz, detail::kLfoRateScale, detail::kLfoRateFullHz, 1.0f),
    detail::percent("origin_filter_lfo_depth", "Filt. LFO Depth", "Filt. LFO1 Depth", "Origin Filt. LFO Depth",
                    "origin", 1.0, 0.0f),
    detail::stops("origin_vol_lfo_shape", "Vol. LFO Shape", "Vol. Mod Shape", "Origin Vol. LFO Shape", "origin",
                  kLfoShapeNames, 0.5f),
    detail::figure("origin_vol_lfo_rate", "Vol. LFO Rate", "Vol. Mod Rate", "Origin Vol. LFO Rate", "origin",
                   Unit::Hertz, detail::kLfoRateScale, detail::kLfoRateFullHz, 1.0f),
    detail::percent("origin_vol_lfo_depth", "Vol. LFO Depth", "Vol. Mod Depth", "Origin Vol. LFO Depth", "origin", 1.0,
                    0.0f),
    detail::percent("delay_mix", "Output Mix", "Delay Output Mix", "Delay Output Mix", "delay", detail::kMixScale,
                    0.0f),
    detail::figure("delay_time", "Rate", "Delay Amount", "Rate", "delay", Unit::Milliseconds, detail::kDelayScale,
                   10000.0f, 0.0f),
    detail::percent("feedback", "Feedback", "Feedback", "Feedback", "delay", 1.0, 0.0f),
    detail::stops("delay_filter_type", "Filter Type", nullptr, "Delay Filter Type", "delay", kFilterTypeNames, 0.0f),
    detail::figure("delay_cutoff", "Filter Rate", "Filter Rate", "Delay Filter Rate", "delay", Unit::Hertz,
                   detail::kCutoffScale, 8000.0f, 1.0f),
    detail::percent("delay_q", "Filter Q", "Filter Q", "Delay Filter Q", "delay", 1.0, 0.0f),
    detail::stops("delay_filter_lfo_shape", "Filt. LFO Shape", "Filt. LFO Shape", "Delay Filt. LFO Shape", "delay",
                  kLfoShapeNames, 0.5f),
    detail::figure("delay_filter_lfo_rate", "Filt. LFO Rate", "Filt. LFO Rate", "Delay Filt. LFO Rate", "delay",
                   Unit::Hertz, detail::kLfoRateScale, detail::kLfoRateFullHz, 1.0f),
    detail::percent("delay_filter_lfo_depth", "Filt. LFO Depth", "Filt. LFO Depth", "Delay Filt. LFO Depth", "delay",
                    1.0, 0.0f),
    detail::stops("delay_vol_lfo_shape", "Vol. LFO Shape", "Vol. LFO Shape", "Delay Vol. LFO Shape", "delay",
                  kLfoShapeNames, 0.5f),
    detail::figure("delay_vol_lfo_rate", "Vol. LFO Rate", "Vol. LFO Rate", "Delay Vol. LFO Rate", "delay", Unit::Hertz,
                   detail::kLfoRateScale, detail::kLfoRateFullHz, 1.0f),
    detail::percent("delay_vol_lfo_depth", "Vol. LFO Depth", "Vol. LFO Depth", "Delay Vol. LFO Depth", "delay", 1.0,
                    0.0f),
    detail::stops("delay_sync", "Sync", "Delay Sync", "Delay Sync", "delay", kSyncNames, 0.0f),
};

// The scale a parameter's value is applied and shown with, as the engine's float settings.
constexpr float parameterScale(std::int32_t index) { return static_cast<float>(kParameters[index].displayScale); }

// scale x v as the engine and its displays compute it everywhere: the scale divided by the
// reciprocal of v, in double precision, rounded once to float.
inline float scaled(double scale, float v) { return v == 0.0f ? 0.0f : static_cast<float>(scale / (1.0 / v)); }

// A value from a host or an editor held to 0.0..1.0 (NaN counts as 0.0): values become
// table indices, filter modes and delay lengths.
float normalizedValue(float value);

// An enumeration's stop for a normalized value: trunc((stops - 1) x v).
std::int32_t enumerationStop(std::int32_t index, float value);

// The display text of a normalized value: an enumeration's stop name, a percentage or a
// figure in the eight-character layout whose decimals are truncated. At most 11 bytes.
constexpr int kDisplayTextSize = 11;
void displayText(std::int32_t index, float value, char* text);

// A number typed in the units of the display text: typed / full scale, 0.0 for numbers
// below zero (and NaN), nothing for a number above full scale (the parameter then keeps
// its value) and for enumerations, whose names are not typed. Of the quotient rounded to
// float and its two neighbours, the one whose display text shows the typed number is
// taken where one does, so that "7" shows as 7.000000, not 6.999999.
float typedFullScale(std::int32_t index);
std::optional<float> typedToNormalized(std::int32_t index, float typed);

// The delay length in samples of a Sync stop (1 and up) at a tempo in beats per minute: the
// note's length rounded to the nearest sample (halves up). The caller limits it to its line.
double syncedDelaySamples(std::int32_t stop, double beatsPerMinute, double sampleRate);

// The unit value (LV2 ports, CLAP parameters, presets) to the normalized value the engine
// takes: clamped to 0..full scale (NaN counts as 0), then divided by the full scale and
// rounded to float once, so 100 ms arrives as the same 0.01 that a VST 2 host sends for it;
// then the same choice among neighbours as for a typed number, so that a number gives the
// same value whether typed into a box or sent to a port.
float fromUnitValue(std::int32_t index, float unitValue);
// The unit value for a normalized value: v x full scale, rounded to float once.
float toUnitValue(std::int32_t index, float normalized);
