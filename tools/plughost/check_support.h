// What the checks of `plughost check` share: a fixed random generator, the context a check
// runs in, and guarded processing. Each group of checks lives in a file of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plughost/check.h"
#include "plughost/guarded_memory.h"

namespace plughost {

constexpr int kMaxBlock = 8192;
constexpr int kRunBlock = 256;
constexpr double kCheckRate = 44100.0;

// A fixed generator keeps every run of the validator the same.
class Random {
public:
    explicit Random(unsigned seed) : state(seed * 2654435761u + 1u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float unit() { return static_cast<float>(next() >> 8) / static_cast<float>(1u << 24); }
    int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<std::uint32_t>(n)) : 0; }

private:
    std::uint32_t state;
};

// What a check gets: the module, a host, the options and somewhere to report.
struct CheckContext {
    const PluginModule& module;
    const CheckOptions& options;
    Host host;
    Findings& findings;

    std::unique_ptr<PluginInstance> open() {
        std::string error;
        auto instance = PluginInstance::create(module, host, error);
        if (!instance) {
            findings.add(error);
        } else if (!loadChoice(*instance, options.preset, options.program, error)) {
            findings.add(error);
            instance.reset();
        }
        return instance;
    }
};

enum class Entry { Replacing, Accumulating };

const char* entryName(Entry entry);
std::vector<Entry> entries(const PluginInstance& plugin);
Entry preferredEntry(const PluginInstance& plugin);

// Noise at half of full scale in the first frames of every channel.
void fillNoise(GuardedAudio& audio, std::size_t frames, Random& random);

// Rendered samples, channel by channel.
using Channels = std::vector<std::vector<float>>;

// Bit for bit, since the guard samples are NaNs, which never compare equal.
bool sameBits(const Channels& a, const Channels& b);

// Where two renders first differ, or empty when they are the same bit for bit.
std::string firstDifference(const Channels& a, const Channels& b);

// The first subnormal sample among the used frames, or -1.
long firstSubnormal(GuardedAudio& audio, std::size_t used, int& channel);

// Sample rate kCheckRate, mains on, transport playing.
void startProcessing(PluginInstance& plugin, int maxBlock);

// One processing call with every buffer guarded. Reports writes past the block, changed
// inputs and non-finite output; answers whether the block was clean.
bool processChecked(PluginInstance& plugin, Entry entry, int frames, Random& random, const std::string& context,
                    Findings& findings);

// Runs blocks until the first unclean one; between blocks calls between(block number).
// Answers whether all were clean.
bool runBlocks(PluginInstance& plugin, int blocks, Random& random, const std::string& context, Findings& findings,
               const std::function<void(int)>& between);

// A parameter index for random automation: every other one among the first 32, where
// plug-ins that declare many parameters keep the ones they use.
VstInt32 automatedIndex(VstInt32 count, int turn, Random& random);

// The checks beyond the dispatcher sweep and the short single-threaded runs.
// check_signals.cpp; the extreme settings are one check each, for a time limit each:
constexpr int kExtremeSettings = 10;
std::string extremeSettingName(int which);
// The normalized value of each of count parameters in extreme setting `which`.
std::vector<float> extremeSetting(int which, std::size_t count, unsigned seed);
void checkExtremeSetting(CheckContext& c, int which);
// What the long signal checks of every format share. process runs one block of kRunBlock
// frames of what `in` holds and answers the output's peak (infinity when not finite).
using SignalBlock = std::function<float()>;
// The peak of the first kRunBlock frames of every channel, infinity when one is not finite.
float blockPeak(GuardedAudio& out);
// Noise from seed for 5 s, then silence, to 60 s: reports non-finite output, and output still
// beyond 1e6 in the last second, long after the input stopped. A loud but decaying tail (a
// plug-in's latency at full gain) is not a runaway.
void judgeExtremeSetting(const SignalBlock& process, GuardedAudio& in, unsigned seed, Findings& findings);
// A non-finite sample and what it is called.
struct Poison {
    const char* name;
    float value;
};
const std::vector<Poison>& poisons();
// Half a second of noise, one block with the poison in every input channel at frame 17, then
// two seconds of noise: the output must be finite again after the first.
void judgePoisonedInput(const SignalBlock& process, GuardedAudio& in, const Poison& poison, unsigned seed,
                        Findings& findings);
void checkNonFiniteInput(CheckContext& c);
void checkSampleRates(CheckContext& c);
// check_threads.cpp:
void checkAutomationThread(CheckContext& c);
void checkProgramsRacingAutomation(CheckContext& c);
void checkEditorWithAutomation(CheckContext& c);
// check_state.cpp:
void checkStateRoundTrip(CheckContext& c);

}  // namespace plughost
