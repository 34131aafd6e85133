#include "engine/delay_engine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

#include "engine/denormal_guard.h"
#include "engine/filter_lanes.h"

namespace {

constexpr int kSecondsOfDelay = 10;

// A count of exponent fields that are all ones (infinities and NaNs): integer compares that
// the compiler turns into vector code, so a scan costs a fraction of a nanosecond per sample.
bool allFinite(const float* samples, std::int32_t count) {
    constexpr std::uint32_t kExponent = 0x7f800000u;
    std::uint32_t nonFinite = 0;
    for (std::int32_t n = 0; n < count; ++n) nonFinite += (std::bit_cast<std::uint32_t>(samples[n]) & kExponent) == kExponent;
    return nonFinite == 0;
}

void silenceNonFinite(float* samples, std::int32_t count) {
    if (allFinite(samples, count)) return;
    for (std::int32_t n = 0; n < count; ++n)
        if (!std::isfinite(samples[n])) samples[n] = 0.0f;
}

// No sample of ours leaves beyond +-16.0 (+24 dBFS), whatever the settings: a resonant filter
// swept by its LFO can otherwise ring up to 180 dB before its state is cleared. A last
// resort, far above anything an ordinary setting reaches, and a sample within it is left
// exactly as it is.
constexpr float kCeiling = 16.0f;

// Whether no sample's magnitude lies beyond the ceiling (NaN and infinities lie beyond it): an
// integer compare of the bits without the sign, which the compiler turns into vector code, so
// the common case costs what the scan for non-finite samples did.
bool allWithinCeiling(const float* samples, std::int32_t count) {
    constexpr std::uint32_t kMagnitude = 0x7fffffffu;
    constexpr std::uint32_t kCeilingBits = std::bit_cast<std::uint32_t>(kCeiling);
    std::uint32_t beyond = 0;
    for (std::int32_t n = 0; n < count; ++n) beyond += (std::bit_cast<std::uint32_t>(samples[n]) & kMagnitude) > kCeilingBits;
    return beyond == 0;
}

// Non-finite samples become 0.0, finite ones beyond the ceiling are held at it.
void keepWithinCeiling(float* samples, std::int32_t count) {
    if (allWithinCeiling(samples, count)) return;
    for (std::int32_t n = 0; n < count; ++n)
        samples[n] = std::isfinite(samples[n]) ? std::clamp(samples[n], -kCeiling, kCeiling) : 0.0f;
}

// What leaves the accumulating entry: the host's sample plus ours, ours held to the ceiling
// on its own before it is added in the rare sample that goes beyond it; otherwise the sum as
// the loop added it.
float heldSum(float host, float ours, float sum) {
    return std::fabs(ours) > kCeiling ? host + std::clamp(ours, -kCeiling, kCeiling) : sum;
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

// The positions a block wrote, as the sample loop steps them, each once: `first` from start
// up to the wrap point (the cycle's end, or just past start when the length was lowered below
// it), then `rest` from 0 round and round below the cycle's end.
struct WrittenSpans {
    std::int32_t first, rest;
};

WrittenSpans writtenSpans(std::int32_t start, std::int32_t frames, float length) {
    const std::int32_t cycle = cycleLength(length);
    const std::int32_t firstEnd = std::max(start + 1, cycle);
    const std::int32_t first = std::min(frames, firstEnd - start);
    return {first, std::min(frames - first, cycle)};
}

}  // namespace

// The start settings; the owner applies its parameter values over them.
DelayEngine::DelayEngine(float rate, SilentBlocks silentBlocks)
    : sampleRate(rate), skipSilentBlocks(silentBlocks == SilentBlocks::Skipped) {
    bufferLength = static_cast<std::int32_t>(sampleRate) * kSecondsOfDelay;

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

    delayLeft = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
    delayRight = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
}

DelayEngine::~DelayEngine() = default;

void DelayEngine::applyParameter(std::int32_t index, float v) {
    FilterUnit& a = *units[index < DelayMix ? 0 : 2];
    FilterUnit& b = *units[index < DelayMix ? 1 : 3];
    auto both = [&](auto&& apply) {
        apply(a);
        apply(b);
    };
    switch (index) {
    case OriginMix:
    case DelayMix: both([&](FilterUnit& u) { u.setOutputGain(scaled(u.getGainScale(), v)); }); break;
    case OriginFilterType:
    case DelayFilterType: both([&](FilterUnit& u) { u.setMode(enumerationStop(index, v)); }); break;
    case OriginCutoff:
    case DelayCutoff: both([&](FilterUnit& u) { u.setCutoff(v); }); break;
    case OriginQ:
    case DelayQ: both([&](FilterUnit& u) { u.setDamping(1.0f - v); }); break;
    case OriginFilterLfoShape:
    case DelayFilterLfoShape: both([&](FilterUnit& u) { u.getFilterLfo().setShape(enumerationStop(index, v)); }); break;
    case OriginFilterLfoRate:
    case DelayFilterLfoRate: both([&](FilterUnit& u) { u.getFilterLfo().setRate(v); }); break;
    case OriginFilterLfoDepth:
    case DelayFilterLfoDepth: both([&](FilterUnit& u) { u.getFilterLfo().setDepth(v); }); break;
    case OriginVolLfoShape:
    case DelayVolLfoShape: both([&](FilterUnit& u) { u.getVolumeLfo().setShape(enumerationStop(index, v)); }); break;
    case OriginVolLfoRate:
    case DelayVolLfoRate: both([&](FilterUnit& u) { u.getVolumeLfo().setRate(v); }); break;
    case OriginVolLfoDepth:
    case DelayVolLfoDepth: both([&](FilterUnit& u) { u.getVolumeLfo().setDepth(v); }); break;
    case DelayTime: rateLength = scaled(bufferLength, v); break;
    case DelaySync: syncStop = enumerationStop(index, v); break;
    case Feedback: feedback = v; break;
    default: break;
    }
}

void DelayEngine::setTempo(double beatsPerMinute) {
    if (beatsPerMinute > 0.0 && std::isfinite(beatsPerMinute)) tempo = beatsPerMinute;
}

float DelayEngine::getDelayLength() const {
    const std::int32_t stop = syncStop;
    if (stop == 0) return rateLength;
    const double synced = syncedDelaySamples(stop, tempo, sampleRate);
    return static_cast<float>(std::min(synced, static_cast<double>(bufferLength)));
}

void DelayEngine::clearState() {
    std::fill_n(delayLeft.get(), bufferLength, 0.0f);
    std::fill_n(delayRight.get(), bufferLength, 0.0f);
    for (auto& unit : units) unit->reset();
    writePosition = 0;
    settleClock = 0;
    linesClear = true;
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
    if (unitsResetPending.load(std::memory_order_relaxed) && unitsResetPending.exchange(false, std::memory_order_acquire))
        for (auto& unit : units) unit->reset();
    lastBlockSilent = false;
    if (skipSilentBlocks && filtersAtRest()) {
        const float length = getDelayLength();
        lastBlockSilent =
            readsOnlyZeros(length) && zeroBits(0.0f * feedback) && allZero(inputs[0], inputs[1], sampleFrames);
        if (lastBlockSilent) {
            runSilent<Accumulate>(outputs, sampleFrames, length);
            return;
        }
    }
    if (allFinite(inputs[0], sampleFrames) && allFinite(inputs[1], sampleFrames))
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

template <bool Accumulate>
void DelayEngine::runBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                           std::int32_t sampleFrames) {
    float* lineLeft = delayLeft.get();
    float* lineRight = delayRight.get();
    const float feedbackGain = feedback;
    const Float4 gain = Float4::all(feedbackGain);
    // For guardStates: whether +0.0 in the lines stays +0.0 under this block's feedback.
    feedbackKeepsZero = zeroBits(0.0f * feedbackGain);
    const float length = getDelayLength();
    std::array<FilterUnit::Runner, 4> running{units[0]->runner(), units[1]->runner(), units[2]->runner(),
                                              units[3]->runner()};
    // Lanes 0 and 1: origin left and right; lanes 2 and 3: delay path left and right.
    FilterLanes lanes(running);
    const std::int32_t start = writePosition;
    std::int32_t w = start;

    auto run = [&](auto mayModulate, auto maySettle) {
        // A copy whose address never leaves this loop, so that the compiler keeps it in
        // registers instead of storing the states back to memory every sample.
        FilterLanes local = lanes;
        // Frames from up to to. Inlined, so that each variant below keeps its loop tight.
        auto samples = [&](std::int32_t from, std::int32_t to) __attribute__((always_inline)) {
            for (std::int32_t n = from; n < to; ++n) {
                // Inputs are read before outputs are written: hosts may process in place. Samples
                // move in and out as plain floats: clang takes SSE's single-float loads and stores
                // to alias anything, and would then keep the write position and the delay length
                // in memory.
                const Float4 stereo = Float4::pair(inLeft[n], inRight[n]);
                const Float4 y = local.step<decltype(mayModulate)::value>(stereo.lowTwice());
                // Left and right in the low two lanes from here on: the dry and the old samples
                // where they are, the wet ones moved down beside them.
                const Float4 old = Float4::pair(lineLeft[w], lineRight[w]);
                const Float4 written = old * gain + y.highTwice();
                lineLeft[w] = written.first();
                lineRight[w] = written.second();
                ++w;
                if (static_cast<float>(w) >= length) w = 0;
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
            settleClock = (settleClock + sampleFrames % kSettleFrames) % kSettleFrames;
        }
        lanes = local;
    };
    const bool settles = settlePointMayClear(inLeft, inRight, sampleFrames, running);
    if (lanes.modulated())
        settles ? run(std::true_type{}, std::true_type{}) : run(std::true_type{}, std::false_type{});
    else
        settles ? run(std::false_type{}, std::true_type{}) : run(std::false_type{}, std::false_type{});

    lanes.store(running);
    storeRunners(running);
    writePosition = w;

    guardStates(start, sampleFrames, length, running);
    if constexpr (Accumulate) {
        // Ours was held to the ceiling before it was added; what the host's buffer held stays.
        silenceNonFinite(outLeft, sampleFrames);
        silenceNonFinite(outRight, sampleFrames);
    } else {
        keepWithinCeiling(outLeft, sampleFrames);
        keepWithinCeiling(outRight, sampleFrames);
    }
}

// At a settle point a filter is cleared only when all four of its states lie below
// kSettledLevel L. Its high there is the input (at gain 1) minus the new low minus q x the
// band of the sample before, which is the new band minus fc x high; so a clear needs
// |input| < (2 + q + |1 - q x fc|) x L, at most max(4, f + 2) x L with q at most 1 and fc
// between 0 and f; one L more leaves room for rounding. With an input at least that large
// on both channels no filter can be cleared (5 L for every cutoff at sample rates from
// 25.2 kHz up, where f is at most 2). The loop is cut at the settle points only where one
// of them may clear; only those samples are read.
bool DelayEngine::settlePointMayClear(const float* inLeft, const float* inRight, std::int32_t sampleFrames,
                                      const std::array<FilterUnit::Runner, 4>& running) const {
    float largestF = 0.0f;
    for (const FilterUnit::Runner& r : running) largestF = std::max(largestF, r.f);
    const float quietInput = std::max(5.0f, largestF + 3.0f) * FilterUnit::kSettledLevel;
    for (std::int32_t n = kSettleFrames - 1 - settleClock; n < sampleFrames; n += kSettleFrames)
        if (std::fabs(inLeft[n]) < quietInput || std::fabs(inRight[n]) < quietInput) return true;
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
    std::array<FilterUnit::Runner, 4> running = runners();
    FilterLanes lanes(running);
    lanes.advanceLfos(sampleFrames);
    lanes.store(running);
    storeRunners(running);
    writePosition = positionAfter(writePosition, sampleFrames, length);
    settleClock = (settleClock + sampleFrames % kSettleFrames) % kSettleFrames;  // no overflow

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

void DelayEngine::storeRunners(const std::array<FilterUnit::Runner, 4>& running) {
    for (std::size_t u = 0; u < units.size(); ++u) units[u]->store(running[u]);
}

// After a block of the full loop: filters that ran away are cleared, and so are non-finite
// samples written to the lines; then the lines' zeros are counted.
void DelayEngine::guardStates(std::int32_t start, std::int32_t sampleFrames, float length,
                              const std::array<FilterUnit::Runner, 4>& running) {
    for (auto& unit : units) {
        unit->silenceRunaway();
        unit->forgetZeroSigns();
    }
    const WrittenSpans spans = writtenSpans(start, sampleFrames, length);
    for (float* line : {delayLeft.get(), delayRight.get()}) {
        silenceNonFinite(line + start, spans.first);
        silenceNonFinite(line, spans.rest);
    }
    // Old x feedback + wet was +0.0 + (+-0.0) in every sample when the block read only +0.0
    // and the delay path was closed (+0.0 x feedback and its gains +0.0; NaN where a filter
    // ran away, which is +0.0 now): what was known stays true without a look.
    const bool delayPathClosed = feedbackKeepsZero && zeroBits(running[2].gainOut) && zeroBits(running[3].gainOut);
    if (delayPathClosed && readsOnlyZeros(length)) return;
    bool zeros = true;
    for (const float* line : {delayLeft.get(), delayRight.get()})
        zeros = zeros && allPositiveZero(line + start, spans.first) && allPositiveZero(line, spans.rest);
    countQuiet(zeros, start, sampleFrames, length);
}

bool DelayEngine::filtersAtRest() const {
    return units[0]->atRest() && units[1]->atRest() && units[2]->atRest() && units[3]->atRest();
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
    const std::int32_t cycle = cycleLength(length);
    const std::int64_t before = zeros && length == quietLength ? quietPositions : 0;
    const std::int64_t inCycle = !zeros ? 0 : start < cycle ? sampleFrames : sampleFrames - 1;
    linesClear = linesClear && zeros;
    quietPositions = static_cast<std::int32_t>(std::min<std::int64_t>(cycle, before + inCycle));
    quietLength = length;
}
