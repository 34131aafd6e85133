// A plug-in set up to process a stereo signal: one instance when it has stereo outputs,
// two side by side (left, right) when it is a mono effect with one input and one output,
// as hosts run mono effects on stereo tracks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plughost/plugin_instance.h"

namespace plughost {

class StereoRig {
public:
    static std::unique_ptr<StereoRig> create(const PluginModule& module, Host& host, std::string& error);

    PluginInstance& first() { return *instances.front(); }
    PluginInstance& instance(int which) { return *instances[static_cast<std::size_t>(which)]; }
    int instanceCount() const { return static_cast<int>(instances.size()); }

    // Applied to every instance.
    void setParameter(VstInt32 index, float value);
    void idle();
    void start(double sampleRate, int maxBlock);
    void stop();

    // Processes frames (at most the maxBlock given to start) from the two input channels
    // into the two output channels.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames,
                 bool accumulate);

private:
    struct Channels {
        std::vector<std::vector<float>> in, out;
        std::vector<float*> inPointers, outPointers;
    };
    void processInstance(std::size_t which, const float* const* sources, int frames, bool accumulate);

    std::vector<std::unique_ptr<PluginInstance>> instances;
    std::vector<Channels> channels;
};

}  // namespace plughost
