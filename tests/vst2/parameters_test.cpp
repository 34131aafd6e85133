// Parameters, texts and programs, read the way a host reads them: through the record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "support/plugin_fixture.h"

namespace {

using ParametersTest = PluginTest;

TEST_F(ParametersTest, NamesLabelsAndInitialTexts) {
    struct Row {
        const char* name;
        const char* label;  // "~" where the buffer must stay untouched
        const char* display;
    };
    const Row rows[23] = {
        {"Output Mix", "Origin Output Mix", "100.0000%"},
        {"Filter Type", "~", "Low"},
        {"Filter Rate", "Filter Rate", "8000.000"},
        {"Filter Q", "Filter Q", "0.000000%"},
        {"Filt. LFO Shape", "Filt. LFO1 Shape", "Sine"},
        {"Filt. LFO Rate", "Filt. LFO1 Rate", "100.0000"},
        {"Filt. LFO Depth", "Filt. LFO1 Depth", "0.000000%"},
        {"Vol. LFO Shape", "Vol. Mod Shape", "Sine"},
        {"Vol. LFO Rate", "Vol. Mod Rate", "100.0000"},
        {"Vol. LFO Depth", "Vol. Mod Depth", "0.000000%"},
        {"Output Mix", "Delay Output Mix", "0.000000%"},
        {"Rate", "Delay Amount", "0.000000"},
        {"Feedback", "Feedback", "0.000000%"},
        {"Filter Type", "~", "Low"},
        {"Filter Rate", "Filter Rate", "8000.000"},
        {"Filter Q", "Filter Q", "0.000000%"},
        {"Filt. LFO Shape", "Filt. LFO Shape", "Sine"},
        {"Filt. LFO Rate", "Filt. LFO Rate", "100.0000"},
        {"Filt. LFO Depth", "Filt. LFO Depth", "0.000000%"},
        {"Vol. LFO Shape", "Vol. LFO Shape", "Sine"},
        {"Vol. LFO Rate", "Vol. LFO Rate", "100.0000"},
        {"Vol. LFO Depth", "Vol. LFO Depth", "0.000000%"},
        {"Sync", "Delay Sync", "Off"},
    };
    const float initial[23] = {0.5f, 0, 1, 0, 0.5f, 1, 0, 0.5f, 1, 0, 0, 0, 0, 0, 1, 0, 0.5f, 1, 0, 0.5f, 1, 0, 0};
    for (VstInt32 i = 0; i < 23; ++i) {
        EXPECT_EQ(text(effGetParamName, i), rows[i].name) << i;
        EXPECT_EQ(text(effGetParamLabel, i), rows[i].label) << i;
        EXPECT_EQ(text(effGetParamDisplay, i), rows[i].display) << i;
        EXPECT_EQ(get(i), initial[i]) << i;
    }
}

TEST_F(ParametersTest, DisplayTextsFollowTheValue) {
    struct Case {
        VstInt32 index;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {1, 1.0f, "Notch"},         {1, 0.99f, "Band"},         {1, 0.5f, "High"},
        {1, 1.0f / 3, "High"},      {13, 0.2f, "Low"},          {13, 0.7f, "Band"},
        {4, 1.0f, "Triangle"},      {4, 0.8f, "Square"},        {4, 0.25f, "Sawtooth"},
        {4, 0.0f, "Pulse"},         {7, 0.6f, "Sine"},          {16, 0.75f, "Square"},
        {19, 0.3f, "Sawtooth"},     {0, 0.7f, "140.0000%"},     {10, 1.0f, "200.0000%"},
        {0, 0.3f, "60.00000%"},     {3, 0.7f, "70.00000%"},     {12, 0.5f, "50.00000%"},
        // Values where scale / (1 / v) and scale x v round to different floats.
        {2, 0.8861503601074219f, "7089.202"}, {14, 0.8861503601074219f, "7089.202"},
        {11, 0.19108200073242188f, "1910.819"}, {5, 0.9036092758178711f, "90.36092"},
        {20, 0.9036092758178711f, "90.36092"}, {11, 1.0f, "10000.00"}, {11, 0.5f, "5000.000"},
    };
    for (const Case& c : cases) {
        set(c.index, c.value);
        EXPECT_EQ(text(effGetParamDisplay, c.index), c.display) << c.index << " = " << c.value;
    }
}

TEST_F(ParametersTest, ValuesOutsideTheRangeAreHeldToIt) {
    struct Case {
        float value;
        float stored;
        const char* display;
    };
    const Case cases[] = {
        {7.0f, 1.0f, "Notch"},
        {-1.0f, 0.0f, "Low"},
        {std::numeric_limits<float>::infinity(), 1.0f, "Notch"},
        {-std::numeric_limits<float>::infinity(), 0.0f, "Low"},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f, "Low"},
        {1e30f, 1.0f, "Notch"},
    };
    for (const Case& c : cases) {
        set(1, c.value);
        EXPECT_EQ(get(1), c.stored) << c.value;
        EXPECT_EQ(text(effGetParamDisplay, 1), c.display) << c.value;
    }
    set(4, 99.0f);
    EXPECT_EQ(text(effGetParamDisplay, 4), "Triangle");
    set(11, 2.0f);
    EXPECT_EQ(text(effGetParamDisplay, 11), "10000.00");
}

TEST_F(ParametersTest, UndefinedIndicesAreInert) {
    for (VstInt32 index : {27, 30, 4111, 5000, -1}) {
        set(index, 0.7f);
        EXPECT_EQ(get(index), 0.0f) << index;
        EXPECT_EQ(text(effGetParamName, index), "~") << index;
        EXPECT_EQ(text(effGetParamLabel, index), "~") << index;
        EXPECT_EQ(text(effGetParamDisplay, index), "~") << index;
    }
    EXPECT_EQ(get(0), 0.5f);
}

TEST_F(ParametersTest, ProgramNamesAreNumberedWhileTheyReadInit) {
    for (VstIntPtr p : {VstIntPtr{0}, VstIntPtr{41}, VstIntPtr{63}}) {
        dispatch(effSetProgram, 0, p);
        EXPECT_EQ(text(effGetProgramName), "Init " + std::to_string(p + 1));
        EXPECT_EQ(text(effGetProgramNameIndexed, static_cast<VstInt32>(p), 7), "Init");
    }
    dispatch(effSetProgram, 0, 3);
    char name[64] = "Dub Echo";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "Dub Echo");
    EXPECT_EQ(text(effGetProgramNameIndexed, 3), "Dub Echo");
    std::strcpy(name, "INIT");
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "INIT");
    std::strcpy(name, "Init");
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "Init 4");
}

TEST_F(ParametersTest, LongProgramNamesAreCutAtTwentyThree) {
    char name[64] = "A very long program name that does not fit";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "A very long program nam");
}

TEST_F(ParametersTest, IndexedNamesOutsideTheBankWriteNothing) {
    for (VstInt32 index : {-1, 64, 1000}) {
        char buffer[32] = "~";
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, index, 0, buffer), 0);
        EXPECT_STREQ(buffer, "~");
    }
    char buffer[32];
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 5, 0, buffer), 1);
}

TEST_F(ParametersTest, EditsStayWithTheirProgram) {
    dispatch(effSetProgram, 0, 1);
    set(0, 0.25f);
    set(4, 1.0f);
    dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(text(effGetParamDisplay, 0), "100.0000%");
    EXPECT_EQ(text(effGetParamDisplay, 4), "Sine");
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(get(0), 0.25f);
    EXPECT_EQ(text(effGetParamDisplay, 0), "50.00000%");
    EXPECT_EQ(text(effGetParamDisplay, 4), "Triangle");
}

}  // namespace
