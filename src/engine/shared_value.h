// A setting that one thread writes and others read: parameter changes arrive on the host's
// and the editor's threads while the audio thread reads the settings once per block.
// Relaxed order is enough, since each setting stands for itself and publishes no other
// data; on x86 such loads and stores are the plain moves a float field compiles to.
#pragma once

#include <atomic>

template <typename T>
class SharedValue {
public:
    SharedValue(T initial = T{}) : value(initial) {}

    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

    operator T() const { return value.load(std::memory_order_relaxed); }
    SharedValue& operator=(T newValue) {
        value.store(newValue, std::memory_order_relaxed);
        return *this;
    }

private:
    std::atomic<T> value;
};
