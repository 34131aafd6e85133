#include "engine/filter_unit.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

const WaveTableSet& filled(WaveTableSet& set) {
    buildWaveTables(set);
    return set;
}

}  // namespace

FilterUnit::FilterUnit(float rate)
    : filterLfo(filled(waveTables), rate), volumeLfo(waveTables, rate), sampleRate(rate) {
    reset();
}

void FilterUnit::reset() {
    state[ModeLow] = 0.0f;
    state[ModeHigh] = 0.0f;
    state[ModeBand] = 0.0f;
    state[ModeNotch] = 0.0f;
    filterLfo.reset();
    volumeLfo.reset();
}

bool FilterUnit::silenceRunaway() {
    bool inRange = true;
    for (float s : state) inRange = inRange && std::fabs(s) <= kRunawayLevel;  // false for NaN
    if (inRange) return false;
    for (float& s : state) s = 0.0f;
    return true;
}

void FilterUnit::forgetZeroSigns() {
    for (int mode : {ModeHigh, ModeNotch})
        if (state[mode] == 0.0f) state[mode] = 0.0f;
}

bool FilterUnit::atRest() const {
    std::uint32_t bits = 0;
    for (float s : state) bits |= std::bit_cast<std::uint32_t>(s);
    return bits == 0;
}

namespace {

constexpr double kTwoPi = 6.283185307179586;

// 2 pi x (cutoff scale x x) / sample rate, in this order: the scale divided by the
// reciprocal, then the rate, then 2 pi.
constexpr float coefficient(float cutoffScale, float x, float sampleRate) {
    return static_cast<float>(cutoffScale / (1.0 / x) / sampleRate * kTwoPi);
}

// The recursion is stable only while the coefficient stays small (with damping q, f^2 + 2 f q
// below 4). Its largest value at 44.1 kHz, a full cutoff (1.1398), bounds it at every rate:
// below 44.1 kHz a high cutoff is held at the frequency that gives it, about 0.18 x the rate,
// where it would otherwise blow up. At 44.1 kHz and above no coefficient reaches the bound.
constexpr float kLargestCoefficient = coefficient(parameterScale(OriginCutoff), 1.0f, 44100.0f);

}  // namespace

void FilterUnit::setCutoff(float x) {
    if (x == 0.0f) {
        frequency = 0.0f;
        return;
    }
    frequency = std::min(coefficient(cutoffScale, x, sampleRate), kLargestCoefficient);
}
