// A small CLAP gain-and-echo plug-in that `plughost check` must pass as it is, and that carries
// one fault that one check must find when its file is named for it: built once, then copied to
// faulty_clap_<fault>.clap for each fault (the entry's init reads the name). Three
// parameters: gain (0 to 2), a stepped mode (0 to 3) and echo (0 to 1), the part of the
// previous output each channel adds, so that reset and the state matter.
#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>


namespace {

enum class Fault {
    None, NoVersion, RescanFromAudio, InPlaceBroken, Overrun, SubnormalOutput, HighRateRefused, ResetKept,
    TextInPercent, DefaultMismatch, UnclampedEvents, EventsAtBlockStart, FlushIgnored, GestureUnended,
    StateCounter, StateLax, StateDropsEcho, GuiTimerKept, InstanceLimit, LoudAtLowRates, Runaway, NanLatch
};

// The file name's part after "faulty_clap_" names the fault, as tests/tools/CMakeLists.txt copies it.
constexpr std::pair<const char*, Fault> kFaultNames[] = {
    {"no_version", Fault::NoVersion}, {"rescan_from_audio", Fault::RescanFromAudio},
    {"in_place_broken", Fault::InPlaceBroken}, {"overrun", Fault::Overrun},
    {"subnormal_output", Fault::SubnormalOutput}, {"high_rate_refused", Fault::HighRateRefused},
    {"reset_kept", Fault::ResetKept}, {"text_in_percent", Fault::TextInPercent},
    {"default_mismatch", Fault::DefaultMismatch}, {"unclamped_events", Fault::UnclampedEvents},
    {"events_at_block_start", Fault::EventsAtBlockStart}, {"flush_ignored", Fault::FlushIgnored},
    {"gesture_unended", Fault::GestureUnended}, {"state_counter", Fault::StateCounter},
    {"state_lax", Fault::StateLax}, {"state_drops_echo", Fault::StateDropsEcho},
    {"gui_timer_kept", Fault::GuiTimerKept}, {"instance_limit", Fault::InstanceLimit},
    {"loud_at_low_rates", Fault::LoudAtLowRates}, {"runaway", Fault::Runaway}, {"nan_latch", Fault::NanLatch}};

Fault fault = Fault::None;

constexpr int kParams = 3;
constexpr double kMax[kParams] = {2.0, 3.0, 1.0};
constexpr double kDefault[kParams] = {1.0, 0.0, 0.5};
constexpr const char* kNames[kParams] = {"Gain", "Mode", "Echo"};
int liveInstances = 0;

struct Plugin {
    clap_plugin_t clap;
    const clap_host_t* host;
    double values[kParams] = {fault == Fault::DefaultMismatch ? 0.5 : kDefault[0], kDefault[1], kDefault[2]};
    float memory[2] = {};
    bool active = false;
    float rateGain = 1.0f;
    clap_id timer = CLAP_INVALID_ID;
    unsigned saves = 0;
};

Plugin& self(const clap_plugin_t* p) { return *static_cast<Plugin*>(p->plugin_data); }

double clamped(int index, double value) {
    if (fault == Fault::UnclampedEvents) return value;
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, kMax[index]);
}

void apply(Plugin& plugin, const clap_event_header_t* header) {
    if (header->space_id != CLAP_CORE_EVENT_SPACE_ID || header->type != CLAP_EVENT_PARAM_VALUE) return;
    const auto* event = reinterpret_cast<const clap_event_param_value_t*>(header);
    if (event->param_id < kParams) plugin.values[event->param_id] = clamped(static_cast<int>(event->param_id), event->value);
}

void run(Plugin& plugin, const clap_process_t* process, std::uint32_t from, std::uint32_t to) {
    // Echo at its end feeds back more than it takes in.
    const float echoScale = fault == Fault::Runaway && plugin.values[2] == kMax[2] ? 1.5f : 0.5f;
    const float gain = static_cast<float>(plugin.values[0]) * plugin.rateGain, echo = static_cast<float>(plugin.values[2]) * echoScale;
    for (int c = 0; c < 2; ++c) {
        const float* in = process->audio_inputs[0].data32[c];
        float* out = process->audio_outputs[0].data32[c];
        // Clearing the output first wipes the input when the host processes in place.
        if (fault == Fault::InPlaceBroken) std::fill(out + from, out + to, 0.0f);
        for (std::uint32_t i = from; i < to; ++i) {
            out[i] = in[i] * gain + echo * plugin.memory[c];
            if (fault == Fault::SubnormalOutput && i + 1 == to) out[i] = 1e-40f;
            // A sample that is not finite is not kept, or it would come back for good.
            const bool kept = std::isfinite(out[i]) || fault == Fault::NanLatch;
            plugin.memory[c] = !kept || std::fabs(out[i]) < 1e-30f ? 0.0f : out[i];
        }
        if (fault == Fault::Overrun && to == process->frames_count) out[to] = 0.0f;
    }
}

clap_process_status process(const clap_plugin_t* p, const clap_process_t* process) {
    Plugin& plugin = self(p);
    if (fault == Fault::RescanFromAudio) {
        const auto* params = static_cast<const clap_host_params_t*>(plugin.host->get_extension(plugin.host, CLAP_EXT_PARAMS));
        if (params) params->rescan(plugin.host, CLAP_PARAM_RESCAN_VALUES);
    }
    const std::uint32_t count = process->in_events->size(process->in_events);
    std::uint32_t done = 0;
    for (std::uint32_t e = 0; e < count; ++e) {
        const clap_event_header_t* header = process->in_events->get(process->in_events, e);
        const std::uint32_t at = fault == Fault::EventsAtBlockStart ? 0 : std::min(header->time, process->frames_count);
        if (at > done) run(plugin, process, done, at);
        done = std::max(done, at);
        apply(plugin, header);
    }
    run(plugin, process, done, process->frames_count);
    return CLAP_PROCESS_CONTINUE;
}

std::uint32_t portCount(const clap_plugin_t*, bool) { return 1; }
bool portGet(const clap_plugin_t*, std::uint32_t index, bool input, clap_audio_port_info_t* info) {
    if (index != 0) return false;
    *info = {};
    info->id = input ? 0 : 1;
    std::snprintf(info->name, sizeof info->name, "%s", input ? "In" : "Out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = input ? 1 : 0;
    return true;
}
const clap_plugin_audio_ports_t kPorts = {portCount, portGet};

std::uint32_t paramCount(const clap_plugin_t*) { return kParams; }
bool paramInfo(const clap_plugin_t*, std::uint32_t index, clap_param_info_t* info) {
    if (index >= kParams) return false;
    *info = {};
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (index == 1) info->flags |= CLAP_PARAM_IS_STEPPED;
    std::snprintf(info->name, sizeof info->name, "%s", kNames[index]);
    info->max_value = kMax[index];
    info->default_value = kDefault[index];
    return true;
}
bool paramValue(const clap_plugin_t* p, clap_id id, double* value) {
    if (id >= kParams) return false;
    *value = self(p).values[id];
    return true;
}
bool toText(const clap_plugin_t*, clap_id id, double value, char* text, std::uint32_t size) {
    if (id >= kParams) return false;
    const double shown = (fault == Fault::TextInPercent && id == 0) ? value * 100.0 : value;
    return std::snprintf(text, size, "%.6f", shown) < static_cast<int>(size);
}
bool fromText(const clap_plugin_t*, clap_id id, const char* text, double* value) {
    if (id >= kParams) return false;
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text;
}
void flush(const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
    const std::uint32_t count = in->size(in);
    for (std::uint32_t e = 0; e < count; ++e) {
        if (fault != Fault::FlushIgnored) apply(self(p), in->get(in, e));
        if (fault == Fault::GestureUnended) {
            clap_event_param_gesture_t begin{{sizeof begin, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0}, 0};
            out->try_push(out, &begin.header);
        }
    }
}
const clap_plugin_params_t kParamsExt = {paramCount, paramInfo, paramValue, toText, fromText, flush};

// The state: a count of values, then the values as doubles, in this machine's byte order.
bool save(const clap_plugin_t* p, const clap_ostream_t* stream) {
    Plugin& plugin = self(p);
    double words[kParams + 1] = {kParams, plugin.values[0], plugin.values[1],
                                 fault == Fault::StateDropsEcho ? kDefault[2] : plugin.values[2]};
    if (fault == Fault::StateCounter) words[1] += 1e-9 * ++plugin.saves;
    return stream->write(stream, words, sizeof words) == sizeof words;
}
bool load(const clap_plugin_t* p, const clap_istream_t* stream) {
    double words[kParams + 1];
    std::size_t got = 0;
    for (std::int64_t n; got < sizeof words && (n = stream->read(stream, reinterpret_cast<char*>(words) + got, sizeof words - got)) > 0;)
        got += static_cast<std::size_t>(n);
    char extra;
    const bool whole = got == sizeof words && stream->read(stream, &extra, 1) == 0 && words[0] == kParams;
    if (fault == Fault::StateLax) {
        // Whatever values arrived are taken, and any stream counts as loaded.
        for (std::size_t i = 1; i <= kParams && (i + 1) * sizeof(double) <= got; ++i)
            self(p).values[i - 1] = clamped(static_cast<int>(i - 1), words[i]);
        return got > 0;
    }
    if (!whole) return false;
    for (int i = 0; i < kParams; ++i)
        if (!(words[i + 1] >= 0.0 && words[i + 1] <= kMax[i])) return false;
    for (int i = 0; i < kParams; ++i) self(p).values[i] = words[i + 1];
    return true;
}
const clap_plugin_state_t kState = {save, load};

// An editor that draws nothing: it takes a parent and keeps a timer while it exists.
const clap_host_timer_support_t* hostTimers(const Plugin& plugin) {
    return static_cast<const clap_host_timer_support_t*>(plugin.host->get_extension(plugin.host, CLAP_EXT_TIMER_SUPPORT));
}
bool guiApi(const clap_plugin_t*, const char* api, bool floating) {
    return !floating && (std::strcmp(api, CLAP_WINDOW_API_X11) == 0 || std::strcmp(api, CLAP_WINDOW_API_WIN32) == 0);
}
bool guiPreferred(const clap_plugin_t*, const char**, bool*) { return false; }
bool guiCreate(const clap_plugin_t* p, const char* api, bool floating) {
    Plugin& plugin = self(p);
    if (!guiApi(p, api, floating)) return false;
    if (const auto* timers = hostTimers(plugin)) timers->register_timer(plugin.host, 30, &plugin.timer);
    return true;
}
void guiDestroy(const clap_plugin_t* p) {
    Plugin& plugin = self(p);
    const auto* timers = hostTimers(plugin);
    if (fault != Fault::GuiTimerKept && timers && plugin.timer != CLAP_INVALID_ID) timers->unregister_timer(plugin.host, plugin.timer);
    plugin.timer = CLAP_INVALID_ID;
}
bool guiScale(const clap_plugin_t*, double) { return false; }
bool guiSize(const clap_plugin_t*, std::uint32_t* width, std::uint32_t* height) {
    *width = 200;
    *height = 100;
    return true;
}
bool guiNo(const clap_plugin_t*) { return false; }
bool guiHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
bool guiAdjust(const clap_plugin_t*, std::uint32_t*, std::uint32_t*) { return false; }
bool guiSetSize(const clap_plugin_t*, std::uint32_t, std::uint32_t) { return false; }
bool guiParent(const clap_plugin_t*, const clap_window_t*) { return true; }
bool guiTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
void guiTitle(const clap_plugin_t*, const char*) {}
bool guiYes(const clap_plugin_t*) { return true; }
const clap_plugin_gui_t kGui = {guiApi,  guiPreferred, guiCreate,  guiDestroy,   guiScale, guiSize, guiNo,  guiHints,
                                guiAdjust, guiSetSize, guiParent, guiTransient, guiTitle, guiYes,  guiYes};
void onTimer(const clap_plugin_t*, clap_id) {}
const clap_plugin_timer_support_t kTimer = {onTimer};

const void* extension(const clap_plugin_t*, const char* id) {
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kPorts;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParamsExt;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kTimer;
    return nullptr;
}

bool init(const clap_plugin_t*) { return true; }
void destroy(const clap_plugin_t* p) {
    if (fault != Fault::InstanceLimit) --liveInstances;
    delete &self(p);
}
bool activate(const clap_plugin_t* p, double rate, std::uint32_t, std::uint32_t) {
    if (fault == Fault::HighRateRefused && rate > 192000.0) return false;
    self(p).active = true;
    // A filter that turns unstable below 44.1 kHz and is held at a ceiling: 24 dB louder.
    if (fault == Fault::LoudAtLowRates) self(p).rateGain = rate < 44100.0 ? 16.0f : 1.0f;
    return true;
}
void deactivate(const clap_plugin_t* p) { self(p).active = false; }
bool startProcessing(const clap_plugin_t*) { return true; }
void stopProcessing(const clap_plugin_t*) {}
void reset(const clap_plugin_t* p) {
    if (fault != Fault::ResetKept) self(p).memory[0] = self(p).memory[1] = 0.0f;
}
void onMainThread(const clap_plugin_t*) {}

const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, nullptr};
clap_plugin_descriptor_t descriptorRecord = {CLAP_VERSION_INIT, "test.faulty", "Faulty", "Test", "", "", "",
                                             "1.0", "", kFeatures};

std::uint32_t count(const clap_plugin_factory_t*) { return 1; }
const clap_plugin_descriptor_t* descriptor(const clap_plugin_factory_t*, std::uint32_t index) {
    return index == 0 ? &descriptorRecord : nullptr;
}
const clap_plugin_t* create(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
    if (std::strcmp(id, descriptorRecord.id) != 0 || liveInstances >= 20) return nullptr;
    ++liveInstances;
    auto* plugin = new Plugin{{&descriptorRecord, nullptr, init, destroy, activate, deactivate, startProcessing,
                               stopProcessing, reset, process, extension, onMainThread},
                              host};
    plugin->clap.plugin_data = plugin;
    return &plugin->clap;
}
const clap_plugin_factory_t kFactory = {count, descriptor, create};

bool entryInit(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const std::string name = slash ? slash + 1 : path;
    for (const auto& [word, kind] : kFaultNames)
        if (name == std::string("faulty_clap_") + word + ".clap") fault = kind;
    if (fault == Fault::NoVersion) descriptorRecord.version = "";
    return true;
}
void entryDeinit() {}
const void* factory(const char* id) { return std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr; }

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit, factory};
