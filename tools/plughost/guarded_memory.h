// Buffers with a sentinel-filled guard zone behind the part a plug-in may use, so that a
// write past the end is seen instead of corrupting the validator.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace plughost {

// 256 usable bytes, the most any opcode's text or record needs, then the guard.
class GuardedBytes {
public:
    static constexpr std::size_t kUsable = 256;
    static constexpr std::size_t kGuard = 4096;
    static constexpr unsigned char kSentinel = 0xA5;

    GuardedBytes() : bytes(kUsable + kGuard, kSentinel) {}
    // Zeroed usable part: an empty text, or a record with every field 0.
    static GuardedBytes zeroed() {
        GuardedBytes b;
        std::memset(b.bytes.data(), 0, kUsable);
        return b;
    }
    static GuardedBytes holding(const std::string& text) {
        GuardedBytes b = zeroed();
        std::memcpy(b.bytes.data(), text.data(), std::min(text.size(), kUsable - 1));
        return b;
    }

    char* data() { return reinterpret_cast<char*>(bytes.data()); }
    const char* data() const { return reinterpret_cast<const char*>(bytes.data()); }
    bool overrun() const { return firstChange(kUsable, bytes.size()) != bytes.size(); }
    bool written() const { return firstChange(0, kUsable) != kUsable; }
    // Whether a zero byte ends a text within length bytes from offset.
    bool terminated(std::size_t offset = 0, std::size_t length = kUsable) const {
        return std::memchr(bytes.data() + offset, 0, length) != nullptr;
    }

private:
    std::size_t firstChange(std::size_t from, std::size_t to) const {
        for (std::size_t i = from; i < to; ++i) {
            if (bytes[i] != kSentinel) return i;
        }
        return to;
    }
    std::vector<unsigned char> bytes;
};

// Audio channels of a given length followed by guard samples of a NaN bit pattern that no
// arithmetic produces.
class GuardedAudio {
public:
    static constexpr std::size_t kGuardFrames = 64;
    static constexpr std::uint32_t kGuardBits = 0x7fc0dead;

    GuardedAudio(int channels, std::size_t frames);
    GuardedAudio(const GuardedAudio&) = delete;  // the pointers would still lead to the original
    GuardedAudio& operator=(const GuardedAudio&) = delete;
    float** pointers() { return pointerList.data(); }
    float* channel(int c) { return pointerList[static_cast<std::size_t>(c)]; }
    const std::vector<std::vector<float>>& samples() const { return storage; }
    int channels() const { return static_cast<int>(pointerList.size()); }
    std::size_t frames() const { return length; }
    // Guards follow used frames: frames written at or after used count as overrun.
    void guardFrom(std::size_t used);
    bool overrun(std::size_t used) const;
    // The first channel and frame that is not finite, or -1 when all are.
    long firstNonFinite(std::size_t used, int& channel) const;

private:
    std::size_t length;
    std::vector<std::vector<float>> storage;
    std::vector<float*> pointerList;
};

}  // namespace plughost
