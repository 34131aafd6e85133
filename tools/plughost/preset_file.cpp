#include "plughost/preset_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace plughost {
namespace {

constexpr std::size_t kProgramHeader = 56;  // up to the first value or the chunk size
constexpr std::size_t kBankHeader = 156;    // 28 bytes of fields, 128 reserved
constexpr std::size_t kNameBytes = 28;

constexpr std::uint32_t tag(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}
constexpr std::uint32_t kContainer = tag("CcnK");
constexpr std::uint32_t kProgramValues = tag("FxCk");
constexpr std::uint32_t kProgramChunk = tag("FPCh");
constexpr std::uint32_t kBankValues = tag("FxBk");
constexpr std::uint32_t kBankChunk = tag("FBCh");

// Reads big-endian fields in order and says where it stopped when the bytes run out.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, std::string& error) : bytes(bytes), error(error) {}

    std::size_t at() const { return position; }
    std::size_t left() const { return bytes.size() - position; }

    bool word(std::uint32_t& value, const char* what) {
        if (!need(4, what)) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | bytes[position++];
        return true;
    }
    bool integer(std::int32_t& value, const char* what) {
        std::uint32_t raw = 0;
        if (!word(raw, what)) return false;
        value = static_cast<std::int32_t>(raw);
        return true;
    }
    bool real(float& value) {
        const std::size_t where = position;
        std::uint32_t raw = 0;
        if (!word(raw, "a parameter value")) return false;
        std::memcpy(&value, &raw, sizeof value);
        if (std::isfinite(value)) return true;
        return fail(where, std::string("a parameter value is ") + (std::isnan(value) ? "NaN" : "infinite"));
    }
    bool name(std::string& text) {
        if (!need(kNameBytes, "the program name")) return false;
        const auto* start = reinterpret_cast<const char*>(&bytes[position]);
        text.assign(start, std::find(start, start + kNameBytes, '\0'));
        position += kNameBytes;
        return true;
    }
    bool block(std::vector<std::uint8_t>& data, std::size_t size, const char* what) {
        if (!need(size, what)) return false;
        data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                    bytes.begin() + static_cast<std::ptrdiff_t>(position + size));
        position += size;
        return true;
    }
    bool skip(std::size_t size, const char* what) {
        if (!need(size, what)) return false;
        position += size;
        return true;
    }
    bool fail(std::size_t where, const std::string& problem) {
        error = "byte " + std::to_string(where) + ": " + problem;
        return false;
    }

private:
    bool need(std::size_t size, const char* what) {
        if (size <= left()) return true;
        return fail(position, std::string("the file is truncated: ") + what + " needs " + std::to_string(size) +
                                  " bytes, " + std::to_string(left()) + " are left");
    }

    std::span<const std::uint8_t> bytes;
    std::string& error;
    std::size_t position = 0;
};

// The container header: CcnK, the byte count that follows, and the kind of record.
bool readContainer(Reader& in, std::uint32_t& kind) {
    std::uint32_t magic = 0, size = 0;
    const std::size_t start = in.at();
    if (!in.word(magic, "the CcnK mark")) return false;
    if (magic != kContainer) return in.fail(start, "not a VST preset: " + fourCharText(static_cast<std::int32_t>(magic)) + " where CcnK belongs");
    if (!in.word(size, "the byte count")) return false;
    if (size > in.left()) {
        return in.fail(start + 4, "the file is truncated: its header counts " + std::to_string(size) + " bytes, " +
                                      std::to_string(in.left()) + " follow");
    }
    return in.word(kind, "the record kind");
}

// The fields after the record kind, shared by programs and banks: version, id, plug-in
// version, count.
bool readIdentity(Reader& in, PresetFile& file, std::int32_t& count, const char* counted) {
    const std::size_t countAt = in.at() + 12;
    if (!in.integer(file.formatVersion, "the format version") || !in.integer(file.pluginId, "the plug-in id") ||
        !in.integer(file.pluginVersion, "the plug-in version") || !in.integer(count, counted)) {
        return false;
    }
    if (count < 0) return in.fail(countAt, std::string(counted) + " is negative (" + std::to_string(count) + ")");
    return true;
}

bool readChunk(Reader& in, PresetFile& file) {
    const std::size_t sizeAt = in.at();
    std::int32_t size = 0;
    if (!in.integer(size, "the chunk size")) return false;
    if (size < 0 || static_cast<std::size_t>(size) > in.left()) {
        return in.fail(sizeAt, "the chunk size " + std::to_string(size) + " does not fit the " +
                                   std::to_string(in.left()) + " bytes that follow");
    }
    return in.block(file.chunk, static_cast<std::size_t>(size), "the chunk");
}

bool readValues(Reader& in, std::int32_t count, std::size_t countAt, std::vector<float>& values) {
    if (static_cast<std::size_t>(count) > in.left() / 4) {
        return in.fail(countAt, std::to_string(count) + " parameter values do not fit the " +
                                                     std::to_string(in.left()) + " bytes that follow");
    }
    values.resize(static_cast<std::size_t>(count));
    for (float& value : values) {
        if (!in.real(value)) return false;
    }
    return true;
}

// One program record: the whole of a .fxp, or one entry of a parameter bank (values only).
bool readProgram(Reader& in, PresetFile& file, bool insideBank) {
    PresetProgram program;
    program.offset = in.at();
    std::uint32_t kind = 0;
    if (!readContainer(in, kind)) return false;
    const bool chunked = kind == kProgramChunk;
    if (kind != kProgramValues && !(chunked && !insideBank)) {
        return in.fail(program.offset + 8, "unknown program kind " + fourCharText(static_cast<std::int32_t>(kind)) +
                                               (insideBank ? " (a bank of values holds FxCk programs)" : " (FxCk or FPCh)"));
    }
    PresetFile fields;
    std::int32_t count = 0;
    if (!readIdentity(in, fields, count, "the parameter count") || !in.name(program.name)) return false;
    if (insideBank && fields.pluginId != file.pluginId) {
        return in.fail(program.offset + kPluginIdOffset, "the program's plug-in id " + fourCharText(fields.pluginId) +
                                                             " differs from the bank's " + fourCharText(file.pluginId));
    }
    if (!insideBank) {
        file = fields;
        file.chunked = chunked;
        file.chunkCount = chunked ? count : 0;
    }
    if (chunked ? !readChunk(in, file) : !readValues(in, count, program.offset + kCountOffset, program.values)) return false;
    file.programs.push_back(std::move(program));
    return true;
}

bool readBank(Reader& in, PresetFile& file, std::uint32_t kind) {
    file.bank = true;
    file.chunked = kind == kBankChunk;
    std::int32_t count = 0;
    if (!readIdentity(in, file, count, "the program count")) return false;
    if (file.formatVersion >= 2 && !in.integer(file.currentProgram, "the current program")) return false;
    if (!in.skip(kBankHeader - in.at(), "the reserved bytes")) return false;
    if (file.chunked) {
        file.chunkCount = count;
        return readChunk(in, file);
    }
    if (static_cast<std::size_t>(count) > in.left() / kProgramHeader) {
        return in.fail(kCountOffset, std::to_string(count) + " programs do not fit the " + std::to_string(in.left()) +
                                         " bytes that follow");
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (!readProgram(in, file, true)) return false;
        if (file.programs.back().values.size() != file.programs.front().values.size()) {
            return in.fail(file.programs.back().offset + kCountOffset, "the programs of the bank differ in parameter count");
        }
    }
    return true;
}

class Writer {
public:
    void word(std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    void integer(std::int32_t value) { word(static_cast<std::uint32_t>(value)); }
    void real(float value) {
        std::uint32_t raw = 0;
        std::memcpy(&raw, &value, sizeof raw);
        word(raw);
    }
    void name(const std::string& text) {
        const std::size_t length = std::min(text.size(), kNameBytes - 1);
        bytes.insert(bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
        bytes.resize(bytes.size() + kNameBytes - length, 0);
    }
    void append(const std::vector<std::uint8_t>& data) { bytes.insert(bytes.end(), data.begin(), data.end()); }
    void zeros(std::size_t count) { bytes.resize(bytes.size() + count, 0); }
    // Starts a CcnK record; close() fills in its byte count.
    std::size_t open(std::uint32_t kind) {
        const std::size_t start = bytes.size();
        word(kContainer);
        word(0);
        word(kind);
        return start;
    }
    void close(std::size_t start) {
        const auto size = static_cast<std::uint32_t>(bytes.size() - start - 8);
        for (int i = 0; i < 4; ++i) bytes[start + 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    }

    std::vector<std::uint8_t> bytes;
};

void writeIdentity(Writer& out, const PresetFile& file, std::int32_t count) {
    out.integer(file.formatVersion);
    out.integer(file.pluginId);
    out.integer(file.pluginVersion);
    out.integer(count);
}

void writeChunk(Writer& out, const PresetFile& file) {
    out.integer(static_cast<std::int32_t>(file.chunk.size()));
    out.append(file.chunk);
}

void writeProgram(Writer& out, const PresetFile& file, const PresetProgram& program) {
    const std::size_t start = out.open(file.chunked ? kProgramChunk : kProgramValues);
    writeIdentity(out, file, file.chunked ? file.chunkCount : static_cast<std::int32_t>(program.values.size()));
    out.name(program.name);
    if (file.chunked) {
        writeChunk(out, file);
    } else {
        for (float value : program.values) out.real(value);
    }
    out.close(start);
}

void writeBank(Writer& out, const PresetFile& file) {
    const std::size_t start = out.open(file.chunked ? kBankChunk : kBankValues);
    writeIdentity(out, file, file.chunked ? file.chunkCount : static_cast<std::int32_t>(file.programs.size()));
    if (file.formatVersion >= 2) out.integer(file.currentProgram);
    out.zeros(kBankHeader - out.bytes.size());
    if (file.chunked) {
        writeChunk(out, file);
    } else {
        PresetFile entry = file;
        entry.formatVersion = 1;
        for (const PresetProgram& program : file.programs) writeProgram(out, entry, program);
    }
    out.close(start);
}

}  // namespace

std::optional<PresetFile> parsePresetFile(std::span<const std::uint8_t> bytes, std::string& error) {
    Reader in(bytes, error);
    PresetFile file;
    std::uint32_t kind = 0;
    if (!readContainer(in, kind)) return std::nullopt;
    if (kind == kBankValues || kind == kBankChunk) {
        if (!readBank(in, file, kind)) return std::nullopt;
        return file;
    }
    Reader again(bytes, error);
    if (!readProgram(again, file, false)) return std::nullopt;
    return file;
}

std::vector<std::uint8_t> writePresetFile(const PresetFile& file) {
    Writer out;
    if (file.bank) {
        writeBank(out, file);
    } else if (!file.programs.empty()) {
        writeProgram(out, file, file.programs.front());
    }
    return out.bytes;
}

std::string fourCharText(std::int32_t code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", static_cast<std::uint32_t>(code));
    std::string chars;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(static_cast<std::uint32_t>(code) >> shift);
        if (c < 0x20 || c > 0x7e) return hex;
        chars += static_cast<char>(c);
    }
    return chars + " (" + hex + ")";
}

}  // namespace plughost
