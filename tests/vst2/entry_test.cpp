#include <gtest/gtest.h>

#include "vst2/effect_base.h"
#include "support/plugin_fixture.h"

namespace {

TEST(EntryTest, HostWithoutVersionGetsNothing) {
    RecordingHost host;
    host.versionAnswer = 0;
    EXPECT_EQ(createPlugin(RecordingHost::callback()), nullptr);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(host.calls[0].effect, nullptr);
}

TEST(EntryTest, NullCallbackGetsNothing) { EXPECT_EQ(createPlugin(nullptr), nullptr); }

TEST(EntryTest, ConstructionAsksVersionThenRequestsEventsOnce) {
    RecordingHost host;
    AEffect* effect = createPlugin(RecordingHost::callback());
    ASSERT_NE(effect, nullptr);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(host.calls[1].opcode, audioMasterWantMidi);
    EXPECT_EQ(host.calls[1].value, 1);
    EXPECT_EQ(host.calls[1].effect, effect);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

using RecordTest = PluginTest;

// Builds without an editor (Windows, until its window backend exists) leave out the editor bit.
#ifdef VELLUMINE_WITH_EDITOR
constexpr VstInt32 kExpectedFlags = 21;
#else
constexpr VstInt32 kExpectedFlags = 20;
#endif

TEST_F(RecordTest, HoldsWhatHostsRead) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 64);
    EXPECT_EQ(effect->numParams, 4112);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, kExpectedFlags);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, 0x5176526B);  // 'QvRk'
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(static_cast<EffectBase*>(effect->object)->getAeffect(), effect);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    for (char c : effect->future) EXPECT_EQ(c, 0);
}

}  // namespace
