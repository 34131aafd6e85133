// What the low-rate level tests of every door share. A filter whose coefficient is computed
// for the host's rate becomes unstable when a high cutoff meets a low rate; these tests play
// the built-in phrase through a door at each rate below 44.1 kHz with the Init program, the
// benchmarks' busy settings and every factory preset, and hold the output's peak within
// 6 dB of the same setting's peak at 44.1 kHz, and finite.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/parameters.h"

struct LevelSetting {
    std::string name;
    std::array<float, kNumDefinedParams> values;  // normalized, by parameter index
};

std::vector<LevelSetting> levelSettings();

// The output of a door for the phrase (the same samples in both channels) at a rate:
// both channels, one after the other.
using LevelRender = std::function<std::vector<float>(const LevelSetting&, double rate, const std::vector<float>& phrase)>;

void expectLevelsHeldAtLowRates(const LevelRender& render);
