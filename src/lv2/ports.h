// The LV2 edition's ports: first the 22 parameters as control ports in their index order,
// each in its unit (see core/parameters.h), then the stereo audio ports.
#pragma once

#include <cstdint>

#include "core/parameters.h"

namespace lv2ports {

constexpr std::int32_t kNumControlPorts = kNumDefinedParams;
constexpr std::uint32_t kAudioInLeft = 22;
constexpr std::uint32_t kAudioInRight = 23;
constexpr std::uint32_t kAudioOutLeft = 24;
constexpr std::uint32_t kAudioOutRight = 25;
constexpr std::uint32_t kNumPorts = 26;

}  // namespace lv2ports
