// A set of parameters, one bit per parameter of the table in as many 64-bit words as it
// takes: which values changed, which are due to be applied. SharedParameterSet is the same
// set marked from any thread and taken whole by one.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/parameters.h"

class ParameterSet {
public:
    static constexpr std::size_t kWords = (kNumDefinedParams + 63) / 64;

    static ParameterSet all() {
        ParameterSet set;
        for (std::int32_t index = 0; index < kNumDefinedParams; ++index) set.add(index);
        return set;
    }

    // Indices outside the table are ignored.
    void add(std::int32_t index) {
        if (index >= 0 && index < kNumDefinedParams) words[word(index)] |= bit(index);
    }
    bool contains(std::int32_t index) const {
        return index >= 0 && index < kNumDefinedParams && (words[word(index)] & bit(index)) != 0;
    }
    bool empty() const {
        for (std::uint64_t w : words)
            if (w != 0) return false;
        return true;
    }

    // Calls each(index) for every parameter in the set, in index order.
    template <typename Each>
    void forEach(Each&& each) const {
        for (std::size_t w = 0; w < kWords; ++w)
            for (std::uint64_t bits = words[w]; bits != 0; bits &= bits - 1)
                each(static_cast<std::int32_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
    }

private:
    friend class SharedParameterSet;
    static constexpr std::size_t word(std::int32_t index) { return static_cast<std::size_t>(index) / 64; }
    static constexpr std::uint64_t bit(std::int32_t index) { return std::uint64_t{1} << (index % 64); }

    std::array<std::uint64_t, kWords> words{};
};

// Marking neither locks nor allocates, and no mark is lost between a mark and a take: what a
// thread marked before its release is in the set another thread takes after it.
class SharedParameterSet {
public:
    void add(std::int32_t index) {
        if (index >= 0 && index < kNumDefinedParams)
            words[ParameterSet::word(index)].fetch_or(ParameterSet::bit(index), std::memory_order_release);
    }
    void add(const ParameterSet& set) {
        for (std::size_t w = 0; w < ParameterSet::kWords; ++w)
            if (set.words[w] != 0) words[w].fetch_or(set.words[w], std::memory_order_release);
    }
    // Whether anything is marked: a relaxed look, for a thread that then takes or has it taken.
    bool any() const {
        for (const auto& w : words)
            if (w.load(std::memory_order_relaxed) != 0) return true;
        return false;
    }
    // Every mark so far, leaving none behind.
    ParameterSet take() {
        ParameterSet set;
        for (std::size_t w = 0; w < ParameterSet::kWords; ++w) set.words[w] = words[w].exchange(0, std::memory_order_acquire);
        return set;
    }

private:
    std::array<std::atomic<std::uint64_t>, ParameterSet::kWords> words{};
};
