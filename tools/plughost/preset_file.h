// VST 2 preset files: .fxp (one program) and .fxb (a bank of programs), each either
// parameter-based (every value as a big-endian float) or chunk-based (the plug-in's own
// opaque data). Pure byte work: nothing here talks to a plug-in, so the reader can be fed
// anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plughost {

struct PresetProgram {
    std::string name;           // at most 27 characters in the file
    std::vector<float> values;  // parameter-based
    std::size_t offset = 0;     // where the program's record starts in the file it was read from
};

struct PresetFile {
    bool bank = false;     // .fxb rather than .fxp
    bool chunked = false;  // opaque chunk rather than parameter values
    std::int32_t pluginId = 0;
    std::int32_t pluginVersion = 0;
    std::int32_t currentProgram = 0;  // banks of format version 2 record it; 0 otherwise
    std::int32_t formatVersion = 1;
    // A parameter-based program file holds one program, a parameter-based bank one per
    // program. A chunk-based program file holds one program with its name and no values; a
    // chunk-based bank holds none (its names live in the chunk) but records the count.
    std::vector<PresetProgram> programs;
    // Chunk-based files: the count field as written, parameters of a program file, programs
    // of a bank.
    std::int32_t chunkCount = 0;
    std::vector<std::uint8_t> chunk;
};

// Byte offsets of the fields a caller reports problems at.
constexpr std::size_t kPluginIdOffset = 16;
constexpr std::size_t kCountOffset = 24;  // the parameter count of a program, the program count of a bank

// Reads a whole file's bytes. On a malformed file: nullopt, and error names the problem and
// the byte offset at which it was found.
std::optional<PresetFile> parsePresetFile(std::span<const std::uint8_t> bytes, std::string& error);

std::vector<std::uint8_t> writePresetFile(const PresetFile& file);

// A four-character code (a plug-in id, a file's mark) as its characters when they are
// printable, always with its hex: "QvRk (0x5176526b)".
std::string fourCharText(std::int32_t code);

}  // namespace plughost
