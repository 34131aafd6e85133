#include "engine/delay_effect.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "engine/denormal_guard.h"
#include "host/bounded_text.h"
#include "host/editor_base.h"

namespace {

constexpr double kCutoffDisplayScale = 8000.0;
constexpr double kRateDisplayScale = 100.0;
constexpr double kDelayDisplayScale = 10000.0;
constexpr float kLfoRateScale = 100.0f;
constexpr float kCutoffScale = 8000.0f;
constexpr int kSecondsOfDelay = 10;

// scale x v as the engine computes it everywhere: the scale divided by the reciprocal of
// v, in double precision, rounded once to float.
float scaled(double scale, float v) { return v == 0.0f ? 0.0f : static_cast<float>(scale / (1.0 / v)); }

std::int32_t steps(double count, float v) { return static_cast<std::int32_t>(count * v); }

const char* modeName(std::int32_t mode) {
    switch (mode) {
    case ModeLow: return "Low";
    case ModeHigh: return "High";
    case ModeBand: return "Band";
    default: return "Notch";
    }
}

void copyText(char* destination, const char* source) { std::strcpy(destination, source); }

constexpr std::uint32_t kAllParameters = (std::uint32_t{1} << kNumDefinedParams) - 1;

// A count of exponent fields that are all ones (infinities and NaNs): integer compares that
// the compiler turns into vector code, so a scan costs a fraction of a nanosecond per sample.
bool allFinite(const float* samples, VstInt32 count) {
    constexpr std::uint32_t kExponent = 0x7f800000u;
    std::uint32_t nonFinite = 0;
    for (VstInt32 n = 0; n < count; ++n) nonFinite += (std::bit_cast<std::uint32_t>(samples[n]) & kExponent) == kExponent;
    return nonFinite == 0;
}

void silenceNonFinite(float* samples, VstInt32 count) {
    if (allFinite(samples, count)) return;
    for (VstInt32 n = 0; n < count; ++n)
        if (!std::isfinite(samples[n])) samples[n] = 0.0f;
}

}  // namespace

DelayProgram::DelayProgram() : name("Init") {
    for (std::int32_t i = 0; i < kNumDefinedParams; ++i) values[i] = kParameters[i].initial;
}

DelayEffect::DelayEffect(audioMasterCallback host)
    : EffectBaseEx(host, kNumPrograms, kDeclaredParams),
      vendorText("Quorvane"),
      effectNameText("Vellumine"),
      productText("Vellumine"),
      constructionSampleRate(sampleRate) {
    bufferLength = static_cast<VstInt32>(constructionSampleRate) * kSecondsOfDelay;

    for (std::size_t u = 0; u < units.size(); ++u) {
        auto unit = std::make_unique<FilterUnit>(constructionSampleRate);
        unit->setOutputGain(u < 2 ? unit->getGainScale() : 0.0f);
        unit->setCutoffScale(kCutoffScale);
        unit->setCutoff(kCutoffScale);
        unit->setDamping(0.0f);
        unit->setMode(ModeLow);
        for (Lfo* lfo : {&unit->getFilterLfo(), &unit->getVolumeLfo()}) {
            lfo->setShape(ShapeSine);
            lfo->setRateScale(kLfoRateScale);
            lfo->setRate(0.0f);
            lfo->setDepth(0.0f);
        }
        units[u] = std::move(unit);
    }

    delayLeft = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
    delayRight = std::make_unique<float[]>(static_cast<std::size_t>(bufferLength));
    programs = std::make_unique<DelayProgram[]>(kNumPrograms);

    // Qualified call: while the base part is being built only this class's
    // setParameter may run, also for a derived plug-in.
    DelayEffect::setProgram(0);

    setInputCount(2);
    setOutputCount(2);
    setHasVu(true);
    setCanReplacing(true);
    setUniqueId(fourCharCode("QvDl"));
    DelayEffect::resume();
}

DelayEffect::~DelayEffect() = default;

float DelayEffect::normalized(float value) {
    if (!(value >= 0.0f)) return 0.0f;  // negative or NaN
    return value > 1.0f ? 1.0f : value;
}

void DelayEffect::setParameter(VstInt32 index, float value) {
    if (index >= 0 && index < kNumDefinedParams) {
        // One read of the current program: the value lands in the program that was current
        // when it came, and is applied only as long as that program still is (applyStored).
        programs[currentProgram].values[index] = normalized(value);
        applyStored(std::uint32_t{1} << index);
    }
    if (editor) editor->postUpdate();
}

// Parameter changes come from any thread, two at once for the same index included (a host's
// automation and the editor), and setProgram switches the program under them. The engine's
// settings are therefore always applied from the current program's stored values, and by
// one thread at a time: the caller that raises the request count from zero applies every
// marked index, and again while requests keep coming in; the others have stored their value
// and marked its index before counting, so it is applied for them, and they return at once.
// Whatever the interleaving, once the calls are over the settings are those of the current
// program's values. No thread ever waits for another: hosts also call setParameter on the
// audio thread, which must not stall behind a lock held by a preempted window thread.
void DelayEffect::applyStored(std::uint32_t indices) {
    pendingIndices.fetch_or(indices, std::memory_order_release);
    if (applyRequests.fetch_add(1, std::memory_order_acq_rel) != 0) return;
    std::int32_t handled = 1;
    do {
        std::uint32_t due = pendingIndices.exchange(0, std::memory_order_acquire);
        const DelayProgram& program = programs[currentProgram];
        for (VstInt32 index = 0; due != 0; ++index, due >>= 1)
            if (due & 1) applyParameter(index, program.values[index]);
        handled = applyRequests.fetch_sub(handled, std::memory_order_acq_rel) - handled;
    } while (handled != 0);
}

void DelayEffect::applyParameter(VstInt32 index, float v) {
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
    case DelayFilterType: both([&](FilterUnit& u) { u.setMode(steps(3.0, v)); }); break;
    case OriginCutoff:
    case DelayCutoff: both([&](FilterUnit& u) { u.setCutoff(v); }); break;
    case OriginQ:
    case DelayQ: both([&](FilterUnit& u) { u.setDamping(1.0f - v); }); break;
    case OriginFilterLfoShape:
    case DelayFilterLfoShape: both([&](FilterUnit& u) { u.getFilterLfo().setShape(steps(4.0, v)); }); break;
    case OriginFilterLfoRate:
    case DelayFilterLfoRate: both([&](FilterUnit& u) { u.getFilterLfo().setRate(v); }); break;
    case OriginFilterLfoDepth:
    case DelayFilterLfoDepth: both([&](FilterUnit& u) { u.getFilterLfo().setDepth(v); }); break;
    case OriginVolLfoShape:
    case DelayVolLfoShape: both([&](FilterUnit& u) { u.getVolumeLfo().setShape(steps(4.0, v)); }); break;
    case OriginVolLfoRate:
    case DelayVolLfoRate: both([&](FilterUnit& u) { u.getVolumeLfo().setRate(v); }); break;
    case OriginVolLfoDepth:
    case DelayVolLfoDepth: both([&](FilterUnit& u) { u.getVolumeLfo().setDepth(v); }); break;
    case DelayTime: delayLength = scaled(bufferLength, v); break;
    case Feedback: feedback = v; break;
    default: break;
    }
}

float DelayEffect::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumDefinedParams) return 0.0f;
    return programs[currentProgram].values[index];
}

// Applies the program's values in index order. They are not stored again: a value that
// automation stores meanwhile must not be overwritten with the one read before it.
void DelayEffect::setProgram(VstInt32 program) {
    if (program < 0 || program >= kNumPrograms) return;
    currentProgram = program;
    applyStored(kAllParameters);
    if (editor) editor->postUpdate();
}

void DelayEffect::setProgramName(char* name) {
    copyBounded(programs[currentProgram].name, sizeof programs[currentProgram].name, name);
}

void DelayEffect::getProgramName(char* name) {
    const char* stored = programs[currentProgram].name;
    if (std::strcmp(stored, "Init") == 0)
        std::sprintf(name, "%s %d", stored, static_cast<int>(currentProgram + 1));
    else
        copyText(name, stored);
}

bool DelayEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms) return false;
    copyText(text, programs[index].name);
    return true;
}

void DelayEffect::getParameterName(VstInt32 index, char* text) {
    if (index >= 0 && index < kNumDefinedParams) copyText(text, kParameters[index].name);
}

void DelayEffect::getParameterLabel(VstInt32 index, char* label) {
    if (index >= 0 && index < kNumDefinedParams && kParameters[index].label) copyText(label, kParameters[index].label);
}

void DelayEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (index < 0 || index >= kNumDefinedParams) return;
    const float p = programs[currentProgram].values[index];
    const FilterUnit& shown = *units[index < DelayMix ? 0 : 2];
    switch (index) {
    case OriginMix:
    case DelayMix: formatPercent(scaled(shown.getGainScale(), p), text); break;
    case OriginFilterType:
    case DelayFilterType: copyText(text, modeName(shown.getMode())); break;
    case OriginCutoff:
    case DelayCutoff: formatNumber(scaled(kCutoffDisplayScale, p), text); break;
    case OriginFilterLfoShape:
    case DelayFilterLfoShape: copyText(text, shown.getFilterLfo().shapeName()); break;
    case OriginVolLfoShape:
    case DelayVolLfoShape: copyText(text, shown.getVolumeLfo().shapeName()); break;
    case OriginFilterLfoRate:
    case DelayFilterLfoRate:
    case OriginVolLfoRate:
    case DelayVolLfoRate: formatNumber(scaled(kRateDisplayScale, p), text); break;
    case DelayTime: formatNumber(scaled(kDelayDisplayScale, p), text); break;
    default: formatPercent(p, text); break;  // Q, depths and feedback
    }
}

void DelayEffect::resume() {
    clearState();
    requestEvents(1);
}

void DelayEffect::clearState() {
    std::fill_n(delayLeft.get(), bufferLength, 0.0f);
    std::fill_n(delayRight.get(), bufferLength, 0.0f);
    for (auto& unit : units) unit->reset();
    writePosition = 0;
}

VstInt32 DelayEffect::idle() {
    const VstTimeInfo* time = getHostTime(0);
    if (!time) return 1;  // without time information there is no transport to follow
    if (time->flags & kVstTransportPlaying) {
        stoppedResetDone = 0;
    } else if (stoppedResetDone == 0) {
        unitsResetPending.store(true, std::memory_order_release);
        stoppedResetDone = 1;
    }
    return 1;
}

VstInt32 DelayEffect::getPlugCategory() { return 1; }

bool DelayEffect::getEffectName(char* text) {
    copyText(text, effectNameText);
    return true;
}

bool DelayEffect::getVendorString(char* text) {
    copyText(text, vendorText);
    return true;
}

bool DelayEffect::getProductString(char* text) {
    copyText(text, productText);
    return true;
}

VstInt32 DelayEffect::getVendorVersion() { return 1000; }

void DelayEffect::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processBlock<true>(inputs, outputs, sampleFrames);
}

void DelayEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    processBlock<false>(inputs, outputs, sampleFrames);
}

// Every sample that leaves, and every sample kept in the delay lines, is finite: NaN or
// infinite input counts as silence, and a filter that runs away is silenced before its
// state overflows. A NaN that got in would otherwise stay for good in the delay lines
// (old x feedback + wet keeps it even at feedback 0) and destroy a host's whole mix. The
// checks run once per block, after the sample loop, so the loop itself is unchanged.
template <bool Accumulate>
void DelayEffect::processBlock(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    DenormalGuard flushDenormals;
    if (unitsResetPending.load(std::memory_order_relaxed) && unitsResetPending.exchange(false, std::memory_order_acquire))
        for (auto& unit : units) unit->reset();
    if (allFinite(inputs[0], sampleFrames) && allFinite(inputs[1], sampleFrames))
        runBlock<Accumulate>(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
    else
        processCleaned<Accumulate>(inputs, outputs, sampleFrames);
}

// The host's input buffers may be the output buffers and must not be changed: the input is
// copied piece by piece with NaN and infinities made 0.0. Pieces sound as one block would.
template <bool Accumulate>
void DelayEffect::processCleaned(float** inputs, float** outputs, VstInt32 sampleFrames) {
    for (VstInt32 done = 0; done < sampleFrames; done += kCleanFrames) {
        const VstInt32 frames = std::min(kCleanFrames, sampleFrames - done);
        std::copy_n(inputs[0] + done, frames, cleanLeft.data());
        std::copy_n(inputs[1] + done, frames, cleanRight.data());
        silenceNonFinite(cleanLeft.data(), frames);
        silenceNonFinite(cleanRight.data(), frames);
        runBlock<Accumulate>(cleanLeft.data(), cleanRight.data(), outputs[0] + done, outputs[1] + done, frames);
    }
}

template <bool Accumulate>
void DelayEffect::runBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                           VstInt32 sampleFrames) {
    float* lineLeft = delayLeft.get();
    float* lineRight = delayRight.get();
    const float gain = feedback;
    const float length = delayLength;
    // The four units run interleaved, sample by sample: their recursions are independent,
    // so the processor overlaps them.
    FilterUnit::Runner originLeft = units[0]->runner();
    FilterUnit::Runner originRight = units[1]->runner();
    FilterUnit::Runner delayPathLeft = units[2]->runner();
    FilterUnit::Runner delayPathRight = units[3]->runner();
    const VstInt32 start = writePosition;
    VstInt32 w = start;

    auto run = [&](auto mayModulate) {
        constexpr bool Modulated = decltype(mayModulate)::value;
        for (VstInt32 n = 0; n < sampleFrames; ++n) {
            // Inputs are read before outputs are written: hosts may process in place.
            const float inL = inLeft[n];
            const float inR = inRight[n];
            const float wetL = delayPathLeft.step<Modulated>(inL);
            const float wetR = delayPathRight.step<Modulated>(inR);
            const float oldL = lineLeft[w];
            const float oldR = lineRight[w];
            lineLeft[w] = oldL * gain + wetL;
            lineRight[w] = oldR * gain + wetR;
            ++w;
            if (static_cast<float>(w) >= length) w = 0;
            const float dryL = originLeft.step<Modulated>(inL);
            const float dryR = originRight.step<Modulated>(inR);
            if constexpr (Accumulate) {
                outLeft[n] = outLeft[n] + oldL + dryL;
                outRight[n] = outRight[n] + oldR + dryR;
            } else {
                outLeft[n] = oldL + dryL;
                outRight[n] = oldR + dryR;
            }
        }
    };
    if (originLeft.modulated() || originRight.modulated() || delayPathLeft.modulated() || delayPathRight.modulated())
        run(std::true_type{});
    else
        run(std::false_type{});

    units[0]->store(originLeft);
    units[1]->store(originRight);
    units[2]->store(delayPathLeft);
    units[3]->store(delayPathRight);
    writePosition = w;

    for (auto& unit : units) unit->silenceRunaway();
    silenceNonFiniteDelay(start, sampleFrames, length);
    silenceNonFinite(outLeft, sampleFrames);
    silenceNonFinite(outRight, sampleFrames);
}

// The positions a block wrote, as the sample loop steps them: from start up to the wrap
// point (the delay length rounded up, or just past start when the length was lowered below
// it), then from 0 round and round below the rounded length.
void DelayEffect::silenceNonFiniteDelay(VstInt32 start, VstInt32 sampleFrames, float length) {
    const auto rounded = std::max<VstInt32>(1, static_cast<VstInt32>(std::ceil(length)));
    const VstInt32 firstEnd = std::max(start + 1, rounded);
    const VstInt32 first = std::min(sampleFrames, firstEnd - start);
    const VstInt32 rest = std::min(sampleFrames - first, rounded);
    for (float* line : {delayLeft.get(), delayRight.get()}) {
        silenceNonFinite(line + start, first);
        silenceNonFinite(line, rest);
    }
}
