// The built module as a host loads it: by file, through its exported entry names.
#include <gtest/gtest.h>

#include "support/module_loader.h"
#include "support/recording_host.h"

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

TEST(ModuleTest, BothEntryNamesCreateWorkingEffects) {
    ModuleLoader module(VELLUMINE_MODULE_PATH);
    ASSERT_TRUE(module.loaded());
    for (const char* name : {"VSTPluginMain", "main"}) {
        auto entry = reinterpret_cast<Entry>(module.symbol(name));
        ASSERT_NE(entry, nullptr) << name;
        RecordingHost host;
        AEffect* effect = entry(RecordingHost::callback());
        ASSERT_NE(effect, nullptr) << name;
        EXPECT_EQ(effect->uniqueID, 0x5176526B) << name;
        char vendor[64] = {};
        EXPECT_EQ(effect->dispatcher(effect, effGetVendorString, 0, 0, vendor, 0.0f), 1);
        EXPECT_STREQ(vendor, "Quorvane");
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1) << name;
    }
}

TEST(ModuleTest, ExportsNothingButTheEntry) {
    ModuleLoader module(VELLUMINE_MODULE_PATH);
    ASSERT_TRUE(module.loaded());
    for (const char* hidden : {"createPlugin", "moduleInstance", "editorCreationFailed", "_Z12createPluginPFlP7AEffectiilPvfE"}) {
        EXPECT_EQ(module.symbol(hidden), nullptr) << hidden;
    }
}

}  // namespace
