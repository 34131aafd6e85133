#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "plughost/parameter_setting.h"

namespace plughost {
namespace {

struct SettingCase {
    const char* text;
    bool valid;
    const char* target;
    float value;
};

void PrintTo(const SettingCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseSetting : public testing::TestWithParam<SettingCase> {};

TEST_P(ParseSetting, SplitsAtTheLastEqualsSign) {
    const SettingCase& c = GetParam();
    ParameterSetting setting;
    std::string error;
    ASSERT_EQ(parseSetting(c.text, setting, error), c.valid) << c.text;
    if (!c.valid) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(setting.target, c.target);
    EXPECT_FLOAT_EQ(setting.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseSetting,
                         testing::Values(SettingCase{"12=0.5", true, "12", 0.5f},
                                         SettingCase{"Feedback=0.25", true, "Feedback", 0.25f},
                                         SettingCase{"Output Mix = 1", true, "Output Mix", 1.0f},
                                         SettingCase{"a=b=0.75", true, "a=b", 0.75f},
                                         SettingCase{"x=-2e-1", true, "x", -0.2f},
                                         SettingCase{"Feedback", false, "", 0.0f},
                                         SettingCase{"=0.5", false, "", 0.0f},
                                         SettingCase{"Feedback=", false, "", 0.0f},
                                         SettingCase{"Feedback=half", false, "", 0.0f},
                                         SettingCase{"Feedback=0.5x", false, "", 0.0f}));

// Names as a plug-in with repeated names reports them: two "Output Mix", told apart by
// their labels, and a unique "Feedback".
const std::vector<ParameterNames> kNames = {
    {"Output Mix", "Origin Output Mix"}, {"Filter Type", ""}, {"Output Mix", "Delay Output Mix"},
    {"Rate", "Delay Amount"},            {"Feedback", "Feedback"}, {"Filter Type", ""},
};

struct ResolveCase {
    const char* target;
    int index;  // -1: an error is expected
    const char* errorPart;
};

void PrintTo(const ResolveCase& c, std::ostream* out) { *out << '"' << c.target << '"'; }

class ResolveParameter : public testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveParameter, ByIndexUniqueNameOrUniqueLabel) {
    const ResolveCase& c = GetParam();
    std::int32_t index = -1;
    std::string error;
    const bool found = resolveParameter(kNames, c.target, index, error);
    if (c.index >= 0) {
        ASSERT_TRUE(found) << error;
        EXPECT_EQ(index, c.index);
    } else {
        EXPECT_FALSE(found);
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolveParameter,
                         testing::Values(ResolveCase{"3", 3, ""}, ResolveCase{"0", 0, ""},
                                         ResolveCase{"feedback", 4, ""}, ResolveCase{"Rate", 3, ""},
                                         ResolveCase{"Delay Output Mix", 2, ""},
                                         ResolveCase{"delay amount", 3, ""},
                                         ResolveCase{"Output Mix", -1, "parameters 0, 2"},
                                         ResolveCase{"Filter Type", -1, "parameters 1, 5"},
                                         ResolveCase{"6", -1, "outside 0 to 5"},
                                         ResolveCase{"-1", -1, "outside"},
                                         ResolveCase{"Volume", -1, "no parameter"}));

TEST(Automation, ReadsFramesAndSecondsInTimeOrder) {
    std::istringstream file(
        "# a comment line\n"
        "44100 Feedback=0.5   # half feedback after one second\n"
        "\n"
        "0.5s 12=0.25\n"
        "0 Output Mix=1\n"
        "22050 3=0.75\n");
    std::vector<AutomationPoint> points;
    std::string error;
    ASSERT_TRUE(parseAutomation(file, 44100.0, points, error)) << error;
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].frame, 0);
    EXPECT_EQ(points[0].setting.target, "Output Mix");
    // Two changes at frame 22050 ("0.5s" and "22050") keep their order in the file.
    EXPECT_EQ(points[1].frame, 22050);
    EXPECT_EQ(points[1].setting.target, "12");
    EXPECT_FLOAT_EQ(points[1].setting.value, 0.25f);
    EXPECT_EQ(points[2].frame, 22050);
    EXPECT_EQ(points[2].setting.target, "3");
    EXPECT_EQ(points[3].frame, 44100);
    EXPECT_EQ(points[3].setting.target, "Feedback");
}

TEST(Automation, SecondsFollowTheSampleRate) {
    std::istringstream file("1.5s 0=1\n");
    std::vector<AutomationPoint> points;
    std::string error;
    ASSERT_TRUE(parseAutomation(file, 48000.0, points, error)) << error;
    EXPECT_EQ(points.at(0).frame, 72000);
}

TEST(Automation, TimesBeyondAnyFrameAreRefused) {
    // 1e300 seconds is no frame of a 64-bit count; before it was refused it landed on a
    // negative frame, before the start of the render.
    for (const char* text : {"0 1=0.5\n1e300s 1=0.5\n", "0 1=0.5\n209146758205323.8s 1=0.5\n"}) {
        std::istringstream file(text);
        std::vector<AutomationPoint> points;
        std::string error;
        EXPECT_FALSE(parseAutomation(file, 44100.0, points, error)) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
    std::istringstream file("209146758205323s 1=0.5\n");
    std::vector<AutomationPoint> points;
    std::string error;
    ASSERT_TRUE(parseAutomation(file, 44100.0, points, error)) << error;
    EXPECT_GT(points.at(0).frame, 0);
}

TEST(Automation, ErrorsNameTheLine) {
    for (const char* text : {"0 1=0.5\n-5 1=0.5\n", "0 1=0.5\nsoon 1=0.5\n", "0 1=0.5\n100 Feedback\n",
                             "0 1=0.5\n100\n"}) {
        std::istringstream file(text);
        std::vector<AutomationPoint> points;
        std::string error;
        EXPECT_FALSE(parseAutomation(file, 44100.0, points, error)) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace plughost
