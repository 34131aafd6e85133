#include "plughost/stereo_rig.h"

#include <algorithm>

namespace plughost {

std::unique_ptr<StereoRig> StereoRig::create(const PluginModule& module, Host& host, std::string& error) {
    auto rig = std::make_unique<StereoRig>();
    auto first = PluginInstance::create(module, host, error);
    if (!first) return nullptr;
    const bool monoEffect = first->inputs() == 1 && first->outputs() == 1;
    if (first->outputs() < 1) {
        error = module.path() + ": the plug-in has no audio output";
        return nullptr;
    }
    rig->instances.push_back(std::move(first));
    if (monoEffect) {
        auto second = PluginInstance::create(module, host, error);
        if (!second) return nullptr;
        rig->instances.push_back(std::move(second));
    }
    return rig;
}

void StereoRig::setParameter(VstInt32 index, float value) {
    for (auto& instance : instances) instance->setParameter(index, value);
}

void StereoRig::idle() {
    for (auto& instance : instances) instance->dispatch(effIdle);
}

void StereoRig::start(double sampleRate, int maxBlock) {
    channels.clear();
    for (auto& instance : instances) {
        Channels c;
        c.in.assign(static_cast<std::size_t>(std::max(instance->inputs(), 0)), std::vector<float>(maxBlock));
        c.out.assign(static_cast<std::size_t>(instance->outputs()), std::vector<float>(maxBlock));
        for (auto& v : c.in) c.inPointers.push_back(v.data());
        for (auto& v : c.out) c.outPointers.push_back(v.data());
        channels.push_back(std::move(c));
        instance->start(sampleRate, maxBlock);
    }
}

void StereoRig::stop() {
    for (auto& instance : instances) instance->stop();
}

void StereoRig::processInstance(std::size_t which, const float* const* sources, int frames, bool accumulate) {
    Channels& c = channels[which];
    const auto n = static_cast<std::size_t>(frames);
    for (std::size_t ch = 0; ch < c.in.size(); ++ch) {
        if (ch < 2) {
            std::copy_n(sources[ch], n, c.in[ch].begin());
        } else {
            std::fill_n(c.in[ch].begin(), n, 0.0f);
        }
    }
    for (auto& out : c.out) std::fill_n(out.begin(), n, 0.0f);
    instances[which]->process(c.inPointers.data(), c.outPointers.data(), frames, accumulate);
}

void StereoRig::process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames,
                        bool accumulate) {
    const auto n = static_cast<std::size_t>(frames);
    if (instances.size() == 2) {
        processInstance(0, &inLeft, frames, accumulate);
        processInstance(1, &inRight, frames, accumulate);
        std::copy_n(channels[0].out[0].begin(), n, outLeft);
        std::copy_n(channels[1].out[0].begin(), n, outRight);
        return;
    }
    const float* sources[2] = {inLeft, inRight};
    processInstance(0, sources, frames, accumulate);
    const auto& out = channels[0].out;
    std::copy_n(out[0].begin(), n, outLeft);
    std::copy_n(out[out.size() > 1 ? 1 : 0].begin(), n, outRight);
}

}  // namespace plughost
