#include "plughost/plugin_presets.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace plughost {
namespace {

bool chunked(const AEffect& record) { return (record.flags & effFlagsProgramChunks) != 0; }

bool fail(std::string& error, std::size_t offset, const std::string& problem) {
    error = "byte " + std::to_string(offset) + ": " + problem;
    return false;
}

bool programFits(const PresetProgram& program, const AEffect& record, std::string& error) {
    if (program.values.size() == static_cast<std::size_t>(record.numParams)) return true;
    return fail(error, program.offset + kCountOffset,
                "the file holds " + std::to_string(program.values.size()) + " parameters, the plug-in has " +
                    std::to_string(record.numParams));
}

void setProgramName(PluginInstance& plugin, const std::string& name) {
    // Hosts give room for 24 bytes: the longest name the interface allows, with its end.
    std::array<char, 25> text{};
    name.copy(text.data(), text.size() - 1);
    plugin.dispatch(effSetProgramName, 0, 0, text.data());
}

void loadValues(PluginInstance& plugin, const PresetProgram& program) {
    for (std::size_t i = 0; i < program.values.size(); ++i)
        plugin.setParameter(static_cast<VstInt32>(i), program.values[i]);
    setProgramName(plugin, program.name);
}

void selectProgram(PluginInstance& plugin, VstInt32 program) {
    plugin.dispatch(effBeginSetProgram);
    plugin.dispatch(effSetProgram, 0, program);
    plugin.dispatch(effEndSetProgram);
}

void setChunk(PluginInstance& plugin, const PresetFile& file) {
    // The plug-in may keep the pointer only for the call; the data is not changed.
    std::vector<std::uint8_t> data = file.chunk;
    plugin.dispatch(effSetChunk, file.bank ? 0 : 1, static_cast<VstIntPtr>(data.size()), data.data());
}

std::vector<std::uint8_t> getChunk(PluginInstance& plugin, bool singleProgram) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, singleProgram ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

PresetFile emptyFile(const PluginInstance& plugin, bool bank) {
    PresetFile file;
    file.bank = bank;
    file.chunked = chunked(plugin.record());
    file.pluginId = plugin.record().uniqueID;
    file.pluginVersion = plugin.record().version;
    return file;
}

PresetProgram currentValues(PluginInstance& plugin, std::string name) {
    PresetProgram program{std::move(name), {}, 0};
    program.values.resize(static_cast<std::size_t>(std::max(plugin.record().numParams, 0)));
    for (std::size_t i = 0; i < program.values.size(); ++i) program.values[i] = plugin.getParameter(static_cast<VstInt32>(i));
    return program;
}

// The stored name of a program; plug-ins that do not answer the indexed query are asked
// for the current program's name after selecting it.
std::string programName(PluginInstance& plugin, VstInt32 program) {
    std::array<char, 256> text{};
    if (plugin.dispatch(effGetProgramNameIndexed, program, 0, text.data()) != 0) return text.data();
    return plugin.text(effGetProgramName);
}

}  // namespace

std::optional<PresetFile> readPresetFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the file";
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto file = parsePresetFile(bytes, error);
    if (!file) error = path + ": " + error;
    return file;
}

bool savePresetFile(const std::string& path, const PresetFile& file, std::string& error) {
    const auto bytes = writePresetFile(file);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out.flush()) return true;
    error = path + ": cannot write the file";
    return false;
}

bool presetFits(const PresetFile& file, const AEffect& record, std::string& error) {
    if (file.pluginId != record.uniqueID) {
        return fail(error, kPluginIdOffset,
                    "the file is for plug-in " + fourCharText(file.pluginId) + ", this one is " + fourCharText(record.uniqueID));
    }
    if (file.chunked && !chunked(record)) return fail(error, 8, "the file holds a chunk; the plug-in takes no chunks");
    if (file.bank && !file.chunked && static_cast<std::int64_t>(file.programs.size()) > record.numPrograms) {
        return fail(error, kCountOffset, "the bank holds " + std::to_string(file.programs.size()) +
                                             " programs, the plug-in has " + std::to_string(record.numPrograms));
    }
    if (file.chunked) return true;
    for (const PresetProgram& program : file.programs) {
        if (!programFits(program, record, error)) return false;
    }
    return true;
}

void loadPreset(PluginInstance& plugin, const PresetFile& file) {
    if (file.chunked) {
        setChunk(plugin, file);
        if (!file.bank) setProgramName(plugin, file.programs.front().name);
        return;
    }
    if (!file.bank) {
        loadValues(plugin, file.programs.front());
        return;
    }
    for (std::size_t p = 0; p < file.programs.size(); ++p) {
        selectProgram(plugin, static_cast<VstInt32>(p));
        loadValues(plugin, file.programs[p]);
    }
    selectProgram(plugin, file.currentProgram);
}

PresetFile saveProgram(PluginInstance& plugin) {
    PresetFile file = emptyFile(plugin, false);
    const std::string name = plugin.text(effGetProgramName);
    if (file.chunked) {
        file.chunk = getChunk(plugin, true);
        file.chunkCount = plugin.record().numParams;
        file.programs.push_back({name, {}, 0});
    } else {
        file.programs.push_back(currentValues(plugin, name));
    }
    return file;
}

PresetFile saveBank(PluginInstance& plugin) {
    PresetFile file = emptyFile(plugin, true);
    const auto current = static_cast<VstInt32>(plugin.dispatch(effGetProgram));
    if (file.chunked) {
        file.chunk = getChunk(plugin, false);
        file.chunkCount = plugin.record().numPrograms;
        return file;
    }
    for (VstInt32 p = 0; p < plugin.record().numPrograms; ++p) {
        selectProgram(plugin, p);
        file.programs.push_back(currentValues(plugin, programName(plugin, p)));
    }
    selectProgram(plugin, current);
    return file;
}

bool loadChoice(PluginInstance& plugin, const PresetChoice& choice, std::optional<int> selected, std::string& error) {
    std::optional<PresetFile> bank, program;
    if (!choice.bankFile.empty() && !(bank = readPresetFile(choice.bankFile, error))) return false;
    if (!choice.programFile.empty() && !(program = readPresetFile(choice.programFile, error))) return false;
    for (const auto* file : {&bank, &program}) {
        const std::string& path = file == &bank ? choice.bankFile : choice.programFile;
        if (!*file) continue;
        if ((*file)->bank != (file == &bank)) {
            error = path + ": " + ((*file)->bank ? "a bank (.fxb) where a program (.fxp) belongs" : "a program (.fxp) where a bank (.fxb) belongs");
            return false;
        }
        if (!presetFits(**file, plugin.record(), error)) {
            error = path + ": " + error;
            return false;
        }
    }
    if (bank) loadPreset(plugin, *bank);
    if (selected) selectProgram(plugin, *selected);
    if (program) loadPreset(plugin, *program);
    return true;
}

}  // namespace plughost
