#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct NumberCase {
    float value;
    const char* text;
};

std::string formatted(void (*format)(float, char*), float value) {
    char text[32];
    std::memset(text, '#', sizeof text);
    format(value, text);
    return text;
}

// Expected texts worked out by hand from the layout rules: integer digits from the value
// scaled by 0.1 (not floored again), decimals truncated from fmod(value, 1) x 10^d.
TEST(FormatNumberTest, WritesTheEightCharacterLayout) {
    const NumberCase cases[] = {
        {0.0f, "0.000000"},       {0.5f, "0.500000"},      {50.0f, "50.00000"},        {8000.0f, "8000.000"},
        {-3.5f, "-3.50000"},      {0.7f, "0.699999"},      {99.9f, "99.90000"},        {0.1f, "0.100000"},
        {1234567.0f, "1234567."}, {100.0f, "100.0000"},    {10000.0f, "10000.00"},     {-0.25f, "-0.25000"},
        {1e-7f, "0.000000"},      {-1e-7f, "-0.00000"},    {999999.9f, "999999.8"},    {0.999999f, "0.999998"},
    };
    for (const NumberCase& c : cases) EXPECT_EQ(formatted(numbertext::formatNumber, c.value), c.text) << c.value;
}

TEST(FormatNumberTest, OutOfRangeIsHuge) {
    for (float value : {100000000.0f, 1e20f, -10000000.0f, -1e30f, std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(formatted(numbertext::formatNumber, value), "Huge!") << value;
    }
}

TEST(FormatPercentTest, ScalesByAHundredAndAppendsTheSign) {
    const NumberCase cases[] = {
        {0.5f, "50.00000%"}, {1.0f, "100.0000%"}, {0.0f, "0.000000%"}, {2.0f, "200.0000%"}, {0.7f, "70.00000%"},
    };
    for (const NumberCase& c : cases) EXPECT_EQ(formatted(numbertext::formatPercent, c.value), c.text) << c.value;
}

TEST(FormatIntegerTest, SevenWideCutAtEight) {
    struct IntegerCase {
        std::int32_t value;
        const char* text;
    };
    const IntegerCase cases[] = {
        {42, "     42"}, {0, "      0"}, {-5, "     -5"}, {12345678, "12345678"}, {99999999, "99999999"},
        {100000000, "Huge!"}, {-2147483647 - 1, "-2147483"},
    };
    for (const IntegerCase& c : cases) {
        char text[32];
        numbertext::formatInteger(c.value, text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

}  // namespace
