// A fixed ring of items from one thread to another that neither locks nor allocates: for a
// door, the editor's gestures and values on their way to the host's audio or main thread.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>

template <typename Item, std::size_t Capacity>
class EventRing {
public:
    // The producer's side; false when the ring is full.
    bool push(const Item& item) {
        const std::size_t tail = written.load(std::memory_order_relaxed);
        if (tail - taken.load(std::memory_order_acquire) == Capacity) return false;
        items[tail % Capacity] = item;
        written.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The consumer's side.
    std::optional<Item> pop() {
        const std::size_t head = taken.load(std::memory_order_relaxed);
        if (head == written.load(std::memory_order_acquire)) return std::nullopt;
        const Item item = items[head % Capacity];
        taken.store(head + 1, std::memory_order_release);
        return item;
    }

private:
    std::array<Item, Capacity> items{};
    std::atomic<std::size_t> written{0};
    std::atomic<std::size_t> taken{0};
};
