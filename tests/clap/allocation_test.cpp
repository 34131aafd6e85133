// The CLAP module's audio-thread calls must never reach the allocator: the engine is built in
// activate, and process, flush and reset work in what is there. This executable replaces the
// global allocation functions, which the loaded module's calls reach too, and counts them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/parameters.h"
#include "plughost/clap_host.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacements pair malloc with free on purpose; the compiler cannot see that they replace
// the library's allocation functions as a pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace plughost::clap;

TEST(ClapAllocation, ProcessFlushAndResetAllocateNothing) {
    std::string error;
    auto module = ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(module) << error;
    ClapHost host;
    auto plugin = ClapPlugin::create(*module, host, 0, error);
    ASSERT_TRUE(plugin) << error;
    ASSERT_TRUE(plugin->activate(96000.0, 1024));
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

    const long before = allocations.load();
    for (int block = 0; block < 16; ++block) {
        plugin->process(ins, outs, 1024, events, sent);
        plugin->flush(events, sent);
    }
    plugin->plugin().reset(&plugin->plugin());
    plugin->process(ins, outs, 1024, events, sent);
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
