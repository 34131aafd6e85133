#include "plughost/host_context.h"

#include <cmath>

namespace plughost {
namespace {

// The Host whose instantiate() is running: during the entry call the plug-in has no
// record yet to carry a pointer back to us.
thread_local Host* creatingHost = nullptr;

}  // namespace

Host::Host(double sampleRate) {
    time.sampleRate = sampleRate;
    time.tempo = kTempo;
    time.flags = kVstTempoValid;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
}

VstIntPtr VSTCALL Host::callback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    Host* host = effect && effect->user ? static_cast<Host*>(effect->user) : creatingHost;
    if (opcode == audioMasterVersion) return kVersion;
    return host ? host->answer(opcode) : 0;
}

VstIntPtr Host::answer(VstInt32 opcode) {
    ++calls;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&time);
    return 0;
}

AEffect* Host::instantiate(AEffect*(VSTCALL* entry)(audioMasterCallback)) {
    creatingHost = this;
    AEffect* effect = entry(&Host::callback);
    creatingHost = nullptr;
    if (effect) effect->user = this;
    return effect;
}

void Host::setSampleRate(double rate) { time.sampleRate = rate; }

void Host::setPlaying(bool playing) { time.flags = kVstTempoValid | (playing ? kVstTransportPlaying : 0); }

void Host::setTempo(double beatsPerMinute) { time.tempo = beatsPerMinute; }

void Host::setPosition(double samplePosition) {
    time.samplePos = samplePosition;
    time.ppqPos = samplePosition / time.sampleRate * time.tempo / 60.0;
    time.barStartPos = std::floor(time.ppqPos / time.timeSigNumerator) * time.timeSigNumerator;
    time.nanoSeconds = samplePosition / time.sampleRate * 1e9;
}

}  // namespace plughost
