#include "plughost/plugin_instance.h"

#include <array>

namespace plughost {

std::unique_ptr<PluginInstance> PluginInstance::create(const PluginModule& module, Host& host, std::string& error) {
    AEffect* effect = host.instantiate(module.entry());
    if (!effect) {
        error = module.path() + ": the entry returned no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        error = module.path() + ": the record's magic is not VstP";
        return nullptr;
    }
    if (!effect->dispatcher || (!effect->process && !effect->processReplacing)) {
        error = module.path() + ": the record lacks a dispatcher or a processing entry";
        return nullptr;
    }
    std::unique_ptr<PluginInstance> instance(new PluginInstance(effect, host));
    instance->dispatch(effOpen);
    return instance;
}

PluginInstance::~PluginInstance() {
    if (running) stop();
    dispatch(effClose);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    // Plug-ins assume room for their longest text; 256 bytes is more than any asks for.
    std::array<char, 512> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer[255] = '\0';
    return buffer.data();
}

void PluginInstance::start(double sampleRate, int blockSize) {
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void PluginInstance::stop() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginInstance::process(float** inputs, float** outputs, int frames, bool accumulate) {
    if ((canReplace() && !accumulate) || !effect->process) {
        effect->processReplacing(effect, inputs, outputs, frames);
    } else {
        effect->process(effect, inputs, outputs, frames);
    }
}

}  // namespace plughost
