// plughost as a CLAP host: loading a .clap module, the host record the plug-in calls back
// (parameters, timers, thread check), event lists, and one plug-in instance with the calls a
// host makes on it. The host notes every call the plug-in makes from a thread CLAP does not
// allow for it.
#pragma once

#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace plughost::clap {

// Whether a path names a CLAP module (by its extension).
bool isClapPath(const std::string& path);

class ClapModule {
public:
    // Loads the module, checks its entry's version and calls init; null with a reason otherwise.
    static std::unique_ptr<ClapModule> load(const std::string& path, std::string& error);
    ~ClapModule();  // deinit, then the module is unloaded
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    const std::string& path() const { return modulePath; }
    const clap_plugin_entry_t& entry() const { return *entryRecord; }
    // The plug-in factory; null when the module has none.
    const clap_plugin_factory_t* factory() const { return pluginFactory; }

private:
    ClapModule(std::string path, void* handle, const clap_plugin_entry_t* entry);

    std::string modulePath;
    void* handle;
    const clap_plugin_entry_t* entryRecord;
    const clap_plugin_factory_t* pluginFactory = nullptr;
};

// Which role the calling thread plays for CLAP while a scope of this kind lives: the audio
// thread's calls (process, start and stop processing, reset, flush while active).
class AudioThreadScope {
public:
    AudioThreadScope();
    ~AudioThreadScope();
    AudioThreadScope(const AudioThreadScope&) = delete;
    AudioThreadScope& operator=(const AudioThreadScope&) = delete;

private:
    bool was;
};

class ClapHost {
public:
    ClapHost();  // the constructing thread is the main thread
    ClapHost(const ClapHost&) = delete;
    ClapHost& operator=(const ClapHost&) = delete;

    const clap_host_t* record() const { return &host; }
    bool isMainThread() const;
    bool isAudioThread() const;

    // Calls the plug-in made from a thread CLAP does not allow for them.
    std::vector<std::string> threadFindings() const;
    // Whether the plug-in asked for a flush (or a callback) since the last call.
    bool takeFlushRequest() { return flushRequested.exchange(false); }
    bool takeCallbackRequest() { return callbackRequested.exchange(false); }
    int rescans() const { return rescanCount.load(); }
    // The flags of every rescan so far, or-ed together.
    clap_param_rescan_flags rescanFlags() const { return rescannedFlags.load(); }
    // The timers the plug-in registered, by id.
    std::vector<clap_id> timers() const;

private:
    static ClapHost& of(const clap_host_t* host) { return *static_cast<ClapHost*>(host->host_data); }
    static const void* extension(const clap_host_t* host, const char* id);
    void requireMain(const char* call);

    clap_host_t host;
    std::thread::id mainThread;
    mutable std::mutex lock;  // the findings and timers; the plug-in may call from any thread
    std::vector<std::string> findings;
    std::map<clap_id, std::uint32_t> timerPeriods;
    clap_id nextTimer = 1;
    std::atomic<bool> flushRequested{false};
    std::atomic<bool> callbackRequested{false};
    std::atomic<int> rescanCount{0};
    std::atomic<clap_param_rescan_flags> rescannedFlags{0};
};

// A list of input events in time order, as the host hands them to process or flush.
class InputEvents {
public:
    InputEvents();
    InputEvents(const InputEvents&) = delete;  // the list record points at its owner
    InputEvents& operator=(const InputEvents&) = delete;
    void addValue(std::uint32_t time, clap_id id, double value);
    void addGesture(std::uint32_t time, clap_id id, bool begin);
    // A transport event that tells only the tempo.
    void addTempo(std::uint32_t time, double beatsPerMinute);
    void clear() { events.clear(); }
    bool empty() const { return events.empty(); }
    const clap_input_events_t* list() const { return &record; }

private:
    union Event {
        clap_event_header_t header;
        clap_event_param_value_t value;
        clap_event_param_gesture_t gesture;
        clap_event_transport_t transport;
    };
    clap_input_events_t record;
    std::vector<Event> events;
};

// What the plug-in sends: parameter values and gestures, copied.
struct SentEvent {
    std::uint16_t type = 0;
    std::uint32_t time = 0;
    clap_id id = CLAP_INVALID_ID;
    double value = 0.0;
};

class OutputEvents {
public:
    OutputEvents();
    OutputEvents(const OutputEvents&) = delete;
    OutputEvents& operator=(const OutputEvents&) = delete;
    const clap_output_events_t* list() const { return &record; }
    std::vector<SentEvent> take();

private:
    static bool push(const clap_output_events_t* list, const clap_event_header_t* event);
    clap_output_events_t record;
    std::vector<SentEvent> sent;
};

class ClapPlugin {
public:
    // The factory's plug-in by its index, created and initialized.
    static std::unique_ptr<ClapPlugin> create(const ClapModule& module, ClapHost& host, std::uint32_t index,
                                              std::string& error);
    ~ClapPlugin();  // stops, deactivates and destroys it
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    const clap_plugin_t& plugin() const { return *instance; }
    const clap_plugin_descriptor_t& descriptor() const { return *instance->desc; }
    template <typename Extension>
    const Extension* extension(const char* id) const {
        return static_cast<const Extension*>(instance->get_extension(instance, id));
    }
    const clap_plugin_params_t* params() const { return paramsExtension; }
    const clap_plugin_state_t* state() const { return stateExtension; }
    ClapHost& host() { return owner; }

    std::vector<clap_param_info_t> parameters() const;
    std::optional<double> value(clap_id id) const;
    std::optional<std::string> text(clap_id id, double value) const;
    std::optional<double> parse(clap_id id, const std::string& text) const;

    // The channel counts of the first input and output ports (0 without ports), as the plug-in
    // declared them when it was created.
    std::uint32_t inputChannels() const { return inputCount; }
    std::uint32_t outputChannels() const { return outputCount; }

    bool activate(double sampleRate, std::uint32_t maxFrames);
    void deactivate();
    bool isActive() const { return active; }
    // Audio thread (an AudioThreadScope on the calling thread).
    bool startProcessing();
    void stopProcessing();
    // The transport of the block, when the host tells one.
    clap_process_status process(const float* const* inputs, float* const* outputs, std::uint32_t frames,
                                const InputEvents& in, OutputEvents& out,
                                const clap_event_transport_t* transport = nullptr);
    // The plug-in's on_main_thread, as a host calls it after request_callback.
    void callOnMainThread() { instance->on_main_thread(instance); }
    // Main thread when inactive, audio thread when active.
    void flush(const InputEvents& in, OutputEvents& out);
    // Null when the plug-in has no state or refuses to save.
    std::optional<std::vector<unsigned char>> save() const;
    bool load(const std::vector<unsigned char>& bytes);
    // Fires every timer the plug-in registered with the host.
    void fireTimers();

private:
    ClapPlugin(const clap_plugin_t* plugin, ClapHost& host);
    std::uint32_t channels(bool input) const;

    const clap_plugin_t* instance;
    ClapHost& owner;
    const clap_plugin_params_t* paramsExtension;
    const clap_plugin_state_t* stateExtension;
    std::uint32_t inputCount, outputCount;
    bool active = false;
    bool processing = false;
    std::int64_t steadyTime = 0;
};

}  // namespace plughost::clap
