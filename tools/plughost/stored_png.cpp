#include <array>

#include "plughost/png_file.h"

namespace plughost {
namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(const std::vector<std::uint8_t>& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(&out[typeAt], 4 + data.size()));
}

// Each row after its filter byte 0 (no filter).
std::vector<std::uint8_t> scanlines(int width, int height, const std::uint8_t* rgb) {
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        const std::uint8_t* row = rgb + rowBytes * static_cast<std::size_t>(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }
    return raw;
}

// A zlib stream: header, stored blocks (final bit, length, its complement, bytes), Adler-32.
std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - at);
        const bool last = at + length == raw.size();
        const auto n = static_cast<std::uint16_t>(length);
        out.push_back(last ? 1 : 0);
        for (std::uint16_t v : {n, static_cast<std::uint16_t>(~n)}) {
            out.push_back(static_cast<std::uint8_t>(v & 0xFF));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    putBigEndian(out, adler32(raw));
    return out;
}

}  // namespace

std::vector<std::uint8_t> encodeStoredPng(int width, int height, const std::uint8_t* rgb) {
    std::vector<std::uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    // 8 bits per sample, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    for (std::uint8_t field : {8, 2, 0, 0, 0}) header.push_back(field);
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlibStored(scanlines(width, height, rgb)));
    putChunk(file, "IEND", {});
    return file;
}

}  // namespace plughost
