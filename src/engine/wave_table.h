// Single-cycle modulation tables. Every value lies in 0.0..1.0: the oscillators only ever
// lower a cutoff or a level, never raise it.
#pragma once

#include <cstdint>
#include <memory>

struct WaveTable {
    std::unique_ptr<float[]> data;
    std::int32_t length = 0;
    char name[32] = {};
};

class WaveTableSet {
public:
    static constexpr std::int32_t kCapacity = 5;

    // Copies the source's name, length and samples into the next free record; a full set
    // ignores further tables.
    void add(const WaveTable& source);
    const WaveTable& get(std::int32_t n) const { return tables[n]; }
    std::int32_t size() const { return count; }

private:
    std::int32_t count = 0;
    WaveTable tables[kCapacity];
};

constexpr std::int32_t kWaveTableLength = 4096;

// Shape numbers used by the LFO shape parameters.
enum WaveShape : std::int32_t { ShapePulse = 0, ShapeSawtooth, ShapeSine, ShapeSquare, ShapeTriangle };

// Fills an empty set with "Pulse", "Sawtooth", "Sine", "Square" and "Triangle".
void buildWaveTables(WaveTableSet& set);
