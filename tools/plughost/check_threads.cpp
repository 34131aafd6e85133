// Checks with the threads a host runs: the audio thread processing while parameter changes,
// program changes and the editor come from others. Races are not deterministic: these find
// crashes, hangs and non-finite output that the interleaving provokes, and a run under a
// thread sanitizer finds the races themselves.
#include <atomic>
#include <chrono>
#include <thread>

#include "plughost/check_support.h"
#include "plughost/host_window.h"

namespace plughost {
namespace {

using Clock = std::chrono::steady_clock;

// How long the threads race: long enough for many thousands of interleaved calls.
constexpr auto kRaceTime = std::chrono::milliseconds(1000);
constexpr int kEditorCycles = 4;
constexpr int kIdleRounds = 20;
// Hosts call the editor's idle from their user-interface loop about this often.
constexpr auto kIdleInterval = std::chrono::milliseconds(20);

// A thread that calls body(turn) over and over until it is stopped; stopped and joined when
// it goes out of scope, so that no early return leaves it running.
class Repeating {
public:
    explicit Repeating(std::function<void(int)> body)
        : thread([this, body = std::move(body)] {
              for (int turn = 0; !stopped.load(std::memory_order_relaxed); ++turn) body(turn);
          }) {}
    ~Repeating() {
        stopped = true;
        thread.join();
    }
    Repeating(const Repeating&) = delete;
    Repeating& operator=(const Repeating&) = delete;

private:
    std::atomic<bool> stopped{false};
    std::thread thread;
};

// Guarded blocks on this thread while going() says so and every block is clean;
// between(block) before each.
void processWhile(PluginInstance& plugin, const std::function<bool()>& going, Random& random,
                  const std::string& context, Findings& findings, const std::function<void(int)>& between) {
    const Entry entry = preferredEntry(plugin);
    for (int b = 0; going(); ++b) {
        between(b);
        if (!processChecked(plugin, entry, kRunBlock, random, context + ", block " + std::to_string(b), findings)) return;
    }
}

// In-range values only: hostile values are the single-threaded automation check's business.
void automate(PluginInstance& plugin, int turn, Random& random) {
    const VstInt32 count = plugin.record().numParams;
    if (count > 0) plugin.setParameter(automatedIndex(count, turn, random), random.unit());
}

void checkText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, Findings& findings) {
    GuardedBytes text = GuardedBytes::zeroed();
    plugin.dispatch(opcode, index, 0, text.data());
    if (text.overrun()) findings.add(opcodeName(opcode) + " (index " + std::to_string(index) + "): text written past 256 bytes");
}

// What a host's user-interface thread does around a program change.
void changeProgram(PluginInstance& plugin, Random& random, Findings& findings) {
    const AEffect& e = plugin.record();
    plugin.dispatch(effBeginSetProgram);
    plugin.dispatch(effSetProgram, 0, random.below(e.numPrograms));
    plugin.dispatch(effEndSetProgram);
    plugin.dispatch(effGetProgram);
    checkText(plugin, effGetProgramName, 0, findings);
    if (e.numParams > 0) checkText(plugin, effGetParamDisplay, random.below(std::min(e.numParams, 32)), findings);
}

std::function<bool()> forTheRaceTime() {
    return [end = Clock::now() + kRaceTime] { return Clock::now() < end; };
}

void forward(const Findings& from, Findings& to) {
    for (const std::string& finding : from.list()) to.add(finding);
}

void serveEditor(PluginInstance& plugin, HostWindow& window) {
    for (int cycle = 0; cycle < kEditorCycles; ++cycle) {
        plugin.dispatch(effEditOpen, 0, 0, window.parent());
        for (int round = 0; round < kIdleRounds; ++round) {
            plugin.dispatch(effEditIdle);
            window.serve();
            std::this_thread::sleep_for(kIdleInterval);
        }
        plugin.dispatch(effEditClose);
        window.serve();
    }
}

// The editor's size, or a common one when the plug-in does not say before opening.
void editorSize(PluginInstance& plugin, int& width, int& height) {
    const ERect* rect = nullptr;
    width = 640;
    height = 400;
    if (plugin.dispatch(effEditGetRect, 0, 0, &rect) && rect && rect->right > rect->left && rect->bottom > rect->top) {
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
    }
}

}  // namespace

void checkAutomationThread(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed), automation(c.options.seed + 1);
    startProcessing(*plugin, kRunBlock);
    Repeating automator([&](int turn) { automate(*plugin, turn, automation); });
    processWhile(*plugin, forTheRaceTime(), random, "automation from a second thread", c.findings, [](int) {});
}

void checkProgramsRacingAutomation(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    const VstInt32 programs = plugin->record().numPrograms;
    if (programs < 2) return c.findings.skip("fewer than two programs");
    Random random(c.options.seed), automation(c.options.seed + 1), programChanges(c.options.seed + 2);
    Findings programFindings;
    startProcessing(*plugin, kRunBlock);
    {
        Repeating automator([&](int turn) { automate(*plugin, turn, automation); });
        Repeating programmer([&](int) { changeProgram(*plugin, programChanges, programFindings); });
        processWhile(*plugin, forTheRaceTime(), random, "program changes racing automation", c.findings, [](int) {});
    }
    forward(programFindings, c.findings);
    // Once the race is over the plug-in must still know which program it is on.
    for (VstInt32 p : {programs - 1, 0}) {
        plugin->dispatch(effSetProgram, 0, p);
        const VstIntPtr now = plugin->dispatch(effGetProgram);
        if (now != p) {
            c.findings.add("after the race, effSetProgram " + std::to_string(p) + " then effGetProgram answers " +
                           std::to_string(now));
        }
    }
}

// The editor opened, idled and closed on this thread, as a host's user-interface thread does,
// while the audio thread processes and sends automation between its blocks.
void checkEditorWithAutomation(CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    if (!(plugin->record().flags & effFlagsHasEditor)) return c.findings.skip("the plug-in has no editor");
    int width = 0, height = 0;
    editorSize(*plugin, width, height);
    std::string whyNot;
    auto window = HostWindow::open(width, height, whyNot);
    if (!window) return c.findings.skip(whyNot);
    Random random(c.options.seed), automation(c.options.seed + 1);
    Findings audioFindings;
    startProcessing(*plugin, kRunBlock);
    {
        std::atomic<bool> stopped{false};
        std::thread audio([&] {
            const auto going = [&] { return !stopped.load(); };
            processWhile(*plugin, going, random, "editor open, audio thread", audioFindings, [&](int b) {
                for (int k = 0; k < 4; ++k) automate(*plugin, 4 * b + k, automation);
                // Paced roughly like a real-time audio thread, leaving the editor its share.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
        });
        serveEditor(*plugin, *window);
        stopped = true;
        audio.join();
    }
    forward(audioFindings, c.findings);
}

}  // namespace plughost
