#include "plughost/guarded_memory.h"

#include <cmath>

namespace plughost {
namespace {

float guardValue() {
    float value;
    std::memcpy(&value, &GuardedAudio::kGuardBits, sizeof value);
    return value;
}

bool isGuard(float sample) {
    std::uint32_t bits;
    std::memcpy(&bits, &sample, sizeof bits);
    return bits == GuardedAudio::kGuardBits;
}

}  // namespace

GuardedAudio::GuardedAudio(int channels, std::size_t frames) : length(frames) {
    for (int c = 0; c < channels; ++c) storage.emplace_back(frames + kGuardFrames, 0.0f);
    for (auto& s : storage) pointerList.push_back(s.data());
    guardFrom(frames);
}

void GuardedAudio::guardFrom(std::size_t used) {
    for (auto& s : storage) std::fill(s.begin() + static_cast<std::ptrdiff_t>(used), s.end(), guardValue());
}

bool GuardedAudio::overrun(std::size_t used) const {
    for (const auto& s : storage) {
        for (std::size_t i = used; i < s.size(); ++i) {
            if (!isGuard(s[i])) return true;
        }
    }
    return false;
}

long GuardedAudio::firstNonFinite(std::size_t used, int& channel) const {
    for (std::size_t c = 0; c < storage.size(); ++c) {
        for (std::size_t i = 0; i < used; ++i) {
            if (!std::isfinite(storage[c][i])) {
                channel = static_cast<int>(c);
                return static_cast<long>(i);
            }
        }
    }
    return -1;
}

}  // namespace plughost
