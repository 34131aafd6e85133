// The engine's four filter units side by side in the four lanes of one SSE register. Each
// lane does the single-precision operations of FilterUnit::Runner::step in the same order
// (no fused multiply-add, no reassociation), so every lane's output is bit for bit what its
// unit would give on its own; the mode and the modulation are chosen per lane by masks, so
// nothing branches on a lane's settings or values.
#pragma once

#include <emmintrin.h>

#include <array>

#include "engine/filter_unit.h"
#include "engine/lfo.h"
#include "engine/wave_table.h"

// Four oscillators, one per lane, as Lfo::Cursor runs one. A lane whose oscillator is off
// advances by 0.0, so its phase stays where it is: below the wrap threshold, as every step
// that reaches the threshold folds the phase back.
class LfoLanes {
public:
    LfoLanes() = default;
    LfoLanes(const std::array<const Lfo::Cursor*, 4>& cursors, const std::array<bool, 4>& running);

    // The table value at each lane's phase times its depth; then the phases advance.
    __m128 tick() {
        const __m128i index = _mm_and_si128(_mm_cvttps_epi32(phase), indexMask);
        const __m128 result = _mm_mul_ps(lookUp(index), depth);
        phase = _mm_add_ps(phase, increment);
        // Lanes past the wrap threshold lose their whole table lengths; the others lose +0.0,
        // which leaves any value as it is.
        const __m128 past = _mm_cmpge_ps(phase, _mm_set1_ps(Lfo::kWrapThreshold));
        const __m128i whole = _mm_andnot_si128(indexMask, _mm_cvttps_epi32(phase));
        phase = _mm_sub_ps(phase, _mm_and_ps(past, _mm_cvtepi32_ps(whole)));
        return result;
    }

    void storePhases(const std::array<Lfo::Cursor*, 4>& cursors) const;

private:
    // Indices below 65536 fit the 16-bit extract, one instruction per lane.
    static_assert(kWaveTableLength <= 65536);

    __m128 lookUp(__m128i index) const {
        return _mm_setr_ps(tables[0][_mm_extract_epi16(index, 0)], tables[1][_mm_extract_epi16(index, 2)],
                           tables[2][_mm_extract_epi16(index, 4)], tables[3][_mm_extract_epi16(index, 6)]);
    }

    __m128 phase{};
    __m128 increment{};
    __m128 depth{};
    __m128i indexMask{};
    std::array<const float*, 4> tables{};
};

class FilterLanes {
public:
    // Lane n runs units[n]'s filter, LFOs and output gain.
    explicit FilterLanes(const std::array<FilterUnit::Runner, 4>& units);
    void store(std::array<FilterUnit::Runner, 4>& units) const;

    // Whether any lane's LFO runs. When none does, step<false> gives the same results
    // without the LFO work.
    bool modulated() const { return anyModulated; }

    // One sample in each lane.
    template <bool MayModulate>
    __m128 step(__m128 in) {
        __m128 fc = f;
        if constexpr (MayModulate) {
            const __m128 m = filterLfo.tick();
            fc = select(filterModulated, _mm_sub_ps(f, _mm_mul_ps(m, f)), f);
        }
        low = _mm_add_ps(low, _mm_mul_ps(fc, band));
        high = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(in, gainIn), low), _mm_mul_ps(q, band));
        band = _mm_add_ps(band, _mm_mul_ps(fc, high));
        notch = _mm_add_ps(low, high);
        __m128 y = _mm_or_ps(_mm_or_ps(_mm_and_ps(isLow, low), _mm_and_ps(isHigh, high)),
                             _mm_or_ps(_mm_and_ps(isBand, band), _mm_and_ps(isNotch, notch)));
        if constexpr (MayModulate) {
            const __m128 m2 = volumeLfo.tick();
            y = select(volumeModulated, _mm_sub_ps(y, _mm_mul_ps(m2, y)), y);
        }
        return _mm_mul_ps(y, gainOut);
    }

private:
    // A select, not arithmetic with a zero modulation: y - 0.0 x y would turn -0.0 into +0.0.
    static __m128 select(__m128 mask, __m128 whereSet, __m128 elsewhere) {
        return _mm_or_ps(_mm_and_ps(mask, whereSet), _mm_andnot_ps(mask, elsewhere));
    }

    __m128 low, high, band, notch;
    __m128 f, q, gainIn, gainOut;
    // All ones in the lanes whose mode selects that state.
    __m128 isLow, isHigh, isBand, isNotch;
    // All ones in the lanes whose filter or volume LFO runs.
    __m128 filterModulated, volumeModulated;
    LfoLanes filterLfo, volumeLfo;
    bool anyModulated = false;
};
