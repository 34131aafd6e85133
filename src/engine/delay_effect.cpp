#include "engine/delay_effect.h"

#include <algorithm>
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
        value = normalized(value);
        programs[currentProgram].values[index] = value;
        applyParameter(index, value);
    }
    if (editor) editor->postUpdate();
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

void DelayEffect::setProgram(VstInt32 program) {
    if (program < 0 || program >= kNumPrograms) return;
    currentProgram = program;
    for (VstInt32 i = 0; i < kNumDefinedParams; ++i) setParameter(i, programs[program].values[i]);
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
        for (auto& unit : units) unit->reset();
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

template <bool Accumulate>
void DelayEffect::processBlock(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0) return;
    DenormalGuard flushDenormals;
    const float* inLeft = inputs[0];
    const float* inRight = inputs[1];
    float* outLeft = outputs[0];
    float* outRight = outputs[1];
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
    VstInt32 w = writePosition;

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
}
