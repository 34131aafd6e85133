// A small stereo gain plug-in for the host tool's tests. Built once clean and once per
// fault kind (FAULT names it), so that the tests can show that `plughost check` finds each
// fault it claims to find, and that it finds nothing in the clean build.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "vst2/aeffect.h"

#define FAULT_NONE 0
#define FAULT_TEXT_OVERRUN 1
#define FAULT_TEXT_UNTERMINATED 2
#define FAULT_NAN_FROM_PARAMETER 3
#define FAULT_AUDIO_OVERRUN 4
#define FAULT_INPUT_CLOBBER 5
#define FAULT_CRASH_ON_EMPTY_BLOCK 6
#define FAULT_HANG_ON_SUSPEND 7
#define FAULT_INSTANCE_LIMIT 8
#define FAULT_STALE_STATE_ON_RESUME 9
#define FAULT_PROGRAM_NOT_KEPT 10
#define FAULT_PARAMETER_OUT_OF_RANGE 11
#define FAULT_REPLACING_FLAG_WITHOUT_ENTRY 12
#define FAULT_PIN_LABEL_UNTERMINATED 13
#define FAULT_CHUNK_WITHOUT_DATA 14
#define FAULT_NAN_LATCH 15
#define FAULT_RUNAWAY 16
#define FAULT_PROGRAM_VALUES_SHARED 17
#define FAULT_AUTOMATION_DURING_PROCESSING 18
#define FAULT_RATE_OUT_OF_DOMAIN 19
#define FAULT_PROGRAM_NAME_TO_FIRST 20
#define FAULT_EDITOR_RACE 21
#define FAULT_LOUD_AT_LOW_RATES 22

#ifndef FAULT
#define FAULT FAULT_NONE
#endif

namespace {

#ifndef CHANNELS
#define CHANNELS 2
#endif

constexpr VstInt32 kChannels = CHANNELS;
constexpr VstInt32 kParams = 2;  // 0: gain (output = input x 2 x value), 1: unused
constexpr VstInt32 kPrograms = 4;
int instancesMade = 0;

struct Plugin {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float programs[kPrograms][kParams] = {{0.5f, 0.0f}, {0.5f, 0.0f}, {0.5f, 0.0f}, {0.5f, 0.0f}};
    char names[kPrograms][24] = {"Program", "Program", "Program", "Program"};
    VstInt32 program = 0;
    float state = 0.0f;  // a stand-in for filter memory
    float rateFactor = 1.0f;
    bool suspended = false;
    std::atomic<bool> processing{false};
    std::atomic<bool> editorOpen{false};
    std::thread::id editorThread;
};

Plugin& of(AEffect* e) { return *static_cast<Plugin*>(e->object); }

// The values in use: the current program's, or one set for all programs.
float* values(Plugin& p) {
#if FAULT == FAULT_PROGRAM_VALUES_SHARED
    return p.programs[0];
#else
    return p.programs[p.program];
#endif
}

void setSampleRate([[maybe_unused]] Plugin& p, [[maybe_unused]] float rate) {
#if FAULT == FAULT_RATE_OUT_OF_DOMAIN
    // A coefficient whose formula only holds up to 200 kHz.
    p.rateFactor = std::sqrt(1.0f - rate / 200000.0f);
#endif
#if FAULT == FAULT_LOUD_AT_LOW_RATES
    // A filter that turns unstable below 44.1 kHz and is held at a ceiling: 24 dB louder.
    p.rateFactor = rate < 44100.0f ? 16.0f : 1.0f;
#endif
}

// Once per block, before the samples.
void beginBlock([[maybe_unused]] Plugin& p) {
#if FAULT == FAULT_RUNAWAY
    // Feedback that gains energy while the unused parameter is at its top, up to a ceiling.
    if (values(p)[1] >= 1.0f) p.state = std::min(2.0f * p.state + 1.0f, 1e9f);
#endif
}

// Once per input sample.
void remember([[maybe_unused]] Plugin& p, [[maybe_unused]] float input) {
#if FAULT == FAULT_NAN_LATCH
    // Memory that multiplies the input by zero: a NaN or infinite input stays in it for good.
    p.state += 0.0f * input;
#endif
}

void copyText(void* ptr, const char* text) { std::strcpy(static_cast<char*>(ptr), text); }

float gainOf(Plugin& p) {
#if FAULT == FAULT_NAN_FROM_PARAMETER
    return 2.0f * values(p)[0] * p.rateFactor;  // passes a NaN setting straight into the audio
#else
    const float v = values(p)[0];
    return v >= 0.0f && v <= 1.0f ? 2.0f * v * p.rateFactor : 0.0f;
#endif
}

void parameterName(VstInt32 index, void* ptr) {
#if FAULT == FAULT_TEXT_OVERRUN
    if (index == 1) {
        std::memset(ptr, 'x', 300);
        static_cast<char*>(ptr)[300] = '\0';
        return;
    }
#endif
    copyText(ptr, index == 0 ? "Gain" : "Spare");
}

void setProgramName(Plugin& p, const char* name) {
#if FAULT == FAULT_PROGRAM_NAME_TO_FIRST
    char* stored = p.names[0];  // whichever program is current
#else
    char* stored = p.names[p.program];
#endif
    std::snprintf(stored, sizeof p.names[0], "%s", name);
}

// An editor of a fixed size that draws nothing; it exists for the editor fault.
VstIntPtr editorRect(void* ptr) {
    static ERect rect{0, 0, 100, 200};
    *static_cast<ERect**>(ptr) = &rect;
    return 1;
}

void openEditor(Plugin& p, bool open) {
    p.editorThread = std::this_thread::get_id();
    p.editorOpen = open;
}

void showValue(Plugin& p, VstInt32 index, void* ptr) {
    if (index >= 0 && index < kParams) std::snprintf(static_cast<char*>(ptr), 16, "%.4f", values(p)[index]);
}

VstIntPtr pinProperties(void* ptr) {
#if FAULT == FAULT_PIN_LABEL_UNTERMINATED
    std::memset(ptr, 'P', 64);
#else
    copyText(ptr, "Pin");
#endif
    return 1;
}

VstIntPtr chunk(void* ptr) {
    static unsigned char data[16] = {1, 2, 3};
#if FAULT == FAULT_CHUNK_WITHOUT_DATA
    *static_cast<void**>(ptr) = nullptr;
#else
    *static_cast<void**>(ptr) = data;
#endif
    return sizeof data;
}

void mains(Plugin& p, VstIntPtr on) {
#if FAULT == FAULT_HANG_ON_SUSPEND
    // Waits for a worker that the first suspend already ended.
    if (!on && p.suspended) {
        for (;;) pause();
    }
#endif
#if FAULT == FAULT_STALE_STATE_ON_RESUME
    // Memory released on suspend is read again after the resume: here, a NaN.
    if (on && p.suspended) std::memcpy(&p.state, "\xff\xff\xff\x7f", sizeof p.state);
#else
    if (on) p.state = 0.0f;
#endif
    if (!on) p.suspended = true;
}

VstIntPtr VSTCALL dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    Plugin& p = of(e);
    switch (opcode) {
    case effClose: delete &p; return 1;
    case effSetProgram:
#if FAULT != FAULT_PROGRAM_NOT_KEPT
        if (value >= 0 && value < kPrograms) p.program = static_cast<VstInt32>(value);
#endif
        return 0;
    case effGetProgram: return p.program;
    case effGetProgramName: copyText(ptr, p.names[p.program]); return 0;
    case effSetProgramName: setProgramName(p, static_cast<const char*>(ptr)); return 0;
    case effEditGetRect: return editorRect(ptr);
    case effEditOpen: openEditor(p, true); return 1;
    case effEditClose: openEditor(p, false); return 1;
    case effGetParamName: parameterName(index, ptr); return 0;
    case effGetParamDisplay: showValue(p, index, ptr); return 0;
    case effMainsChanged: mains(p, value); return 0;
    case effSetSampleRate: setSampleRate(p, opt); return 0;
    case effGetChunk: return chunk(ptr);
    case effGetInputProperties:
    case effGetOutputProperties: return pinProperties(ptr);
    case effGetVendorString:
#if FAULT == FAULT_TEXT_UNTERMINATED
        std::memcpy(ptr, "Unterminated", 12);
#else
        copyText(ptr, "Tests");
#endif
        return 1;
    case effGetVstVersion: return 2400;
    default: return 0;
    }
}

[[maybe_unused]] void VSTCALL processReplacing(AEffect* e, float** in, float** out, VstInt32 frames) {
    Plugin& p = of(e);
#if FAULT == FAULT_CRASH_ON_EMPTY_BLOCK
    if (frames == 0) raise(SIGSEGV);
#endif
    p.processing = true;
    beginBlock(p);
    const float gain = gainOf(p);
    for (VstInt32 c = 0; c < kChannels; ++c) {
        for (VstInt32 i = 0; i < frames; ++i) {
            remember(p, in[c][i]);
            out[c][i] = in[c][i] * gain + p.state;
        }
#if FAULT == FAULT_AUDIO_OVERRUN
        // A vector loop that always finishes a group of four.
        for (VstInt32 i = frames; i % 4 != 0; ++i) out[c][i] = 0.0f;
#endif
#if FAULT == FAULT_INPUT_CLOBBER
        for (VstInt32 i = 0; i < frames; ++i) in[c][i] = 0.0f;
#endif
    }
    p.processing = false;
}

void VSTCALL process(AEffect* e, float** in, float** out, VstInt32 frames) {
    Plugin& p = of(e);
    p.processing = true;
    beginBlock(p);
    const float gain = gainOf(p);
    for (VstInt32 c = 0; c < kChannels; ++c) {
        for (VstInt32 i = 0; i < frames; ++i) {
            remember(p, in[c][i]);
            out[c][i] += in[c][i] * gain + p.state;
        }
    }
    p.processing = false;
}

void VSTCALL setParameter(AEffect* e, VstInt32 index, float value) {
    Plugin& p = of(e);
#if FAULT == FAULT_AUTOMATION_DURING_PROCESSING
    // Rebuilds tables the audio thread is reading: here, the crash that follows.
    if (p.processing) raise(SIGSEGV);
#endif
#if FAULT == FAULT_EDITOR_RACE
    // Redraws its editor's window from any thread: here, the crash that follows.
    if (p.editorOpen && std::this_thread::get_id() != p.editorThread) raise(SIGSEGV);
#endif
    if (index >= 0 && index < kParams) values(p)[index] = value;
}

float VSTCALL getParameter(AEffect* e, VstInt32 index) {
#if FAULT == FAULT_PARAMETER_OUT_OF_RANGE
    if (index == 1) return 1.5f;
#endif
    return index >= 0 && index < kParams ? values(of(e))[index] : 0.0f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
#if FAULT == FAULT_INSTANCE_LIMIT
    if (instancesMade >= 50) return nullptr;  // a fixed pool whose slots are never given back
#endif
    ++instancesMade;
    auto* p = new (std::nothrow) Plugin;
    if (!p) return nullptr;
    p->host = host;
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = process;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
    e.numInputs = kChannels;
    e.numOutputs = kChannels;
    e.flags = effFlagsCanReplacing;
#if FAULT == FAULT_EDITOR_RACE
    e.flags |= effFlagsHasEditor;
#endif
    e.ioRatio = 1.0f;
    e.object = p;
    e.uniqueID = fourCharCode("PhTf");
    e.version = 1;
#if FAULT != FAULT_REPLACING_FLAG_WITHOUT_ENTRY
    e.processReplacing = processReplacing;
#endif
    return &e;
}
