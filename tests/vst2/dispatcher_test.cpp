#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "support/plugin_fixture.h"

namespace {

using DispatcherTest = PluginTest;

struct OpcodeAnswer {
    const char* what;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    VstIntPtr answer;
};

TEST_F(DispatcherTest, AnswersFixedValues) {
    const OpcodeAnswer cases[] = {
        {"identify", effIdentify, 0, 0, 0x4E764566},
        {"interface version", effGetVstVersion, 0, 0, 2300},
        {"keys not required, inverted", effKeysRequired, 0, 0, 1},
        {"effect category", effGetPlugCategory, 0, 0, 1},
        {"vendor version", effGetVendorVersion, 0, 0, 1000},
        {"no VU although flagged", effGetVu, 0, 0, 0},
        {"connect input", effConnectInput, 5, 0, 1},
        {"connect output", effConnectOutput, -3, 1, 1},
        {"unknown opcode 77", 77, 0, 0, 0},
        {"unknown opcode -1", -1, 0, 0, 0},
        {"unknown opcode 80", 80, 0, 0, 0},
        {"every parameter automatable", effCanBeAutomated, 21, 0, 1},
        {"one program category", effGetNumProgramCategories, 0, 0, 1},
        {"no current MIDI program", effGetCurrentMidiProgram, 0, 0, -1},
        {"total samples echoed", effSetTotalSampleToProcess, 0, 12345, 12345},
        {"no tail", effGetTailSize, 0, 0, 0},
        {"bypass refused", effSetBypass, 0, 1, 0},
        {"copy program refused", effCopyProgram, 3, 0, 0},
        {"no chunk", effGetChunk, 0, 0, 0},
        {"block size and rate", effSetBlockSizeAndSampleRate, 0, 256, 1},
        {"idle answers 1", effIdle, 0, 0, 1},
#ifdef VELLUMINE_WITH_EDITOR
        {"editor rect", effEditGetRect, 0, 0, 1},
        {"key to the closed editor: not used", effEditKeyDown, 65, 0, -1},
        {"knob mode", effSetEditKnobMode, 0, 2, 1},
        {"editor open, without a parent window too", effEditOpen, 0, 0, 1},
#else
        {"editor rect without editor", effEditGetRect, 0, 0, 0},
        {"editor open without editor", effEditOpen, 0, 0, 0},
        {"editor key without editor", effEditKeyDown, 65, 0, 0},
        {"knob mode without editor", effSetEditKnobMode, 0, 2, 0},
#endif
    };
    for (const OpcodeAnswer& c : cases) {
        EXPECT_EQ(dispatch(c.opcode, c.index, c.value), c.answer) << c.what;
    }
}

TEST_F(DispatcherTest, DeclaresNoCapability) {
    for (const char* capability : {"receiveVstEvents", "bypass", "plugAsChannelInsert", "", "x"}) {
        char text[64];
        std::strcpy(text, capability);
        EXPECT_EQ(dispatch(effCanDo, 0, 0, text), 0) << capability;
    }
}

TEST_F(DispatcherTest, NamesTheVendorButNotTheProduct) {
    EXPECT_EQ(text(effGetVendorString), "Quorvane");
    EXPECT_EQ(text(effGetEffectName), "");
    EXPECT_EQ(text(effGetProductString), "");
    char buffer[64];
    EXPECT_EQ(dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetEffectName, 0, 0, buffer), 1);
    EXPECT_EQ(dispatch(effGetErrorText, 0, 0, buffer), 0);
}

TEST_F(DispatcherTest, ProgramNumbersOutsideTheBankAreIgnored) {
    dispatch(effSetProgram, 0, 5);
    for (VstIntPtr refused : {VstIntPtr{64}, VstIntPtr{1000}, VstIntPtr{-1}, VstIntPtr{-64}}) {
        EXPECT_EQ(dispatch(effSetProgram, 0, refused), 0);
        EXPECT_EQ(dispatch(effGetProgram), 5) << refused;
    }
    dispatch(effSetProgram, 0, 63);
    EXPECT_EQ(dispatch(effGetProgram), 63);
}

TEST_F(DispatcherTest, NullTextPointersWriteNothing) {
    for (VstInt32 opcode : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
                            effGetParamName, effGetProgramNameIndexed, effGetEffectName, effGetVendorString,
                            effGetProductString, effCanDo, effString2Parameter}) {
        EXPECT_EQ(dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    }
}

TEST_F(DispatcherTest, SpeakerArrangementQueryClearsBothPlaces) {
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* input = &dummy;
    VstSpeakerArrangement* output = &dummy;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(DispatcherTest, KeyOpcodesIgnoreHostileModifiers) {
#ifdef VELLUMINE_WITH_EDITOR
    const VstIntPtr unused = -1;  // the editor exists but is closed
#else
    const VstIntPtr unused = 0;
#endif
    for (float modifiers : {0.0f, 3.0f, -1.0f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0x141, nullptr, modifiers), unused);
        EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0x141, nullptr, modifiers), unused);
    }
}

TEST_F(DispatcherTest, MainsOnRequestsEventsAgainAndMainsOffDoesNot) {
    EXPECT_EQ(host.count(audioMasterWantMidi), 1);  // from construction
    dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(host.count(audioMasterWantMidi), 1);
    dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.count(audioMasterWantMidi), 2);
    const HostCall& last = host.calls.back();
    EXPECT_EQ(last.opcode, audioMasterWantMidi);
    EXPECT_EQ(last.value, 1);
    EXPECT_EQ(last.effect, effect);
}

TEST_F(DispatcherTest, EveryIdleAsksForTheTime) {
    host.calls.clear();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dispatch(effIdle), 1);
    ASSERT_EQ(host.calls.size(), 3u);
    for (const HostCall& call : host.calls) {
        EXPECT_EQ(call.opcode, audioMasterGetTime);
        EXPECT_EQ(call.value, 0);
    }
}

TEST_F(DispatcherTest, IdleWithoutTimeInformationStillAnswers) {
    host.answerTime = false;
    EXPECT_EQ(dispatch(effIdle), 1);
}

}  // namespace
