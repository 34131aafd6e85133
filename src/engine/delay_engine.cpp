#include "engine/delay_engine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "engine/denormal_guard.h"
#include "engine/filter_lanes.h"

namespace {

constexpr int kSecondsOfDelay = 10;

std::int32_t lineLength(float sampleRate) { return static_cast<std::int32_t>(sampleRate) * kSecondsOfDelay; }

// A count of exponent fields that are all ones (infinities and NaNs): integer compares that
// the compiler turns into vector code, so a scan costs a fraction of a nanosecond per sample.
bool allFinite(const float* samples, std::int32_t count) {
    constexpr std::uint32_t kExponent = 0x7f800000u;
    std::uint32_t nonFinite = 0;
    for (std::int32_t n = 0; n < count; ++n) nonFinite += (std::bit_cast<std::uint32_t>(samples[n]) & kExponent) == kExponent;
    return nonFinite == 0;
}

// Both channels in one pass, so that a short block pays for one loop.
bool allFinite(const float* left, const float* right, std::int32_t count) {
    constexpr std::uint32_t kExponent = 0x7f800000u;
    std::uint32_t nonFinite = 0;
    for (std::int32_t n = 0; n < count; ++n)
        nonFinite += ((std::bit_cast<std::uint32_t>(left[n]) & kExponent) == kExponent) +
                     ((std::bit_cast<std::uint32_t>(right[n]) & kExponent) == kExponent);
    return nonFinite == 0;
}

void zeroNonFinite(float* samples, std::int32_t count) {
    for (std::int32_t n = 0; n < count; ++n)
        if (!std::isfinite(samples[n])) samples[n] = 0.0f;
}

void silenceNonFinite(float* samples, std::int32_t count) {
    if (!allFinite(samples, count)) zeroNonFinite(samples, count);
}

void silenceNonFinite(float* left, float* right, std::int32_t count) {
    if (allFinite(left, right, count)) return;
    zeroNonFinite(left, count);
    zeroNonFinite(right, count);
}

// No sample of ours leaves beyond +-16.0 (+24 dBFS), whatever the settings: a resonant filter
// swept by its LFO can otherwise ring up to 180 dB before its state is cleared. A last
// resort, far above anything an ordinary setting reaches, and a sample within it is left
// exactly as it is.
constexpr float kCeiling = 16.0f;

// Whether no sample's magnitude lies beyond the ceiling (NaN and infinities lie beyond it): an
// integer compare of the bits without the sign, which the compiler turns into vector code, so
// the common case costs what the scan for non-finite samples did.
// Both channels in one pass.
bool allWithinCeiling(const float* left, const float* right, std::int32_t count) {
    constexpr std::uint32_t kMagnitude = 0x7fffffffu;
    constexpr std::uint32_t kCeilingBits = std::bit_cast<std::uint32_t>(kCeiling);
    std::uint32_t beyond = 0;
    for (std::int32_t n = 0; n < count; ++n)
        beyond += ((std::bit_cast<std::uint32_t>(left[n]) & kMagnitude) > kCeilingBits) +
                  ((std::bit_cast<std::uint32_t>(right[n]) & kMagnitude) > kCeilingBits);
    return beyond == 0;
}

// Non-finite samples become 0.0, finite ones beyond the ceiling are held at it.
void keepWithinCeiling(float* left, float* right, std::int32_t count) {
    if (allWithinCeiling(left, right, count)) return;
    for (float* samples : {left, right})
        for (std::int32_t n = 0; n < count; ++n)
            samples[n] = std::isfinite(samples[n]) ? std::clamp(samples[n], -kCeiling, kCeiling) : 0.0f;
}

// What leaves the accumulating entry: the host's sample plus ours, ours held to the ceiling
// on its own before it is added in the rare sample that goes beyond it; otherwise the sum as
// the loop added it.
float heldSum(float host, float ours, float sum) {
    return std::fabs(ours) > kCeiling ? host + std::clamp(ours, -kCeiling, kCeiling) : sum;
}

// One frame out: what the lines gave (in the low two lanes) plus the origin path's samples,
// added to the host's or in their place, ours held to the ceiling where it goes beyond.
template <bool Accumulate>
[[gnu::always_inline]] inline void emit(float* outLeft, float* outRight, std::int32_t n, Float4 old, Float4 y) {
    Float4 out = old;
    if constexpr (Accumulate) out = Float4::pair(outLeft[n], outRight[n]) + old;
    out = out + y;
    float left = out.first(), right = out.second();
    if constexpr (Accumulate) {
        const Float4 ours = old + y;
        left = heldSum(outLeft[n], ours.first(), left);
        right = heldSum(outRight[n], ours.second(), right);
    }
    outLeft[n] = left;
    outRight[n] = right;
}

bool zeroBits(float x) { return std::bit_cast<std::uint32_t>(x) == 0; }

// Whether every sample of both channels is +0.0 or -0.0: one pass of integer ORs that the
// compiler turns into vector code.
bool allZero(const float* left, const float* right, std::int32_t count) {
    std::uint32_t any = 0;
    for (std::int32_t n = 0; n < count; ++n)
        any |= std::bit_cast<std::uint32_t>(left[n]) | std::bit_cast<std::uint32_t>(right[n]);
    return (any & 0x7fffffffu) == 0;
}

// Whether every sample is +0.0, looked at up to the first one that is not: at once for a
// line that holds sound.
bool allPositiveZero(const float* samples, std::int32_t count) {
    for (std::int32_t n = 0; n < count; ++n)
        if (!zeroBits(samples[n])) return false;
    return true;
}

// The positions that the write position runs through at a delay length: from 0 up to the
// length rounded up, at least one.
std::int32_t cycleLength(float length) {
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(length)));
}

// Where the write position stands after a block, as the sample loop steps it: a start beyond
// the cycle (the length was lowered below it) goes to 0 after its first sample.
std::int32_t positionAfter(std::int32_t start, std::int32_t frames, float length) {
    const std::int32_t cycle = cycleLength(length);
    if (start >= cycle) return (frames - 1) % cycle;
    return static_cast<std::int32_t>((static_cast<std::int64_t>(start) + frames) % cycle);
}

// The positions a block wrote, as the sample loop steps them, each once: `first` from `from`
// up to the wrap point (the cycle's end, or just past start when the length was lowered below
// it), then `rest` from 0 round and round below the cycle's end. A block that went all the way
// round from within the cycle wrote the whole cycle: one span, so that a short loop is looked
// at once per block.
struct WrittenSpans {
    std::int32_t from, first, rest;
};

WrittenSpans writtenSpans(std::int32_t start, std::int32_t frames, float length) {
    const std::int32_t cycle = cycleLength(length);
    if (start < cycle && frames >= cycle) return {0, cycle, 0};
    const std::int32_t firstEnd = std::max(start + 1, cycle);
    const std::int32_t first = std::min(frames, firstEnd - start);
    return {start, first, std::min(frames - first, cycle)};
}

}  // namespace

// The start settings; the owner applies its parameter values over them.
DelayEngine::DelayEngine(float rate, SilentBlocks silentBlocks)
    : sampleRate(rate), skipSilentBlocks(silentBlocks == SilentBlocks::Skipped) {
    bufferLength = lineLength(sampleRate);

    for (std::size_t u = 0; u < units.size(); ++u) {
        auto unit = std::make_unique<FilterUnit>(sampleRate);
        unit->setOutputGain(u < 2 ? unit->getGainScale() : 0.0f);
        unit->setCutoffScale(parameterScale(OriginCutoff));
        unit->setCutoff(parameterScale(OriginCutoff));
        unit->setDamping(0.0f);
        unit->setMode(ModeLow);
        for (Lfo* lfo : {&unit->getFilterLfo(), &unit->getVolumeLfo()}) {
            lfo->setShape(ShapeSine);
            lfo->setRateScale(parameterScale(OriginFilterLfoRate));
            lfo->setRate(0.0f);
            lfo->setDepth(0.0f);
        }
        units[u] = std::move(unit);
    }

    for (std::size_t path = 0; path < 2; ++path) {
        pathGains[path] = units[2 * path]->getOutputGain();
        pathCutoffs[path] = units[2 * path]->getFrequency();
    }
    delayLeft = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
    delayRight = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
    tapeHead.configure(sampleRate);
}

DelayEngine::~DelayEngine() = default;

void DelayEngine::applyParameters(const ParameterSet& due, const ParameterState& values) {
    unsigned changed = 0;
    due.forEach([&](std::int32_t index) {
        changed |= kSetters[static_cast<std::size_t>(index)](*this, index, values.value(index));
    });
    if (changed) settingsChanged(changed);
}

// The frequent changes (mixes, cutoffs, the feedback) go straight to what they set, each by
// a setter of its own; the origin parameters set units 1 and 2 (lanes 0 and 1), the delay ones
// units 3 and 4.
const std::array<DelayEngine::Setter, kNumDefinedParams> DelayEngine::kSetters = [] {
    std::array<Setter, kNumDefinedParams> setters;
    setters.fill(&DelayEngine::setOtherValue);
    setters[OriginMix] = &DelayEngine::setGain<0>;
    setters[DelayMix] = &DelayEngine::setGain<2>;
    setters[OriginCutoff] = &DelayEngine::setCutoff<0>;
    setters[DelayCutoff] = &DelayEngine::setCutoff<2>;
    setters[Feedback] = &DelayEngine::setFeedback;
    return setters;
}();

template <std::size_t First>
unsigned DelayEngine::setGain(DelayEngine& engine, std::int32_t, float v) {
    const float gain = scaled(engine.units[First]->getGainScale(), v);
    engine.units[First]->setOutputGain(gain);
    engine.units[First + 1]->setOutputGain(gain);
    engine.pathGains[First / 2] = gain;
    return FilterLanes::Gains;
}

// Both units of a path have the cutoff scale and the rate of the engine.
template <std::size_t First>
unsigned DelayEngine::setCutoff(DelayEngine& engine, std::int32_t, float v) {
    FilterUnit& a = *engine.units[First];
    a.setCutoff(v);
    engine.units[First + 1]->copyCutoff(a);
    engine.pathCutoffs[First / 2] = a.getFrequency();
    return FilterLanes::Cutoffs;
}

unsigned DelayEngine::setFeedback(DelayEngine& engine, std::int32_t, float v) {
    engine.feedback = v;
    return kFeedback;
}

unsigned DelayEngine::setOtherValue(DelayEngine& engine, std::int32_t index, float v) {
    const std::size_t first = index < DelayMix ? 0 : 2;
    return engine.setUnitsValue(*engine.units[first], *engine.units[first + 1], index, v);
}

unsigned DelayEngine::setUnitsValue(FilterUnit& a, FilterUnit& b, std::int32_t index, float v) {
    switch (index) {
    case OriginFilterType:
    case DelayFilterType:
        a.setMode(enumerationStop(index, v));
        b.setMode(enumerationStop(index, v));
        return FilterLanes::Modes;
    case OriginQ:
    case DelayQ:
        a.setDamping(1.0f - v);
        b.setDamping(1.0f - v);
        return FilterLanes::Dampings;
    default: break;
    }
    if (const unsigned changed = setLfoValue(a, b, index, v)) return changed;
    switch (index) {
    case DelayTime: rateLength = scaled(bufferLength, v); break;
    case DelaySync: syncStop = enumerationStop(index, v); break;
    case DelayStereo: stereoStop = enumerationStop(index, v); break;
    case DelayMotion: motionStop = enumerationStop(index, v); break;
    case DelayFreeze: freezeStop = enumerationStop(index, v); break;
    case DelayDuck: duckAmount = v; break;
    default: return 0;
    }
    return kDelayPath;
}

// The filter or the volume LFO of both units, as the index names; 0 for any other index.
unsigned DelayEngine::setLfoValue(FilterUnit& a, FilterUnit& b, std::int32_t index, float v) {
    const bool filterLfo = index == OriginFilterLfoShape || index == OriginFilterLfoRate ||
                           index == OriginFilterLfoDepth || index == DelayFilterLfoShape ||
                           index == DelayFilterLfoRate || index == DelayFilterLfoDepth;
    auto both = [&](auto&& apply) {
        apply(filterLfo ? a.getFilterLfo() : a.getVolumeLfo());
        apply(filterLfo ? b.getFilterLfo() : b.getVolumeLfo());
        return filterLfo ? FilterLanes::FilterLfos : FilterLanes::VolumeLfos;
    };
    switch (index) {
    case OriginFilterLfoShape:
    case DelayFilterLfoShape:
    case OriginVolLfoShape:
    case DelayVolLfoShape: return both([&](Lfo& lfo) { lfo.setShape(enumerationStop(index, v)); });
    case OriginFilterLfoRate:
    case DelayFilterLfoRate:
    case OriginVolLfoRate:
    case DelayVolLfoRate: return both([&](Lfo& lfo) { lfo.setRate(v); });
    case OriginFilterLfoDepth:
    case DelayFilterLfoDepth:
    case OriginVolLfoDepth:
    case DelayVolLfoDepth: return both([&](Lfo& lfo) { lfo.setDepth(v); });
    default: return 0;
    }
}

void DelayEngine::setTempo(double beatsPerMinute) {
    if (!(beatsPerMinute > 0.0 && std::isfinite(beatsPerMinute)) || beatsPerMinute == tempo) return;
    tempo = beatsPerMinute;
    settingsChanged(kDelayPath);
}

float DelayEngine::getDelayLength() const {
    const std::int32_t stop = syncStop;
    return stop == 0 ? static_cast<float>(rateLength) : syncedDelayLength(stop, tempo, sampleRate);
}

float DelayEngine::syncedDelayLength(std::int32_t stop, double beatsPerMinute, float sampleRate) {
    const double synced = syncedDelaySamples(stop, beatsPerMinute, sampleRate);
    return static_cast<float>(std::min(synced, static_cast<double>(lineLength(sampleRate))));
}

void DelayEngine::clearState() {
    std::fill_n(delayLeft.get(), bufferLength, 0.0f);
    std::fill_n(delayRight.get(), bufferLength, 0.0f);
    for (auto& unit : units) unit->reset();
    settingsChanged(kEverything | kDelayPath);
    writePosition = 0;
    settleClock = 0;
    linesClear = true;
    ducker.reset();
    motionRestarts = true;
}

const FilterUnit& DelayEngine::unit(int number) const {
    // After a clear or a reset the units hold what the lanes are to take.
    if (!(changedSettings.load(std::memory_order_acquire) & kUnitStates)) lanes.park(unitPointers());
    return *units[static_cast<std::size_t>(number - 1)];
}

void DelayEngine::processReplacing(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames) {
    processBlock<false>(inputs, outputs, sampleFrames);
}

void DelayEngine::processAccumulating(const float* const* inputs, float* const* outputs,
                                      std::int32_t sampleFrames) {
    processBlock<true>(inputs, outputs, sampleFrames);
}

// Every sample that leaves, and every sample kept in the delay lines, is finite: NaN or
// infinite input counts as silence, and a filter that runs away is silenced before its
// state overflows. A NaN that got in would otherwise stay for good in the delay lines
// (old x feedback + wet keeps it even at feedback 0) and destroy a host's whole mix. The
// checks run once per block, after the sample loop, so the loop itself is unchanged. A silent
// block (see isSilent) needs none of them: its input is finite and all it writes is zero.
template <bool Accumulate>
void DelayEngine::processBlock(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames) {
    if (sampleFrames <= 0) return;
    DenormalGuard flushDenormals;
    if (unitsResetPending.load(std::memory_order_relaxed) && unitsResetPending.exchange(false, std::memory_order_acquire)) {
        for (auto& unit : units) unit->reset();
        settingsChanged(kEverything);
    }
    if (changedSettings.load(std::memory_order_relaxed)) takeChanges();
    lastBlockSilent = false;
    if (skipSilentBlocks && lanes.atRest()) {
        const float cycle = lineCycle();
        lastBlockSilent = readsOnlyZeros(cycle) && zeroBits(0.0f * feedbackRamp.value()) &&
                          allZero(inputs[0], inputs[1], sampleFrames);
        if (lastBlockSilent) {
            runSilent<Accumulate>(outputs, sampleFrames, cycle);
            return;
        }
    }
    if (allFinite(inputs[0], inputs[1], sampleFrames))
        runBlock<Accumulate>(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
    else
        processCleaned<Accumulate>(inputs, outputs, sampleFrames);
}

// The host's input buffers may be the output buffers and must not be changed: the input is
// copied piece by piece with NaN and infinities made 0.0. Pieces sound as one block would.
template <bool Accumulate>
void DelayEngine::processCleaned(const float* const* inputs, float* const* outputs, std::int32_t sampleFrames) {
    for (std::int32_t done = 0; done < sampleFrames; done += kCleanFrames) {
        const std::int32_t frames = std::min(kCleanFrames, sampleFrames - done);
        std::copy_n(inputs[0] + done, frames, cleanLeft.data());
        std::copy_n(inputs[1] + done, frames, cleanRight.data());
        silenceNonFinite(cleanLeft.data(), frames);
        silenceNonFinite(cleanRight.data(), frames);
        runBlock<Accumulate>(cleanLeft.data(), cleanRight.data(), outputs[0] + done, outputs[1] + done, frames);
    }
}

namespace {

// A position of a ring from one up to a ring's length behind or ahead of it.
[[gnu::always_inline]] inline std::int32_t wrapped(std::int32_t position, std::int32_t ringLength) {
    return position < 0 ? position + ringLength : position;
}

// Both lines' samples `delay` positions behind the write position of a ring.
[[gnu::always_inline]] inline Float4 ringPair(const float* left, const float* right, std::int32_t w, std::int32_t delay,
                                              std::int32_t ringLength) {
    const std::int32_t p = wrapped(w - delay, ringLength);
    return Float4::pair(left[p], right[p]);
}

// Four-point, third-order (Catmull-Rom) interpolation: the weights of the samples at delays
// i + 2, i + 1, i and i - 1 (oldest first) for a read at delay i + t, cubics in t by Horner's
// rule. At t = 0 they are exactly 0, 0, 1, 0.
[[gnu::always_inline]] inline Float4 catmullRomWeights(Float4 t) {
    const Float4 cubic = Float4::of(0.5f, -1.5f, 1.5f, -0.5f), quadratic = Float4::of(-0.5f, 2.0f, -2.5f, 1.0f),
                 linear = Float4::of(0.0f, 0.5f, 0.0f, -0.5f), constant = Float4::of(0.0f, 0.0f, 1.0f, 0.0f);
    return ((cubic * t + quadratic) * t + linear) * t + constant;
}

// Both lines' four samples weighted and summed, left and right in lanes 0 and 1.
[[gnu::always_inline]] inline Float4 weightedPair(Float4 left, Float4 right, Float4 weights) {
    const Float4 l = left * weights, r = right * weights;
    const Float4 halves = Float4::zipLow(l, r) + Float4::zipHigh(l, r);
    return halves + halves.highTwice();
}

// What a fading delay reads this sample: the taps at their weights, or the one it faded to.
template <typename At>
[[gnu::always_inline]] inline Float4 readFade(FadeTaps& taps, const At& at, std::int32_t fadeSamples) {
    if (!taps.fading()) return at(taps.delay());
    const std::int32_t a = taps.first(), b = taps.second(), c = taps.delay();
    const FadeTaps::Weights k = taps.next(fadeSamples);
    // From two taps only where a change came during a fade.
    Float4 old = at(a) * Float4::all(k.first);
    if (k.second != 0.0f) old = old + at(b) * Float4::all(k.second);
    return old + at(c) * Float4::all(k.last);
}

// What a loop of the gliding head knows ahead of time: whether the head may arrive, whether its
// speed limit may bind (see TapeHead), and whether the four samples it reads may wrap round
// the ring's end.
struct TapeLoop {
    bool mayArrive = true, limited = true, wraps = true;
};
template <TapeLoop Loop>
using TapeLoopOf = std::integral_constant<TapeLoop, Loop>;

// What the tape head reads this sample, between samples: the four samples around it side by
// side in the lines unless they wrap round the ring's end.
template <TapeLoop Loop = TapeLoop{}>
[[gnu::always_inline]] inline Float4 readTape(TapeHead& head, const float* left, const float* right, std::int32_t w,
                                              std::int32_t ringLength) {
    const double d = Loop.mayArrive ? head.next() : head.template glide<Loop.limited>();
    // 64 bits wide, as the addresses are.
    const std::int64_t i = static_cast<std::int64_t>(d);
    const Float4 weights = catmullRomWeights(Float4::all(static_cast<float>(d - static_cast<double>(i))));
    // The four run from two samples before w - i; the two folds into the loads' addresses.
    if (const std::int64_t behind = w - i; !Loop.wraps || behind >= 2)
        return weightedPair(Float4::load(left + behind - 2), Float4::load(right + behind - 2), weights);
    auto four = [&](const float* line) {
        auto at = [&](std::int32_t delay) { return line[wrapped(w - delay, ringLength)]; };
        const auto delay = static_cast<std::int32_t>(i);
        return Float4::of(at(delay + 2), at(delay + 1), at(delay), at(delay - 1));
    };
    return weightedPair(four(left), four(right), weights);
}

}  // namespace

template <bool Accumulate>
void DelayEngine::runBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                           std::int32_t sampleFrames) {
    const float length = getDelayLength();
    const std::int32_t start = writePosition;
    // For guardStates: whether +0.0 in the lines stays +0.0 under this block's feedback.
    feedbackKeepsZero = zeroBits(0.0f * feedbackRamp.value());
    if (plainDelay) {
        runSteady<Accumulate, Routing::Normal, Tap::Loop>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    } else {
        runDelayPath<Accumulate>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    }
    guardStates(start, sampleFrames, ring ? static_cast<float>(bufferLength) : length);
    if constexpr (Accumulate) {
        // Ours was held to the ceiling before it was added; what the host's buffer held stays.
        silenceNonFinite(outLeft, outRight, sampleFrames);
    } else {
        keepWithinCeiling(outLeft, outRight, sampleFrames);
    }
}

// Which loop runs the block: the steady one with its tap and routing, or the one that does
// everything.
template <bool Accumulate>
void DelayEngine::runDelayPath(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                               std::int32_t sampleFrames, float length) {
    const bool moving = delayPathMoving();
    // Values change from sample to sample: what the lines hold is looked at after it.
    if (moving) feedbackKeepsZero = false;
    // Only the tap moves, in a loop that keeps the lines' feedback as the steady one does;
    // ramps, ducking, freezing and ping-pong take the loop that does everything.
    const bool onlyTheTap = !ducker.active() && !laneRamp.moving() && !feedbackRamp.moving() &&
                            !freezeRamp.moving() && freezeRamp.value() == 0.0f && stereo != 2;
    if (!moving)
        ring ? runSteadyRouted<Accumulate, Tap::Ring>(inLeft, inRight, outLeft, outRight, sampleFrames, length)
             : runSteadyRouted<Accumulate, Tap::Loop>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    else if (onlyTheTap && motion == 1)
        runSteadyRouted<Accumulate, Tap::Fade>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    else if (onlyTheTap && motion == 2)
        runSteadyRouted<Accumulate, Tap::Tape>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    else if (lanes.modulated())
        runMovingTap<Accumulate, true>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    else
        runMovingTap<Accumulate, false>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
}

template <bool Accumulate, DelayEngine::Tap Reading>
void DelayEngine::runSteadyRouted(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                                  std::int32_t sampleFrames, float length) {
    const bool frozen = freezeRamp.value() == 1.0f;
    auto run = [&]<Routing Lines>() {
        runSteady<Accumulate, Lines, Reading>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    };
    if constexpr (Reading == Tap::Fade || Reading == Tap::Tape) {
        stereo == 0 ? run.template operator()<Routing::Normal>() : run.template operator()<Routing::Cross>();
        return;
    }
    if (frozen)
        stereo == 0 ? run.template operator()<Routing::Frozen>() : run.template operator()<Routing::FrozenCrossed>();
    else if (stereo == 0)
        run.template operator()<Routing::Normal>();
    else if (stereo == 1)
        run.template operator()<Routing::Cross>();
    else
        run.template operator()<Routing::PingPong>();
}

// Nothing moves within the block but perhaps the tap. In the loop layout each position is
// read and then written (the loop is the delay); in the ring the read tap runs a fixed
// distance behind, or fades or glides as in the loop that does everything.
template <bool Accumulate, DelayEngine::Routing Lines, DelayEngine::Tap Reading>
void DelayEngine::runSteady(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                            std::int32_t sampleFrames, float length) {
    constexpr bool Ring = Reading != Tap::Loop;
    float* lineLeft = delayLeft.get();
    float* lineRight = delayRight.get();
    const Float4 gain = Float4::all(feedbackRamp.value());
    const std::int32_t ringLength = bufferLength;
    const std::int32_t fadeSamples = Reading == Tap::Fade ? samplesOf(kFadeSeconds, sampleRate) : 0;
    std::int32_t w = writePosition;
    std::int32_t r = w;
    if constexpr (Reading == Tap::Ring) {
        r = w - steadyTap();
        if (r < 0) r += ringLength;
    }
    // Copies whose addresses never leave this loop (the lines' stores could alias them).
    FadeTaps taps;
    TapeHead head;
    if constexpr (Reading == Tap::Fade) taps = fadeTaps;
    if constexpr (Reading == Tap::Tape) head = tapeHead;

    auto run = [&](auto mayModulate, auto maySettle) __attribute__((always_inline)) {
        // A copy whose address never leaves this loop, so that the compiler keeps it in
        // registers instead of storing the states back to memory every sample.
        FilterLanes local = lanes;
        // One frame. Inlined, so that each variant below keeps its loop tight.
        // `read` gives the old samples, after the input is read.
        auto frame = [&](std::int32_t n, auto&& read) __attribute__((always_inline)) {
            {
                // Inputs are read before outputs are written: hosts may process in place. Samples
                // move in and out as plain floats: clang takes SSE's single-float loads and stores
                // to alias anything, and would then keep the write position and the delay length
                // in memory.
                const Float4 stereoIn = Float4::pair(inLeft[n], inRight[n]);
                const Float4 y = local.step<decltype(mayModulate)::value>(stereoIn.lowTwice());
                // Left and right in the low two lanes from here on: the dry and the old samples
                // where they are, the wet ones moved down beside them.
                const Float4 old = read();
                if constexpr (Lines == Routing::Normal || Lines == Routing::Cross) {
                    const Float4 fed = Lines == Routing::Normal ? old : old.swappedPairs();
                    const Float4 written = fed * gain + y.highTwice();
                    lineLeft[w] = written.first();
                    lineRight[w] = written.second();
                } else if constexpr (Lines == Routing::PingPong) {
                    // Each line is fed the other's old sample: the left one the right's.
                    const Float4 fed = old * gain;
                    lineRight[w] = fed.first();
                    lineLeft[w] = fed.second() + 0.5f * y.highPairSum();
                } else {
                    const Float4 kept = Lines == Routing::Frozen ? old : old.swappedPairs();
                    lineLeft[w] = kept.first();
                    lineRight[w] = kept.second();
                }
                if constexpr (!Ring) {
                    // The loop layout reads where it writes.
                    ++w;
                    if (static_cast<float>(w) >= length) w = 0;
                    r = w;
                }
                emit<Accumulate>(outLeft, outRight, n, old, y);
            }
        };
        // Frames from up to to in the ring, in pieces within which no position wraps. Generic, so
        // that the loop layout's variants never see it.
        auto ringSamples = [&](auto from, std::int32_t to) __attribute__((always_inline)) {
            auto behind = [&](std::int32_t delay) __attribute__((always_inline)) { return wrapped(w - delay, ringLength); };
            for (decltype(from) n = from; n < to;) {
                std::int32_t end = std::min(to, n + (ringLength - w));
                if constexpr (Reading == Tap::Ring) {
                    end = std::min(end, n + (ringLength - r));
                    for (; n < end; ++n, ++w, ++r) frame(n, [&]() __attribute__((always_inline)) { return Float4::pair(lineLeft[r], lineRight[r]); });
                    if (r == ringLength) r = 0;
                } else if constexpr (Reading == Tap::Tape) {
                    // Without the head's tests where they cannot pass: the same values, fewer steps.
                    auto glide = [&](std::int32_t until, auto loop) __attribute__((always_inline)) {
                        for (; n < until; ++n, ++w)
                            frame(n, [&]() __attribute__((always_inline)) {
                                return readTape<decltype(loop)::value>(head, lineLeft, lineRight, w, ringLength);
                            });
                    };
                    const std::int32_t gliding = std::min(end, n + head.stepsBeforeArrival());
                    // The head falls behind the writing by less than a sample per sample, so where
                    // the first four samples lie side by side, all of this piece's do.
                    const bool sideBySide = w - static_cast<std::int32_t>(head.delay() + 1.0) - 2 >= 0;
                    const bool free = head.withinSpeedLimit();
                    using FreeSideBySide = TapeLoopOf<TapeLoop{false, false, false}>;
                    using LimitedSideBySide = TapeLoopOf<TapeLoop{false, true, false}>;
                    using FreeWrapping = TapeLoopOf<TapeLoop{false, false, true}>;
                    using LimitedWrapping = TapeLoopOf<TapeLoop{false, true, true}>;
                    if (sideBySide)
                        free ? glide(gliding, FreeSideBySide{}) : glide(gliding, LimitedSideBySide{});
                    else
                        free ? glide(gliding, FreeWrapping{}) : glide(gliding, LimitedWrapping{});
                    glide(end, TapeLoopOf<TapeLoop{}>{});
                } else if (taps.fading()) {
                    // readFade's weights and order, without its choices per sample.
                    std::int32_t a = behind(taps.first()), b = behind(taps.second()), c = behind(taps.delay());
                    std::int32_t left = taps.remaining();
                    end = std::min({end, n + left, n + (ringLength - a), n + (ringLength - b), n + (ringLength - c)});
                    const std::int32_t count = end - n;
                    const float inverse = taps.inverseLength(), weight = taps.weightOfSecond();
                    const bool fromTwo = weight != 0.0f;
                    for (; n < end; ++n, ++w, ++a, ++b, ++c, --left) {
                        frame(n, [&]() __attribute__((always_inline)) {
                            const float x = 1.0f - static_cast<float>(left) * inverse;
                            Float4 old = Float4::pair(lineLeft[a], lineRight[a]) * Float4::all((1.0f - x) * (1.0f - weight));
                            if (fromTwo) old = old + Float4::pair(lineLeft[b], lineRight[b]) * Float4::all((1.0f - x) * weight);
                            return old + Float4::pair(lineLeft[c], lineRight[c]) * Float4::all(x);
                        });
                    }
                    taps.skip(count, fadeSamples);
                } else {
                    std::int32_t c = behind(taps.delay());
                    end = std::min(end, n + (ringLength - c));
                    for (; n < end; ++n, ++w, ++c) frame(n, [&]() __attribute__((always_inline)) { return Float4::pair(lineLeft[c], lineRight[c]); });
                }
                if (w == ringLength) w = 0;
            }
        };
        auto samples = [&](std::int32_t from, std::int32_t to) __attribute__((always_inline)) {
            if constexpr (Reading == Tap::Loop) {
                for (std::int32_t n = from; n < to; ++n)
                    frame(n, [&]() __attribute__((always_inline)) { return Float4::pair(lineLeft[r], lineRight[r]); });
            } else {
                ringSamples(from, to);
            }
        };
        if constexpr (decltype(maySettle)::value) {
            // In pieces that end at the settle points of the engine's clock.
            std::int32_t n = 0;
            while (n < sampleFrames) {
                const std::int32_t end = std::min(sampleFrames, n + (kSettleFrames - settleClock));
                settleClock += end - n;
                samples(n, end);
                n = end;
                if (settleClock == kSettleFrames) {
                    local.clearSettled();
                    settleClock = 0;
                }
            }
        } else {
            samples(0, sampleFrames);
            advanceSettleClock(sampleFrames);
        }
        lanes.keepRunning(local);
    };
    const bool settles = settlePointMayClear(inLeft, inRight, sampleFrames);
    if (lanes.modulated())
        settles ? run(std::true_type{}, std::true_type{}) : run(std::true_type{}, std::false_type{});
    else
        settles ? run(std::false_type{}, std::true_type{}) : run(std::false_type{}, std::false_type{});

    if constexpr (Reading == Tap::Fade) fadeTaps = taps;
    if constexpr (Reading == Tap::Tape) tapeHead = head;
    writePosition = w;
}


// Something moves from sample to sample: a fade between taps, the tape head, a ramped
// setting or the ducking gain. One loop for all of them per kind of tap, in the order of the
// steady loop's operations, so that a setting that arrives makes no difference beyond its own.
template <bool Accumulate, bool MayModulate, DelayEngine::Tap Reading, bool Ramped>
void DelayEngine::runMoving(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                            std::int32_t sampleFrames, float length) {
    float* lineLeft = delayLeft.get();
    float* lineRight = delayRight.get();
    const std::int32_t ringLength = bufferLength;
    const std::int32_t fadeSamples = samplesOf(kFadeSeconds, sampleRate);
    const bool crossed = stereo != 0, pingPong = stereo == 2, ducking = ducker.active();
    std::int32_t w = writePosition;
    auto at = [&](std::int32_t delay) __attribute__((always_inline)) {
        return ringPair(lineLeft, lineRight, w, delay, ringLength);
    };
    // Copies whose addresses never leave this loop: the lines' float stores could otherwise
    // alias the members, and the compiler would reload them every sample.
    FilterLanes local = lanes;
    FadeTaps taps = fadeTaps;
    TapeHead head = tapeHead;
    Ducker duck = ducker;
    LaneRamp lanesMoving = laneRamp;
    LinearRamp feedbackMoving = feedbackRamp, freezeMoving = freezeRamp;
    std::int32_t clock = settleClock;
    float gain = feedbackMoving.value(), frozen = freezeMoving.value();
    for (std::int32_t n = 0; n < sampleFrames; ++n) {
        if constexpr (Ramped) {
            lanesMoving.next(local);
            gain = feedbackMoving.next();
            frozen = freezeMoving.next();
        }
        const float inL = inLeft[n], inR = inRight[n];
        const Float4 y = local.step<MayModulate>(Float4::pair(inL, inR).lowTwice());
        Float4 old;
        if constexpr (Reading == Tap::Loop) {
            old = Float4::pair(lineLeft[w], lineRight[w]);
        } else if constexpr (Reading == Tap::Fade) {
            old = readFade(taps, at, fadeSamples);
        } else {
            old = readTape(head, lineLeft, lineRight, w, ringLength);
        }
        const Float4 wet = y.highTwice();
        const Float4 fed = crossed ? old.swappedPairs() : old;
        if (frozen == 1.0f) {
            lineLeft[w] = fed.first();
            lineRight[w] = fed.second();
        } else {
            // Freezing raises the feedback to 1 as it closes the input.
            const float held = gain + (1.0f - gain) * frozen, open = 1.0f - frozen;
            const Float4 kept = fed * Float4::all(held);
            if (pingPong) {
                lineLeft[w] = kept.first() + 0.5f * (wet.first() + wet.second()) * open;
                lineRight[w] = kept.second();
            } else {
                const Float4 written = kept + wet * Float4::all(open);
                lineLeft[w] = written.first();
                lineRight[w] = written.second();
            }
        }
        if constexpr (Reading == Tap::Loop) {
            if (static_cast<float>(++w) >= length) w = 0;
        } else if (++w == ringLength) {
            w = 0;
        }
        const Float4 ducked = ducking ? old * Float4::all(duck.next(inL, inR)) : old;
        emit<Accumulate>(outLeft, outRight, n, ducked, y);
        // Every settle point: a filter that cannot be cleared is left as it is.
        if (++clock == kSettleFrames) {
            local.clearSettled();
            clock = 0;
        }
    }
    lanes.keepRunning(local);
    lanes.setGlide(local.glide());
    fadeTaps = taps;
    tapeHead = head;
    ducker = duck;
    laneRamp = lanesMoving;
    feedbackRamp = feedbackMoving;
    freezeRamp = freezeMoving;
    settleClock = clock;
    writePosition = w;
}

template <bool Accumulate, bool MayModulate>
void DelayEngine::runMovingTap(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                               std::int32_t sampleFrames, float length) {
    // Ramps run in the ring modes only, for 20 ms after a change.
    const bool ramped = laneRamp.moving() || feedbackRamp.moving() || freezeRamp.moving();
    auto run = [&]<Tap Reading, bool Ramped>() {
        runMoving<Accumulate, MayModulate, Reading, Ramped>(inLeft, inRight, outLeft, outRight, sampleFrames, length);
    };
    if (!ring)
        run.template operator()<Tap::Loop, false>();
    else if (motion == 1)
        ramped ? run.template operator()<Tap::Fade, true>() : run.template operator()<Tap::Fade, false>();
    else
        ramped ? run.template operator()<Tap::Tape, true>() : run.template operator()<Tap::Tape, false>();
}

bool DelayEngine::delayPathMoving() const {
    return ducker.active() || laneRamp.moving() || feedbackRamp.moving() || freezeRamp.moving() ||
           (motion == 1 && fadeTaps.fading()) || (motion == 2 && tapeHead.moving());
}

// The tap of a ring at rest: a whole number of samples behind the write position.
std::int32_t DelayEngine::steadyTap() const {
    return motion == 1 ? fadeTaps.delay() : static_cast<std::int32_t>(tapeHead.delay());
}

// In the loop layout the positions up to the delay length make the loop; a ring runs
// through all of them.
float DelayEngine::lineCycle() const { return ring ? static_cast<float>(bufferLength) : getDelayLength(); }

// What changed on any thread since the last block, taken at the start of a block; the acquire
// makes the values written before each word visible. The delay path first: a change of Motion
// ends a ramp of the lanes and decides whether the next one ramps.
void DelayEngine::takeChanges() {
    const unsigned changed = changedSettings.exchange(0, std::memory_order_acquire);
    if (changed & kDelayPath)
        takeDelayPathSettings();
    else if (changed & kFeedback)
        takeFeedback();
    constexpr unsigned kGathered = FilterLanes::Gains | FilterLanes::Cutoffs;
    if (!(changed & kEverything)) return;
    if (ring || (changed & kEverything & ~kGathered)) return takeSettings(changed & kEverything);
    // The frequent case, gains or cutoffs of the loop layout: straight into the lanes.
    takeGathered(changed);
}

// The delay path's settings as the audio thread runs them, taken at the start of a block.
// In Fade and Tape the taps move to a new delay length and the feedback and Freeze ramp; in
// Jump they take effect at once.
void DelayEngine::takeDelayPathSettings() {
    const std::int32_t wanted = motionStop;
    if (wanted != motion) changeMotion(wanted);
    const float feedbackGain = feedback;
    const float frozen = freezeStop == 1 ? 1.0f : 0.0f;
    if (ring) {
        const std::int32_t cycle = cycleLength(getDelayLength());
        if (motion == 1)
            fadeTaps.change(std::clamp(cycle, 1, bufferLength), samplesOf(kFadeSeconds, sampleRate));
        else
            tapeHead.change(std::clamp(cycle, 2, bufferLength - 2));
        const std::int32_t ramp = samplesOf(kRampSeconds, sampleRate);
        feedbackRamp.moveTo(feedbackGain, ramp);
        freezeRamp.moveTo(frozen, ramp);
    }
    if (!ring || motionRestarts) {
        feedbackRamp.jumpTo(feedbackGain);
        freezeRamp.jumpTo(frozen);
        fadeTaps.jumpTo(fadeTaps.waitingDelay());
        tapeHead.jumpTo(tapeHead.target());
        motionRestarts = false;
    }
    stereo = stereoStop;
    const float duck = duckAmount;
    if (duck != duckApplied) {
        const bool wasActive = ducker.active();
        ducker.configure(duck, sampleRate);
        if (!wasActive) ducker.reset();
        duckApplied = duck;
    }
    plainDelay = !ring && stereo == 0 && frozen == 0.0f && !ducker.active();
}

// A change between the loop layout and the ring carries the delay's contents over, so that
// the output goes on as it was.
void DelayEngine::changeMotion(std::int32_t to) {
    const std::int32_t cycle = cycleLength(getDelayLength());
    const bool toRing = to != 0;
    if (toRing && !ring) loopToRing(cycle);
    if (!toRing && ring) ringToLoop(cycle);
    if (toRing) {
        // From the other ring mode the tap stays where it stands.
        const std::int32_t tap = !ring ? cycle
                                 : motion == 1 ? fadeTaps.delay()
                                               : static_cast<std::int32_t>(std::lround(tapeHead.delay()));
        fadeTaps.jumpTo(std::clamp(tap, 1, bufferLength));
        tapeHead.jumpTo(std::clamp(tap, 2, bufferLength - 2));
    } else {
        laneRamp.finish(lanes);
    }
    ring = toRing;
    motion = to;
    if (!linesClear) quietPositions = 0;
}

// The loop's oldest sample stands at the write position: the loop turned so that it stands
// first, the newest last, and the write position just after it; the rest of the ring is
// silence, so that a longer delay later reads nothing from before.
void DelayEngine::loopToRing(std::int32_t cycle) {
    const std::int32_t w = writePosition < cycle ? writePosition : 0;
    for (float* line : {delayLeft.get(), delayRight.get()}) {
        std::rotate(line, line + w, line + cycle);
        std::fill(line + cycle, line + bufferLength, 0.0f);
    }
    writePosition = cycle % bufferLength;
}

// The last `cycle` samples written to the ring become the loop, its oldest at the write
// position.
void DelayEngine::ringToLoop(std::int32_t cycle) {
    const std::int32_t w = writePosition;
    for (float* line : {delayLeft.get(), delayRight.get()}) {
        if (w >= cycle) {
            std::memmove(line, line + w - cycle, sizeof(float) * static_cast<std::size_t>(cycle));
        } else {
            const std::int32_t older = cycle - w;
            std::memmove(line + w, line + bufferLength - older, sizeof(float) * static_cast<std::size_t>(older));
        }
    }
    writePosition = w >= cycle ? 0 : w;
}

// A silent block in which something moves: each moves as the full loop would move it.
void DelayEngine::advanceMotion(std::int32_t sampleFrames) {
    if (!delayPathMoving()) return;
    const std::int32_t fadeSamples = samplesOf(kFadeSeconds, sampleRate);
    for (std::int32_t n = 0; n < sampleFrames; ++n) {
        laneRamp.next(lanes);
        feedbackRamp.next();
        freezeRamp.next();
        if (ring && motion == 1 && fadeTaps.fading()) fadeTaps.next(fadeSamples);
        if (ring && motion == 2) tapeHead.next();
        if (ducker.active()) ducker.next(0.0f, 0.0f);
    }
}

// At a settle point a filter is cleared only when all four of its states lie below
// kSettledLevel L. Its high there is the input (at gain 1) minus the new low minus q x the
// band of the sample before, which is the new band minus fc x high; so a clear needs
// |input| < (2 + q + |1 - q x fc|) x L, at most max(4, f + 2) x L with q at most 1 and fc
// between 0 and f: 4 L, as the filter unit holds f at most 1.14 at every rate; one L more
// leaves room for rounding. With an input at least that large on both channels no filter
// can be cleared. The loop is cut at the settle points only where one of them may clear;
// only those samples are read.
bool DelayEngine::settlePointMayClear(const float* inLeft, const float* inRight, std::int32_t sampleFrames) const {
    constexpr float kQuietInput = 5.0f * FilterUnit::kSettledLevel;
    for (std::int32_t n = kSettleFrames - 1 - settleClock; n < sampleFrames; n += kSettleFrames)
        if (std::fabs(inLeft[n]) < kQuietInput || std::fabs(inRight[n]) < kQuietInput) return true;
    return false;
}

// A block whose output is determined to be zero. Input of +-0.0 into a filter whose states
// are +0.0 keeps low and band at +0.0 (+0.0 + fc x +-0.0 is +0.0 for any finite fc) and
// high and notch at +-0.0, whose signs the end of the block forgets: all four are +0.0
// again. The old samples are +0.0, so the output is +0.0 + (+-0.0) = +0.0, and the lines
// receive +0.0 x feedback + (+-0.0) = +0.0, which they hold already. What else the full loop
// changes changes as it would: the LFO phases, the write position and the settle clock.
template <bool Accumulate>
void DelayEngine::runSilent(float* const* outputs, std::int32_t sampleFrames, float length) {
    lanes.advanceLfos(sampleFrames);
    advanceMotion(sampleFrames);
    writePosition = positionAfter(writePosition, sampleFrames, length);
    advanceSettleClock(sampleFrames);

    for (float* out : {outputs[0], outputs[1]}) {
        if constexpr (Accumulate) {
            // The host's samples plus +0.0, which makes -0.0 +0.0; non-finite ones become
            // 0.0 as after any block.
            for (std::int32_t n = 0; n < sampleFrames; ++n) out[n] = out[n] + 0.0f;
            silenceNonFinite(out, sampleFrames);
        } else {
            std::fill_n(out, sampleFrames, 0.0f);
        }
    }
}

std::array<FilterUnit::Runner, 4> DelayEngine::runners() {
    return {units[0]->runner(), units[1]->runner(), units[2]->runner(), units[3]->runner()};
}

std::array<FilterUnit*, 4> DelayEngine::unitPointers() const {
    return {units[0].get(), units[1].get(), units[2].get(), units[3].get()};
}

// Settings of the lanes changed on any thread. After a clear or a reset of the units the lanes
// take their states and phases too.
void DelayEngine::takeSettings(unsigned changed) {
    // Only a ring ramps, and then only its gains and cutoffs.
    if (!ring) return takeLaneSettings(changed);
    // A ramp in flight ends at its goal, so that a reload changes what it names.
    const FilterLanes::Glide was = lanes.glide();
    const bool wasMoving = laneRamp.moving();
    laneRamp.finish(lanes);
    takeLaneSettings(changed);
    // Gains and cutoffs move to their new values over a few milliseconds.
    if (!(changed & kUnitStates) && (wasMoving || (changed & (FilterLanes::Gains | FilterLanes::Cutoffs)))) {
        laneRamp.start(was, lanes.glide(), samplesOf(kRampSeconds, sampleRate));
        lanes.setGlide(was);
    }
}

void DelayEngine::takeLaneSettings(unsigned changed) {
    if (changed & kUnitStates) return takeUnitStates();
    takeGathered(changed);
    constexpr unsigned kGathered = FilterLanes::Gains | FilterLanes::Cutoffs;
    if (changed & ~kGathered) lanes.reload(unitPointers(), changed & ~kGathered);
}

void DelayEngine::takeUnitStates() { lanes = FilterLanes(runners()); }

// After a block of the full loop: filters that ran away are cleared, and so are non-finite
// samples written to the lines; then the lines' zeros are counted.
void DelayEngine::guardStates(std::int32_t start, std::int32_t sampleFrames, float length) {
    lanes.silenceRunaways();
    lanes.forgetZeroSigns();
    const WrittenSpans spans = writtenSpans(start, sampleFrames, length);
    silenceNonFinite(delayLeft.get() + spans.from, delayRight.get() + spans.from, spans.first);
    if (spans.rest > 0) silenceNonFinite(delayLeft.get(), delayRight.get(), spans.rest);
    // Old x feedback + wet was +0.0 + (+-0.0) in every sample when the block read only +0.0
    // and the delay path was closed (+0.0 x feedback and its gains +0.0; NaN where a filter
    // ran away, which is +0.0 now): what was known stays true without a look.
    const bool delayPathClosed = feedbackKeepsZero && lanes.delayGainsZero();
    if (delayPathClosed && readsOnlyZeros(length)) return;
    bool zeros = true;
    for (const float* line : {delayLeft.get(), delayRight.get()})
        zeros = zeros && allPositiveZero(line + spans.from, spans.first) && allPositiveZero(line, spans.rest);
    countQuiet(zeros, start, sampleFrames, length);
}

// Whether every position that a block at this length reads holds +0.0 in both lines.
bool DelayEngine::readsOnlyZeros(float length) const {
    return linesClear || (length == quietLength && quietPositions >= cycleLength(length));
}

// What is known of the lines' zeros after a block of the full loop whose positions now all
// hold +0.0 (zeros) or not. Such positions extend the count back from the write position
// when the length stayed; a first sample written beyond the cycle is outside it. Anything
// else written ends the count, and the clear.
void DelayEngine::countQuiet(bool zeros, std::int32_t start, std::int32_t sampleFrames, float length) {
    const bool sameLength = length == quietLength;
    quietLength = length;
    if (!zeros) {
        linesClear = false;
        quietPositions = 0;
        return;
    }
    const std::int32_t cycle = cycleLength(length);
    const std::int64_t before = sameLength ? quietPositions : 0;
    const std::int64_t inCycle = start < cycle ? sampleFrames : sampleFrames - 1;
    quietPositions = static_cast<std::int32_t>(std::min<std::int64_t>(cycle, before + inCycle));
}
