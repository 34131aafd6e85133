#include "core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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

// Values are matched to figures by their digits, not their texts: the digits must tell two
// values apart exactly when the texts do, at the layout's edges (a digit more or less before
// the point, a sign, "Huge!") and between neighbouring floats whose last digit differs.
TEST(ShownNumberTest, EqualExactlyWhenTheTextsAre) {
    const float starts[] = {0.0f, 7.0f, 0.7f, 9.999999f, 99.99999f, -9.99999f, 1234567.0f, 99999999.0f, -0.0f, 5e-8f};
    std::vector<float> values;
    for (float start : starts) {
        float below = start, above = start;
        for (int step = 0; step < 6; ++step) {
            values.push_back(below = std::nextafter(below, -1e30f));
            values.push_back(above = std::nextafter(above, 1e30f));
        }
        values.push_back(start);
    }
    values.push_back(std::numeric_limits<float>::quiet_NaN());
    values.push_back(-std::numeric_limits<float>::infinity());
    for (float a : values)
        for (float b : values)
            EXPECT_EQ(numbertext::shownNumber(a) == numbertext::shownNumber(b),
                      formatted(numbertext::formatNumber, a) == formatted(numbertext::formatNumber, b))
                << a << " " << b;
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
