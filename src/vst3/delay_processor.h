// The processing side of the VST 3 plug-in: the delay engine built at the rate the host sets
// up, the values it runs with, the bypass crossfade and the tail. The host's parameter
// changes are applied at their sample offsets: the block is split there, as the CLAP door
// splits it at its events, so that both editions render the same.
#pragma once

#include <travesty/audio_processor.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/parameter_set.h"
#include "core/parameter_state.h"
#include "core/state_bytes.h"
#include "engine/applied_values.h"
#include "engine/delay_engine.h"

namespace vst3door {

class DelayProcessor {
public:
    // Main thread, while inactive. False for a rate the engine cannot run at or 64-bit samples.
    bool setup(const v3_process_setup& setup);
    // Builds the engine and the bypass buffers (the only allocations of processing), or
    // releases them.
    void setActive(bool active);
    bool isActive() const { return engine != nullptr; }

    // Audio thread.
    v3_result process(v3_process_data& data);

    // Any thread: what the host asks between blocks.
    std::uint32_t tailSamples() const;
    double tempo() const { return hostTempo.load(std::memory_order_relaxed); }
    float rate() const { return sampleRate; }

    // Main thread: the state bytes of what the engine runs with; loading judges the whole
    // stream first and changes nothing when it is refused.
    std::vector<unsigned char> save() const { return encodeState(state.all()); }
    void load(const ParameterValues& values);
    // Main thread: a value the controller was given, for the state and from the next block
    // on. Hosts set values on the controller and save the component state without a block in
    // between (Ardour does), so the state must have it at once; the same value arriving later
    // in a queue changes nothing.
    void take(std::int32_t index, float value);

private:
    struct Point {
        v3_param_id id;
        double value;
    };
    class Changes;

    void applyPending();
    void followContext(const v3_process_context& context);
    void applyPoint(const Point& point, std::int32_t offset, v3_process_data& data);
    void selectProgram(std::int32_t program, std::int32_t offset, v3_process_data& data);
    void run(const v3_process_data& data, std::int32_t from, std::int32_t to);
    void runBypassMix(const float* const* inputs, float* const* outputs, std::int32_t frames);

    std::unique_ptr<DelayEngine> engine;
    ParameterState state;
    AppliedValues applied;
    SharedParameterSet pendingApply;  // stored by a state load, not yet applied
    float sampleRate = 44100.0f;       // set up, main thread
    std::int32_t maxBlock = 1024;
    std::atomic<double> hostTempo{120.0};
    // A transport stop resets the filter units and LFOs once, before the next block.
    bool stopResetDone = false;
    bool resetDue = false;
    // The bypass: 0 runs the engine alone, 1 passes the input; between, a short crossfade.
    bool bypassed = false;
    float bypassGain = 0.0f;
    float bypassStep = 0.0f;
    std::vector<float> dry[2];  // the input as it was, for in-place buffers
    bool silentBlock = true;    // every piece of the block the engine ran was silent
};

}  // namespace vst3door
