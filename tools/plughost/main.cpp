// plughost: a small command-line VST 2, CLAP and VST 3 host. See `plughost help`.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>

#include "plughost/bench.h"
#include "plughost/check.h"
#include "plughost/clap_commands.h"
#include "plughost/command_line.h"
#include "plughost/default_signal.h"
#include "plughost/edit.h"
#include "plughost/editor_capture.h"
#include "plughost/info.h"
#include "plughost/plot.h"
#include "plughost/preset_command.h"
#include "plughost/render.h"
#include "plughost/vst3_commands.h"

namespace plughost {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  plughost info PLUGIN [--all]\n"
    "  plughost render PLUGIN [-i IN.wav] -o OUT.wav [PRESET] [--set NAME|INDEX=VALUE ...]\n"
    "                  [--automate FILE] [--rate HZ] [--tempo BPM] [--block N] [--tail SECONDS]\n"
    "                  [--accumulate]\n"
    "                  [--plot OUT.png]\n"
    "  plughost bench PLUGIN [--as LABEL] [PRESET] [--set NAME|INDEX=VALUE ...] [PLUGIN ...]\n"
    "                 [--seconds S] [--block N] [--runs N] [--markdown]\n"
    "  plughost check PLUGIN [PRESET] [--only TEXT] [--verbose]\n"
    "  plughost preset save PLUGIN OUT.fxp|OUT.fxb [PRESET] [--set NAME|INDEX=VALUE ...]\n"
    "  plughost preset show FILE.fxp|FILE.fxb\n"
    "  plughost --version\n"
#ifdef _WIN32
    "  plughost snapshot PLUGIN -o OUT.png [--program N] [--set NAME|INDEX=VALUE ...]\n"
#else
    "  plughost edit PLUGIN [--seconds S]\n"
#endif
    "A PLUGIN whose name ends in .clap is loaded as a CLAP module (its factory's first plug-in),\n"
    "one ending in .vst3 as a VST 3 bundle (its first audio effect) by info, render, bench and check;\n"
    "presets, programs and --accumulate apply to VST 2 modules only.\n"
    "PRESET is any of --bank FILE.fxb (loaded into all programs), --program N (selected after\n"
    "the bank), --preset FILE.fxp (loaded into the current program), applied in that order.\n"
    "Without -i, render uses a built-in phrase of plucked notes and a hit, then silence.\n"
    "An automation file has one change per line: TIME NAME|INDEX=VALUE, TIME in frames or\n"
    "seconds ('1.5s'); TIME tempo=BPM changes the host's tempo there, TIME transport=stop and\n"
    "TIME transport=play stop and restart its transport (playing from the start). --set and\n"
    "automation values are normalized (0 to 1). --tempo is the tempo the host reports from the\n"
    "start (120).\n"
#ifndef _WIN32
    "edit shows the editor in a window of its own on the X display until the window is closed\n"
    "(or for S seconds).\n"
#endif
    ;

int fail(const std::string& error) {
    std::cerr << "plughost: " << error << "\n";
    return 2;
}

std::unique_ptr<PluginModule> loadModule(const std::string& path, std::string& error) {
    return PluginModule::load(path, error);
}

int runInfo(CommandLine& args) {
    if (args.done()) return fail("info needs a plug-in file");
    const std::string path = args.next();
    InfoOptions options;
    while (!args.done()) {
        const std::string option = args.next();
        if (option != "--all") return fail("unknown option " + option);
        options.allParameters = true;
    }
    std::string error;
    if (clap::isClapPath(path)) {
        auto module = clap::ClapModule::load(path, error);
        if (!module || !clap::printClapInfo(*module, std::cout, error)) return fail(error);
        return 0;
    }
    if (vst3::isVst3Path(path)) {
        auto module = vst3::Vst3Module::load(path, error);
        if (!module || !vst3::printVst3Info(*module, std::cout, error)) return fail(error);
        return 0;
    }
    auto module = loadModule(path, error);
    if (!module || !printInfo(*module, options, std::cout, error)) return fail(error);
    return 0;
}

struct RenderRequest {
    std::string plugin, input, output, plot, automationFile;
    double rate = 0.0;  // 0: the input's rate, 44100 for the built-in phrase
    RenderOptions options;
};

bool parseRenderOption(CommandLine& args, const std::string& option, RenderRequest& r, std::string& error) {
    if (option == "-i") return args.value(option, r.input, error);
    if (option == "-o") return args.value(option, r.output, error);
    if (option == "--plot") return args.value(option, r.plot, error);
    if (option == "--automate") return args.value(option, r.automationFile, error);
    if (option == "--rate") return args.number(option, r.rate, error);
    if (option == "--tail") return args.number(option, r.options.tailSeconds, error);
    if (option == "--tempo") return args.number(option, r.options.tempo, error);
    if (option == "--block") return args.whole(option, r.options.blockSize, error);
    if (option == "--accumulate") return r.options.accumulate = true;
    if (isPresetOption(option)) return parsePresetOption(args, option, r.options.preset, r.options.program, error);
    if (option == "--set") {
        std::string text;
        ParameterSetting setting;
        if (!args.value(option, text, error) || !parseSetting(text, setting, error)) return false;
        r.options.settings.push_back(setting);
        return true;
    }
    error = "unknown option " + option;
    return false;
}

bool parseRender(CommandLine& args, RenderRequest& r, std::string& error) {
    if (args.done()) {
        error = "render needs a plug-in file";
        return false;
    }
    r.plugin = args.next();
    while (!args.done()) {
        if (!parseRenderOption(args, args.next(), r, error)) return false;
    }
    if (r.output.empty()) error = "render needs -o OUT.wav";
    else if (r.options.blockSize < 1 || r.options.blockSize > 65536) error = "--block must be 1 to 65536";
    else if (r.options.tailSeconds < 0.0) error = "--tail must not be negative";
    else if (!(r.options.tempo >= 1.0 && r.options.tempo <= 999.0)) error = "--tempo must be 1 to 999";
    else if (r.rate < 0.0 || (r.rate > 0.0 && (r.rate < 8000.0 || r.rate > 768000.0))) error = "--rate must be 8000 to 768000";
    else checkChoiceFiles(r.options.preset, error);
    return error.empty();
}

bool loadInput(const RenderRequest& r, StereoAudio& input, std::string& error) {
    if (r.input.empty()) {
        input = defaultSignal(r.rate > 0.0 ? r.rate : 44100.0);
        return true;
    }
    if (!readAudio(r.input, input, error)) return false;
    if (r.rate > 0.0 && r.rate != input.sampleRate) {
        error = r.input + " is at " + std::to_string(static_cast<int>(input.sampleRate)) +
                " Hz; plughost does not resample, so --rate must match it or be left out";
        return false;
    }
    return true;
}

bool loadAutomation(const RenderRequest& r, double rate, std::vector<AutomationPoint>& points, std::string& error) {
    if (r.automationFile.empty()) return true;
    std::ifstream file(r.automationFile);
    if (!file) {
        error = r.automationFile + ": cannot read the file";
        return false;
    }
    if (parseAutomation(file, rate, points, error)) return true;
    error = r.automationFile + ": " + error;
    return false;
}

std::string decibels(double level) {
    if (level <= 0.0) return "  -inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%6.1f dBFS", 20.0 * std::log10(level));
    return text;
}

void printLevels(const char* what, const std::vector<float>& samples) {
    const ChannelLevels levels = measure(samples);
    std::cout << "  " << std::left << std::setw(14) << what << "peak " << decibels(levels.peak) << "   rms "
              << decibels(levels.rms) << (levels.finite ? "" : "   NOT FINITE") << "\n";
}

void showProgress(std::size_t done, std::size_t total) {
    static int shown = -1;
    const int percent = static_cast<int>(100 * done / total);
    if (percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rrendering %3d%%%s", percent, done == total ? "\r              \r" : "");
}

bool writePlot(const RenderRequest& r, const StereoAudio& input, const StereoAudio& output, std::string& error) {
    std::vector<float> dry = input.left;
    dry.resize(output.frames(), 0.0f);
    std::vector<PlotLane> lanes{{"INPUT", &dry, {40, 90, 160}}};
    std::vector<float> dryRight;
    if (input.right != input.left) {
        dryRight = input.right;
        dryRight.resize(output.frames(), 0.0f);
        lanes.front().title = "INPUT LEFT";
        lanes.push_back({"INPUT RIGHT", &dryRight, {40, 90, 160}});
    }
    lanes.push_back({"OUTPUT LEFT", &output.left, {200, 70, 40}});
    lanes.push_back({"OUTPUT RIGHT", &output.right, {30, 140, 60}});
    const std::string name = r.plugin.substr(r.plugin.find_last_of('/') + 1);
    const std::string source = r.input.empty() ? "BUILT-IN PHRASE" : r.input.substr(r.input.find_last_of('/') + 1);
    const std::string title = name + "  -  " + source + "  -  " + std::to_string(static_cast<int>(output.sampleRate)) + " HZ";
    return plotWaveforms(title, lanes, output.sampleRate).writePng(r.plot, error);
}

int runRender(CommandLine& args) {
    RenderRequest r;
    std::string error;
    StereoAudio input, output;
    if (!parseRender(args, r, error) || !loadInput(r, input, error) ||
        !loadAutomation(r, input.sampleRate, r.options.automation, error)) {
        return fail(error);
    }
    if (isatty(STDERR_FILENO)) r.options.progress = showProgress;
    const auto started = std::chrono::steady_clock::now();
    if (clap::isClapPath(r.plugin)) {
        auto module = clap::ClapModule::load(r.plugin, error);
        if (!module || !clap::renderClap(*module, input, r.options, output, error)) return fail(error);
    } else if (vst3::isVst3Path(r.plugin)) {
        auto module = vst3::Vst3Module::load(r.plugin, error);
        if (!module || !vst3::renderVst3(*module, input, r.options, output, error)) return fail(error);
    } else {
        auto module = loadModule(r.plugin, error);
        if (!module || !render(*module, input, r.options, output, error)) return fail(error);
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!writeFloatWav(r.output, output, error)) return fail(error);
    if (!r.plot.empty() && !writePlot(r, input, output, error)) return fail(error);

    const double seconds = static_cast<double>(output.frames()) / output.sampleRate;
    std::cout << std::fixed << std::setprecision(3) << "Rendered " << seconds << " s at " << static_cast<int>(output.sampleRate)
              << " Hz in blocks of " << r.options.blockSize << " through " << r.plugin << "\n";
    printLevels("input left", input.left);
    printLevels("input right", input.right);
    printLevels("output left", output.left);
    printLevels("output right", output.right);
    std::cout << std::setprecision(3) << "  took " << took << " s, " << std::setprecision(0)
              << seconds / std::max(took, 1e-9) << " x real time\n";
    std::cout << "Wrote " << r.output << (r.plot.empty() ? "" : " and " + r.plot) << "\n";
    std::cout.unsetf(std::ios::floatfield);
    return 0;
}

bool parseBenchOption(CommandLine& args, const std::string& option, std::vector<BenchEntry>& entries,
                      BenchOptions& options, std::string& error) {
    if (option == "--seconds") return args.number(option, options.seconds, error);
    if (option == "--block") return args.whole(option, options.blockSize, error);
    if (option == "--runs") return args.whole(option, options.runs, error);
    if (option == "--markdown") return options.markdown = true;
    if (isPresetOption(option)) {
        if (entries.empty()) {
            error = option + " belongs after the plug-in it applies to";
            return false;
        }
        return parsePresetOption(args, option, entries.back().preset, entries.back().program, error) &&
               checkChoiceFiles(entries.back().preset, error);
    }
    if (option == "--as" || option == "--set") {
        std::string text;
        if (!args.value(option, text, error)) return false;
        if (entries.empty()) {
            error = option + " belongs after the plug-in it applies to";
            return false;
        }
        if (option == "--as") {
            entries.back().label = text;
            return true;
        }
        ParameterSetting setting;
        if (!parseSetting(text, setting, error)) return false;
        entries.back().settings.push_back(setting);
        return true;
    }
    if (option.starts_with("-")) {
        error = "unknown option " + option;
        return false;
    }
    entries.push_back({option, option.substr(option.find_last_of('/') + 1), {}, {}, {}});
    return true;
}

int runBench(CommandLine& args) {
    std::vector<BenchEntry> entries;
    BenchOptions options;
    std::string error;
    while (!args.done()) {
        if (!parseBenchOption(args, args.next(), entries, options, error)) return fail(error);
    }
    if (entries.empty()) return fail("bench needs at least one plug-in file");
    if (options.seconds <= 0.0 || options.blockSize < 1 || options.runs < 1) {
        return fail("--seconds, --block and --runs must be positive");
    }
    std::vector<BenchResult> results;
    if (!runBenchmarks(entries, options, results, error)) return fail(error);
    printBenchmarks(results, options, std::cout);
    return 0;
}

int runCheck(CommandLine& args) {
    if (args.done()) return fail("check needs a plug-in file");
    const std::string path = args.next();
    CheckOptions options;
    std::string error;
    while (!args.done()) {
        const std::string option = args.next();
        if (isPresetOption(option)) {
            if (!parsePresetOption(args, option, options.preset, options.program, error)) return fail(error);
        } else if (option == "--verbose") {
            options.verbose = true;
        } else if (option == "--only") {
            if (!args.value(option, options.only, error)) return fail(error);
        } else {
            return fail("unknown option " + option);
        }
    }
    if (!checkChoiceFiles(options.preset, error)) return fail(error);
    if (clap::isClapPath(path)) {
        if (!options.preset.empty() || options.program) return fail("presets and programs are VST 2 matters");
        auto module = clap::ClapModule::load(path, error);
        if (!module) return fail(error);
        return clap::runClapChecks(*module, options, std::cout).failed == 0 ? 0 : 1;
    }
    if (vst3::isVst3Path(path)) {
        if (!options.preset.empty() || options.program) return fail("presets and programs are VST 2 matters");
        auto module = vst3::Vst3Module::load(path, error);
        if (!module) return fail(error);
        return vst3::runVst3Checks(*module, options, std::cout).failed == 0 ? 0 : 1;
    }
    auto module = loadModule(path, error);
    if (!module) return fail(error);
    const CheckSummary summary = runChecks(*module, options, std::cout);
    return summary.failed == 0 ? 0 : 1;
}

#ifdef _WIN32
int runSnapshot(CommandLine& args) {
    if (args.done()) return fail("snapshot needs a plug-in file");
    const std::string path = args.next();
    std::string output, error;
    SnapshotOptions options;
    while (!args.done()) {
        const std::string option = args.next();
        ParameterSetting setting;
        std::string text;
        int program = 0;
        if (option == "-o") {
            if (!args.value(option, output, error)) return fail(error);
        } else if (option == "--program") {
            if (!args.whole(option, program, error)) return fail(error);
            options.program = program;
        } else if (option == "--set") {
            if (!args.value(option, text, error) || !parseSetting(text, setting, error)) return fail(error);
            options.settings.push_back(setting);
        } else {
            return fail("unknown option " + option);
        }
    }
    if (output.empty()) return fail("snapshot needs -o OUT.png");
    auto module = loadModule(path, error);
    if (!module) return fail(error);
    const std::optional<Image> image = captureEditor(*module, options, error);
    if (!image || !image->writePng(output, error)) return fail(error);
    std::cout << "Wrote " << output << " (" << image->width() << " x " << image->height() << ")\n";
    return 0;
}

// A check that runIsolated started as a process of its own: CHANNEL PLUGIN NUMBER SEED
// [PRESET].
int runIsolatedCheck(CommandLine& args) {
    std::string channel, path;
    int number = 0, seed = 0;
    std::string error;
    if (!args.value("channel", channel, error) || !args.value("plug-in", path, error) ||
        !args.whole("number", number, error) || !args.whole("seed", seed, error)) {
        return fail(error);
    }
    CheckOptions options;
    options.seed = static_cast<unsigned>(seed);
    while (!args.done()) {
        if (!parsePresetOption(args, args.next(), options.preset, options.program, error)) return fail(error);
    }
    if (clap::isClapPath(path)) {
        auto module = clap::ClapModule::load(path, error);
        if (!module) return fail(error);
        return serveIsolated(channel, [&](Findings& findings) {
            clap::runOneClapCheck(*module, options, static_cast<std::size_t>(number), findings);
        });
    }
    if (vst3::isVst3Path(path)) {
        auto module = vst3::Vst3Module::load(path, error);
        if (!module) return fail(error);
        return serveIsolated(channel, [&](Findings& findings) {
            vst3::runOneVst3Check(*module, options, static_cast<std::size_t>(number), findings);
        });
    }
    auto module = loadModule(path, error);
    if (!module) return fail(error);
    return serveIsolated(channel, [&](Findings& findings) {
        runOneCheck(*module, options, static_cast<std::size_t>(number), findings);
    });
}
#endif

#ifndef _WIN32
int runEdit(CommandLine& args) {
    if (args.done()) return fail("edit needs a plug-in file");
    const std::string path = args.next();
    EditOptions options;
    std::string error;
    while (!args.done()) {
        const std::string option = args.next();
        if (option != "--seconds") return fail("unknown option " + option);
        if (!args.number(option, options.seconds, error)) return fail(error);
    }
    if (options.seconds < 0.0) return fail("--seconds must not be negative");
    auto module = loadModule(path, error);
    if (!module || !runEditor(*module, options, error)) return fail(error);
    return 0;
}
#endif

int run(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    CommandLine args(argc, argv, 2);
    if (command == "info") return runInfo(args);
    if (command == "render") return runRender(args);
    if (command == "bench") return runBench(args);
    if (command == "check") return runCheck(args);
    if (command == "preset") return runPresetCommand(args);
#ifdef _WIN32
    if (command == "snapshot") return runSnapshot(args);
    if (command == kIsolatedChild) return runIsolatedCheck(args);
#else
    if (command == "edit") return runEdit(args);
#endif
    if (command == "--version") {
        std::cout << "plughost " VELLUMINE_VERSION "\n";
        return 0;
    }
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "plughost: unknown command '" << command << "'\n" << kUsage;
    return 2;
}

}  // namespace
}  // namespace plughost

int main(int argc, char** argv) { return plughost::run(argc, argv); }
