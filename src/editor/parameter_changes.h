// The parameters whose control and value box must catch up with the effect. Parameter
// changes arrive on any thread (the host's audio or automation thread, a program change, the
// window thread itself); only the window thread may touch controls, since `close` destroys
// them there. So other threads only mark an index here, and the window thread takes the marks
// at its next idle and reads the values from the effect. One atomic word: marking neither
// locks nor allocates, and no change is lost between a mark and a take.
#pragma once

#include <atomic>
#include <cstdint>

class ParameterChanges {
public:
    static constexpr std::int32_t kCapacity = 32;

    // Indices outside 0..31 are ignored.
    void mark(std::int32_t index) {
        if (index < 0 || index >= kCapacity) return;
        marks.fetch_or(std::uint32_t{1} << index, std::memory_order_release);
    }

    // All marks so far, bit i for index i, leaving none behind.
    std::uint32_t take() { return marks.exchange(0, std::memory_order_acquire); }

private:
    std::atomic<std::uint32_t> marks{0};
};
