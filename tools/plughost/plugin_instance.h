// One open instance of a plug-in: the record plus the calls a host makes on it.
#pragma once

#include <memory>
#include <string>

#include "vst2/aeffect.h"
#include "plughost/host_context.h"
#include "plughost/module_loader.h"

namespace plughost {

class PluginInstance {
public:
    // Calls the entry and effOpen; null with a reason in error when the module gives no
    // usable record.
    static std::unique_ptr<PluginInstance> create(const PluginModule& module, Host& host, std::string& error);
    ~PluginInstance();  // effClose
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& record() { return *effect; }
    const AEffect& record() const { return *effect; }
    Host& host() { return owner; }
    int inputs() const { return effect->numInputs; }
    int outputs() const { return effect->numOutputs; }
    bool canReplace() const { return (effect->flags & effFlagsCanReplacing) != 0 && effect->processReplacing; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // A text answer of a text opcode, read from a generous zeroed buffer.
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }

    // The calls around a run of audio: rate, block size, mains on / off.
    void start(double sampleRate, int blockSize);
    void stop();
    // Replacing processing when the plug-in offers it and accumulate is false; otherwise
    // the accumulating entry over outputs the caller has zeroed.
    void process(float** inputs, float** outputs, int frames, bool accumulate);

private:
    PluginInstance(AEffect* effect, Host& host) : effect(effect), owner(host) {}

    AEffect* effect;
    Host& owner;
    bool running = false;
};

}  // namespace plughost
