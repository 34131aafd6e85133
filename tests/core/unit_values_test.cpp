// The conversion between the parameters' units (LV2 ports, presets) and the normalized values
// the engine takes.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/number_text.h"
#include "core/parameters.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Case {
    std::int32_t index;
    float port;
    float normalized;  // written out by hand, as a VST 2 host would send it
};

TEST(UnitValues, ValuesInRangeBecomeTheSameFloatsAVst2HostSends) {
    const Case cases[] = {
        {DelayTime, 100.0f, 0.01f},         {DelayTime, 10000.0f, 1.0f},     {DelayTime, 250.0f, 0.025f},
        {DelayTime, 5000.0f, 0.5f},         {DelayTime, 1.0f, 0.0001f},      {OriginMix, 100.0f, 0.5f},
        {OriginMix, 200.0f, 1.0f},          {DelayMix, 50.0f, 0.25f},        {OriginCutoff, 8000.0f, 1.0f},
        {DelayCutoff, 4000.0f, 0.5f},       {DelayCutoff, 800.0f, 0.1f},     {OriginQ, 30.0f, 0.3f},
        {Feedback, 50.0f, 0.5f},            {Feedback, 100.0f, 1.0f},        {OriginFilterLfoRate, 50.0f, 1.0f},
        {DelayVolLfoRate, 5.0f, 0.1f},      {DelayFilterLfoDepth, 75.0f, 0.75f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fromUnitValue(c.index, c.port), c.normalized) << kParameters[c.index].symbol << " " << c.port;
}

// A number typed into a box, or sent to a port in the port's unit, shows as that number and
// gives the engine the same value either way. The Rate's 7 / 10000 rounds to 0x3a378034,
// which shows as 6.999999: the float above it is taken.
TEST(UnitValues, NumbersShowAsTypedAndGiveTheSameValueThroughBoxAndPort) {
    const float figures[] = {7.0f, 3.0f, 12.5f, 440.0f, 2500.0f, 0.3f};
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        if (kParameters[index].unit == Unit::Enumeration) continue;
        const float typedFull = typedFullScale(index);
        for (float figure : figures) {
            if (figure > typedFull) continue;
            SCOPED_TRACE(std::string(kParameters[index].symbol) + " " + std::to_string(figure));
            const float value = typedToNormalized(index, figure).value();
            char shown[kDisplayTextSize], wanted[kDisplayTextSize];
            displayText(index, value, shown);
            numbertext::formatNumber(figure, wanted);
            EXPECT_EQ(std::string(shown).substr(0, std::strlen(wanted)), wanted);  // a percentage adds "%"
            const auto port = static_cast<float>(static_cast<double>(figure) * kParameters[index].unitFullScale / typedFull);
            EXPECT_EQ(fromUnitValue(index, port), value);
        }
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(typedToNormalized(DelayTime, 7.0f).value()), 0x3a378035u);
}

TEST(UnitValues, RangeEndsAndValuesOutsideAreClampedAndNaNIsTheMinimum) {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const float full = kParameters[index].unitFullScale;
        SCOPED_TRACE(kParameters[index].symbol);
        EXPECT_EQ(fromUnitValue(index, 0.0f), 0.0f);
        EXPECT_EQ(fromUnitValue(index, full), 1.0f);
        EXPECT_EQ(fromUnitValue(index, -1.0f), 0.0f);
        EXPECT_EQ(fromUnitValue(index, full * 2.0f), 1.0f);
        EXPECT_EQ(fromUnitValue(index, kNaN), 0.0f);
        EXPECT_EQ(fromUnitValue(index, -kNaN), 0.0f);
        EXPECT_EQ(fromUnitValue(index, kInf), 1.0f);
        EXPECT_EQ(fromUnitValue(index, -kInf), 0.0f);
        EXPECT_FALSE(std::signbit(fromUnitValue(index, -0.0f)));
    }
}

// Every stop of an enumeration lands on its own entry of the engine's trunc(stops x v).
TEST(UnitValues, EveryEnumerationStopSelectsItsOwnEntry) {
    const std::int32_t typePorts[] = {OriginFilterType, DelayFilterType};
    const std::int32_t shapePorts[] = {OriginFilterLfoShape, OriginVolLfoShape, DelayFilterLfoShape,
                                       DelayVolLfoShape};
    for (std::int32_t index : typePorts)
        for (int stop = 0; stop <= 3; ++stop)
            EXPECT_EQ(static_cast<int>(3.0 * fromUnitValue(index, static_cast<float>(stop))), stop) << index;
    for (std::int32_t index : shapePorts)
        for (int stop = 0; stop <= 4; ++stop)
            EXPECT_EQ(static_cast<int>(4.0 * fromUnitValue(index, static_cast<float>(stop))), stop) << index;
    for (int stop = 0; stop <= 21; ++stop)
        EXPECT_EQ(static_cast<int>(21.0 * fromUnitValue(DelaySync, static_cast<float>(stop))), stop) << stop;
    // The third of the type range is not exact in float: it must still not fall below 1/3.
    EXPECT_EQ(fromUnitValue(OriginFilterType, 1.0f), 0.333333343f);
    EXPECT_EQ(fromUnitValue(OriginFilterType, 2.0f), 0.666666687f);
}

TEST(UnitValues, ParametersHaveTheirUnitsAndFullScalesInIndexOrder) {
    struct Expected {
        const char* symbol;
        const char* name;
        Unit unit;
        float full;
    };
    const Expected expected[kNumDefinedParams] = {
        {"origin_mix", "Origin Output Mix", Unit::Percent, 200.0f},
        {"origin_filter_type", "Origin Filter Type", Unit::Enumeration, 3.0f},
        {"origin_cutoff", "Origin Filter Rate", Unit::Hertz, 8000.0f},
        {"origin_q", "Origin Filter Q", Unit::Percent, 100.0f},
        {"origin_filter_lfo_shape", "Origin Filt. LFO Shape", Unit::Enumeration, 4.0f},
        {"origin_filter_lfo_rate", "Origin Filt. LFO Rate", Unit::Hertz, 50.0f},
        {"origin_filter_lfo_depth", "Origin Filt. LFO Depth", Unit::Percent, 100.0f},
        {"origin_vol_lfo_shape", "Origin Vol. LFO Shape", Unit::Enumeration, 4.0f},
        {"origin_vol_lfo_rate", "Origin Vol. LFO Rate", Unit::Hertz, 50.0f},
        {"origin_vol_lfo_depth", "Origin Vol. LFO Depth", Unit::Percent, 100.0f},
        {"delay_mix", "Delay Output Mix", Unit::Percent, 200.0f},
        {"delay_time", "Rate", Unit::Milliseconds, 10000.0f},
        {"feedback", "Feedback", Unit::Percent, 100.0f},
        {"delay_filter_type", "Delay Filter Type", Unit::Enumeration, 3.0f},
        {"delay_cutoff", "Delay Filter Rate", Unit::Hertz, 8000.0f},
        {"delay_q", "Delay Filter Q", Unit::Percent, 100.0f},
        {"delay_filter_lfo_shape", "Delay Filt. LFO Shape", Unit::Enumeration, 4.0f},
        {"delay_filter_lfo_rate", "Delay Filt. LFO Rate", Unit::Hertz, 50.0f},
        {"delay_filter_lfo_depth", "Delay Filt. LFO Depth", Unit::Percent, 100.0f},
        {"delay_vol_lfo_shape", "Delay Vol. LFO Shape", Unit::Enumeration, 4.0f},
        {"delay_vol_lfo_rate", "Delay Vol. LFO Rate", Unit::Hertz, 50.0f},
        {"delay_vol_lfo_depth", "Delay Vol. LFO Depth", Unit::Percent, 100.0f},
        {"delay_sync", "Delay Sync", Unit::Enumeration, 21.0f},
        {"delay_stereo", "Delay Stereo", Unit::Enumeration, 2.0f},
        {"delay_motion", "Delay Motion", Unit::Enumeration, 2.0f},
        {"delay_freeze", "Delay Freeze", Unit::Enumeration, 1.0f},
        {"delay_duck", "Delay Duck", Unit::Percent, 100.0f},
    };
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kParameters[i].symbol, expected[i].symbol);
        EXPECT_STREQ(kParameters[i].longName, expected[i].name);
        EXPECT_EQ(kParameters[i].unit, expected[i].unit);
        EXPECT_EQ(kParameters[i].unitFullScale, expected[i].full);
        EXPECT_EQ(kParameters[i].group, i < DelayMix ? ParameterGroup::Origin : ParameterGroup::Delay);
    }
}

TEST(UnitValues, InitValuesInUnits) {
    const float expected[kNumDefinedParams] = {100.0f, 0.0f, 8000.0f, 0.0f, 2.0f,  50.0f, 0.0f, 2.0f,
                                               50.0f,  0.0f, 0.0f,    0.0f, 0.0f,  0.0f,  8000.0f, 0.0f,
                                               2.0f,   50.0f, 0.0f,   2.0f, 50.0f, 0.0f,  0.0f, 0.0f,
                                               0.0f,   0.0f,  0.0f};
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) EXPECT_EQ(toUnitValue(i, kParameters[i].initial), expected[i]) << i;
}

// What an editor writes to an LV2 port comes back to the engine as the value the editor set,
// up to the rounding of the unit value: not every float in 0..1 is a float unit value / full scale.
TEST(UnitValues, EditorValuesSurviveTheTripThroughAUnitValue) {
    const Case cases[] = {{DelayTime, 100.0f, 0.01f}, {OriginMix, 50.0f, 0.25f}, {OriginCutoff, 800.0f, 0.1f},
                          {OriginFilterType, 1.0f, 0.333333343f}, {DelayVolLfoRate, 35.0f, 0.7f}};
    for (const Case& c : cases) EXPECT_EQ(toUnitValue(c.index, c.normalized), c.port) << c.index;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        for (int k = 0; k <= 1000; ++k) {
            const float v = static_cast<float>(k) / 1000.0f;
            ASSERT_NEAR(fromUnitValue(index, toUnitValue(index, v)), v, v * 0x1p-22f) << index << " " << k;
        }
}

}  // namespace
