// The state checks of `plughost check` on a VST 3 plug-in: the component state saved, loaded
// into the component and the controller, and saved again; bad streams refused.
#include "plughost/vst3_check_support.h"

namespace plughost::vst3 {
namespace {

// An instance running with random settings, given to the controller as a host does and to
// the processor in a block.
std::unique_ptr<Vst3Plugin> openSet(Vst3CheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return nullptr;
    Random random(c.options.seed);
    const std::vector<TimedChange> settings = randomSettings(automated(plugin->parameters()), random);
    for (const TimedChange& change : settings) plugin->setNormalized(change.id, change.value);
    renderNoise(*plugin, 64, 64, c.options.seed, settings, c.findings, "settings");
    return plugin;
}

std::string bytesText(const std::vector<unsigned char>& bytes) { return std::to_string(bytes.size()) + " bytes"; }

std::vector<double> controllerValues(const Vst3Plugin& plugin) {
    std::vector<double> values;
    for (const v3_param_info& info : plugin.parameters()) values.push_back(plugin.normalized(info.param_id));
    return values;
}

}  // namespace

void checkStateRoundTrip(Vst3CheckContext& c) {
    auto plugin = openSet(c);
    if (!plugin) return;
    const auto first = plugin->save();
    if (!first) return c.findings.add("getState failed");
    if (!plugin->load(*first)) return c.findings.add("its own state (" + bytesText(*first) + ") was refused");
    const auto second = plugin->save();
    if (!second || *second != *first) c.findings.add("save, load, save gave other bytes the second time");
}

// Each bad stream is refused, and afterwards the state and the controller's values are still
// those before.
void checkStateRefusals(Vst3CheckContext& c) {
    auto plugin = openSet(c);
    if (!plugin) return;
    const auto good = plugin->save();
    if (!good || good->empty()) return c.findings.add("getState failed or wrote nothing");
    const std::vector<double> values = controllerValues(*plugin);
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
        if (controllerValues(*plugin) != values) return c.findings.add(what + " changed the controller's values");
    }
}

}  // namespace plughost::vst3
