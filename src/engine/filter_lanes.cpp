#include "engine/filter_lanes.h"

#include <bit>
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
    std::array<float, 4> phases;
    for (std::size_t n = 0; n < 4; ++n) phases[n] = cursors[n]->phase;
    phase = lanes(phases);
    take(cursors, running);
}

std::array<bool, 4> LfoLanes::reload(const std::array<Lfo*, 4>& lfos) {
    std::array<float, 4> phases = unpacked(phase);
    std::array<Lfo::Cursor, 4> cursors;
    std::array<bool, 4> running;
    for (std::size_t n = 0; n < 4; ++n) {
        if (lfos[n]->takeRestart()) phases[n] = 0.0f;
        cursors[n] = lfos[n]->cursor();
        running[n] = cursors[n].depth != 0.0f;
    }
    phase = lanes(phases);
    take({&cursors[0], &cursors[1], &cursors[2], &cursors[3]}, running);
    return running;
}

void LfoLanes::take(const std::array<const Lfo::Cursor*, 4>& cursors, const std::array<bool, 4>& running) {
    std::array<float, 4> increments, depths;
    std::array<std::int32_t, 4> masks;
    for (std::size_t n = 0; n < 4; ++n) {
        const Lfo::Cursor& c = *cursors[n];
        increments[n] = running[n] ? c.increment : 0.0f;
        depths[n] = c.depth;
        masks[n] = c.indexMask;
        tables[n] = c.table;
    }
    increment = lanes(increments);
    depth = lanes(depths);
    indexMask = Int4::of(masks);
}

void LfoLanes::parkPhases(const std::array<Lfo*, 4>& lfos) const {
    const std::array<float, 4> phases = unpacked(phase);
    for (std::size_t n = 0; n < 4; ++n) lfos[n]->store({nullptr, 0, phases[n], 0.0f, 0.0f});
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
    delayMuted = std::bit_cast<std::uint32_t>(units[2].gainOut) == 0 && std::bit_cast<std::uint32_t>(units[3].gainOut) == 0;
}

void FilterLanes::reload(const std::array<FilterUnit*, 4>& units, unsigned settings) {
    auto each = [&](auto field) { return std::array{field(*units[0]), field(*units[1]), field(*units[2]), field(*units[3])}; };
    using U = const FilterUnit&;
    if (settings & Modes) {
        const std::array<std::int32_t, 4> modes = each([](U u) { return u.getMode(); });
        auto is = [&](auto test) {
            std::array<bool, 4> set;
            for (std::size_t n = 0; n < 4; ++n) set[n] = test(modes[n]);
            return Mask4::of(set);
        };
        isLow = is([](std::int32_t m) { return m == ModeLow; });
        isHigh = is([](std::int32_t m) { return m == ModeHigh; });
        isBand = is([](std::int32_t m) { return m == ModeBand; });
        isNotch = is([](std::int32_t m) { return m != ModeLow && m != ModeHigh && m != ModeBand; });
    }
    if (settings & Dampings) q = lanes(each([](U u) { return u.getDamping(); }));
    if (settings & FilterLfos) {
        filterModulated = Mask4::of(filterLfo.reload(each([](FilterUnit& u) { return &u.getFilterLfo(); })));
    }
    if (settings & VolumeLfos) {
        volumeModulated = Mask4::of(volumeLfo.reload(each([](FilterUnit& u) { return &u.getVolumeLfo(); })));
    }
    if (settings & (FilterLfos | VolumeLfos)) anyModulated = any(filterModulated) || any(volumeModulated);
}

void FilterLanes::park(const std::array<FilterUnit*, 4>& units) const {
    const std::array<float, 4> lows = unpacked(low), highs = unpacked(high), bands = unpacked(band),
                               notches = unpacked(notch);
    for (std::size_t n = 0; n < 4; ++n) units[n]->park(lows[n], highs[n], bands[n], notches[n]);
    filterLfo.parkPhases({&units[0]->getFilterLfo(), &units[1]->getFilterLfo(), &units[2]->getFilterLfo(),
                          &units[3]->getFilterLfo()});
    volumeLfo.parkPhases({&units[0]->getVolumeLfo(), &units[1]->getVolumeLfo(), &units[2]->getVolumeLfo(),
                          &units[3]->getVolumeLfo()});
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

void LaneRamp::start(const FilterLanes::Glide& from, const FilterLanes::Glide& to, std::int32_t samples) {
    auto stepOf = [&](Float4 a, Float4 b) {
        std::array<float, 4> s = unpacked(a);
        const std::array<float, 4> e = unpacked(b);
        for (std::size_t n = 0; n < 4; ++n) s[n] = (e[n] - s[n]) / static_cast<float>(samples);
        return lanes(s);
    };
    step = {stepOf(from.gains, to.gains), stepOf(from.cutoffs, to.cutoffs)};
    goal = to;
    left = samples;
}
