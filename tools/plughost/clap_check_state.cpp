// The state checks and the editor check of `plughost check` on a CLAP plug-in.
#include <atomic>
#include <chrono>
#include <thread>

#include "plughost/clap_check_support.h"
#include "plughost/host_window.h"

namespace plughost::clap {
namespace {

// An instance with random settings, running.
std::unique_ptr<ClapPlugin> openSet(ClapCheckContext& c, std::vector<TimedChange>& settings) {
    auto plugin = c.openRunning();
    if (!plugin) return nullptr;
    Random random(c.options.seed);
    settings = randomSettings(plugin->parameters(), random);
    renderNoise(*plugin, 64, 64, c.options.seed, settings, c.findings, "settings");
    return plugin;
}

std::string bytesText(const std::vector<unsigned char>& bytes) { return std::to_string(bytes.size()) + " bytes"; }

}  // namespace

void checkStateRoundTrip(ClapCheckContext& c) {
    std::vector<TimedChange> settings;
    auto plugin = openSet(c, settings);
    if (!plugin) return;
    if (!plugin->state()) return c.findings.skip("the plug-in has no state extension");
    const auto first = plugin->save();
    if (!first) return c.findings.add("save failed");
    if (!plugin->load(*first)) return c.findings.add("its own state (" + bytesText(*first) + ") was refused");
    const auto second = plugin->save();
    if (!second || *second != *first) c.findings.add("save, load, save gave other bytes the second time");
}

// Each bad stream is refused, and the state saved afterwards is still the one before.
void checkStateRefusals(ClapCheckContext& c) {
    std::vector<TimedChange> settings;
    auto plugin = openSet(c, settings);
    if (!plugin) return;
    if (!plugin->state()) return c.findings.skip("the plug-in has no state extension");
    const auto good = plugin->save();
    if (!good || good->empty()) return c.findings.add("save failed or wrote nothing");
    std::vector<std::pair<std::string, std::vector<unsigned char>>> streams{{"an empty stream", {}}};
    for (std::size_t length = 1; length < good->size(); length += 1 + length / 4)
        streams.push_back({"the state cut to " + std::to_string(length) + " bytes", {good->begin(), good->begin() + static_cast<long>(length)}});
    Random random(c.options.seed);
    for (int round = 0; round < 16; ++round) {
        std::vector<unsigned char> noise(static_cast<std::size_t>(1 + random.below(256)));
        for (unsigned char& byte : noise) byte = static_cast<unsigned char>(random.next());
        streams.push_back({"random bytes (" + bytesText(noise) + ")", noise});
    }
    for (const auto& [what, bytes] : streams) {
        if (plugin->load(bytes)) c.findings.add(what + " was accepted");
        if (plugin->save() != good) return c.findings.add(what + " changed the state");
    }
}

// The state moved into a fresh instance sounds as the instance it came from.
void checkStateInFreshInstance(ClapCheckContext& c) {
    std::vector<TimedChange> settings;
    auto original = openSet(c, settings);
    if (!original) return;
    if (!original->state()) return c.findings.skip("the plug-in has no state extension");
    const auto saved = original->save();
    auto fresh = c.open();
    if (!saved || !fresh) return c.findings.add("save failed");
    if (!fresh->load(*saved)) return c.findings.add("a fresh instance refused the state");
    if (!fresh->activate(kCheckRate, kClapMaxBlock)) return c.findings.add("activate failed");
    {
        const AudioThreadScope audio;
        fresh->startProcessing();
        original->plugin().reset(&original->plugin());
    }
    const Channels a = renderNoise(*original, 8192, 512, c.options.seed + 7, {}, c.findings, "original");
    const Channels b = renderNoise(*fresh, 8192, 512, c.options.seed + 7, {}, c.findings, "fresh instance");
    if (const std::string difference = firstDifference(a, b); !a.empty() && !difference.empty())
        c.findings.add("the fresh instance sounds otherwise: " + difference);
}

#ifdef _WIN32
constexpr const char* kHostApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kHostApi = CLAP_WINDOW_API_X11;
#endif

// The editor embedded in a host window and idled through its timers on this thread for about a
// second, while an audio thread processes with random events; no timer may outlive it.
void checkEditor(ClapCheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const auto* gui = plugin->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
    const clap_plugin_t* p = &plugin->plugin();
    if (!gui || !gui->is_api_supported(p, kHostApi, false)) return c.findings.skip("no embedded editor");
    std::string whyNot;
    auto window = HostWindow::open(640, 480, whyNot);
    if (!window) return c.findings.skip(whyNot);
    if (!gui->create(p, kHostApi, false)) return c.findings.add("gui.create failed");
    std::uint32_t width = 0, height = 0;
    if (!gui->get_size(p, &width, &height) || width == 0 || height == 0) c.findings.add("gui.get_size gave no size");
    clap_window_t parent{kHostApi, {}};
    parent.ptr = window->parent();
    if (!gui->set_parent(p, &parent)) c.findings.add("gui.set_parent failed");
    gui->show(p);
    const std::vector<clap_param_info_t> parameters = plugin->parameters();
    Findings audioFindings;
    std::atomic<bool> stopped{false};
    std::thread audio([&] {
        Random random(c.options.seed);
        while (!stopped) {
            InputEvents events;
            if (!parameters.empty()) {
                const clap_param_info_t& info = parameters[static_cast<std::size_t>(random.below(static_cast<int>(parameters.size())))];
                events.addValue(static_cast<std::uint32_t>(random.below(256)), info.id, plainValue(info, random.unit()));
            }
            if (!processGuarded(*plugin, 256, random, events, "editor open, audio thread", audioFindings)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int tick = 0; tick < 30; ++tick) {
        window->serve();
        plugin->fireTimers();
        std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
    stopped = true;
    audio.join();
    gui->hide(p);
    gui->destroy(p);
    if (!c.host.timers().empty()) c.findings.add("a timer stays registered after gui.destroy");
    for (const std::string& finding : audioFindings.list()) c.findings.add(finding);
}

}  // namespace plughost::clap
