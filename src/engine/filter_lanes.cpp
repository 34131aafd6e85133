#include "engine/filter_lanes.h"

#include <cstdint>

namespace {

Float4 lanes(const std::array<float, 4>& values) { return Float4::load(values.data()); }

std::array<float, 4> unpacked(Float4 v) {
    std::array<float, 4> values;
    v.store(values.data());
    return values;
}

}  // namespace

LfoLanes::LfoLanes(const std::array<const Lfo::Cursor*, 4>& cursors, const std::array<bool, 4>& running) {
    std::array<float, 4> phases, increments, depths;
    std::array<std::int32_t, 4> masks;
    for (std::size_t n = 0; n < 4; ++n) {
        const Lfo::Cursor& c = *cursors[n];
        phases[n] = c.phase;
        increments[n] = running[n] ? c.increment : 0.0f;
        depths[n] = c.depth;
        masks[n] = c.indexMask;
        tables[n] = c.table;
    }
    phase = lanes(phases);
    increment = lanes(increments);
    depth = lanes(depths);
    indexMask = Int4::of(masks);
}

void LfoLanes::storePhases(const std::array<Lfo::Cursor*, 4>& cursors) const {
    const std::array<float, 4> phases = unpacked(phase);
    for (std::size_t n = 0; n < 4; ++n) cursors[n]->phase = phases[n];
}

FilterLanes::FilterLanes(const std::array<FilterUnit::Runner, 4>& units) {
    auto each = [&](auto field) {
        std::array<decltype(field(units[0])), 4> values;
        for (std::size_t n = 0; n < 4; ++n) values[n] = field(units[n]);
        return values;
    };
    using R = const FilterUnit::Runner&;
    low = lanes(each([](R u) { return u.low; }));
    high = lanes(each([](R u) { return u.high; }));
    band = lanes(each([](R u) { return u.band; }));
    notch = lanes(each([](R u) { return u.notch; }));
    f = lanes(each([](R u) { return u.f; }));
    q = lanes(each([](R u) { return u.q; }));
    gainIn = lanes(each([](R u) { return u.gainIn; }));
    gainOut = lanes(each([](R u) { return u.gainOut; }));
    // As the scalar choice: low, high, band, and notch for any other mode.
    isLow = Mask4::of(each([](R u) { return u.mode == ModeLow; }));
    isHigh = Mask4::of(each([](R u) { return u.mode == ModeHigh; }));
    isBand = Mask4::of(each([](R u) { return u.mode == ModeBand; }));
    isNotch = Mask4::of(each([](R u) { return u.mode != ModeLow && u.mode != ModeHigh && u.mode != ModeBand; }));

    const auto filterRunning = each([](R u) { return u.filterModulated; });
    const auto volumeRunning = each([](R u) { return u.volumeModulated; });
    filterModulated = Mask4::of(filterRunning);
    volumeModulated = Mask4::of(volumeRunning);
    filterLfo = LfoLanes(each([](R u) { return &u.filterCursor; }), filterRunning);
    volumeLfo = LfoLanes(each([](R u) { return &u.volumeCursor; }), volumeRunning);
    for (const FilterUnit::Runner& u : units) anyModulated = anyModulated || u.modulated();
}

void FilterLanes::store(std::array<FilterUnit::Runner, 4>& units) const {
    const std::array<float, 4> lows = unpacked(low), highs = unpacked(high), bands = unpacked(band),
                               notches = unpacked(notch);
    for (std::size_t n = 0; n < 4; ++n) {
        units[n].low = lows[n];
        units[n].high = highs[n];
        units[n].band = bands[n];
        units[n].notch = notches[n];
    }
    filterLfo.storePhases({&units[0].filterCursor, &units[1].filterCursor, &units[2].filterCursor,
                           &units[3].filterCursor});
    volumeLfo.storePhases({&units[0].volumeCursor, &units[1].volumeCursor, &units[2].volumeCursor,
                           &units[3].volumeCursor});
}
