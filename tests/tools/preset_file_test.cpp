#include "plughost/preset_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "vst2/aeffect.h"

namespace plughost {
namespace {

using Bytes = std::vector<std::uint8_t>;

PresetFile valuesProgram(std::vector<float> values) {
    PresetFile file;
    file.pluginId = fourCharCode("QvRk");
    file.pluginVersion = 1000;
    file.programs.push_back({"Dub Echo", std::move(values), 0});
    return file;
}

PresetFile valuesBank(int programs, int parameters) {
    PresetFile file = valuesProgram({});
    file.bank = true;
    file.programs.clear();
    for (int p = 0; p < programs; ++p) {
        std::vector<float> values(static_cast<std::size_t>(parameters));
        for (int i = 0; i < parameters; ++i) values[static_cast<std::size_t>(i)] = static_cast<float>(p * 100 + i) / 1000.0f;
        file.programs.push_back({"Program " + std::to_string(p), values, 0});
    }
    return file;
}

PresetFile chunked(bool bank, int formatVersion) {
    PresetFile file = valuesProgram({});
    file.bank = bank;
    file.chunked = true;
    file.formatVersion = formatVersion;
    file.currentProgram = formatVersion >= 2 ? 3 : 0;
    file.chunkCount = 5;
    file.chunk = {0, 1, 2, 0xff, 0x80, 7};
    if (bank) file.programs.clear();
    return file;
}

std::uint32_t wordAt(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

void putWord(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void putFloat(Bytes& bytes, std::size_t at, float value) {
    std::uint32_t raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    putWord(bytes, at, raw);
}

// The public layout, field by field: a reader elsewhere finds every field where it expects it.
TEST(PresetFile, ProgramFieldsLieWhereHostsReadThem) {
    const Bytes bytes = writePresetFile(valuesProgram({0.5f, 1.0f}));
    ASSERT_EQ(bytes.size(), 56u + 2 * 4);
    EXPECT_EQ(wordAt(bytes, 0), static_cast<std::uint32_t>(fourCharCode("CcnK")));
    EXPECT_EQ(wordAt(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(wordAt(bytes, 8), static_cast<std::uint32_t>(fourCharCode("FxCk")));
    EXPECT_EQ(wordAt(bytes, 12), 1u);
    EXPECT_EQ(wordAt(bytes, 16), static_cast<std::uint32_t>(fourCharCode("QvRk")));
    EXPECT_EQ(wordAt(bytes, 20), 1000u);
    EXPECT_EQ(wordAt(bytes, 24), 2u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[28]), "Dub Echo");
    EXPECT_EQ(wordAt(bytes, 56), 0x3f000000u);  // 0.5f, big-endian
    EXPECT_EQ(wordAt(bytes, 60), 0x3f800000u);  // 1.0f
}

TEST(PresetFile, BankHoldsWholeProgramRecordsAfterItsHeader) {
    const Bytes bytes = writePresetFile(valuesBank(2, 3));
    const std::size_t program = 56 + 3 * 4;
    ASSERT_EQ(bytes.size(), 156 + 2 * program);
    EXPECT_EQ(wordAt(bytes, 8), static_cast<std::uint32_t>(fourCharCode("FxBk")));
    EXPECT_EQ(wordAt(bytes, 24), 2u);
    EXPECT_EQ(wordAt(bytes, 156), static_cast<std::uint32_t>(fourCharCode("CcnK")));
    EXPECT_EQ(wordAt(bytes, 156 + program + 8), static_cast<std::uint32_t>(fourCharCode("FxCk")));
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[156 + program + 28]), "Program 1");
}

TEST(PresetFile, WriteReadWriteGivesTheSameBytes) {
    const std::vector<std::pair<const char*, PresetFile>> cases = {
        {"program of values", valuesProgram({0.0f, 0.25f, 1.0f, 0.125f})},
        {"program of no values", valuesProgram({})},
        {"bank of values", valuesBank(4, 7)},
        {"program chunk", chunked(false, 1)},
        {"bank chunk", chunked(true, 1)},
        {"bank chunk, version 2", chunked(true, 2)},
    };
    for (const auto& [what, file] : cases) {
        const Bytes bytes = writePresetFile(file);
        std::string error;
        const auto read = parsePresetFile(bytes, error);
        ASSERT_TRUE(read) << what << ": " << error;
        EXPECT_EQ(writePresetFile(*read), bytes) << what;
        EXPECT_EQ(read->programs.size(), file.programs.size()) << what;
        EXPECT_EQ(read->chunk, file.chunk) << what;
        EXPECT_EQ(read->currentProgram, file.currentProgram) << what;
    }
}

TEST(PresetFile, NameIsCutToFitItsFieldWithItsEnd) {
    PresetFile file = valuesProgram({0.5f});
    file.programs.front().name = std::string(40, 'x');
    std::string error;
    const auto read = parsePresetFile(writePresetFile(file), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->programs.front().name, std::string(27, 'x'));
}

struct Malformed {
    const char* what;
    Bytes (*make)();
    const char* message;  // expected in the error, with the byte offset
};

Bytes program3() { return writePresetFile(valuesProgram({0.1f, 0.2f, 0.3f})); }
Bytes bank2() { return writePresetFile(valuesBank(2, 3)); }
Bytes truncatedBy(Bytes bytes, std::size_t count) {
    bytes.resize(bytes.size() - count);
    return bytes;
}

const Malformed kMalformed[] = {
    {"empty", [] { return Bytes{}; }, "byte 0: the file is truncated"},
    {"wrong mark", [] { auto b = program3(); b[0] = 'X'; return b; }, "byte 0: not a VST preset"},
    {"unknown kind", [] { auto b = program3(); putWord(b, 8, fourCharCode("Junk")); return b; }, "byte 8: unknown program kind Junk"},
    {"cut in the values", [] { return truncatedBy(program3(), 2); }, "byte 4: the file is truncated"},
    {"cut in the name", [] { auto b = program3(); b.resize(40); putWord(b, 4, 32); return b; }, "byte 28: the file is truncated"},
    {"negative parameter count", [] { auto b = program3(); putWord(b, 24, 0xffffffffu); return b; }, "byte 24: the parameter count is negative"},
    {"parameter count beyond the file", [] { auto b = program3(); putWord(b, 24, 1000); return b; }, "byte 24: 1000 parameter values do not fit"},
    {"huge parameter count", [] { auto b = program3(); putWord(b, 24, 0x7fffffffu); return b; }, "byte 24: 2147483647 parameter values"},
    {"NaN value", [] { auto b = program3(); putFloat(b, 60, std::numeric_limits<float>::quiet_NaN()); return b; }, "byte 60: a parameter value is NaN"},
    {"infinite value", [] { auto b = program3(); putFloat(b, 64, std::numeric_limits<float>::infinity()); return b; }, "byte 64: a parameter value is infinite"},
    {"bank cut in its header", [] { auto b = bank2(); b.resize(100); putWord(b, 4, 92); return b; }, "byte 28: the file is truncated: the reserved bytes"},
    {"bank program count beyond the file", [] { auto b = bank2(); putWord(b, 24, 50); return b; }, "byte 24: 50 programs do not fit"},
    {"bank program of another plug-in", [] { auto b = bank2(); putWord(b, 156 + 68 + 16, fourCharCode("Othr")); return b; }, "byte 240: the program's plug-in id Othr"},
    {"bank program of another kind", [] { auto b = bank2(); putWord(b, 156 + 8, fourCharCode("FPCh")); return b; }, "byte 164: unknown program kind FPCh"},
    {"bank programs of unequal counts", [] { auto b = bank2(); putWord(b, 156 + 68 + 24, 2); putWord(b, 156 + 68 + 4, 56); return b; }, "byte 248: the programs of the bank differ"},
    {"bank NaN in its second program", [] { auto b = bank2(); putFloat(b, 156 + 68 + 60, std::nanf("")); return b; }, "byte 284: a parameter value is NaN"},
    {"chunk size beyond the file", [] { auto b = writePresetFile(chunked(false, 1)); putWord(b, 56, 7); return b; }, "byte 56: the chunk size 7 does not fit"},
    {"negative chunk size", [] { auto b = writePresetFile(chunked(true, 1)); putWord(b, 156, 0x80000000u); return b; }, "byte 156: the chunk size -2147483648"},
};

TEST(PresetFile, MalformedFilesAreRefusedNamingTheProblemAndOffset) {
    for (const Malformed& m : kMalformed) {
        std::string error;
        EXPECT_FALSE(parsePresetFile(m.make(), error)) << m.what;
        EXPECT_NE(error.find(m.message), std::string::npos) << m.what << ": " << error;
    }
}

TEST(PresetFile, FourCharCodesReadAsTextWithTheirHex) {
    EXPECT_EQ(fourCharText(fourCharCode("QvRk")), "QvRk (0x5176526b)");
    EXPECT_EQ(fourCharText(0x00000001), "0x00000001");
}

}  // namespace
}  // namespace plughost
