// The LV2 edition's ports: the first 22 parameters as control ports 0 to 21 in their index
// order, the stereo audio ports 22 to 25, then Sync as control port 26 (added after the audio
// ports, so that the older ports kept their indices) and the host's time as atom port 27.
// Each control port is in its parameter's unit (see core/parameters.h).
#pragma once

#include <cstdint>

#include "core/parameters.h"

namespace lv2ports {

constexpr std::int32_t kNumControlPorts = kNumDefinedParams;
constexpr std::uint32_t kAudioInLeft = 22;
constexpr std::uint32_t kAudioInRight = 23;
constexpr std::uint32_t kAudioOutLeft = 24;
constexpr std::uint32_t kAudioOutRight = 25;
constexpr std::uint32_t kSyncPort = 26;
constexpr std::uint32_t kTimePort = 27;
constexpr std::uint32_t kNumPorts = 28;

constexpr std::uint32_t portOfParameter(std::int32_t index) {
    return index == DelaySync ? kSyncPort : static_cast<std::uint32_t>(index);
}

// The parameter a control port carries, or -1 for the other ports.
constexpr std::int32_t parameterOfPort(std::uint32_t port) {
    if (port == kSyncPort) return DelaySync;
    return port < kAudioInLeft ? static_cast<std::int32_t>(port) : -1;
}

}  // namespace lv2ports
