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
