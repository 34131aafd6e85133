// The LV2 edition's ports: each parameter's control port as its row in the table names it
// (the first 22 as ports 0 to 21, Sync as 26, after the audio ports, so that no older port
// moved), the stereo audio ports 22 to 25, the host's time as atom port 27, and the synced
// delay's length as control output 28, for the editor, which runs apart from the plug-in.
// Each control input is in its parameter's unit (see core/parameters.h).
#pragma once

#include <array>
#include <cstdint>

#include "core/parameters.h"

namespace lv2ports {

constexpr std::int32_t kNumControlPorts = kNumDefinedParams;
constexpr std::uint32_t kAudioInLeft = 22;
constexpr std::uint32_t kAudioInRight = 23;
constexpr std::uint32_t kAudioOutLeft = 24;
constexpr std::uint32_t kAudioOutRight = 25;
constexpr std::uint32_t kTimePort = 27;
// While Sync is on, the delay's length in ms as the Rate's text shows it; 0 while it is off.
constexpr std::uint32_t kSyncedDelayPort = 28;

// One past the highest port: a parameter added with the port after the last counts too.
constexpr std::uint32_t kNumPorts = [] {
    std::uint32_t highest = kSyncedDelayPort;
    for (const ParameterInfo& parameter : kParameters) highest = parameter.lv2Port > highest ? parameter.lv2Port : highest;
    return highest + 1;
}();

constexpr std::uint32_t kSyncPort = kParameters[DelaySync].lv2Port;

constexpr std::uint32_t portOfParameter(std::int32_t index) { return kParameters[index].lv2Port; }

// The parameter each port carries, -1 for the other ports: a table, since hosts may connect
// ports before every block.
inline constexpr std::array<std::int32_t, kNumPorts> kParameterOfPort = [] {
    std::array<std::int32_t, kNumPorts> parameters{};
    parameters.fill(-1);
    for (std::int32_t index = 0; index < kNumControlPorts; ++index)
        if (parameters[kParameters[index].lv2Port] < 0) parameters[kParameters[index].lv2Port] = index;
    return parameters;
}();

// The parameter a control port carries, or -1 for the other ports.
constexpr std::int32_t parameterOfPort(std::uint32_t port) { return port < kNumPorts ? kParameterOfPort[port] : -1; }

// Every parameter has a port of its own, none of them an audio, time or output port.
constexpr bool portsAreDistinct() {
    for (std::int32_t index = 0; index < kNumControlPorts; ++index) {
        const std::uint32_t port = portOfParameter(index);
        if (port >= kAudioInLeft && port <= kAudioOutRight) return false;
        if (port == kTimePort || port == kSyncedDelayPort || parameterOfPort(port) != index) return false;
    }
    return true;
}
static_assert(portsAreDistinct(), "a parameter's LV2 port is taken");

}  // namespace lv2ports
