// The built module in a Linux host: its editor opens inside whatever the host hands over as
// a parent (an X11 window id, not a pointer) and reads nothing from it.
#include <gtest/gtest.h>

#include <vector>

#include "support/module_loader.h"
#include "support/recording_host.h"

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

TEST(HostedModuleTest, EditorOpensOnAnX11WindowIdWhileAudioRuns) {
    ModuleLoader module(VELLUMINE_MODULE_PATH);
    ASSERT_TRUE(module.loaded());
    auto entry = reinterpret_cast<Entry>(module.symbol("VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    RecordingHost host;
    AEffect* effect = entry(RecordingHost::callback());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->flags, 21);
    const auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    };

    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 640);
    EXPECT_EQ(rect->bottom, 400);

    void* x11Window = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x3a00007));
    EXPECT_EQ(dispatch(effEditOpen, 0, x11Window), 1);
    std::vector<float> left(256, 0.5f), right(256, -0.5f), outLeft(256), outRight(256);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outLeft.data(), outRight.data()};
    dispatch(effMainsChanged, 1);
    for (int block = 0; block < 8; ++block) {
        effect->setParameter(effect, 12 + block, 0.25f);  // the delay path, silent at mix 0
        effect->processReplacing(effect, ins, outs, 256);
        dispatch(effEditIdle);
    }
    EXPECT_NEAR(outLeft[0], 0.5f, 1e-3f);  // settled DC through the origin path at unity gain
    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effEditOpen, 0, x11Window), 1);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);  // closed while open
}

}  // namespace
