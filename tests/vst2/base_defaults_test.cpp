#include <gtest/gtest.h>

#include <cstring>

#include "support/probe_effect.h"
#include "support/recording_host.h"

namespace {

class BaseDefaultsTest : public ::testing::Test {
protected:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }

    RecordingHost host;
    ProbeEffect effect{RecordingHost::callback()};
    AEffect* record = effect.getAeffect();
};

TEST_F(BaseDefaultsTest, RecordOfAPlainEffect) {
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(record->uniqueID, 0x4E6F4566);  // 'NoEf'
    EXPECT_EQ(record->numPrograms, 4);
    EXPECT_EQ(record->numParams, 8);
}

TEST_F(BaseDefaultsTest, FlagSettersTouchOnlyTheirBit) {
    struct FlagCase {
        void (*set)(ProbeEffect&, bool);
        VstInt32 bit;
    };
    const FlagCase cases[] = {
        {[](ProbeEffect& e, bool on) { e.setHasClip(on); }, 2},
        {[](ProbeEffect& e, bool on) { e.setHasVu(on); }, 4},
        {[](ProbeEffect& e, bool on) { e.setCanMono(on); }, 8},
        {[](ProbeEffect& e, bool on) { e.setCanReplacing(on); }, 16},
        {[](ProbeEffect& e, bool on) { e.setProgramsAreChunks(on); }, 32},
        {[](ProbeEffect& e, bool on) { e.setIsSynth(on); }, 256},
        {[](ProbeEffect& e, bool on) { e.setNoSoundInStop(on); }, 512},
        {[](ProbeEffect& e, bool on) { e.setAsync(on); }, 1024},
        {[](ProbeEffect& e, bool on) { e.setHasBuffer(on); }, 2048},
    };
    for (const FlagCase& c : cases) {
        record->flags = 0x10000 | 1;
        c.set(effect, true);
        EXPECT_EQ(record->flags, 0x10000 | 1 | c.bit) << c.bit;
        c.set(effect, false);
        EXPECT_EQ(record->flags, 0x10000 | 1) << c.bit;
    }
}

TEST_F(BaseDefaultsTest, CategoryFollowsTheSynthFlag) {
    EXPECT_EQ(dispatch(effGetPlugCategory), 0);
    effect.setIsSynth(true);
    EXPECT_EQ(dispatch(effGetPlugCategory), 2);
}

TEST_F(BaseDefaultsTest, ProgramDefaults) {
    dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(dispatch(effGetProgram), 3);
    dispatch(effSetProgram, 0, 4);  // = program count
    EXPECT_EQ(dispatch(effGetProgram), 3);
    char name[32] = "Lead";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 0, 0, name), 0);
}

TEST_F(BaseDefaultsTest, BlockSizeAndRateTogether) {
    EXPECT_EQ(dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(effect.getBlockSize(), 256);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
}

TEST_F(BaseDefaultsTest, NumberHelpersOfTheBase) {
    struct TextCase {
        void (*format)(ProbeEffect&, char*);
        const char* text;
    };
    const TextCase cases[] = {
        {[](ProbeEffect& e, char* t) { e.formatDecibels(1.0f, t); }, "0.000000"},
        {[](ProbeEffect& e, char* t) { e.formatDecibels(10.0f, t); }, "20.00000"},
        {[](ProbeEffect& e, char* t) { e.formatDecibels(0.0f, t); }, "-oo"},
        {[](ProbeEffect& e, char* t) { e.formatHertz(0.0f, t); }, "0.000000"},
        {[](ProbeEffect& e, char* t) { e.formatHertz(441.0f, t); }, "100.0000"},
        {[](ProbeEffect& e, char* t) { e.formatMilliseconds(441.0f, t); }, "10.00000"},
        {[](ProbeEffect& e, char* t) { e.formatInteger(42, t); }, "     42"},
        {[](ProbeEffect& e, char* t) { e.formatInteger(-123456789, t); }, "-1234567"},
        {[](ProbeEffect& e, char* t) { e.formatInteger(100000000, t); }, "Huge!"},
        {[](ProbeEffect& e, char* t) { e.formatPercent(0.5f, t); }, "50.00000%"},
        {[](ProbeEffect& e, char* t) { e.formatPercent(1.0f, t); }, "100.0000%"},
    };
    for (const TextCase& c : cases) {
        char text[32];
        std::memset(text, '#', sizeof text);
        c.format(effect, text);
        EXPECT_STREQ(text, c.text);
    }
    EXPECT_FLOAT_EQ(effect.fromPercent(50.0f), 0.5f);
    EXPECT_EQ(effect.parseNumber("  12.5 Hz"), 12.5f);
    EXPECT_EQ(effect.parseNumber("abc"), 0.0f);
    EXPECT_EQ(effect.parseNumber(nullptr), 0.0f);
}

TEST_F(BaseDefaultsTest, SpeakerArrangementsAreCopiedWhole) {
    VstSpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 3));
    EXPECT_EQ(source->numChannels, 3);
    EXPECT_EQ(source->speakers[2].type, 0);  // zero-filled
    source->type = 7;
    for (int i = 0; i < 3; ++i) {
        std::snprintf(source->speakers[i].name, sizeof source->speakers[i].name, "Speaker %d", i);
        source->speakers[i].azimuth = 0.5f * i;
        source->speakers[i].elevation = -1.0f;
        source->speakers[i].radius = 2.0f;
        source->speakers[i].reserved = 3.0f;
        source->speakers[i].type = 10 + i;
        source->speakers[i].future[27] = static_cast<char>(i + 1);
    }

    VstSpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&copy, 1));  // replaced by the copy
    ASSERT_TRUE(effect.copyArrangement(&copy, source));
    EXPECT_EQ(std::memcmp(copy, source, speakerArrangementSize(3)), 0);

    EXPECT_FALSE(effect.copyArrangement(&copy, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &source->speakers[0]));
    EXPECT_TRUE(effect.freeArrangement(&copy));
    EXPECT_EQ(copy, nullptr);
    EXPECT_TRUE(effect.freeArrangement(&copy));  // freeing an empty slot is fine
    effect.freeArrangement(&source);
}

}  // namespace
