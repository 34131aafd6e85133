// Prints what the plug-in costs per stereo frame: 60 s of noise in 512-frame blocks, then
// 60 s of silence (the decaying tail, where denormals would show), and the last 10 s of that
// silence on their own (where a tail that has died away costs almost nothing), for the Init
// program, for a busy setting and for all eight LFOs running. Median of five runs each, in
// the thread's CPU time, so that other work on a shared machine counts as little as it can.
//
// With --instructions it prints instructions per frame instead, counted by callgrind over
// the processing calls alone: a figure that the machine's load does not move. It runs
// itself under valgrind once per setting and signal and reads the totals it wrote: 10 s of
// noise; 10 s of silence after it; 10 s of silence after 10 s of noise and 20 s of silence.
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
constexpr int kSilenceSeconds = 10;         // the end of the silence, timed on its own
constexpr int kSettlingSeconds = 20;        // silence before the counted silence
constexpr int kRuns = 5;

VstIntPtr VSTCALL host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Setting {
    const char* name;
    std::vector<std::pair<VstInt32, float>> values;
    // Frames between changes of the delay time from 300 to 400 ms and back (0: none), so
    // that a fade or a tape glide is always in flight.
    int changeEvery = 0;
    bool freezes = false;  // Freeze on after the first second, with the loop full of noise
};

// The delay path's own modes over a 375 ms echo at feedback 0.5.
std::vector<std::pair<VstInt32, float>> echoWith(std::vector<std::pair<VstInt32, float>> more) {
    more.insert(more.begin(), {{DelayMix, 0.5f}, {DelayTime, 0.0375f}, {Feedback, 0.5f}});
    return more;
}

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
    {"8 LFOs at depth 0.5, Q 0.7, mix 0.5, 100 ms, feedback 0.5",
     {{OriginQ, 0.7f}, {OriginFilterLfoDepth, 0.5f}, {OriginVolLfoDepth, 0.5f}, {DelayMix, 0.5f},
      {DelayTime, 0.01f}, {Feedback, 0.5f}, {DelayQ, 0.7f}, {DelayFilterLfoDepth, 0.5f},
      {DelayVolLfoDepth, 0.5f}}},
    {"375 ms, feedback 0.5 (Normal, Jump)", echoWith({})},
    {"375 ms, feedback 0.5, Cross", echoWith({{DelayStereo, 0.5f}})},
    {"375 ms, feedback 0.5, Ping-Pong", echoWith({{DelayStereo, 1.0f}})},
    {"375 ms, feedback 0.5, frozen after 1 s", echoWith({}), 0, true},
    {"375 ms, feedback 0.5, Fade, no change in flight", echoWith({{DelayMotion, 0.5f}})},
    {"375 ms, feedback 0.5, Tape, no change in flight", echoWith({{DelayMotion, 1.0f}})},
    {"300/400 ms, feedback 0.5, Fade, always fading", echoWith({{DelayMotion, 0.5f}}), kRate / 20},
    {"300/400 ms, feedback 0.5, Tape, always gliding", echoWith({{DelayMotion, 1.0f}}), kRate / 2},
    {"375 ms, feedback 0.5, Duck 50 %", echoWith({{DelayDuck, 0.5f}})},
};

struct Figures {
    double noise;
    double tail;
    double silence;
    double noiseSmall = 0.0;  // the noise in 32-frame blocks
};

struct Signals {
    std::vector<float> noise;
    std::vector<float> silence;

    Signals(int seconds, int silentSeconds)
        : noise(static_cast<std::size_t>(kRate) * seconds), silence(static_cast<std::size_t>(kRate) * silentSeconds) {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
        for (float& x : noise) x = sample(random);
    }
};

// Automated: the noise with a cutoff, a mix and the feedback changed before every block, as a
// host that splits its blocks at automation points sends them.
enum class Counted { Noise, Tail, Silence, Automated };
constexpr const char* kCountedNames[] = {"noise", "tail", "silence", "automated"};
constexpr VstInt32 kAutomated[] = {OriginCutoff, DelayMix, Feedback};

// The setting takes effect in one block of silence before anything is measured: a change of
// Motion turns the delay line into a ring and clears it once, in that block, a cost that
// belongs to the moment of the change, not to every frame after it.
AEffect* openEffect(const Setting& setting) {
    AEffect* effect = createPlugin(host);
    for (auto [index, value] : setting.values) effect->setParameter(effect, index, value);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> silence(kBlock), outL(kBlock), outR(kBlock);
    float* ins[2] = {silence.data(), silence.data()};
    float* outs[2] = {outL.data(), outR.data()};
    effect->processReplacing(effect, ins, outs, kBlock);
    return effect;
}

void closeEffect(AEffect* effect) { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

void processBlocks(AEffect* effect, const std::vector<float>& signal, std::size_t frames, int block = kBlock,
                   int changeEvery = 0, bool freezes = false) {
    const auto size = static_cast<std::size_t>(block);
    std::vector<float> outL(size), outR(size);
    bool longer = false;
    for (std::size_t at = 0; at + size <= frames; at += size) {
        if (changeEvery > 0 && at % static_cast<std::size_t>(changeEvery) < size) {
            longer = !longer;
            effect->setParameter(effect, DelayTime, longer ? 0.04f : 0.03f);
        }
        if (freezes && at / static_cast<std::size_t>(kRate) == 1 && at % static_cast<std::size_t>(kRate) < size)
            effect->setParameter(effect, DelayFreeze, 1.0f);
        float* ins[2] = {const_cast<float*>(&signal[at]), const_cast<float*>(&signal[at])};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, block);
    }
}

// The one function whose instructions callgrind collects (see countedRun).
[[gnu::noinline]] void countedBlocks(AEffect* effect, const std::vector<float>& signal, std::size_t frames,
                                     int block, int changeEvery = 0, bool freezes = false) {
    processBlocks(effect, signal, frames, block, changeEvery, freezes);
}

// The same with every automated parameter moved a little before each block.
[[gnu::noinline]] void countedBlocksAutomated(AEffect* effect, const std::vector<float>& signal, std::size_t frames,
                                              int block) {
    const auto size = static_cast<std::size_t>(block);
    std::vector<float> outL(size), outR(size);
    float value = 0.25f;
    for (std::size_t at = 0; at + size <= frames; at += size) {
        value = value < 0.75f ? value + 1.0f / 4096.0f : 0.25f;
        for (VstInt32 index : kAutomated) effect->setParameter(effect, index, value);
        float* ins[2] = {const_cast<float*>(&signal[at]), const_cast<float*>(&signal[at])};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, block);
    }
}

double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// The first `frames` frames of the signal.
double nsPerFrame(AEffect* effect, const std::vector<float>& signal, std::size_t frames, int block = kBlock,
                  int changeEvery = 0, bool freezes = false) {
    const double start = threadCpuNs();
    processBlocks(effect, signal, frames, block, changeEvery, freezes);
    return (threadCpuNs() - start) / static_cast<double>(frames);
}

double median(std::vector<double> runs) {
    std::nth_element(runs.begin(), runs.begin() + static_cast<long>(runs.size() / 2), runs.end());
    return runs[runs.size() / 2];
}

constexpr int kSmallTimedBlock = 32;

// The tail is the whole silence, timed in two parts so that its end counts on its own too.
Figures measureTime(const Setting& setting, const Signals& signals) {
    std::vector<double> noiseRuns, tailRuns, silenceRuns, smallRuns;
    const std::size_t end = static_cast<std::size_t>(kRate) * kSilenceSeconds;
    const std::size_t start = signals.silence.size() - end;
    for (int run = 0; run < kRuns; ++run) {
        AEffect* effect = openEffect(setting);
        noiseRuns.push_back(nsPerFrame(effect, signals.noise, signals.noise.size(), kBlock, setting.changeEvery, setting.freezes));
        const double early = nsPerFrame(effect, signals.silence, start);
        const double late = nsPerFrame(effect, signals.silence, end);
        tailRuns.push_back((early * static_cast<double>(start) + late * static_cast<double>(end)) /
                           static_cast<double>(signals.silence.size()));
        silenceRuns.push_back(late);
        closeEffect(effect);
        effect = openEffect(setting);
        smallRuns.push_back(nsPerFrame(effect, signals.noise, signals.noise.size(), kSmallTimedBlock, setting.changeEvery,
                                       setting.freezes));
        closeEffect(effect);
    }
    return {median(noiseRuns), median(tailRuns), median(silenceRuns), median(smallRuns)};
}

// Under callgrind: the noise, the silence after it, and more silence, with only the part that
// is counted in countedBlocks, in blocks of `block` frames.
int countedRun(int settingIndex, Counted counted, int block) {
    const Signals signals(kCountedSeconds, kSettlingSeconds);
    const std::size_t frames = static_cast<std::size_t>(kRate) * kCountedSeconds;
    AEffect* effect = openEffect(kSettings[settingIndex]);
    if (counted == Counted::Noise) {
        countedBlocks(effect, signals.noise, frames, block, kSettings[settingIndex].changeEvery,
                      kSettings[settingIndex].freezes);
    } else if (counted == Counted::Automated) {
        countedBlocksAutomated(effect, signals.noise, frames, block);
    } else {
        processBlocks(effect, signals.noise, frames, block);
        if (counted == Counted::Silence) processBlocks(effect, signals.silence, signals.silence.size(), block);
        countedBlocks(effect, signals.silence, frames, block);
    }
    closeEffect(effect);
    return 0;
}

// Frames in whole blocks of the counted seconds.
double countedFrames(int block) {
    const int frames = kRate * kCountedSeconds;
    return static_cast<double>(frames - frames % block);
}

double instructionsPerFrame(int settingIndex, Counted counted, int block = kBlock) {
    const double instructions =
        instructionsUnderCallgrind("countedBlocks", {"--counted-run", std::to_string(settingIndex),
                                                     kCountedNames[static_cast<int>(counted)], std::to_string(block)});
    return instructions < 0.0 ? -1.0 : instructions / countedFrames(block);
}

// Small blocks, as players monitoring live run their hosts: the noise again in them.
constexpr int kSmallBlocks[] = {16, 32, 64};

int printInstructions() {
    std::printf("instructions per stereo frame, counted by callgrind over %d s of stereo audio at %d Hz in "
                "%d-frame blocks: noise, the silence after it, and silence after %d s more of it; then the noise "
                "in smaller blocks and each one's ratio to the %d-frame figure\n",
                kCountedSeconds, kRate, kBlock, kSettlingSeconds, kBlock);
    std::printf("%-60s %10s %10s %10s %14s %14s %14s\n", "setting", "noise", "tail", "silence", "noise @16",
                "noise @32", "noise @64");
    for (int s = 0; s < static_cast<int>(std::size(kSettings)); ++s) {
        const Figures f{instructionsPerFrame(s, Counted::Noise), instructionsPerFrame(s, Counted::Tail),
                        instructionsPerFrame(s, Counted::Silence)};
        double small[std::size(kSmallBlocks)];
        bool failed = f.noise < 0.0 || f.tail < 0.0 || f.silence < 0.0;
        for (std::size_t b = 0; b < std::size(kSmallBlocks); ++b) {
            small[b] = instructionsPerFrame(s, Counted::Noise, kSmallBlocks[b]);
            failed = failed || small[b] < 0.0;
        }
        if (failed) {
            std::fprintf(stderr, "callgrind run failed: is valgrind installed (Linux only)?\n");
            return 1;
        }
        std::printf("%-60s %10.1f %10.1f %10.1f", kSettings[s].name, f.noise, f.tail, f.silence);
        for (double figure : small) std::printf(" %6.1f (%.2fx)", figure, figure / f.noise);
        std::printf("\n");
    }
    constexpr int kAutomatedBlock = 32;
    const double plain = instructionsPerFrame(0, Counted::Noise, kAutomatedBlock);
    const double automated = instructionsPerFrame(0, Counted::Automated, kAutomatedBlock);
    std::printf("Init program, noise in %d-frame blocks with a cutoff, a mix and the feedback changed before each: "
                "%.1f per frame, %.2fx the unautomated %.1f; %.0f instructions per change\n",
                kAutomatedBlock, automated, automated / plain, plain,
                (automated - plain) * kAutomatedBlock / static_cast<double>(std::size(kAutomated)));
    return 0;
}

int printTimes() {
    const Signals signals(kSeconds, kSeconds);
    std::printf("%d s of stereo audio at %d Hz in %d-frame blocks, then %d s of silence (the tail) of which the "
                "last %d s also on their own; the noise again in %d-frame blocks; median of %d runs\n",
                kSeconds, kRate, kBlock, kSeconds, kSilenceSeconds, kSmallTimedBlock, kRuns);
    std::printf("%-60s %14s %10s %14s %16s %18s\n", "setting", "noise ns/frame", "x realtime", "tail ns/frame",
                "silence ns/frame", "noise @32 ns/frame");
    for (const Setting& setting : kSettings) {
        const Figures f = measureTime(setting, signals);
        const double frameNs = 1e9 / kRate;
        std::printf("%-60s %14.2f %10.0f %14.2f %16.2f %10.2f (%.2fx)\n", setting.name, f.noise, frameNs / f.noise,
                    f.tail, f.silence, f.noiseSmall, f.noiseSmall / f.noise);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int settingCount = static_cast<int>(std::size(kSettings));
    if (argc == 5 && std::strcmp(argv[1], "--counted-run") == 0) {
        const int setting = std::atoi(argv[2]);
        const int block = std::atoi(argv[4]);
        for (int c = 0; c < static_cast<int>(std::size(kCountedNames)); ++c)
            if (setting >= 0 && setting < settingCount && block > 0 && std::strcmp(argv[3], kCountedNames[c]) == 0)
                return countedRun(setting, static_cast<Counted>(c), block);
    }
    if (argc == 2 && std::strcmp(argv[1], "--instructions") == 0) return printInstructions();
    if (argc != 1) {
        std::fprintf(stderr, "usage: engine_bench [--instructions | --counted-run 0..%d noise|tail|silence BLOCK]\n",
                     settingCount - 1);
        return 2;
    }
    return printTimes();
}
