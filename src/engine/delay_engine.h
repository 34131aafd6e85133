// The signal path of the delay, free of any plug-in interface: per channel an origin path
// (filter unit straight to the output) and a delay path (filter unit into a ten-second
// feedback delay line), built for one sample rate, the host's (the VST 2 effect rebuilds it when that changes).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "engine/delay_motion.h"
#include "engine/filter_lanes.h"
#include "engine/filter_unit.h"
#include "core/parameter_set.h"
#include "core/parameter_state.h"
#include "core/parameters.h"
#include "engine/shared_value.h"

class DelayEngine {
public:
    // Whether a block whose output is determined to be zero skips the filters (see
    // isSilent). Processed runs every block through them: the reference that the skipping
    // is tested against.
    enum class SilentBlocks { Skipped, Processed };

    explicit DelayEngine(float sampleRate, SilentBlocks silentBlocks = SilentBlocks::Skipped);
    ~DelayEngine();

    DelayEngine(const DelayEngine&) = delete;
    DelayEngine& operator=(const DelayEngine&) = delete;

    // Applies the normalized value (0.0..1.0, already limited) of one parameter. Inline: the
    // doors apply each change of a block as it comes.
    void applyParameter(std::int32_t index, float value) {
        if (index < 0 || index >= kNumDefinedParams) return;
        if (const unsigned changed = kSetters[static_cast<std::size_t>(index)](*this, index, value)) settingsChanged(changed);
    }
    // The same for each parameter of the set, in index order, with its value in the state: the
    // audio thread is told of them all at once.
    void applyParameters(const ParameterSet& due, const ParameterState& values);
    // The host's tempo in beats per minute, which a synced delay follows; values that are not
    // a tempo (zero, negative, NaN) are ignored. 120 until a host tells one.
    void setTempo(double beatsPerMinute);

    // Two inputs, two outputs; the accumulating form adds to what the outputs hold. Nothing
    // happens for frame counts of 0 or less. Denormals are flushed for the call.
    void processReplacing(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames);
    void processAccumulating(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames);

    // Whether the last block was silent: its input was zero (+0.0 or -0.0), every filter
    // state was +0.0, and the delay lines had been written nothing but +0.0 for the delay
    // length (or since the last clear), so its output was zero, as the full loop would have
    // made it to the bit, and the filters were skipped; the LFOs and the write position
    // moved on as in any block. The next block of zero input is silent too, as long as the
    // delay length stays (or the lines are clear) and the feedback is not -0.0. For a door
    // whose host may stop calling while the plug-in is silent (CLAP_PROCESS_SLEEP): ask from
    // the thread that processes, after a block. While nothing is processed the LFOs stand.
    bool isSilent() const { return lastBlockSilent; }

    // Zeroes both delay lines, resets the four units and rewinds the write position.
    void clearState();
    // Any thread: the units are reset before the next block, by the thread that processes.
    void requestUnitsReset() { unitsResetPending.store(true, std::memory_order_release); }

    // The unit with the states and LFO phases the last block left them in (they live in the
    // engine's lanes while it runs): not while a block is running.
    const FilterUnit& unit(int number) const;
    // The delay length in samples: the Rate's, or the synced note's at the current tempo.
    float getDelayLength() const;
    // The length in samples of a Sync stop (1 and up) at a tempo, held to the line that an
    // engine at this rate keeps: what getDelayLength gives while that stop is on. For a door
    // that shows the synced length where no engine runs (an inactive plug-in).
    static float syncedDelayLength(std::int32_t stop, double beatsPerMinute, float sampleRate);
    std::int32_t getSyncStop() const { return syncStop; }
    double getTempo() const { return tempo; }
    float getSampleRate() const { return sampleRate; }
    float getFeedback() const { return feedback; }
    std::int32_t getBufferLength() const { return bufferLength; }
    std::int32_t getWritePosition() const { return writePosition; }
    // 0: left, 1: right.
    std::span<const float> getDelayLine(int channel) const {
        return {(channel == 0 ? delayLeft : delayRight).get(), static_cast<std::size_t>(bufferLength)};
    }

private:
    // Host blocks are cut into pieces of this many frames when their input must be cleaned.
    static constexpr std::int32_t kCleanFrames = 256;
    // Filter states that have died away (FilterUnit::kSettledLevel) are cleared every this
    // many frames of the engine's own clock: at the same samples however the host cuts its
    // blocks, so that the output does not depend on the block size.
    static constexpr std::int32_t kSettleFrames = 64;

    template <bool Accumulate>
    void processBlock(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames);
    template <bool Accumulate>
    void processCleaned(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames);
    // What the lines' loop writes: each line its own feedback and wet signal, each the
    // other's feedback, the sum bounced from side to side; frozen, nothing or the other line.
    enum class Routing { Normal, Cross, PingPong, Frozen, FrozenCrossed };
    template <bool Accumulate>
    void runBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                  std::int32_t sampleFrames);
    // Where the delay reads: the loop layout's write position, a ring's tap at rest, its
    // fading taps, or its tape head.
    enum class Tap { Loop, Ring, Fade, Tape };
    template <bool Accumulate, Routing Lines, Tap Reading>
    void runSteady(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   std::int32_t sampleFrames, float length);
    template <bool Accumulate, bool MayModulate, Tap Reading, bool Ramped>
    void runMoving(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   std::int32_t sampleFrames, float length);
    template <bool Accumulate>
    void runDelayPath(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      std::int32_t sampleFrames, float length);
    template <bool Accumulate, bool MayModulate>
    void runMovingTap(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                      std::int32_t sampleFrames, float length);
    template <bool Accumulate, Tap Reading>
    void runSteadyRouted(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                         std::int32_t sampleFrames, float length);
    // What a value sets, answering which words of changedSettings it changed.
    using Setter = unsigned (*)(DelayEngine& engine, std::int32_t index, float v);
    static const std::array<Setter, kNumDefinedParams> kSetters;
    template <std::size_t First>
    static unsigned setGain(DelayEngine& engine, std::int32_t index, float v);
    template <std::size_t First>
    static unsigned setCutoff(DelayEngine& engine, std::int32_t index, float v);
    static unsigned setFeedback(DelayEngine& engine, std::int32_t index, float v);
    static unsigned setOtherValue(DelayEngine& engine, std::int32_t index, float v);
    unsigned setUnitsValue(FilterUnit& a, FilterUnit& b, std::int32_t index, float v);
    unsigned setLfoValue(FilterUnit& a, FilterUnit& b, std::int32_t index, float v);
    void takeChanges();
    void takeDelayPathSettings();
    // A change of the feedback alone: what takeDelayPathSettings does with it, the rest as it
    // was. Inline, as the take of the lanes, since automation changes the feedback as often.
    void takeFeedback() {
        if (motionRestarts) return takeDelayPathSettings();
        if (ring)
            feedbackRamp.moveTo(feedback, samplesOf(kRampSeconds, sampleRate));
        else
            feedbackRamp.jumpTo(feedback);
    }
    void changeMotion(std::int32_t to);
    void loopToRing(std::int32_t cycle);
    void ringToLoop(std::int32_t cycle);
    bool delayPathMoving() const;
    std::int32_t steadyTap() const;
    float lineCycle() const;
    void advanceMotion(std::int32_t sampleFrames);
    template <bool Accumulate>
    void runSilent(float* const* outputs, std::int32_t sampleFrames, float length);
    std::array<FilterUnit::Runner, 4> runners();
    std::array<FilterUnit*, 4> unitPointers() const;
    void settingsChanged(unsigned settings) { changedSettings.fetch_or(settings, std::memory_order_release); }
    void takeSettings(unsigned changed);
    void takeLaneSettings(unsigned changed);
    // The gains and cutoffs, from one value per path.
    void takeGathered(unsigned changed) {
        if (changed & FilterLanes::Gains) lanes.setGains(lanesOf(pathGains));
        if (changed & FilterLanes::Cutoffs) lanes.setCutoffs(lanesOf(pathCutoffs));
    }
    // Out of line: the lanes built on the stack would cost every other take a large frame.
    [[gnu::noinline]] void takeUnitStates();
    void guardStates(std::int32_t start, std::int32_t sampleFrames, float length);
    bool settlePointMayClear(const float* inLeft, const float* inRight, std::int32_t sampleFrames) const;
    bool readsOnlyZeros(float length) const;
    void countQuiet(bool zeros, std::int32_t start, std::int32_t sampleFrames, float length);

    std::unique_ptr<float[]> delayLeft;
    std::unique_ptr<float[]> delayRight;
    std::int32_t writePosition = 0;
    std::int32_t settleClock = 0;  // frames since the last settle point, below kSettleFrames
    // Both are not negative: in unsigned arithmetic the sum cannot overflow, and the remainder
    // is a mask.
    void advanceSettleClock(std::int32_t frames) {
        settleClock = static_cast<std::int32_t>((static_cast<std::uint32_t>(settleClock) + static_cast<std::uint32_t>(frames)) %
                                                kSettleFrames);
    }
    std::int32_t bufferLength = 0;
    float sampleRate;
    SharedValue<float> rateLength{0.0f};      // from the Rate parameter
    SharedValue<std::int32_t> syncStop{0};    // 0: the Rate's length is used
    SharedValue<double> tempo{120.0};
    SharedValue<float> feedback{0.0f};
    SharedValue<std::int32_t> stereoStop{0};  // Normal, Cross, Ping-Pong
    SharedValue<std::int32_t> motionStop{0};  // Jump, Fade, Tape
    SharedValue<std::int32_t> freezeStop{0};  // Off, On
    SharedValue<float> duckAmount{0.0f};
    // The delay path as the audio thread runs it. In Jump the write position wraps at the
    // delay length and the loop is the delay; in Fade and Tape the lines are rings over their
    // whole length, read by taps behind the write position.
    std::int32_t motion = 0;
    bool ring = false;
    std::int32_t stereo = 0;
    bool motionRestarts = true;  // after a clear the next block starts at its settings
    // The plain delay: the loop layout, each line feeding itself, nothing frozen or ducked.
    bool plainDelay = true;
    float duckApplied = 0.0f;
    Ducker ducker;
    FadeTaps fadeTaps;
    TapeHead tapeHead;
    LinearRamp feedbackRamp;
    LinearRamp freezeRamp;  // 0: open, 1: frozen
    LaneRamp laneRamp;
    // 1 and 2: origin left and right; 3 and 4: delay left and right. Their settings are
    // written on any thread; the audio thread runs them in the lanes.
    std::array<std::unique_ptr<FilterUnit>, 4> units;
    // The four units' filters and LFOs side by side, states and phases kept here from block to
    // block; the settings are taken from the units only when they change. They hold vector
    // registers, so their storage is allocated at their alignment: the heap of 32-bit Windows
    // aligns an engine, or an object that holds one, to 8 bytes only.
    struct AlignedDelete {
        void operator()(FilterLanes* held) const {
            held->~FilterLanes();
            ::operator delete(held, std::align_val_t{alignof(FilterLanes)});
        }
    };
    std::unique_ptr<FilterLanes, AlignedDelete> lanesStorage{
        new (::operator new(sizeof(FilterLanes), std::align_val_t{alignof(FilterLanes)})) FilterLanes()};
    FilterLanes& lanes = *lanesStorage;
    // The output gain and the cutoff coefficient of each path (the origin's, the delay's) as
    // its two units have them, kept here on any thread for the audio thread to take into the
    // lanes in two loads each.
    std::array<SharedValue<float>, 2> pathGains{};
    std::array<SharedValue<float>, 2> pathCutoffs{};
    static Float4 lanesOf(const std::array<SharedValue<float>, 2>& paths) {
        const float origin = paths[0], delay = paths[1];
        return Float4::of(origin, origin, delay, delay);
    }
    // What changed since the audio thread last took it: the FilterLanes settings (kUnitStates
    // asks for the units' states and phases too, after a clear or a reset of the units), the
    // feedback alone, or any value that the delay path takes (a length, the feedback, the
    // last four parameters, the tempo).
    static constexpr unsigned kUnitStates = 64;
    static constexpr unsigned kEverything = 127;
    static constexpr unsigned kFeedback = 128;
    static constexpr unsigned kDelayPath = 256;
    std::atomic<unsigned> changedSettings{kEverything | kDelayPath};
    // A transport stop seen on the host's window thread: the audio thread resets the units
    // before its next block, since it alone writes their states.
    std::atomic<bool> unitsResetPending{false};
    // What is known of the delay lines' zeros: after a clear, every sample is +0.0 until
    // anything else is written; otherwise quietPositions positions of the cycle at
    // quietLength, counted back from the write position, hold +0.0 in both lines.
    bool linesClear = true;
    float quietLength = 0.0f;
    std::int32_t quietPositions = 0;
    // Whether the running block's +0.0 x feedback is +0.0: set before its sample loop for
    // guardStates, as a local kept across the loop costs the loop a register.
    bool feedbackKeepsZero = true;
    bool skipSilentBlocks;
    bool lastBlockSilent = false;
    // The input of a block that held NaN or infinite samples, cleaned piece by piece.
    std::array<float, kCleanFrames> cleanLeft{};
    std::array<float, kCleanFrames> cleanRight{};
};
