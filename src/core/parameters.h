// The plug-in's 27 parameters, for every format: their indices, names, units and scales,
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
    DelayStereo,
    DelayMotion,
    DelayFreeze,
    DelayDuck,
};

constexpr std::int32_t kNumDefinedParams = 27;

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
// How the two delay lines feed each other: each itself, each the other, or both from one sum
// that then bounces from side to side.
inline constexpr const char* kStereoNames[] = {"Normal", "Cross", "Ping-Pong"};
// What a change of the delay length does to the echoes: a jump, a crossfade, or a tape glide.
inline constexpr const char* kMotionNames[] = {"Jump", "Fade", "Tape"};
inline constexpr const char* kFreezeNames[] = {"Off", "On"};

// The signal path a parameter belongs to: the editor's panel, the LV2 port group, the CLAP
// module.
enum class ParameterGroup { Origin, Delay };

constexpr const char* groupSymbol(ParameterGroup group) { return group == ParameterGroup::Origin ? "origin" : "delay"; }
constexpr const char* groupName(ParameterGroup group) { return group == ParameterGroup::Origin ? "Origin" : "Delay"; }

struct ParameterInfo {
    const char* symbol = nullptr;    // stable identifier: LV2 port symbol, preset key
    const char* name = nullptr;      // the short name: VST 2 parameter name, the editor's caption
    const char* label = nullptr;     // the long name VST 2 answers as the label; null answers nothing
    const char* longName = nullptr;  // the name with its signal path, for hosts that list all ports
    ParameterGroup group = ParameterGroup::Origin;
    Unit unit = Unit::Percent;
    // The figure the display text shows for the normalized value 1.0 (for percentages, the
    // fraction that is shown x 100). The engine applies the same scale to the value.
    double displayScale = 1.0;
    // The unit value that stands for the normalized value 1.0.
    float unitFullScale = 0.0f;
    std::span<const char* const> stops = {};  // an enumeration's stop names, in value order
    float initial = 0.0f;                     // the Init program's normalized value
    // The LV2 control port: a new parameter takes the port after the last, and no port number
    // ever changes (Sync came after the audio ports 22 to 25).
    std::uint32_t lv2Port = 0;
};

namespace detail {

// Each row names its fields; these fill in what its kind implies.
constexpr ParameterInfo percent(ParameterInfo info) {
    info.unit = Unit::Percent;
    info.unitFullScale = static_cast<float>(info.displayScale * 100.0);
    return info;
}

constexpr ParameterInfo figure(ParameterInfo info) { return info; }

constexpr ParameterInfo stops(ParameterInfo info) {
    info.unit = Unit::Enumeration;
    info.displayScale = 1.0;
    info.unitFullScale = static_cast<float>(info.stops.size() - 1);
    return info;
}

constexpr double kMixScale = 2.0;        // the output gain runs to twice unity
constexpr double kCutoffScale = 8000.0;  // Hz
constexpr double kLfoRateScale = 100.0;  // the rate figure; the LFO runs at half of it in Hz
constexpr float kLfoRateFullHz = 50.0f;
constexpr double kDelayScale = 10000.0;  // ms: the whole ten-second line

}  // namespace detail

inline constexpr ParameterInfo kParameters[kNumDefinedParams] = {
    detail::percent({.symbol = "origin_mix", .name = "Output Mix", .label = "Origin Output Mix",
                     .longName = "Origin Output Mix", .group = ParameterGroup::Origin,
                     .displayScale = detail::kMixScale, .initial = 0.5f, .lv2Port = 0}),
    detail::stops({.symbol = "origin_filter_type", .name = "Filter Type", .label = nullptr,
                   .longName = "Origin Filter Type", .group = ParameterGroup::Origin, .stops = kFilterTypeNames,
                   .initial = 0.0f, .lv2Port = 1}),
    detail::figure({.symbol = "origin_cutoff", .name = "Filter Rate", .label = "Filter Rate",
                    .longName = "Origin Filter Rate", .group = ParameterGroup::Origin, .unit = Unit::Hertz,
                    .displayScale = detail::kCutoffScale, .unitFullScale = 8000.0f, .initial = 1.0f, .lv2Port = 2}),
    detail::percent({.symbol = "origin_q", .name = "Filter Q", .label = "Filter Q", .longName = "Origin Filter Q",
                     .group = ParameterGroup::Origin, .displayScale = 1.0, .initial = 0.0f, .lv2Port = 3}),
    detail::stops({.symbol = "origin_filter_lfo_shape", .name = "Filt. LFO Shape", .label = "Filt. LFO1 Shape",
                   .longName = "Origin Filt. LFO Shape", .group = ParameterGroup::Origin, .stops = kLfoShapeNames,
                   .initial = 0.5f, .lv2Port = 4}),
    detail::figure({.symbol = "origin_filter_lfo_rate", .name = "Filt. LFO Rate", .label = "Filt. LFO1 Rate",
                    .longName = "Origin Filt. LFO Rate", .group = ParameterGroup::Origin, .unit = Unit::Hertz,
                    .displayScale = detail::kLfoRateScale, .unitFullScale = detail::kLfoRateFullHz, .initial = 1.0f,
                    .lv2Port = 5}),
    detail::percent({.symbol = "origin_filter_lfo_depth", .name = "Filt. LFO Depth", .label = "Filt. LFO1 Depth",
                     .longName = "Origin Filt. LFO Depth", .group = ParameterGroup::Origin, .displayScale = 1.0,
                     .initial = 0.0f, .lv2Port = 6}),
    detail::stops({.symbol = "origin_vol_lfo_shape", .name = "Vol. LFO Shape", .label = "Vol. Mod Shape",
                   .longName = "Origin Vol. LFO Shape", .group = ParameterGroup::Origin, .stops = kLfoShapeNames,
                   .initial = 0.5f, .lv2Port = 7}),
    detail::figure({.symbol = "origin_vol_lfo_rate", .name = "Vol. LFO Rate", .label = "Vol. Mod Rate",
                    .longName = "Origin Vol. LFO Rate", .group = ParameterGroup::Origin, .unit = Unit::Hertz,
                    .displayScale = detail::kLfoRateScale, .unitFullScale = detail::kLfoRateFullHz, .initial = 1.0f,
                    .lv2Port = 8}),
    detail::percent({.symbol = "origin_vol_lfo_depth", .name = "Vol. LFO Depth", .label = "Vol. Mod Depth",
                     .longName = "Origin Vol. LFO Depth", .group = ParameterGroup::Origin, .displayScale = 1.0,
                     .initial = 0.0f, .lv2Port = 9}),
    detail::percent({.symbol = "delay_mix", .name = "Output Mix", .label = "Delay Output Mix",
                     .longName = "Delay Output Mix", .group = ParameterGroup::Delay, .displayScale = detail::kMixScale,
                     .initial = 0.0f, .lv2Port = 10}),
    detail::figure({.symbol = "delay_time", .name = "Rate", .label = "Delay Amount", .longName = "Rate",
                    .group = ParameterGroup::Delay, .unit = Unit::Milliseconds, .displayScale = detail::kDelayScale,
                    .unitFullScale = 10000.0f, .initial = 0.0f, .lv2Port = 11}),
    detail::percent({.symbol = "feedback", .name = "Feedback", .label = "Feedback", .longName = "Feedback",
                     .group = ParameterGroup::Delay, .displayScale = 1.0, .initial = 0.0f, .lv2Port = 12}),
    detail::stops({.symbol = "delay_filter_type", .name = "Filter Type", .label = nullptr,
                   .longName = "Delay Filter Type", .group = ParameterGroup::Delay, .stops = kFilterTypeNames,
                   .initial = 0.0f, .lv2Port = 13}),
    detail::figure({.symbol = "delay_cutoff", .name = "Filter Rate", .label = "Filter Rate",
                    .longName = "Delay Filter Rate", .group = ParameterGroup::Delay, .unit = Unit::Hertz,
                    .displayScale = detail::kCutoffScale, .unitFullScale = 8000.0f, .initial = 1.0f, .lv2Port = 14}),
    detail::percent({.symbol = "delay_q", .name = "Filter Q", .label = "Filter Q", .longName = "Delay Filter Q",
                     .group = ParameterGroup::Delay, .displayScale = 1.0, .initial = 0.0f, .lv2Port = 15}),
    detail::stops({.symbol = "delay_filter_lfo_shape", .name = "Filt. LFO Shape", .label = "Filt. LFO Shape",
                   .longName = "Delay Filt. LFO Shape", .group = ParameterGroup::Delay, .stops = kLfoShapeNames,
                   .initial = 0.5f, .lv2Port = 16}),
    detail::figure({.symbol = "delay_filter_lfo_rate", .name = "Filt. LFO Rate", .label = "Filt. LFO Rate",
                    .longName = "Delay Filt. LFO Rate", .group = ParameterGroup::Delay, .unit = Unit::Hertz,
                    .displayScale = detail::kLfoRateScale, .unitFullScale = detail::kLfoRateFullHz, .initial = 1.0f,
                    .lv2Port = 17}),
    detail::percent({.symbol = "delay_filter_lfo_depth", .name = "Filt. LFO Depth", .label = "Filt. LFO Depth",
                     .longName = "Delay Filt. LFO Depth", .group = ParameterGroup::Delay, .displayScale = 1.0,
                     .initial = 0.0f, .lv2Port = 18}),
    detail::stops({.symbol = "delay_vol_lfo_shape", .name = "Vol. LFO Shape", .label = "Vol. LFO Shape",
                   .longName = "Delay Vol. LFO Shape", .group = ParameterGroup::Delay, .stops = kLfoShapeNames,
                   .initial = 0.5f, .lv2Port = 19}),
    detail::figure({.symbol = "delay_vol_lfo_rate", .name = "Vol. LFO Rate", .label = "Vol. LFO Rate",
                    .longName = "Delay Vol. LFO Rate", .group = ParameterGroup::Delay, .unit = Unit::Hertz,
                    .displayScale = detail::kLfoRateScale, .unitFullScale = detail::kLfoRateFullHz, .initial = 1.0f,
                    .lv2Port = 20}),
    detail::percent({.symbol = "delay_vol_lfo_depth", .name = "Vol. LFO Depth", .label = "Vol. LFO Depth",
                     .longName = "Delay Vol. LFO Depth", .group = ParameterGroup::Delay, .displayScale = 1.0,
                     .initial = 0.0f, .lv2Port = 21}),
    detail::stops({.symbol = "delay_sync", .name = "Sync", .label = "Delay Sync", .longName = "Delay Sync",
                   .group = ParameterGroup::Delay, .stops = kSyncNames, .initial = 0.0f, .lv2Port = 26}),
    // The musician's controls; port 28 is the synced length's output.
    detail::stops({.symbol = "delay_stereo", .name = "Stereo", .label = "Delay Stereo", .longName = "Delay Stereo",
                   .group = ParameterGroup::Delay, .stops = kStereoNames, .initial = 0.0f, .lv2Port = 29}),
    detail::stops({.symbol = "delay_motion", .name = "Motion", .label = "Delay Motion", .longName = "Delay Motion",
                   .group = ParameterGroup::Delay, .stops = kMotionNames, .initial = 0.0f, .lv2Port = 30}),
    detail::stops({.symbol = "delay_freeze", .name = "Freeze", .label = "Delay Freeze", .longName = "Delay Freeze",
                   .group = ParameterGroup::Delay, .stops = kFreezeNames, .initial = 0.0f, .lv2Port = 31}),
    detail::percent({.symbol = "delay_duck", .name = "Duck", .label = "Delay Duck", .longName = "Delay Duck",
                     .group = ParameterGroup::Delay, .displayScale = 1.0, .initial = 0.0f, .lv2Port = 32}),
};

// The scale a parameter's value is applied and shown with, as the engine's float settings.
constexpr float parameterScale(std::int32_t index) { return static_cast<float>(kParameters[index].displayScale); }

// scale x v as the engine and its displays compute it everywhere: the scale divided by the
// reciprocal of v, in double precision, rounded once to float.
inline float scaled(double scale, float v) { return v == 0.0f ? 0.0f : static_cast<float>(scale / (1.0 / v)); }

// A value from a host or an editor held to 0.0..1.0 (NaN counts as 0.0): values become
// table indices, filter modes and delay lengths.
inline float normalizedValue(float value) {
    if (!(value >= 0.0f)) return 0.0f;  // negative or NaN
    return value > 1.0f ? 1.0f : value;
}

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

// While Sync is on, the Rate shows the length the delay runs at instead of its own value:
// these milliseconds of the delay's samples, as a plain figure (formatNumber). Every door's
// editor and host-facing text shows the same.
inline float delayMilliseconds(float delaySamples, float sampleRate) {
    return static_cast<float>(delaySamples * 1000.0 / sampleRate);
}
// The text an editor or a VST 2 host shows for a parameter: its display text, but the Rate's
// is the synced length while Sync is on (syncedMilliseconds then holds it).
void shownText(std::int32_t index, float value, std::optional<float> syncedMilliseconds, char* text);

// The unit value (LV2 ports, CLAP parameters, presets) to the normalized value the engine
// takes: clamped to 0..full scale (NaN counts as 0), then divided by the full scale and
// rounded to float once, so 100 ms arrives as the same 0.01 that a VST 2 host sends for it;
// then the same choice among neighbours as for a typed number, so that a number gives the
// same value whether typed into a box or sent to a port.
float fromUnitValue(std::int32_t index, float unitValue);
// The unit value for a normalized value: v x full scale, rounded to float once.
float toUnitValue(std::int32_t index, float normalized);
