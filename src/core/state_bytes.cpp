#include "core/state_bytes.h"

#include <bit>

namespace {

void putWord(std::vector<unsigned char>& bytes, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(word >> shift));
}

std::uint32_t wordAt(const std::vector<unsigned char>& bytes, std::size_t word) {
    std::uint32_t value = 0;
    for (int b = 3; b >= 0; --b) value = (value << 8) | bytes[word * 4 + static_cast<std::size_t>(b)];
    return value;
}

}  // namespace

std::vector<unsigned char> encodeState(const ParameterValues& values) {
    std::vector<unsigned char> bytes;
    bytes.reserve(kLargestState);
    putWord(bytes, kStateMagic);
    putWord(bytes, kStateVersion);
    putWord(bytes, static_cast<std::uint32_t>(values.size()));
    for (float value : values) putWord(bytes, std::bit_cast<std::uint32_t>(value));
    return bytes;
}

std::optional<ParameterValues> decodeState(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < 12 || bytes.size() % 4 != 0) return std::nullopt;
    const std::uint32_t count = wordAt(bytes, 2);
    if (wordAt(bytes, 0) != kStateMagic || wordAt(bytes, 1) != kStateVersion || count > kNumDefinedParams ||
        bytes.size() != (3 + count) * 4)
        return std::nullopt;
    ParameterValues values;
    for (std::uint32_t index = 0; index < kNumDefinedParams; ++index) {
        const float value = index < count ? std::bit_cast<float>(wordAt(bytes, 3 + index)) : kParameters[index].initial;
        if (!(value >= 0.0f && value <= 1.0f)) return std::nullopt;
        values[index] = value;
    }
    return values;
}
