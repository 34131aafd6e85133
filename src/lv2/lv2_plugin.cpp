// The LV2 plug-in: the delay engine built at the host's sample rate, its parameters read from
// the control ports in their own units at the start of every run, and the host's tempo taken
// from the time:Position events of the time port at their frames.
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/delay_engine.h"
#include "engine/denormal_guard.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

namespace {

// The URIDs of what a tempo event is made of; all 0 without the host's map, which leaves the
// synced delay at 120 BPM.
struct TimeUrids {
    LV2_URID atomObject = 0, atomBlank = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0;
    LV2_URID position = 0, beatsPerMinute = 0;

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
    }
};

struct Instance {
    explicit Instance(float sampleRate) : engine(sampleRate) {}

    DelayEngine engine;
    TimeUrids urids;
    const LV2_Atom_Sequence* time = nullptr;
    const float* controls[lv2ports::kNumControlPorts] = {};
    const float* inputs[2] = {};
    float* outputs[2] = {};
    // The normalized value each parameter was last applied with. Applying a value again is
    // not harmless (an LFO's rate or shape restarts its cycle), so only changes are applied.
    float applied[lv2ports::kNumControlPorts];
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
    for (std::int32_t index = 0; index < lv2ports::kNumControlPorts; ++index) {
        instance->applied[index] = kParameters[index].initial;
        instance->engine.applyParameter(index, kParameters[index].initial);
    }
    return instance;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) {
    Instance& instance = *instanceOf(handle);
    if (const std::int32_t parameter = lv2ports::parameterOfPort(port); parameter >= 0)
        instance.controls[parameter] = static_cast<const float*>(data);
    else if (port == lv2ports::kTimePort)
        instance.time = static_cast<const LV2_Atom_Sequence*>(data);
    else if (port == lv2ports::kAudioInLeft || port == lv2ports::kAudioInRight)
        instance.inputs[port - lv2ports::kAudioInLeft] = static_cast<const float*>(data);
    else if (port == lv2ports::kAudioOutLeft || port == lv2ports::kAudioOutRight)
        instance.outputs[port - lv2ports::kAudioOutLeft] = static_cast<float*>(data);
}

// Processing switched on: the delay lines and the filter states start from silence.
void activate(LV2_Handle handle) { instanceOf(handle)->engine.clearState(); }

void applyControls(Instance& instance) {
    for (std::int32_t index = 0; index < lv2ports::kNumControlPorts; ++index) {
        const float* port = instance.controls[index];
        if (!port) continue;
        const float value = fromUnitValue(index, *port);
        if (value == instance.applied[index]) continue;
        instance.applied[index] = value;
        instance.engine.applyParameter(index, value);
    }
}

// The tempo a time:Position object tells, or 0 when it tells none.
double tempoOf(const TimeUrids& urids, const LV2_Atom_Object* object) {
    if (object->body.otype != urids.position) return 0.0;
    const LV2_Atom* bpm = nullptr;
    lv2_atom_object_get(object, urids.beatsPerMinute, &bpm, 0);
    if (!bpm) return 0.0;
    if (bpm->type == urids.atomFloat) return reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
    if (bpm->type == urids.atomDouble) return reinterpret_cast<const LV2_Atom_Double*>(bpm)->body;
    if (bpm->type == urids.atomInt) return reinterpret_cast<const LV2_Atom_Int*>(bpm)->body;
    if (bpm->type == urids.atomLong) return static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(bpm)->body);
    return 0.0;
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
    if (instance.time && instance.urids.position != 0) {
        LV2_ATOM_SEQUENCE_FOREACH(instance.time, event) {
            const bool object = event->body.type == instance.urids.atomObject || event->body.type == instance.urids.atomBlank;
            const double tempo = object ? tempoOf(instance.urids, reinterpret_cast<const LV2_Atom_Object*>(&event->body)) : 0.0;
            if (tempo <= 0.0) continue;
            const auto at = static_cast<std::uint32_t>(std::clamp<std::int64_t>(event->time.frames, done, frames));
            processFrames(instance, done, at);
            done = at;
            instance.engine.setTempo(tempo);
        }
    }
    processFrames(instance, done, frames);
}

void cleanup(LV2_Handle handle) { delete instanceOf(handle); }

const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
