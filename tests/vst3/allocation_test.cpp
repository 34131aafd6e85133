// The VST 3 module's audio-thread calls must never reach the allocator: the engine and the
// bypass buffers are built in setActive, and process works in what is there, through changes
// at many offsets, a bypass crossfade, a stop and calls without samples.
#include <gtest/gtest.h>

#include <vector>

#include "core/parameters.h"
#include "plughost/vst3_host.h"
#include "support/counting_allocator.h"

namespace {

using namespace plughost::vst3;

TEST(Vst3Allocation, ProcessAllocatesNothing) {
    std::string error;
    auto module = Vst3Module::load(VELLUMINE_VST3_BUNDLE, error);
    ASSERT_TRUE(module) << error;
    auto plugin = Vst3Plugin::create(*module, error);
    ASSERT_TRUE(plugin) << error;
    const long beforeActivation = allocationCount();
    ASSERT_TRUE(plugin->activate(96000.0, 1024));
    ASSERT_GT(allocationCount(), beforeActivation) << "the module's allocations are not counted";
    std::vector<float> left(1024, 0.25f), right(1024, -0.25f);
    const float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {left.data(), right.data()};
    ParameterChanges changes, sent;
    for (std::int32_t at = 0; at < 1024; at += 100)
        for (v3_param_id id = 0; id < static_cast<v3_param_id>(kNumDefinedParams); ++id) changes.add(id, at, 0.37);
    changes.add(1000, 500, 1.0);  // the bypass fades in mid-block
    v3_process_context context{};
    context.state = V3_PROCESS_CTX_TEMPO_VALID;  // not playing: a stop
    context.bpm = 90.0;

    const long before = allocationCount();
    for (int block = 0; block < 16; ++block) {
        plugin->process(ins, outs, 1024, changes, sent, &context);
        plugin->process(nullptr, nullptr, 0, changes, sent);
    }
    EXPECT_EQ(allocationCount() - before, 0);
}

}  // namespace
