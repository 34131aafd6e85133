#include "plughost/preset_command.h"

#include <algorithm>
#include <iomanip>
#include <iostream>

#include "plughost/render.h"

namespace plughost {
namespace {

int fail(const std::string& error) {
    std::cerr << "plughost: " << error << "\n";
    return 2;
}

struct SaveRequest {
    std::string plugin, output;
    PresetChoice preset;
    std::optional<int> program;
    std::vector<ParameterSetting> settings;
};

bool parseSave(CommandLine& args, SaveRequest& r, std::string& error) {
    if (!args.value("preset save", r.plugin, error) || !args.value("preset save", r.output, error)) {
        error = "preset save needs a plug-in file and OUT.fxp or OUT.fxb";
        return false;
    }
    while (!args.done()) {
        const std::string option = args.next();
        if (isPresetOption(option)) {
            if (!parsePresetOption(args, option, r.preset, r.program, error)) return false;
        } else if (option == "--set") {
            std::string text;
            ParameterSetting setting;
            if (!args.value(option, text, error) || !parseSetting(text, setting, error)) return false;
            r.settings.push_back(setting);
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    return checkChoiceFiles(r.preset, error);
}

bool isBankPath(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".fxb") == 0;
}

int runSave(CommandLine& args) {
    SaveRequest r;
    std::string error;
    if (!parseSave(args, r, error)) return fail(error);
    auto module = PluginModule::load(r.plugin, error);
    if (!module) return fail(error);
    Host host(44100.0);
    auto rig = StereoRig::create(*module, host, error);
    if (!rig || !applyPresets(*rig, r.preset, r.program, error) || !applySettings(*rig, r.settings, error)) return fail(error);
    const bool bank = isBankPath(r.output);
    const PresetFile file = bank ? saveBank(rig->first()) : saveProgram(rig->first());
    if (!savePresetFile(r.output, file, error)) return fail(error);
    std::cout << "Wrote " << r.output << ": " << (bank ? "bank" : "program") << " of " << fourCharText(file.pluginId)
              << (file.chunked ? ", a chunk of " + std::to_string(file.chunk.size()) + " bytes"
                               : ", " + std::to_string(bank ? file.programs.size() : file.programs.front().values.size()) +
                                     (bank ? " programs" : " values"))
              << "\n";
    return 0;
}

// A program's values up to the last that is not 0, then how many zeros follow.
void printValues(const PresetProgram& program) {
    const auto last = std::find_if(program.values.rbegin(), program.values.rend(), [](float v) { return v != 0.0f; });
    const auto shown = static_cast<std::size_t>(program.values.rend() - last);
    for (std::size_t i = 0; i < shown; ++i) std::cout << "  " << i << " = " << std::setprecision(9) << program.values[i] << "\n";
    if (shown < program.values.size()) {
        std::cout << "  " << shown << " to " << program.values.size() - 1 << " = 0\n";
    }
}

int runShow(CommandLine& args) {
    std::string path, error;
    if (!args.value("preset show", path, error)) return fail("preset show needs a .fxp or .fxb file");
    if (!args.done()) return fail("unknown option " + args.next());
    const auto file = readPresetFile(path, error);
    if (!file) return fail(error);
    std::cout << path << ": " << (file->bank ? "bank" : "program") << (file->chunked ? " chunk" : " of parameter values")
              << ", plug-in " << fourCharText(file->pluginId) << " version " << file->pluginVersion << ", format version "
              << file->formatVersion << "\n";
    if (file->chunked) std::cout << "chunk of " << file->chunk.size() << " bytes, count " << file->chunkCount << "\n";
    if (file->bank && !file->chunked) {
        std::cout << file->programs.size() << " programs, current " << file->currentProgram << "\n";
        for (std::size_t p = 0; p < file->programs.size(); ++p)
            std::cout << "  " << p << " \"" << file->programs[p].name << "\"\n";
        return 0;
    }
    for (const PresetProgram& program : file->programs) {
        std::cout << "program \"" << program.name << "\"";
        if (file->chunked) {
            std::cout << "\n";
            continue;
        }
        std::cout << ", " << program.values.size() << " values\n";
        printValues(program);
    }
    return 0;
}

}  // namespace

bool isPresetOption(const std::string& option) {
    return option == "--preset" || option == "--bank" || option == "--program";
}

bool parsePresetOption(CommandLine& args, const std::string& option, PresetChoice& choice, std::optional<int>& program,
                       std::string& error) {
    if (option == "--preset") return args.value(option, choice.programFile, error);
    if (option == "--bank") return args.value(option, choice.bankFile, error);
    int number = 0;
    if (!args.whole(option, number, error)) return false;
    program = number;
    return true;
}

std::vector<std::string> presetArguments(const PresetChoice& choice, std::optional<int> program) {
    std::vector<std::string> words;
    if (!choice.bankFile.empty()) words.insert(words.end(), {"--bank", choice.bankFile});
    if (program) words.insert(words.end(), {"--program", std::to_string(*program)});
    if (!choice.programFile.empty()) words.insert(words.end(), {"--preset", choice.programFile});
    return words;
}

bool checkChoiceFiles(const PresetChoice& choice, std::string& error) {
    for (const std::string* path : {&choice.bankFile, &choice.programFile}) {
        if (!path->empty() && !readPresetFile(*path, error)) return false;
    }
    return true;
}

int runPresetCommand(CommandLine& args) {
    const std::string what = args.done() ? "" : args.next();
    if (what == "save") return runSave(args);
    if (what == "show") return runShow(args);
    return fail("preset needs 'save' or 'show'");
}

}  // namespace plughost
