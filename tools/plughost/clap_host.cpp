#include "plughost/clap_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <clap/ext/thread-check.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace plughost::clap {
namespace {

thread_local bool inAudioRole = false;

#ifdef _WIN32
void* openLibrary(const std::string& path, std::string& error) {
    // A bare file name would make LoadLibrary search the system folders and PATH as well.
    const std::string where = path.find_first_of("/\\") == std::string::npos ? ".\\" + path : path;
    HMODULE handle = LoadLibraryA(where.c_str());
    if (!handle) error = path + ": cannot load the module (error " + std::to_string(GetLastError()) + ")";
    return handle;
}
void* findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* openLibrary(const std::string& path, std::string& error) {
    // A bare file name would make dlopen search the library path instead of this folder.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) error = path + ": " + dlerror();
    return handle;
}
void* findSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void closeLibrary(void* handle) { dlclose(handle); }
#endif

}  // namespace

bool isClapPath(const std::string& path) { return path.size() > 5 && path.ends_with(".clap"); }

ClapModule::ClapModule(std::string path, void* library, const clap_plugin_entry_t* entry)
    : modulePath(std::move(path)), handle(library), entryRecord(entry) {
    pluginFactory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

ClapModule::~ClapModule() {
    entryRecord->deinit();
    closeLibrary(handle);
}

std::unique_ptr<ClapModule> ClapModule::load(const std::string& path, std::string& error) {
    void* library = openLibrary(path, error);
    if (!library) return nullptr;
    const auto* entry = static_cast<const clap_plugin_entry_t*>(findSymbol(library, "clap_entry"));
    if (!entry) error = path + ": no clap_entry";
    else if (!clap_version_is_compatible(entry->clap_version)) error = path + ": a CLAP version this host does not speak";
    else if (!entry->init || !entry->deinit || !entry->get_factory) error = path + ": clap_entry lacks a function";
    else if (!entry->init(path.c_str())) error = path + ": clap_entry.init failed";
    if (!error.empty()) {
        closeLibrary(library);
        return nullptr;
    }
    return std::unique_ptr<ClapModule>(new ClapModule(path, library, entry));
}

AudioThreadScope::AudioThreadScope() : was(inAudioRole) { inAudioRole = true; }
AudioThreadScope::~AudioThreadScope() { inAudioRole = was; }

ClapHost::ClapHost() : mainThread(std::this_thread::get_id()) {
    host = {CLAP_VERSION_INIT, this, "plughost", "Quorvane", "", "1", extension, nullptr, nullptr, nullptr};
    host.request_restart = [](const clap_host_t*) {};
    host.request_process = [](const clap_host_t*) {};
    host.request_callback = [](const clap_host_t* h) { of(h).callbackRequested = true; };
}

bool ClapHost::isMainThread() const { return std::this_thread::get_id() == mainThread && !inAudioRole; }
bool ClapHost::isAudioThread() const { return inAudioRole; }

void ClapHost::requireMain(const char* call) {
    if (isMainThread()) return;
    const std::lock_guard guard(lock);
    findings.push_back(std::string(call) + " called from " + (inAudioRole ? "the audio thread" : "another thread") +
                       "; CLAP allows it on the main thread only");
}

std::vector<std::string> ClapHost::threadFindings() const {
    const std::lock_guard guard(lock);
    return findings;
}

std::vector<clap_id> ClapHost::timers() const {
    const std::lock_guard guard(lock);
    std::vector<clap_id> ids;
    for (const auto& [id, period] : timerPeriods) ids.push_back(id);
    return ids;
}

const void* ClapHost::extension(const clap_host_t*, const char* id) {
    static const clap_host_params_t params = {
        [](const clap_host_t* h, clap_param_rescan_flags flags) {
            of(h).requireMain("host params.rescan");
            ++of(h).rescanCount;
            of(h).rescannedFlags |= flags;
        },
        [](const clap_host_t* h, clap_id, clap_param_clear_flags) { of(h).requireMain("host params.clear"); },
        [](const clap_host_t* h) { of(h).flushRequested = true; }};
    static const clap_host_thread_check_t threadCheck = {
        [](const clap_host_t* h) { return of(h).isMainThread(); },
        [](const clap_host_t* h) { return of(h).isAudioThread(); }};
    static const clap_host_timer_support_t timerSupport = {
        [](const clap_host_t* h, std::uint32_t period, clap_id* timer) {
            ClapHost& self = of(h);
            self.requireMain("host timer-support.register_timer");
            if (!timer) return false;
            const std::lock_guard guard(self.lock);
            *timer = self.nextTimer++;
            self.timerPeriods[*timer] = period;
            return true;
        },
        [](const clap_host_t* h, clap_id timer) {
            ClapHost& self = of(h);
            self.requireMain("host timer-support.unregister_timer");
            const std::lock_guard guard(self.lock);
            return self.timerPeriods.erase(timer) == 1;
        }};
    static const clap_host_state_t state = {[](const clap_host_t* h) { of(h).requireMain("host state.mark_dirty"); }};
    static const clap_host_latency_t latency = {[](const clap_host_t* h) { of(h).requireMain("host latency.changed"); }};
    static const clap_host_audio_ports_t audioPorts = {
        [](const clap_host_t*, std::uint32_t) { return false; },
        [](const clap_host_t* h, std::uint32_t) { of(h).requireMain("host audio-ports.rescan"); }};
    static const clap_host_gui_t gui = {
        [](const clap_host_t* h) { of(h).requireMain("host gui.resize_hints_changed"); },
        [](const clap_host_t*, std::uint32_t, std::uint32_t) { return false; },
        [](const clap_host_t*) { return false; }, [](const clap_host_t*) { return false; },
        [](const clap_host_t* h, bool) { of(h).requireMain("host gui.closed"); }};
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &threadCheck;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &timerSupport;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latency;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &audioPorts;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
    return nullptr;
}

InputEvents::InputEvents() {
    record.ctx = this;
    record.size = [](const clap_input_events_t* list) {
        return static_cast<std::uint32_t>(static_cast<const InputEvents*>(list->ctx)->events.size());
    };
    record.get = [](const clap_input_events_t* list, std::uint32_t index) -> const clap_event_header_t* {
        const auto& events = static_cast<const InputEvents*>(list->ctx)->events;
        return index < events.size() ? &events[index].header : nullptr;
    };
}

void InputEvents::addValue(std::uint32_t time, clap_id id, double value) {
    Event event{};
    event.value = {{sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0},
                   id, nullptr, -1, -1, -1, -1, value};
    events.push_back(event);
}

void InputEvents::addGesture(std::uint32_t time, clap_id id, bool begin) {
    Event event{};
    const std::uint16_t type = begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
    event.gesture = {{sizeof(clap_event_param_gesture_t), time, CLAP_CORE_EVENT_SPACE_ID, type, 0}, id};
    events.push_back(event);
}

void InputEvents::addTempo(std::uint32_t time, double beatsPerMinute) {
    Event event{};
    event.transport.header = {sizeof(clap_event_transport_t), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    event.transport.flags = CLAP_TRANSPORT_HAS_TEMPO;
    event.transport.tempo = beatsPerMinute;
    events.push_back(event);
}

OutputEvents::OutputEvents() {
    record.ctx = this;
    record.try_push = push;
}

bool OutputEvents::push(const clap_output_events_t* list, const clap_event_header_t* event) {
    auto& self = *static_cast<OutputEvents*>(list->ctx);
    if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) return false;
    SentEvent sent{event->type, event->time, CLAP_INVALID_ID, 0.0};
    if (event->type == CLAP_EVENT_PARAM_VALUE && event->size >= sizeof(clap_event_param_value_t)) {
        const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
        sent.id = value->param_id;
        sent.value = value->value;
    } else if ((event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || event->type == CLAP_EVENT_PARAM_GESTURE_END) &&
               event->size >= sizeof(clap_event_param_gesture_t)) {
        sent.id = reinterpret_cast<const clap_event_param_gesture_t*>(event)->param_id;
    }
    self.sent.push_back(sent);
    return true;
}

std::vector<SentEvent> OutputEvents::take() { return std::exchange(sent, {}); }

ClapPlugin::ClapPlugin(const clap_plugin_t* plugin, ClapHost& host)
    : instance(plugin), owner(host), paramsExtension(extension<clap_plugin_params_t>(CLAP_EXT_PARAMS)),
      stateExtension(extension<clap_plugin_state_t>(CLAP_EXT_STATE)), inputCount(channels(true)),
      outputCount(channels(false)) {}

std::unique_ptr<ClapPlugin> ClapPlugin::create(const ClapModule& module, ClapHost& host, std::uint32_t index,
                                               std::string& error) {
    const clap_plugin_factory_t* factory = module.factory();
    const clap_plugin_descriptor_t* descriptor = factory ? factory->get_plugin_descriptor(factory, index) : nullptr;
    if (!descriptor || !descriptor->id) {
        error = module.path() + ": no plug-in number " + std::to_string(index) + " in the factory";
        return nullptr;
    }
    const clap_plugin_t* plugin = factory->create_plugin(factory, host.record(), descriptor->id);
    if (!plugin) {
        error = module.path() + ": create_plugin refused " + descriptor->id;
        return nullptr;
    }
    if (!plugin->init(plugin)) {
        plugin->destroy(plugin);
        error = module.path() + ": init failed";
        return nullptr;
    }
    return std::unique_ptr<ClapPlugin>(new ClapPlugin(plugin, host));
}

ClapPlugin::~ClapPlugin() {
    if (processing) {
        const AudioThreadScope audio;
        stopProcessing();
    }
    deactivate();
    instance->destroy(instance);
}

std::vector<clap_param_info_t> ClapPlugin::parameters() const {
    std::vector<clap_param_info_t> list;
    if (!paramsExtension) return list;
    const std::uint32_t count = paramsExtension->count(instance);
    for (std::uint32_t index = 0; index < count; ++index) {
        clap_param_info_t info{};
        if (paramsExtension->get_info(instance, index, &info)) list.push_back(info);
    }
    return list;
}

std::optional<double> ClapPlugin::value(clap_id id) const {
    double value = 0.0;
    if (!paramsExtension || !paramsExtension->get_value(instance, id, &value)) return std::nullopt;
    return value;
}

std::optional<std::string> ClapPlugin::text(clap_id id, double value) const {
    char text[256] = {};
    if (!paramsExtension || !paramsExtension->value_to_text(instance, id, value, text, sizeof text - 1)) return std::nullopt;
    return std::string(text);
}

std::optional<double> ClapPlugin::parse(clap_id id, const std::string& text) const {
    double value = 0.0;
    if (!paramsExtension || !paramsExtension->text_to_value(instance, id, text.c_str(), &value)) return std::nullopt;
    return value;
}

std::uint32_t ClapPlugin::channels(bool input) const {
    const auto* ports = extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    clap_audio_port_info_t info{};
    if (!ports || ports->count(instance, input) == 0 || !ports->get(instance, 0, input, &info)) return 0;
    return info.channel_count;
}

bool ClapPlugin::activate(double sampleRate, std::uint32_t maxFrames) {
    if (active) deactivate();
    active = instance->activate(instance, sampleRate, 1, maxFrames);
    return active;
}

void ClapPlugin::deactivate() {
    if (!active) return;
    instance->deactivate(instance);
    active = false;
}

bool ClapPlugin::startProcessing() {
    processing = instance->start_processing(instance);
    return processing;
}

void ClapPlugin::stopProcessing() {
    if (!processing) return;
    instance->stop_processing(instance);
    processing = false;
}

clap_process_status ClapPlugin::process(const float* const* inputs, float* const* outputs, std::uint32_t frames,
                                        const InputEvents& in, OutputEvents& out,
                                        const clap_event_transport_t* transport) {
    clap_audio_buffer_t input{const_cast<float**>(inputs), nullptr, inputChannels(), 0, 0};
    clap_audio_buffer_t output{const_cast<float**>(outputs), nullptr, outputChannels(), 0, 0};
    const clap_process_t block{steadyTime, frames, transport, &input, &output, 1, 1, in.list(), out.list()};
    steadyTime += frames;
    return instance->process(instance, &block);
}

void ClapPlugin::flush(const InputEvents& in, OutputEvents& out) {
    if (paramsExtension) paramsExtension->flush(instance, in.list(), out.list());
}

std::optional<std::vector<unsigned char>> ClapPlugin::save() const {
    if (!stateExtension) return std::nullopt;
    std::vector<unsigned char> bytes;
    const clap_ostream_t stream{&bytes, [](const clap_ostream_t* s, const void* data, std::uint64_t size) -> std::int64_t {
                                    auto& target = *static_cast<std::vector<unsigned char>*>(s->ctx);
                                    const auto* first = static_cast<const unsigned char*>(data);
                                    target.insert(target.end(), first, first + size);
                                    return static_cast<std::int64_t>(size);
                                }};
    if (!stateExtension->save(instance, &stream)) return std::nullopt;
    return bytes;
}

// The stream hands out at most 7 bytes a read, as slow hosts' streams do: a plug-in must read
// until the end.
bool ClapPlugin::load(const std::vector<unsigned char>& bytes) {
    if (!stateExtension) return false;
    struct Source {
        const std::vector<unsigned char>& bytes;
        std::size_t read = 0;
    } source{bytes};
    const clap_istream_t stream{&source, [](const clap_istream_t* s, void* data, std::uint64_t size) -> std::int64_t {
                                    auto& from = *static_cast<Source*>(s->ctx);
                                    const auto n = static_cast<std::size_t>(
                                        std::min<std::uint64_t>({size, 7, from.bytes.size() - from.read}));
                                    if (n > 0) std::memcpy(data, from.bytes.data() + from.read, n);
                                    from.read += n;
                                    return static_cast<std::int64_t>(n);
                                }};
    return stateExtension->load(instance, &stream);
}

void ClapPlugin::fireTimers() {
    const auto* timers = extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    if (!timers) return;
    for (clap_id id : owner.timers()) timers->on_timer(instance, id);
}

}  // namespace plughost::clap
