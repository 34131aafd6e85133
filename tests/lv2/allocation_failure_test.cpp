// The LV2 plug-in and its UI, built into this executable, refuse an instance whose memory
// cannot be had instead of throwing through the host's C call. Stands alone, as it replaces
// the allocation functions.
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <gtest/gtest.h>

#include "lv2/uris.h"
#include "support/failing_allocation.h"

namespace {

void ignoreWrite(LV2UI_Controller, std::uint32_t, std::uint32_t, std::uint32_t, const void*) {}

struct FailingAllocation {
    explicit FailingAllocation(std::size_t from) { failingAllocationSize = from; }
    ~FailingAllocation() { failingAllocationSize = 0; }
};

TEST(Lv2AllocationFailureTest, ThePlugInIsRefusedAtAnyRateThenBuiltAgain) {
    const LV2_Descriptor* plugin = lv2_descriptor(0);
    for (double rate : {44100.0, 384000.0}) {
        {
            const FailingAllocation failing(std::size_t{1} << 20);  // the delay lines
            LV2_Handle handle = nullptr;
            EXPECT_NO_THROW(handle = plugin->instantiate(plugin, rate, VELLUMINE_LV2_BUNDLE "/", nullptr)) << rate;
            EXPECT_EQ(handle, nullptr) << rate;
        }
        LV2_Handle handle = plugin->instantiate(plugin, rate, VELLUMINE_LV2_BUNDLE "/", nullptr);
        ASSERT_NE(handle, nullptr) << rate;
        plugin->cleanup(handle);
    }
}

TEST(Lv2AllocationFailureTest, TheUiIsRefusedWhenItsBitmapsCannotBeHadThenBuiltAgain) {
    const LV2UI_Descriptor* ui = lv2ui_descriptor(0);
    const LV2_Feature* features[] = {nullptr};  // no parent: nothing to open, only to build
    LV2UI_Widget widget = nullptr;
    {
        const FailingAllocation failing(std::size_t{1} << 19);  // the 640 x 400 background
        LV2UI_Handle handle = nullptr;
        EXPECT_NO_THROW(handle = ui->instantiate(ui, kPluginUri, VELLUMINE_LV2_BUNDLE "/", ignoreWrite, nullptr,
                                                 &widget, features));
        EXPECT_EQ(handle, nullptr);
    }
    LV2UI_Handle handle = ui->instantiate(ui, kPluginUri, VELLUMINE_LV2_BUNDLE "/", ignoreWrite, nullptr, &widget,
                                          features);
    ASSERT_NE(handle, nullptr);
    ui->cleanup(handle);
}

}  // namespace
