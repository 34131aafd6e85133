#include "support/recording_host.h"

#include <cassert>

namespace {

RecordingHost* current = nullptr;

VstIntPtr VSTCALL record(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    assert(current);
    current->calls.push_back({effect, opcode, index, value, ptr, opt});
    switch (opcode) {
    case audioMasterVersion: return current->versionAnswer;
    case audioMasterGetTime: return current->answerTime ? reinterpret_cast<VstIntPtr>(&current->time) : 0;
    default: return current->otherAnswer;
    }
}

}  // namespace

RecordingHost::RecordingHost() {
    current = this;
    time.sampleRate = 44100.0;
    time.tempo = 120.0;
    setPlaying(true);
}

RecordingHost::~RecordingHost() { current = nullptr; }

audioMasterCallback RecordingHost::callback() { return record; }

int RecordingHost::count(VstInt32 opcode) const {
    int n = 0;
    for (const HostCall& call : calls) n += call.opcode == opcode;
    return n;
}

void RecordingHost::setPlaying(bool playing) {
    time.flags = playing ? kVstTransportPlaying : 0;
}
