#include "plughost/wav_file.h"

#include <cstring>

namespace plughost {
namespace {

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::uint32_t littleEndian(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

struct Format {
    std::uint16_t code = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
};

bool parseFormat(const std::uint8_t* chunk, std::uint32_t size, Format& format) {
    if (size < 16) return false;
    format.code = static_cast<std::uint16_t>(littleEndian(chunk, 2));
    format.channels = static_cast<std::uint16_t>(littleEndian(chunk + 2, 2));
    format.rate = littleEndian(chunk + 4, 4);
    format.bits = static_cast<std::uint16_t>(littleEndian(chunk + 14, 2));
    // The extensible format names the real one in the first two bytes of its sub-format GUID.
    if (format.code == kExtensible && size >= 26) format.code = static_cast<std::uint16_t>(littleEndian(chunk + 24, 2));
    return true;
}

float sampleAt(const std::uint8_t* at, const Format& format) {
    if (format.code == kFloat) {
        float value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    const int bytes = format.bits / 8;
    // Shifted to the top of 32 bits, so that every width has the same sign and scale.
    const auto top = static_cast<std::int32_t>(littleEndian(at, bytes) << (32 - format.bits));
    return static_cast<float>(top / 2147483648.0);
}

bool supported(const Format& f) {
    return f.channels > 0 && f.rate > 0 &&
           ((f.code == kFloat && f.bits == 32) || (f.code == kPcm && (f.bits == 16 || f.bits == 24 || f.bits == 32)));
}

}  // namespace

std::vector<std::uint8_t> encodeFloatWav(const StereoAudio& audio) {
    const auto dataBytes = static_cast<std::uint32_t>(audio.frames() * 2 * sizeof(float));
    const auto rate = static_cast<std::uint32_t>(audio.sampleRate);
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    putLittleEndian(out, 4 + 8 + 16 + 8 + dataBytes, 4);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, kFloat, 2);
    putLittleEndian(out, 2, 2);                  // channels
    putLittleEndian(out, rate, 4);
    putLittleEndian(out, rate * 2 * 4, 4);       // bytes per second
    putLittleEndian(out, 2 * 4, 2);              // bytes per frame
    putLittleEndian(out, 32, 2);                 // bits per sample
    putTag(out, "data");
    putLittleEndian(out, dataBytes, 4);
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        for (float sample : {audio.left[i], audio.right[i]}) {
            std::uint32_t bits;
            std::memcpy(&bits, &sample, sizeof bits);
            putLittleEndian(out, bits, 4);
        }
    }
    return out;
}

bool decodeWav(const std::vector<std::uint8_t>& bytes, StereoAudio& audio, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0) {
        error = "not a WAV file";
        return false;
    }
    Format format;
    const std::uint8_t* data = nullptr;
    std::size_t dataBytes = 0;
    // Chunks: a four-letter type, a length, the body padded to an even length.
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::size_t size = std::min<std::size_t>(littleEndian(&bytes[at + 4], 4), bytes.size() - at - 8);
        const std::uint8_t* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && !parseFormat(body, static_cast<std::uint32_t>(size), format)) break;
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            data = body;
            dataBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    if (!data || !supported(format)) {
        error = "a WAV file this build cannot read: 16-, 24- or 32-bit integer or 32-bit float samples only";
        return false;
    }
    const std::size_t sampleBytes = format.bits / 8, frameBytes = sampleBytes * format.channels;
    const std::size_t frames = dataBytes / frameBytes, rightChannel = format.channels > 1 ? 1 : 0;
    audio.sampleRate = format.rate;
    audio.left.resize(frames);
    audio.right.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        audio.left[i] = sampleAt(data + i * frameBytes, format);
        audio.right[i] = sampleAt(data + i * frameBytes + rightChannel * sampleBytes, format);
    }
    return true;
}

}  // namespace plughost
