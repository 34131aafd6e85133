#include "engine/wave_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void WaveTableSet::add(const WaveTable& source) {
    if (count >= kCapacity) return;
    WaveTable& record = tables[count];
    std::memcpy(record.name, source.name, sizeof record.name);
    record.name[sizeof record.name - 1] = '\0';
    record.length = source.length;
    record.data = std::make_unique<float[]>(static_cast<std::size_t>(source.length));
    std::copy_n(source.data.get(), source.length, record.data.get());
    ++count;
}

void buildWaveTables(WaveTableSet& set) {
    constexpr const char* kNames[WaveTableSet::kCapacity] = {"Pulse", "Sawtooth", "Sine", "Square", "Triangle"};
    constexpr double kPi = 3.14159265358979323846;
    constexpr std::int32_t kHalf = kWaveTableLength / 2;

    WaveTable shapes[WaveTableSet::kCapacity];
    for (std::int32_t s = 0; s < WaveTableSet::kCapacity; ++s) {
        std::strcpy(shapes[s].name, kNames[s]);
        shapes[s].length = kWaveTableLength;
        shapes[s].data = std::make_unique<float[]>(kWaveTableLength);
    }
    for (std::int32_t i = 0; i < kWaveTableLength; ++i) {
        const std::int32_t j = i % kHalf;
        shapes[ShapePulse].data[i] = i < kWaveTableLength / 4 ? 1.0f : 0.0f;
        shapes[ShapeSawtooth].data[i] = static_cast<float>(static_cast<double>(i) / kWaveTableLength);
        shapes[ShapeSine].data[i] = static_cast<float>(std::sin(kPi * i / kWaveTableLength));
        shapes[ShapeSquare].data[i] = i < kHalf ? 1.0f : 0.0f;
        shapes[ShapeTriangle].data[i] =
            static_cast<float>(i < kHalf ? static_cast<double>(j) / kHalf : 1.0 - static_cast<double>(j) / kHalf);
    }
    for (const WaveTable& shape : shapes) set.add(shape);
}
