// The built module as a host loads it: by file, through its exported entry names.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "support/recording_host.h"

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = dlopen(VELLUMINE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
    }
    void TearDown() override {
        if (module) dlclose(module);
    }
    void* module = nullptr;
};

TEST_F(ModuleTest, BothEntryNamesCreateWorkingEffects) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        auto entry = reinterpret_cast<Entry>(dlsym(module, name));
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

TEST_F(ModuleTest, ExportsNothingButTheEntry) {
    for (const char* hidden : {"createPlugin", "moduleInstance", "editorCreationFailed", "_Z12createPluginPFlP7AEffectiilPvfE"}) {
        EXPECT_EQ(dlsym(module, hidden), nullptr) << hidden;
    }
}

}  // namespace
