// The plug-in's state as hosts store it in a project, the same bytes on every platform and
// for every door that keeps a state of its own (CLAP today), so that a project can move
// between them: little endian 32-bit words, a magic, the format version, the parameter count,
// then each parameter's normalized value as its float bits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/parameters.h"

using ParameterValues = std::array<float, kNumDefinedParams>;

constexpr std::uint32_t kStateMagic = 0x4c564c56;  // "VLVL" read as bytes
constexpr std::uint32_t kStateVersion = 1;
// Magic, version, count and the values: the most a stream of this version holds.
constexpr std::size_t kLargestState = (3 + kNumDefinedParams) * 4;

std::vector<unsigned char> encodeState(const ParameterValues& values);
// Nothing for another magic, a newer version, a count beyond ours, a truncated or longer
// stream, or a value outside 0..1. Parameters the stream does not reach (written before
// they existed) take their Init values.
std::optional<ParameterValues> decodeState(const std::vector<unsigned char>& bytes);
