// The host side of the callback: what plughost answers when a plug-in calls back, and the
// transport it reports. One Host can serve several plug-in instances.
#pragma once

#include <cstdint>

#include "vst2/aeffect.h"

namespace plughost {

class Host {
public:
    static constexpr VstIntPtr kVersion = 2400;
    static constexpr double kTempo = 120.0;

    explicit Host(double sampleRate = 44100.0);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The function handed to a plug-in's entry. Finds its Host through the record's user
    // field, or the Host that is creating an instance while the entry runs.
    static VstIntPtr VSTCALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                      void* ptr, float opt);

    // Creates an instance through entry with this Host answering its calls; null when the
    // plug-in refuses.
    AEffect* instantiate(AEffect*(VSTCALL* entry)(audioMasterCallback));

    void setSampleRate(double rate);
    void setPlaying(bool playing);
    // The tempo reported with every time query (valid from the start: 120 BPM).
    void setTempo(double beatsPerMinute);
    void setPosition(double samplePosition);
    bool playing() const { return (time.flags & kVstTransportPlaying) != 0; }
    const VstTimeInfo& timeInfo() const { return time; }
    std::int64_t callsReceived() const { return calls; }

private:
    VstIntPtr answer(VstInt32 opcode);

    VstTimeInfo time{};
    std::int64_t calls = 0;
};

}  // namespace plughost
