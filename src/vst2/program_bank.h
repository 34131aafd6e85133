// The VST 2 module's program bank as hosts see it: how many programs, and how many parameter
// slots each program declares.
#pragma once

#include <cstdint>

constexpr std::int32_t kNumPrograms = 64;
// The parameter count announced to hosts; indices from kNumDefinedParams on are inert.
constexpr std::int32_t kDeclaredParams = 4112;
