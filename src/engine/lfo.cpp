#include "engine/lfo.h"

Lfo::Lfo(const WaveTableSet& tables, float rateHz) : waveTables(tables), sampleRate(static_cast<std::int32_t>(rateHz)) {
    setShape(ShapePulse);
    reset();
}

void Lfo::setShape(std::int32_t n) {
    const WaveTable& chosen = waveTables.get(n);
    shape = n;
    currentTable = &chosen;
    table = chosen.data.get();
    indexMask = chosen.length - 1;
    incrementPerRateUnit = static_cast<float>(static_cast<double>(chosen.length) / sampleRate * 0.5);
    reset();
}

void Lfo::setRate(float x) {
    // rate scale x x, written as a division by the reciprocal; the increment is taken from
    // the quotient before it is rounded to float.
    const double quotient = x == 0.0f ? 0.0 : rateScale / (1.0 / x);
    rate = static_cast<float>(quotient);
    // The cycle goes on from its phase: a rate that moves (automation, a drag) sweeps the
    // modulation instead of holding it at the start of the cycle.
    phaseIncrement = static_cast<float>(quotient * incrementPerRateUnit);
}
