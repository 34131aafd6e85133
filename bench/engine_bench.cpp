// Prints what the plug-in costs per stereo frame: 60 s of noise in 512-frame blocks, then
// 60 s of silence (the decaying tail, where denormals would show), for the Init program
// and for a busy setting with all eight LFOs running. Median of five runs each, in the
// thread's CPU time, so that other work on a shared machine counts as little as it can.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "engine/parameters.h"
#include "host/plugin_entry.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
constexpr int kSeconds = 60;
constexpr int kRuns = 5;

VstIntPtr VSTCALL host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Setting {
    const char* name;
    std::vector<std::pair<VstInt32, float>> values;
};

struct Figures {
    double noiseNs;
    double tailNs;
};

double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double nsPerFrame(AEffect* effect, const std::vector<float>& signal) {
    std::vector<float> outL(kBlock), outR(kBlock);
    const double start = threadCpuNs();
    for (std::size_t at = 0; at + kBlock <= signal.size(); at += kBlock) {
        float* ins[2] = {const_cast<float*>(&signal[at]), const_cast<float*>(&signal[at])};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, kBlock);
    }
    return (threadCpuNs() - start) / static_cast<double>(signal.size());
}

Figures measure(const Setting& setting, const std::vector<float>& noise, const std::vector<float>& silence) {
    std::vector<double> noiseRuns, tailRuns;
    for (int run = 0; run < kRuns; ++run) {
        AEffect* effect = createPlugin(host);
        for (auto [index, value] : setting.values) effect->setParameter(effect, index, value);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        noiseRuns.push_back(nsPerFrame(effect, noise));
        tailRuns.push_back(nsPerFrame(effect, silence));
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    std::nth_element(noiseRuns.begin(), noiseRuns.begin() + kRuns / 2, noiseRuns.end());
    std::nth_element(tailRuns.begin(), tailRuns.begin() + kRuns / 2, tailRuns.end());
    return {noiseRuns[kRuns / 2], tailRuns[kRuns / 2]};
}

}  // namespace

int main() {
    std::vector<float> noise(static_cast<std::size_t>(kRate) * kSeconds);
    std::mt19937 random(1);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (float& x : noise) x = sample(random);
    const std::vector<float> silence(noise.size(), 0.0f);

    const Setting settings[] = {
        {"Init program", {}},
        {"busy: 8 LFOs, feedback 0.9, resonant band-pass",
         {{OriginFilterType, 0.5f}, {OriginQ, 0.9f}, {OriginFilterLfoDepth, 0.6f}, {OriginFilterLfoRate, 0.3f},
          {OriginVolLfoDepth, 0.4f}, {OriginVolLfoRate, 0.1f}, {DelayMix, 0.5f}, {DelayTime, 0.0375f},
          {Feedback, 0.9f}, {DelayFilterType, 0.7f}, {DelayQ, 0.9f}, {DelayFilterLfoDepth, 0.5f},
          {DelayFilterLfoRate, 0.2f}, {DelayVolLfoDepth, 0.3f}, {DelayVolLfoRate, 0.05f}}},
    };

    std::printf("%d s of stereo audio at %d Hz in %d-frame blocks, median of %d runs\n", kSeconds, kRate, kBlock,
                kRuns);
    std::printf("%-48s %14s %10s %14s %10s\n", "setting", "noise ns/frame", "x realtime", "tail ns/frame",
                "x realtime");
    for (const Setting& setting : settings) {
        const Figures f = measure(setting, noise, silence);
        const double frameNs = 1e9 / kRate;
        std::printf("%-48s %14.2f %10.0f %14.2f %10.0f\n", setting.name, f.noiseNs, frameNs / f.noiseNs, f.tailNs,
                    frameNs / f.tailNs);
    }
    return 0;
}
