// One instance of the CLAP plug-in: the delay engine built at the rate the host activates it
// with, the parameter values, the state, and what passes between the editor and the host.
// The host's parameter events are applied at their frame: the block is split there.
#pragma once

#include <clap/host.h>
#include <clap/ext/params.h>
#include <clap/process.h>
#include <clap/stream.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/event_ring.h"
#include "core/parameter_set.h"
#include "core/parameter_state.h"
#include "core/state_bytes.h"
#include "engine/applied_values.h"
#include "engine/delay_engine.h"

namespace clapdoor {

class DelayGui;

class DelayInstance {
public:
    explicit DelayInstance(const clap_host_t* host);
    ~DelayInstance();
    DelayInstance(const DelayInstance&) = delete;
    DelayInstance& operator=(const DelayInstance&) = delete;

    const clap_host_t* host() const { return hostRecord; }
    void init();  // the host's extensions, which it may give only from init on

    // Main thread. Builds the engine (the only allocation of processing); false for a rate
    // the engine cannot run at.
    bool activate(double sampleRate);
    void deactivate() { engine.reset(); }
    // Audio thread.
    void setProcessing(bool on) { processing.store(on, std::memory_order_release); }
    void reset();
    clap_process_status process(const clap_process_t& block);

    // Parameters, in unit values; flush runs on the audio thread while active, on the main
    // thread otherwise.
    double unitValue(std::int32_t index) const;
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    // Main thread.
    bool save(const clap_ostream_t& stream) const;
    bool load(const clap_istream_t& stream);
    // While Sync is on, what the Rate shows: the delay's length in milliseconds at the host's
    // last tempo, rounded to samples of the rate last activated with (44100 Hz before).
    std::optional<float> syncedMilliseconds() const;
    // The host's callback on its main thread: a tempo that moved the synced delay changed the
    // Rate's text, which the host is asked to read again.
    void onMainThread();

    // The editor's side, main thread: values as the editor holds them (normalized), and edits
    // that reach the host as gesture and value events.
    float normalizedValueOf(std::int32_t index) const { return state.value(index); }
    void beginGesture(std::int32_t index);
    void edit(std::int32_t index, float normalized);
    void endGesture(std::int32_t index);
    // The parameters the host changed since the last call.
    ParameterSet takeHostChanges() { return hostChanges.take(); }

    DelayGui* gui() const { return editorGui.get(); }
    void setGui(std::unique_ptr<DelayGui> gui);

private:
    struct Outgoing {
        std::uint16_t type = 0;  // CLAP_EVENT_PARAM_GESTURE_BEGIN, _VALUE or _END
        std::int32_t index = 0;
        float value = 0.0f;
    };

    void store(std::int32_t index, float normalized);
    void applyPending();
    void followTransport(const clap_event_transport_t& transport);
    void applyEvent(const clap_event_header_t& header);
    static bool isParameterValue(const clap_event_header_t& header);
    // A parameter's value event: stored, marked for the editor, applied.
    void takeValue(const clap_event_param_value_t& event);
    void sendToHost(const clap_output_events_t* out);
    void queueForHost(const Outgoing& event);
    void run(const clap_process_t& block, std::uint32_t from, std::uint32_t to);

    const clap_host_t* hostRecord;
    const clap_host_params_t* hostParams = nullptr;
    std::unique_ptr<DelayEngine> engine;
    ParameterState state;
    AppliedValues applied;
    SharedParameterSet pendingApply;  // stored by the editor or a state, not yet applied
    SharedParameterSet hostChanges;   // for the editor's controls
    std::atomic<bool> processing{false};
    std::atomic<double> tempo{120.0};  // the engine's, for the texts on the main thread
    float activeRate = 44100.0f;        // main thread
    std::atomic<bool> textsChanged{false};
    // A transport stop resets the filter units and LFOs once, at the next block: whether this
    // stop has been handled, and whether the block being processed saw a stop to handle.
    bool stopResetDone = false;
    bool resetDue = false;
    EventRing<Outgoing, 4096> toHost;
    std::unique_ptr<DelayGui> editorGui;
};

}  // namespace clapdoor
