// The LV2 plug-in: the delay engine built at the host's sample rate, its parameters read from
// the control ports in their own units at the start of every run, the host's tempo taken
// from the time:Position events of the time port at their frames, and a transport stop
// (a time:Position with time:speed 0) resetting the filter units and LFOs at the next run.
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#include "core/parameter_state.h"
#include "engine/applied_values.h"
#include "engine/delay_engine.h"
#include "engine/denormal_guard.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

namespace {

// The URIDs of what a position event is made of; all 0 without the host's map, which leaves
// the synced delay at 120 BPM and knows of no transport.
struct TimeUrids {
    LV2_URID atomObject = 0, atomBlank = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0;
    LV2_URID position = 0, beatsPerMinute = 0, speed = 0;

    void map(const LV2_URID_Map& mapper) {
        const auto id = [&](const char* uri) { return mapper.map(mapper.handle, uri); };
        atomObject = id(LV2_ATOM__Object);
        atomBlank = id(LV2_ATOM__Blank);
        atomFloat = id(LV2_ATOM__Float);
        atomDouble = id(LV2_ATOM__Double);
        atomInt = id(LV2_ATOM__Int);
        atomLong = id(LV2_ATOM__Long);
        position = id(LV2_TIME__Position);
        beatsPerMinute = id(LV2_TIME__beatsPerMinute);
        speed = id(LV2_TIME__speed);
    }
};

struct Instance {
    explicit Instance(float sampleRate) : engine(sampleRate) {}

    DelayEngine engine;
    TimeUrids urids;
    const LV2_Atom_Sequence* time = nullptr;
    float* syncedDelay = nullptr;
    const float* controls[lv2ports::kNumControlPorts] = {};
    const float* inputs[2] = {};
    float* outputs[2] = {};
    // The ports carry the values: only what the engine was given is kept.
    AppliedValues applied;
    // Each control port's value at the last run, as bits, once it has had one.
    std::array<std::uint32_t, lv2ports::kNumControlPorts> portBits{};
    std::array<bool, lv2ports::kNumControlPorts> portSeen{};
    // Whether the transport's present stop has reset the units already: once per stop.
    bool stopResetDone = false;
};

Instance* instanceOf(LV2_Handle handle) { return static_cast<Instance*>(handle); }

// No exception may pass the host's C call: delay lines that cannot be allocated (about 30 MB
// at 384 kHz) refuse the instance instead.
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const* features) noexcept {
    if (!(sampleRate >= 1.0)) return nullptr;
    Instance* instance = nullptr;
    try {
        instance = new Instance(static_cast<float>(sampleRate));
    } catch (...) {
        return nullptr;
    }
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, LV2_URID__map) == 0)
            instance->urids.map(*static_cast<const LV2_URID_Map*>((*features)->data));
    // The Init program, so that a port the host leaves unconnected has its default.
    const DenormalGuard flushDenormals;
    instance->applied.start(instance->engine, ParameterState());
    return instance;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) {
    Instance& instance = *instanceOf(handle);
    if (const std::int32_t parameter = lv2ports::parameterOfPort(port); parameter >= 0)
        instance.controls[parameter] = static_cast<const float*>(data);
    else if (port == lv2ports::kTimePort)
        instance.time = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == lv2ports::kSyncedDelayPort)
        instance.syncedDelay = static_cast<float*>(data);
    else if (port == lv2ports::kAudioInLeft || port == lv2ports::kAudioInRight)
        instance.inputs[port - lv2ports::kAudioInLeft] = static_cast<const float*>(data);
    else if (port == lv2ports::kAudioOutLeft || port == lv2ports::kAudioOutRight)
        instance.outputs[port - lv2ports::kAudioOutLeft] = static_cast<float*>(data);
}

// Processing switched on: the delay lines and the filter states start from silence.
void activate(LV2_Handle handle) { instanceOf(handle)->engine.clearState(); }

// Hosts write every port afresh for every block, changed or not: a port with the bits it had
// at the last run gives the value it gave then, which the engine has, and is not converted
// again (the conversion's rule for typed numbers costs more than a small block's samples).
void applyControls(Instance& instance) {
    for (std::int32_t index = 0; index < lv2ports::kNumControlPorts; ++index) {
        const float* port = instance.controls[index];
        if (!port) continue;
        const auto slot = static_cast<std::size_t>(index);
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(*port);
        if (instance.portSeen[slot] && instance.portBits[slot] == bits) continue;
        instance.portSeen[slot] = true;
        instance.portBits[slot] = bits;
        instance.applied.apply(instance.engine, index, fromUnitValue(index, *port));
    }
}

// The number a time:Position object tells under key, in any of the atom types hosts use.
std::optional<double> numberOf(const TimeUrids& urids, const LV2_Atom_Object* object, LV2_URID key) {
    const LV2_Atom* number = nullptr;
    lv2_atom_object_get(object, key, &number, 0);
    if (!number) return std::nullopt;
    if (number->type == urids.atomFloat) return reinterpret_cast<const LV2_Atom_Float*>(number)->body;
    if (number->type == urids.atomDouble) return reinterpret_cast<const LV2_Atom_Double*>(number)->body;
    if (number->type == urids.atomInt) return reinterpret_cast<const LV2_Atom_Int*>(number)->body;
    if (number->type == urids.atomLong) return static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(number)->body);
    return std::nullopt;
}

// A speed of 0 is a stop, which resets the units once, before the next run, as VST 2's
// effIdle does; any other speed is playing. An object without a speed tells nothing of it.
bool followTransport(Instance& instance, const LV2_Atom_Object* object) {
    const std::optional<double> speed = numberOf(instance.urids, object, instance.urids.speed);
    if (!speed) return false;
    const bool stopped = *speed == 0.0;
    const bool reset = stopped && !instance.stopResetDone;
    instance.stopResetDone = stopped;
    return reset;
}

// What the editor shows for the Rate while Sync is on.
float syncedMilliseconds(const DelayEngine& engine) {
    return engine.getSyncStop() == 0 ? 0.0f : delayMilliseconds(engine.getDelayLength(), engine.getSampleRate());
}

void processFrames(Instance& instance, std::uint32_t from, std::uint32_t to) {
    if (to <= from) return;
    const float* inputs[2] = {instance.inputs[0] + from, instance.inputs[1] + from};
    float* outputs[2] = {instance.outputs[0] + from, instance.outputs[1] + from};
    instance.engine.processReplacing(inputs, outputs, static_cast<std::int32_t>(to - from));
}

void run(LV2_Handle handle, std::uint32_t sampleCount) {
    if (sampleCount == 0) return;
    Instance& instance = *instanceOf(handle);
    const DenormalGuard flushDenormals;  // the parameter arithmetic too, not only the samples
    applyControls(instance);
    constexpr auto kLongest = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    const std::uint32_t frames = sampleCount < kLongest ? sampleCount : kLongest;
    // A tempo event takes effect at its frame: the block is processed in pieces between them.
    std::uint32_t done = 0;
    bool resetDue = false;
    if (instance.time && instance.urids.position != 0) {
        LV2_ATOM_SEQUENCE_FOREACH(instance.time, event) {
            const bool object = event->body.type == instance.urids.atomObject || event->body.type == instance.urids.atomBlank;
            const auto* position = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
            if (!object || position->body.otype != instance.urids.position) continue;
            resetDue = followTransport(instance, position) || resetDue;
            const double tempo = numberOf(instance.urids, position, instance.urids.beatsPerMinute).value_or(0.0);
            if (tempo <= 0.0) continue;
            const auto at = static_cast<std::uint32_t>(std::clamp<std::int64_t>(event->time.frames, done, frames));
            processFrames(instance, done, at);
            done = at;
            instance.engine.setTempo(tempo);
        }
    }
    processFrames(instance, done, frames);
    if (resetDue) instance.engine.requestUnitsReset();
    if (instance.syncedDelay) *instance.syncedDelay = syncedMilliseconds(instance.engine);
}

void cleanup(LV2_Handle handle) { delete instanceOf(handle); }

const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
