// The CLAP module's entry: one plug-in in the factory, and the C tables hosts call through.
// No exception may pass a host's C call: each function catches them and answers failure.
#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "clap/clap_gui.h"
#include "clap/clap_params.h"
#include "clap/delay_instance.h"
#include "core/unit_text.h"

namespace {

using clapdoor::DelayGui;
using clapdoor::DelayInstance;

constexpr const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_DELAY,
                                     CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION_INIT, "quorvane.vellumine", "Vellumine", "Quorvane", "", "", "", VELLUMINE_VERSION,
    "A stereo delay with filters and LFOs on the dry and the delayed signal",
    const_cast<const char**>(kFeatures)};

DelayInstance& instanceOf(const clap_plugin_t* plugin) { return *static_cast<DelayInstance*>(plugin->plugin_data); }

// Runs body and answers its result, or failure when it throws.
template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <typename Body>
void guardedCall(Body&& body) noexcept {
    try {
        body();
    } catch (...) {  // nothing to answer: the call leaves things as they were
    }
}

std::int32_t indexOf(clap_id id) { return static_cast<std::int32_t>(id); }

// Audio ports: one stereo input and one stereo output, processed in place if the host likes.
std::uint32_t portCount(const clap_plugin_t*, bool) noexcept { return 1; }

bool portInfo(const clap_plugin_t*, std::uint32_t index, bool isInput, clap_audio_port_info_t* info) noexcept {
    if (index != 0 || !info) return false;
    *info = {};
    info->id = isInput ? 0 : 1;
    std::snprintf(info->name, sizeof info->name, "%s", isInput ? "Stereo In" : "Stereo Out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = isInput ? 1 : 0;
    return true;
}

const clap_plugin_audio_ports_t kAudioPorts = {portCount, portInfo};

std::uint32_t paramCount(const clap_plugin_t*) noexcept { return kNumDefinedParams; }

bool paramInfo(const clap_plugin_t*, std::uint32_t index, clap_param_info_t* info) noexcept {
    if (!info || !clapdoor::isParameterId(index)) return false;
    clapdoor::describeParameter(indexOf(index), *info);
    return true;
}

bool paramValue(const clap_plugin_t* plugin, clap_id id, double* value) noexcept {
    if (!value || !clapdoor::isParameterId(id)) return false;
    *value = instanceOf(plugin).unitValue(indexOf(id));
    return true;
}

// While Sync is on, the Rate's text is the synced length, whatever value it is asked for.
bool valueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text, std::uint32_t size) noexcept {
    if (!text || size == 0 || !clapdoor::isParameterId(id)) return false;
    if (indexOf(id) == DelayTime)
        if (const std::optional<float> synced = instanceOf(plugin).syncedMilliseconds()) value = *synced;
    return unitValueText(indexOf(id), value, text, size);
}

bool textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) noexcept {
    if (!value || !clapdoor::isParameterId(id)) return false;
    return guarded(false, [&] {
        const std::optional<double> parsed = parseUnitValue(indexOf(id), text);
        if (parsed) *value = *parsed;
        return parsed.has_value();
    });
}

void flush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out) noexcept {
    instanceOf(plugin).flush(in, out);
}

const clap_plugin_params_t kParams = {paramCount, paramInfo, paramValue, valueToText, textToValue, flush};

bool saveState(const clap_plugin_t* plugin, const clap_ostream_t* stream) noexcept {
    return stream && guarded(false, [&] { return instanceOf(plugin).save(*stream); });
}

bool loadState(const clap_plugin_t* plugin, const clap_istream_t* stream) noexcept {
    return stream && guarded(false, [&] { return instanceOf(plugin).load(*stream); });
}

const clap_plugin_state_t kState = {saveState, loadState};

std::uint32_t latency(const clap_plugin_t*) noexcept { return 0; }

const clap_plugin_latency_t kLatency = {latency};

bool guiApiSupported(const clap_plugin_t*, const char* api, bool floating) noexcept {
    return !floating && api && std::strcmp(api, clapdoor::kWindowApi) == 0;
}

bool guiPreferredApi(const clap_plugin_t*, const char** api, bool* floating) noexcept {
    if (!api || !floating) return false;
    *api = clapdoor::kWindowApi;
    *floating = false;
    return true;
}

bool guiCreate(const clap_plugin_t* plugin, const char* api, bool floating) noexcept {
    DelayInstance& instance = instanceOf(plugin);
    if (!guiApiSupported(plugin, api, floating) || instance.gui()) return false;
    return guarded(false, [&] {
        instance.setGui(std::make_unique<DelayGui>(instance));
        return true;
    });
}

void guiDestroy(const clap_plugin_t* plugin) noexcept {
    guardedCall([&] { instanceOf(plugin).setGui(nullptr); });
}

bool guiSetScale(const clap_plugin_t* plugin, double scale) noexcept {
    DelayGui* gui = instanceOf(plugin).gui();
    return gui && guarded(false, [&] { return gui->setScale(scale); });
}

bool guiSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height) noexcept {
    const DelayGui* gui = instanceOf(plugin).gui();
    if (!gui || !width || !height) return false;
    *width = gui->width();
    *height = gui->height();
    return true;
}

bool guiCanResize(const clap_plugin_t*) noexcept { return false; }
bool guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) noexcept { return false; }

// The only size there is.
bool guiAdjustSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height) noexcept {
    return guiSize(plugin, width, height);
}

bool guiSetSize(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height) noexcept {
    const DelayGui* gui = instanceOf(plugin).gui();
    return gui && width == gui->width() && height == gui->height();
}

bool guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window) noexcept {
    DelayGui* gui = instanceOf(plugin).gui();
    if (!gui || !window || !window->api || std::strcmp(window->api, clapdoor::kWindowApi) != 0) return false;
    return guarded(false, [&] { return gui->setParent(*window); });
}

bool guiSetTransient(const clap_plugin_t*, const clap_window_t*) noexcept { return false; }
void guiSuggestTitle(const clap_plugin_t*, const char*) noexcept {}
// Embedded, the editor is shown and hidden with the host's window.
bool guiShow(const clap_plugin_t* plugin) noexcept { return instanceOf(plugin).gui() != nullptr; }
bool guiHide(const clap_plugin_t* plugin) noexcept { return instanceOf(plugin).gui() != nullptr; }

const clap_plugin_gui_t kGui = {guiApiSupported, guiPreferredApi, guiCreate,       guiDestroy,    guiSetScale,
                                guiSize,         guiCanResize,    guiResizeHints,  guiAdjustSize, guiSetSize,
                                guiSetParent,    guiSetTransient, guiSuggestTitle, guiShow,       guiHide};

void onTimer(const clap_plugin_t* plugin, clap_id id) noexcept {
    DelayGui* gui = instanceOf(plugin).gui();
    if (gui && gui->ownsTimer(id)) guardedCall([&] { gui->tick(); });  // a redraw that could not allocate: the next tick tries again
}

const clap_plugin_timer_support_t kTimerSupport = {onTimer};

bool init(const clap_plugin_t* plugin) noexcept {
    return guarded(false, [&] {
        instanceOf(plugin).init();
        return true;
    });
}

void destroy(const clap_plugin_t* plugin) noexcept {
    guardedCall([&] { instanceOf(plugin).setGui(nullptr); });
    delete &instanceOf(plugin);
    delete plugin;
}

bool activate(const clap_plugin_t* plugin, double sampleRate, std::uint32_t, std::uint32_t) noexcept {
    return guarded(false, [&] { return instanceOf(plugin).activate(sampleRate); });
}

void deactivate(const clap_plugin_t* plugin) noexcept { instanceOf(plugin).deactivate(); }

bool startProcessing(const clap_plugin_t* plugin) noexcept {
    instanceOf(plugin).setProcessing(true);
    return true;
}

void stopProcessing(const clap_plugin_t* plugin) noexcept { instanceOf(plugin).setProcessing(false); }

void reset(const clap_plugin_t* plugin) noexcept { instanceOf(plugin).reset(); }

clap_process_status process(const clap_plugin_t* plugin, const clap_process_t* block) noexcept {
    return block ? instanceOf(plugin).process(*block) : CLAP_PROCESS_ERROR;
}

const void* extension(const clap_plugin_t*, const char* id) noexcept {
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kAudioPorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kLatency;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kTimerSupport;
    return nullptr;
}

void onMainThread(const clap_plugin_t* plugin) noexcept { instanceOf(plugin).onMainThread(); }

const clap_plugin_t* createPlugin(const clap_host_t* host) {
    auto instance = std::make_unique<DelayInstance>(host);
    auto plugin = std::make_unique<clap_plugin_t>(clap_plugin_t{&kDescriptor, instance.get(), init, destroy, activate,
                                                                deactivate, startProcessing, stopProcessing, reset,
                                                                process, extension, onMainThread});
    instance.release();
    return plugin.release();
}

std::uint32_t pluginCount(const clap_plugin_factory_t*) noexcept { return 1; }

const clap_plugin_descriptor_t* pluginDescriptor(const clap_plugin_factory_t*, std::uint32_t index) noexcept {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* create(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) noexcept {
    if (!host || !host->get_extension || !id || std::strcmp(id, kDescriptor.id) != 0 ||
        !clap_version_is_compatible(host->clap_version))
        return nullptr;
    return guarded<const clap_plugin_t*>(nullptr, [&] { return createPlugin(host); });
}

const clap_plugin_factory_t kFactory = {pluginCount, pluginDescriptor, create};

bool entryInit(const char*) noexcept { return true; }
void entryDeinit() noexcept {}

const void* factory(const char* id) noexcept {
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit, factory};
