// The LV2 plug-in: the delay engine built at the host's sample rate, its parameters read from
// the control ports in their own units at the start of every run.
#include <lv2/core/lv2.h>

#include <cstdint>
#include <limits>

#include "engine/delay_engine.h"
#include "engine/denormal_guard.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

namespace {

struct Instance {
    explicit Instance(float sampleRate) : engine(sampleRate) {}

    DelayEngine engine;
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
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*, const LV2_Feature* const*) noexcept {
    if (!(sampleRate >= 1.0)) return nullptr;
    Instance* instance = nullptr;
    try {
        instance = new Instance(static_cast<float>(sampleRate));
    } catch (...) {
        return nullptr;
    }
    // The Init program, so that a port the host leaves unconnected has its default.
    for (std::int32_t index = 0; index < lv2ports::kNumControlPorts; ++index) {
        instance->applied[index] = kParameters[index].initial;
        instance->engine.applyParameter(index, kParameters[index].initial);
    }
    return instance;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) {
    Instance& instance = *instanceOf(handle);
    if (port < static_cast<std::uint32_t>(lv2ports::kNumControlPorts))
        instance.controls[port] = static_cast<const float*>(data);
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

void run(LV2_Handle handle, std::uint32_t sampleCount) {
    if (sampleCount == 0) return;
    Instance& instance = *instanceOf(handle);
    const DenormalGuard flushDenormals;  // the parameter arithmetic too, not only the samples
    applyControls(instance);
    constexpr auto kLongest = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    const auto frames = static_cast<std::int32_t>(sampleCount < kLongest ? sampleCount : kLongest);
    instance.engine.processReplacing(instance.inputs, instance.outputs, frames);
}

void cleanup(LV2_Handle handle) { delete instanceOf(handle); }

const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
