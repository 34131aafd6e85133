#include "host/number_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct NumberCase {
    float value;
    const char* text;
};

class FormatNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, WritesTheEightCharacterLayout) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    numbertext::formatNumber(GetParam().value, text);
    EXPECT_STREQ(text, GetParam().text);
}

// Expected texts worked out by hand from the layout rules: integer digits from the value
// scaled by 0.1 (not floored again), decimals truncated from fmod(value, 1) x 10^d.
INSTANTIATE_TEST_SUITE_P(Layout, FormatNumberTest,
                         ::testing::Values(NumberCase{0.0f, "0.000000"}, NumberCase{0.5f, "0.500000"},
                                           NumberCase{50.0f, "50.00000"}, NumberCase{8000.0f, "8000.000"},
                                           NumberCase{-3.5f, "-3.50000"}, NumberCase{0.7f, "0.699999"},
                                           NumberCase{99.9f, "99.90000"}, NumberCase{0.1f, "0.100000"},
                                           NumberCase{1234567.0f, "1234567."}, NumberCase{100.0f, "100.0000"},
                                           NumberCase{10000.0f, "10000.00"}, NumberCase{100000000.0f, "Huge!"},
                                           NumberCase{-10000000.0f, "Huge!"}));

}  // namespace
