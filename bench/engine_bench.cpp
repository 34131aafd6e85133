// Prints what the plug-in costs per stereo frame: 60 s of noise in 512-frame blocks, then
// 60 s of silence (the decaying tail, where denormals would show), for the Init program,
// for a busy setting and for all eight LFOs running. Median of five runs each, in the
// thread's CPU time, so that other work on a shared machine counts as little as it can.
//
// With --instructions it prints instructions per frame instead, counted by callgrind over
// the processing calls alone: a figure that the machine's load does not move. It runs
// itself under valgrind once per setting and signal and reads the totals it wrote.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "callgrind_count.h"
#include "core/parameters.h"
#include "vst2/plugin_entry.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kSeconds = 60;
constexpr int kCountedSeconds = 10;
constexpr int kRuns = 5;

VstIntPtr VSTCALL host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Setting {
    const char* name;
    std::vector<std::pair<VstInt32, float>> values;
};

const Setting kSettings[] = {
    {"Init program (LFOs idle)", {}},
    {"busy: 8 LFOs, feedback 0.9, resonant band-pass",
     {{OriginFilterType, 0.5f}, {OriginQ, 0.9f}, {OriginFilterLfoDepth, 0.6f}, {OriginFilterLfoRate, 0.3f},
      {OriginVolLfoDepth, 0.4f}, {OriginVolLfoRate, 0.1f}, {DelayMix, 0.5f}, {DelayTime, 0.0375f},
      {Feedback, 0.9f}, {DelayFilterType, 0.7f}, {DelayQ, 0.9f}, {DelayFilterLfoDepth, 0.5f},
      {DelayFilterLfoRate, 0.2f}, {DelayVolLfoDepth, 0.3f}, {DelayVolLfoRate, 0.05f}}},
    {"8 LFOs at depth 0.5, Q 0.7, mix 0.5, feedback 0.9",
     {{OriginQ, 0.7f}, {OriginFilterLfoDepth, 0.5f}, {OriginVolLfoDepth, 0.5f}, {DelayMix, 0.5f},
      {Feedback, 0.9f}, {DelayQ, 0.7f}, {DelayFilterLfoDepth, 0.5f}, {DelayVolLfoDepth, 0.5f}}},
};

struct Figures {
    double noise;
    double tail;
};

struct Signals {
    std::vector<float> noise;
    std::vector<float> silence;

    explicit Signals(int seconds) : noise(static_cast<std::size_t>(kRate) * seconds), silence(noise.size()) {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
        for (float& x : noise) x = sample(random);
    }
};

AEffect* openEffect(const Setting& setting) {
    AEffect* effect = createPlugin(host);
    for (auto [index, value] : setting.values) effect->setParameter(effect, index, value);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    return effect;
}

void closeEffect(AEffect* effect) { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

void processBlocks(AEffect* effect, const std::vector<float>& signal) {
    std::vector<float> outL(kBlock), outR(kBlock);
    for (std::size_t at = 0; at + kBlock <= signal.size(); at += kBlock) {
        float* ins[2] = {const_cast<float*>(&signal[at]), const_cast<float*>(&signal[at])};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, kBlock);
    }
}

// The one function whose instructions callgrind collects (see countedRun).
[[gnu::noinline]] void countedBlocks(AEffect* effect, const std::vector<float>& signal) {
    processBlocks(effect, signal);
}

double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double nsPerFrame(AEffect* effect, const std::vector<float>& signal) {
    const double start = threadCpuNs();
    processBlocks(effect, signal);
    return (threadCpuNs() - start) / static_cast<double>(signal.size());
}

double median(std::vector<double> runs) {
    std::nth_element(runs.begin(), runs.begin() + static_cast<long>(runs.size() / 2), runs.end());
    return runs[runs.size() / 2];
}

Figures measureTime(const Setting& setting, const Signals& signals) {
    std::vector<double> noiseRuns, tailRuns;
    for (int run = 0; run < kRuns; ++run) {
        AEffect* effect = openEffect(setting);
        noiseRuns.push_back(nsPerFrame(effect, signals.noise));
        tailRuns.push_back(nsPerFrame(effect, signals.silence));
        closeEffect(effect);
    }
    return {median(noiseRuns), median(tailRuns)};
}

// Under callgrind: the noise, then the silence, with only one of them in countedBlocks.
int countedRun(int settingIndex, bool tail) {
    const Signals signals(kCountedSeconds);
    AEffect* effect = openEffect(kSettings[settingIndex]);
    if (tail) {
        processBlocks(effect, signals.noise);
        countedBlocks(effect, signals.silence);
    } else {
        countedBlocks(effect, signals.noise);
    }
    closeEffect(effect);
    return 0;
}

double instructionsPerFrame(int settingIndex, bool tail) {
    const double instructions = instructionsUnderCallgrind(
        "countedBlocks", {"--counted-run", std::to_string(settingIndex), tail ? "tail" : "noise"});
    return instructions < 0.0 ? -1.0 : instructions / (static_cast<double>(kRate) * kCountedSeconds);
}

int printInstructions() {
    std::printf("instructions per stereo frame, counted by callgrind over %d s of stereo audio at %d Hz in "
                "%d-frame blocks\n",
                kCountedSeconds, kRate, kBlock);
    std::printf("%-52s %12s %12s\n", "setting", "noise", "tail");
    for (int s = 0; s < static_cast<int>(std::size(kSettings)); ++s) {
        const Figures f{instructionsPerFrame(s, false), instructionsPerFrame(s, true)};
        if (f.noise < 0.0 || f.tail < 0.0) {
            std::fprintf(stderr, "callgrind run failed: is valgrind installed (Linux only)?\n");
            return 1;
        }
        std::printf("%-52s %12.1f %12.1f\n", kSettings[s].name, f.noise, f.tail);
    }
    return 0;
}

int printTimes() {
    const Signals signals(kSeconds);
    std::printf("%d s of stereo audio at %d Hz in %d-frame blocks, median of %d runs\n", kSeconds, kRate, kBlock,
                kRuns);
    std::printf("%-52s %14s %10s %14s %10s\n", "setting", "noise ns/frame", "x realtime", "tail ns/frame",
                "x realtime");
    for (const Setting& setting : kSettings) {
        const Figures f = measureTime(setting, signals);
        const double frameNs = 1e9 / kRate;
        std::printf("%-52s %14.2f %10.0f %14.2f %10.0f\n", setting.name, f.noise, frameNs / f.noise, f.tail,
                    frameNs / f.tail);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int settingCount = static_cast<int>(std::size(kSettings));
    if (argc == 4 && std::strcmp(argv[1], "--counted-run") == 0) {
        const int setting = std::atoi(argv[2]);
        if (setting >= 0 && setting < settingCount) return countedRun(setting, std::strcmp(argv[3], "tail") == 0);
    }
    if (argc == 2 && std::strcmp(argv[1], "--instructions") == 0) return printInstructions();
    if (argc != 1) {
        std::fprintf(stderr, "usage: engine_bench [--instructions | --counted-run 0..%d noise|tail]\n",
                     settingCount - 1);
        return 2;
    }
    return printTimes();
}
