// The audio path and the calls a host makes around it must never reach the allocator.
// This executable replaces the global allocation functions to count every call.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "vst2/plugin_entry.h"
#include "support/recording_host.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacements below pair malloc with free on purpose; the compiler cannot see that
// they replace the library's allocation functions as a pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(AllocationTest, ProcessingParametersAndIdleAllocateNothing) {
    RecordingHost host;
    host.calls.reserve(100000);  // the recording host's own bookkeeping must not count
    AEffect* effect = createPlugin(RecordingHost::callback());
    ASSERT_NE(effect, nullptr);
    std::vector<float> left(8192, 0.5f), right(8192, -0.5f), outLeft(8192), outRight(8192);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outLeft.data(), outRight.data()};

    const long before = allocations.load();
    for (VstInt32 index = 0; index < 30; ++index) effect->setParameter(effect, index, 0.75f);
    for (VstInt32 frames : {1, 64, 511, 8192}) {
        effect->processReplacing(effect, ins, outs, frames);
        effect->process(effect, ins, outs, frames);
        effect->setParameter(effect, 11, 0.01f * frames / 64);
        effect->dispatcher(effect, effIdle, 0, 0, nullptr, 0.0f);
        host.setPlaying(frames % 2 == 0);
    }
    effect->dispatcher(effect, effSetProgram, 0, 7, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(allocations.load() - before, 0);

    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
