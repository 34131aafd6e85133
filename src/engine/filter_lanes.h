// The engine's four filter units side by side in the four lanes of one register. Each
// lane does the single-precision operations of FilterUnit::Runner::step in the same order
// (no fused multiply-add, no reassociation), so every lane's output is bit for bit what its
// unit would give on its own; the mode and the modulation are chosen per lane by masks, so
// nothing branches on a lane's settings or values.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "engine/filter_unit.h"
#include "engine/float_lanes.h"
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
    Float4 tick() {
        const Int4 index = phase.truncated() & indexMask;
        const Float4 result = lookUp(index) * depth;
        advancePhase();
        return result;
    }

    // A tick's step of the phases, without the table look-up.
    void advancePhase() {
        phase = phase + increment;
        // Lanes past the wrap threshold lose their whole table lengths; the others lose +0.0,
        // which leaves any value as it is.
        const Mask4 past = phase >= Float4::all(Lfo::kWrapThreshold);
        const Int4 whole = andNot(indexMask, phase.truncated());
        phase = phase - (past & Float4::from(whole));
    }

    // Whether every lane stays below the threshold for `steps` additions, in which case
    // folding back takes nothing off and a step is the addition alone. Below 2^20 a sum is
    // rounded up by at most half a unit in the last place, 1/32, so no lane gets beyond
    // phase + steps x (increment + 1/32). Computed in float, that bound is off by less than
    // 0.2 at this size, hence the margin of 1.
    bool staysBelowThreshold(std::int32_t steps) const {
        const Float4 slack = Float4::all(1.0f / 32.0f);
        const Float4 reach = phase + Float4::all(static_cast<float>(steps)) * (increment + slack);
        return !any(reach >= Float4::all(Lfo::kWrapThreshold - 1.0f));
    }
    // A step of phases that stay below the threshold.
    void addIncrement() { phase = phase + increment; }
    void keepPhase(const LfoLanes& ran) { phase = ran.phase; }

    void storePhases(const std::array<Lfo::Cursor*, 4>& cursors) const;
    // Each lane's table, rate and depth taken anew from its oscillator, the phase kept where
    // it stands unless the oscillator was asked to restart; answers which lanes run.
    std::array<bool, 4> reload(const std::array<Lfo*, 4>& lfos);
    void parkPhases(const std::array<Lfo*, 4>& lfos) const;

private:
    // Each lane's table, rate and depth from its cursor; a lane that does not run adds 0.0.
    void take(const std::array<const Lfo::Cursor*, 4>& cursors, const std::array<bool, 4>& running);

    // Indices below 65536 are small lanes, one instruction each.
    static_assert(kWaveTableLength <= 65536);

    Float4 lookUp(Int4 index) const {
        return Float4::of(tables[0][index.smallLane<0>()], tables[1][index.smallLane<1>()],
                          tables[2][index.smallLane<2>()], tables[3][index.smallLane<3>()]);
    }

    Float4 phase{};
    Float4 increment{};
    Float4 depth{};
    Int4 indexMask{};
    std::array<const float*, 4> tables{};
};

class FilterLanes {
public:
    FilterLanes() = default;
    // Lane n runs units[n]'s filter, LFOs and output gain.
    explicit FilterLanes(const std::array<FilterUnit::Runner, 4>& units);
    void store(std::array<FilterUnit::Runner, 4>& units) const;

    // The settings that change; reload takes all but the gains and cutoffs anew from the
    // units, the states and phases stay.
    enum Setting : unsigned { Gains = 1, Modes = 2, Cutoffs = 4, Dampings = 8, FilterLfos = 16, VolumeLfos = 32 };
    void reload(const std::array<FilterUnit*, 4>& units, unsigned settings);
    // The output gains and cutoffs as the units have them, gathered by the caller.
    void setGains(Float4 gains) {
        gainOut = gains;
        delayMuted = allBitsZero(gains.highTwice());
    }
    void setCutoffs(Float4 cutoffs) { f = cutoffs; }
    // The states and LFO phases into the units, for whoever looks at them between blocks.
    void park(const std::array<FilterUnit*, 4>& units) const;

    // As FilterUnit::silenceRunaway in every lane: the four states of a lane of which one is
    // not finite or lies beyond FilterUnit::kRunawayLevel become +0.0.
    void silenceRunaways() {
        // The float above the level: below it is at most the level.
        constexpr float kAbove = std::bit_cast<float>(std::bit_cast<std::uint32_t>(FilterUnit::kRunawayLevel) + 1);
        const Float4 limit = Float4::all(kAbove);
        const Mask4 inRange = magnitudeBelow(low, limit) & magnitudeBelow(high, limit) & magnitudeBelow(band, limit) &
                              magnitudeBelow(notch, limit);
        low = inRange & low;
        high = inRange & high;
        band = inRange & band;
        notch = inRange & notch;
    }
    // As FilterUnit::forgetZeroSigns: a high or notch of -0.0 becomes +0.0.
    void forgetZeroSigns() {
        const Float4 zero = Float4::all(0.0f);
        high = select(isZero(high), zero, high);
        notch = select(isZero(notch), zero, notch);
    }
    // Whether all sixteen states are +0.0.
    bool atRest() const { return allBitsZero((low | high) | (band | notch)); }
    // Whether the output gains of lanes 2 and 3, the delay path, are +0.0.
    bool delayGainsZero() const { return delayMuted; }

    // What a copy that ran some samples changed: the states and the LFO phases.
    void keepRunning(const FilterLanes& ran) {
        low = ran.low;
        high = ran.high;
        band = ran.band;
        notch = ran.notch;
        filterLfo.keepPhase(ran.filterLfo);
        volumeLfo.keepPhase(ran.volumeLfo);
    }

    // The output gains and cutoffs, which a moving delay ramps from sample to sample.
    struct Glide {
        Float4 gains, cutoffs;
    };
    Glide glide() const { return {gainOut, f}; }
    void setGlide(const Glide& at) {
        gainOut = at.gains;
        f = at.cutoffs;
    }
    void addGlide(const Glide& step) {
        gainOut = gainOut + step.gains;
        f = f + step.cutoffs;
    }

    // Whether any lane's LFO runs. When none does, step<false> gives the same results
    // without the LFO work.
    bool modulated() const { return anyModulated; }

    // The LFO phases as `steps` samples leave them, without the filters. Both oscillators
    // step in one loop: a lane that does not run adds 0.0 and stays below the threshold.
    void advanceLfos(std::int32_t steps) {
        if (!anyModulated) return;
        if (filterLfo.staysBelowThreshold(steps) && volumeLfo.staysBelowThreshold(steps)) {
            for (std::int32_t n = 0; n < steps; ++n) {
                filterLfo.addIncrement();
                volumeLfo.addIncrement();
            }
        } else {
            for (std::int32_t n = 0; n < steps; ++n) {
                filterLfo.advancePhase();
                volumeLfo.advancePhase();
            }
        }
    }

    // Lanes whose four states have all died away below FilterUnit::kSettledLevel get +0.0 in
    // all four; the others keep theirs.
    void clearSettled() {
        const Float4 level = Float4::all(FilterUnit::kSettledLevel);
        const Mask4 settled = magnitudeBelow(low, level) & magnitudeBelow(high, level) &
                              magnitudeBelow(band, level) & magnitudeBelow(notch, level);
        const Float4 zero = Float4::all(0.0f);
        low = select(settled, zero, low);
        high = select(settled, zero, high);
        band = select(settled, zero, band);
        notch = select(settled, zero, notch);
    }

    // One sample in each lane. Always inlined: called from a sample loop, it keeps the lanes'
    // states in registers only there (gcc otherwise leaves the modulated one out of line in
    // some loops, which then store and reload every state each sample).
    template <bool MayModulate>
    [[gnu::always_inline]] Float4 step(Float4 in) {
        Float4 fc = f;
        if constexpr (MayModulate) {
            const Float4 m = filterLfo.tick();
            // Selects, here and for the level below, not arithmetic with a zero modulation:
            // y - 0.0 x y would turn -0.0 into +0.0.
            fc = select(filterModulated, f - m * f, f);
        }
        low = low + fc * band;
        high = in * gainIn - low - q * band;
        band = band + fc * high;
        notch = low + high;
        Float4 y = ((isLow & low) | (isHigh & high)) | ((isBand & band) | (isNotch & notch));
        if constexpr (MayModulate) {
            const Float4 m2 = volumeLfo.tick();
            y = select(volumeModulated, y - m2 * y, y);
        }
        return y * gainOut;
    }

private:
    Float4 low{}, high{}, band{}, notch{};
    Float4 f{}, q{}, gainIn{}, gainOut{};
    // Set in the lanes whose mode selects that state.
    Mask4 isLow{}, isHigh{}, isBand{}, isNotch{};
    // Set in the lanes whose filter or volume LFO runs.
    Mask4 filterModulated{}, volumeModulated{};
    LfoLanes filterLfo, volumeLfo;
    bool anyModulated = false;
    bool delayMuted = false;
};

// The lanes' output gains and cutoffs moving in equal steps to new ones, one step per
// sample; at the end they are the new ones exactly.
class LaneRamp {
public:
    bool moving() const { return left > 0; }
    void start(const FilterLanes::Glide& from, const FilterLanes::Glide& to, std::int32_t samples);
    void next(FilterLanes& lanes) {
        if (left == 0) return;
        if (--left == 0)
            lanes.setGlide(goal);
        else
            lanes.addGlide(step);
    }
    void finish(FilterLanes& lanes) {
        if (left == 0) return;
        lanes.setGlide(goal);
        left = 0;
    }

private:
    FilterLanes::Glide step{}, goal{};
    std::int32_t left = 0;
};
