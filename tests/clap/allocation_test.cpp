// The CLAP module's audio-thread calls must never reach the allocator: the engine is built in
// activate, and process, flush and reset work in what is there. The module carries its own
// C++ runtime, linked in and hidden, whose operator new reaches the C library's malloc: this
// executable takes over malloc and its kin and counts them (and, in sanitizer builds, where
// the module uses the shared C++ runtime and the sanitizer keeps malloc, operator new).
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
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

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(__has_feature)
#define VELLUMINE_COUNT_MALLOC 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer) && !__has_feature(thread_sanitizer)
#define VELLUMINE_COUNT_MALLOC 1
#endif
#endif

#if VELLUMINE_COUNT_MALLOC
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) noexcept {
    ++allocations;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    ++allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    ++allocations;
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    ++allocations;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    ++allocations;
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}
void free(void* p) noexcept { __libc_free(p); }
}
#endif

namespace {

using namespace plughost::clap;

TEST(ClapAllocation, ProcessFlushAndResetAllocateNothing) {
    std::string error;
    auto module = ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(module) << error;
    ClapHost host;
    auto plugin = ClapPlugin::create(*module, host, 0, error);
    ASSERT_TRUE(plugin) << error;
    const long beforeActivation = allocations.load();
    ASSERT_TRUE(plugin->activate(96000.0, 1024));
    ASSERT_GT(allocations.load(), beforeActivation) << "the module's allocations are not counted";
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
