// A host callback for in-process tests: records every call the plug-in makes and answers
// the version and time queries as a host would.
#pragma once

#include <vector>

#include "vst2/aeffect.h"

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();

    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static audioMasterCallback callback();

    std::vector<HostCall> calls;
    VstIntPtr versionAnswer = 2400;
    // What every opcode other than version and time answers.
    VstIntPtr otherAnswer = 0;
    VstTimeInfo time{};
    bool answerTime = true;

    int count(VstInt32 opcode) const;
    void setPlaying(bool playing);
};
