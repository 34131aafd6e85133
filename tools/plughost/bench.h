// `plughost bench`: processing cost of plug-ins side by side, measured in one run.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "plughost/parameter_setting.h"
#include "plughost/plugin_presets.h"

namespace plughost {

struct BenchEntry {
    std::string path, label;
    std::vector<ParameterSetting> settings;
    PresetChoice preset;
    std::optional<int> program;
};

struct BenchOptions {
    double seconds = 10.0;  // of noise, then as long again of silence
    int blockSize = 512;
    int runs = 5;
    bool markdown = false;
    static constexpr double kSampleRate = 44100.0;
    // The silence goes on to a minute in all, at least 10 s past the tail, and its last 10 s
    // are timed on their own: where a tail has died away.
    static constexpr double kLateSilenceSeconds = 10.0;
    double silenceSeconds() const { return std::max(60.0, seconds + kLateSilenceSeconds); }
};

struct BenchResult {
    std::string label;
    int instances = 1;
    double nsPerFrame = 0.0;        // stereo frame of noise; median over the runs
    double realTime = 0.0;          // seconds of audio per second of processing
    double silentNsPerFrame = 0.0;  // the silence right after the noise: a slow tail means denormals
    double lateSilenceNsPerFrame = 0.0;  // the end of the silence, where a tail has died away
};

// Runs every entry once per run, interleaved, so that all of them meet the same machine
// conditions; each figure is the median over the runs.
bool runBenchmarks(const std::vector<BenchEntry>& entries, const BenchOptions& options,
                   std::vector<BenchResult>& results, std::string& error);
// The benchmark's input: white noise at half full scale from a seeded generator, so that
// every run and every tool that measures against it sees the same samples.
std::vector<float> whiteNoise(std::size_t frames, std::uint32_t seed);

void printBenchmarks(const std::vector<BenchResult>& results, const BenchOptions& options, std::ostream& out);

}  // namespace plughost
