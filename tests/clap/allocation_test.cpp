// The CLAP module's audio-thread calls must never reach the allocator: the engine is built in
// activate, and process, flush and reset work in what is there.
#include <gtest/gtest.h>

#include <vector>

#include "core/parameters.h"
#include "plughost/clap_host.h"
#include "support/counting_allocator.h"

namespace {

using namespace plughost::clap;

TEST(ClapAllocation, ProcessFlushAndResetAllocateNothing) {
    std::string error;
    auto module = ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(module) << error;
    ClapHost host;
    auto plugin = ClapPlugin::create(*module, host, 0, error);
    ASSERT_TRUE(plugin) << error;
    const long beforeActivation = allocationCount();
    ASSERT_TRUE(plugin->activate(96000.0, 1024));
    ASSERT_GT(allocationCount(), beforeActivation) << "the module's allocations are not counted";
    std::vector<float> left(1024, 0.25f), right(1024, -0.25f);
    const float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {left.data(), right.data()};
    InputEvents events;
    for (std::uint32_t at = 0; at < 1024; at += 100)
        for (clap_id id = 0; id < static_cast<clap_id>(kNumDefinedParams); ++id)
            events.addValue(at, id, 0.37 * toUnitValue(static_cast<std::int32_t>(id), 1.0f));
    OutputEvents sent;
    const AudioThreadScope audio;
    ASSERT_TRUE(plugin->startProcessing());

    const long before = allocationCount();
    for (int block = 0; block < 16; ++block) {
        plugin->process(ins, outs, 1024, events, sent);
        plugin->flush(events, sent);
    }
    plugin->plugin().reset(&plugin->plugin());
    plugin->process(ins, outs, 1024, events, sent);
    EXPECT_EQ(allocationCount() - before, 0);
}

}  // namespace
