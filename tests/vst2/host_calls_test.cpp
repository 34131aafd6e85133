#include <gtest/gtest.h>

#include <functional>

#include "support/probe_effect.h"
#include "support/recording_host.h"

namespace {

struct SentCall {
    const char* what;
    std::function<void(ProbeEffect&)> call;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

char textBuffer[8];

TEST(HostCallsTest, SendOpcodeAndArguments) {
    auto* task = reinterpret_cast<VstOfflineTask*>(&textBuffer);
    auto* files = reinterpret_cast<VstAudioFile*>(&textBuffer);
    auto* selector = reinterpret_cast<VstFileSelect*>(&textBuffer);
    const SentCall cases[] = {
        {"automate", [](ProbeEffect& e) { e.automateParameter(7, 0.25f); }, audioMasterAutomate, 7, 0, nullptr, 0.25f},
        {"host version", [](ProbeEffect& e) { e.getHostVersion(); }, audioMasterVersion, 0, 0, nullptr, 0.0f},
        {"current id", [](ProbeEffect& e) { e.getHostCurrentId(); }, audioMasterCurrentId, 0, 0, nullptr, 0.0f},
        {"idle", [](ProbeEffect& e) { e.hostIdle(); }, audioMasterIdle, 0, 0, nullptr, 0.0f},
        {"input pin", [](ProbeEffect& e) { e.isInputConnected(3); }, audioMasterPinConnected, 3, 0, nullptr, 0.0f},
        {"output pin", [](ProbeEffect& e) { e.isOutputConnected(2); }, audioMasterPinConnected, 2, 1, nullptr, 0.0f},
        {"events", [](ProbeEffect& e) { e.requestEvents(1); }, audioMasterWantMidi, 0, 1, nullptr, 0.0f},
        {"time", [](ProbeEffect& e) { e.getHostTime(0x200); }, audioMasterGetTime, 0, 0x200, nullptr, 0.0f},
        {"tempo at", [](ProbeEffect& e) { e.getHostTempoAt(4410); }, audioMasterTempoAt, 0, 4410, nullptr, 0.0f},
        {"automatable count", [](ProbeEffect& e) { e.getHostAutomatableCount(); },
         audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0.0f},
        {"quantization", [](ProbeEffect& e) { e.getHostParameterQuantization(); },
         audioMasterGetParameterQuantization, 0, 0, nullptr, 0.0f},
        {"io changed", [](ProbeEffect& e) { e.notifyIoChanged(); }, audioMasterIOChanged, 0, 0, nullptr, 0.0f},
        {"need idle", [](ProbeEffect& e) { e.requestIdle(); }, audioMasterNeedIdle, 0, 0, nullptr, 0.0f},
        {"window size", [](ProbeEffect& e) { e.requestWindowSize(640, 400); }, audioMasterSizeWindow, 640, 400,
         nullptr, 0.0f},
        {"sample rate", [](ProbeEffect& e) { e.fetchHostSampleRate(); }, audioMasterGetSampleRate, 0, 0, nullptr,
         0.0f},
        {"block size", [](ProbeEffect& e) { e.fetchHostBlockSize(); }, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f},
        {"input latency", [](ProbeEffect& e) { e.getHostInputLatency(); }, audioMasterGetInputLatency, 0, 0, nullptr,
         0.0f},
        {"output latency", [](ProbeEffect& e) { e.getHostOutputLatency(); }, audioMasterGetOutputLatency, 0, 0,
         nullptr, 0.0f},
        {"previous plug", [](ProbeEffect& e) { e.getPreviousPlug(5); }, audioMasterGetPreviousPlug, 0, 0, nullptr,
         0.0f},
        {"next plug", [](ProbeEffect& e) { e.getNextPlug(5); }, audioMasterGetNextPlug, 0, 0, nullptr, 0.0f},
        {"will replace", [](ProbeEffect& e) { e.hostWillReplace(); }, audioMasterWillReplaceOrAccumulate, 0, 0,
         nullptr, 0.0f},
        {"process level", [](ProbeEffect& e) { e.getHostProcessLevel(); }, audioMasterGetCurrentProcessLevel, 0, 0,
         nullptr, 0.0f},
        {"automation state", [](ProbeEffect& e) { e.getHostAutomationState(); }, audioMasterGetAutomationState, 0,
         0, nullptr, 0.0f},
        {"offline start", [files](ProbeEffect& e) { e.hostOfflineStart(files, 3, 9); }, audioMasterOfflineStart, 9,
         3, &textBuffer, 0.0f},
        {"offline read", [task](ProbeEffect& e) { e.hostOfflineRead(task, 6, true); }, audioMasterOfflineRead, 1, 6,
         &textBuffer, 0.0f},
        {"offline write", [task](ProbeEffect& e) { e.hostOfflineWrite(task, 6); }, audioMasterOfflineWrite, 0, 6,
         &textBuffer, 0.0f},
        {"offline pass", [](ProbeEffect& e) { e.hostOfflinePass(); }, audioMasterOfflineGetCurrentPass, 0, 0,
         nullptr, 0.0f},
        {"offline meta pass", [](ProbeEffect& e) { e.hostOfflineMetaPass(); }, audioMasterOfflineGetCurrentMetaPass,
         0, 0, nullptr, 0.0f},
        {"output rate", [](ProbeEffect& e) { e.setHostOutputSampleRate(96000.0f); }, audioMasterSetOutputSampleRate,
         0, 0, nullptr, 96000.0f},
        {"output arrangement", [](ProbeEffect& e) { e.getHostOutputArrangement(); },
         audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0.0f},
        {"vendor string", [](ProbeEffect& e) { e.getHostVendorString(textBuffer); }, audioMasterGetVendorString, 0,
         0, &textBuffer, 0.0f},
        {"product string", [](ProbeEffect& e) { e.getHostProductString(textBuffer); }, audioMasterGetProductString,
         0, 0, &textBuffer, 0.0f},
        {"vendor version", [](ProbeEffect& e) { e.getHostVendorVersion(); }, audioMasterGetVendorVersion, 0, 0,
         nullptr, 0.0f},
        {"vendor specific", [](ProbeEffect& e) { e.hostVendorSpecific(1, 2, textBuffer, 3.0f); },
         audioMasterVendorSpecific, 1, 2, &textBuffer, 3.0f},
        {"can do", [](ProbeEffect& e) { e.hostCanDo(textBuffer); }, audioMasterCanDo, 0, 0, &textBuffer, 0.0f},
        {"language", [](ProbeEffect& e) { e.getHostLanguage(); }, audioMasterGetLanguage, 0, 0, nullptr, 0.0f},
        {"open window", [](ProbeEffect& e) { e.hostOpenWindow(textBuffer); }, audioMasterOpenWindow, 0, 0,
         &textBuffer, 0.0f},
        {"close window", [](ProbeEffect& e) { e.hostCloseWindow(textBuffer); }, audioMasterCloseWindow, 0, 0,
         &textBuffer, 0.0f},
        {"directory", [](ProbeEffect& e) { e.getHostDirectory(); }, audioMasterGetDirectory, 0, 0, nullptr, 0.0f},
        {"update display", [](ProbeEffect& e) { e.hostUpdateDisplay(); }, audioMasterUpdateDisplay, 0, 0, nullptr,
         0.0f},
        {"begin edit", [](ProbeEffect& e) { e.hostBeginEdit(12); }, audioMasterBeginEdit, 12, 0, nullptr, 0.0f},
        {"end edit", [](ProbeEffect& e) { e.hostEndEdit(12); }, audioMasterEndEdit, 12, 0, nullptr, 0.0f},
        {"file selector", [selector](ProbeEffect& e) { e.hostOpenFileSelector(selector); },
         audioMasterOpenFileSelector, 0, 0, &textBuffer, 0.0f},
        {"input arrangement", [](ProbeEffect& e) { e.getHostInputArrangement(); },
         audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0.0f},
    };
    for (const SentCall& c : cases) {
        RecordingHost host;
        ProbeEffect effect(RecordingHost::callback());
        c.call(effect);
        ASSERT_EQ(host.calls.size(), 1u) << c.what;
        const HostCall& sent = host.calls[0];
        EXPECT_EQ(sent.effect, effect.getAeffect()) << c.what;
        EXPECT_EQ(sent.opcode, c.opcode) << c.what;
        EXPECT_EQ(sent.index, c.index) << c.what;
        EXPECT_EQ(sent.value, c.value) << c.what;
        EXPECT_EQ(sent.ptr, c.ptr) << c.what;
        EXPECT_EQ(sent.opt, c.opt) << c.what;
    }
}

TEST(HostCallsTest, AnswersAreConvertedAsDocumented) {
    RecordingHost host;
    ProbeEffect effect(RecordingHost::callback());
    host.versionAnswer = 0;
    EXPECT_EQ(effect.getHostVersion(), 1);  // 0 from the host reads as 1
    host.otherAnswer = 0;
    EXPECT_TRUE(effect.isInputConnected(0));  // 0 means connected
    EXPECT_FALSE(effect.requestIdle());
    EXPECT_EQ(effect.fetchHostSampleRate(), 44100.0f);  // 0 keeps the current rate
    EXPECT_EQ(effect.fetchHostBlockSize(), 1024);
    host.otherAnswer = 48000;
    EXPECT_FALSE(effect.isOutputConnected(0));
    EXPECT_TRUE(effect.requestIdle());
    EXPECT_EQ(effect.fetchHostSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    host.otherAnswer = -5;
    EXPECT_EQ(effect.fetchHostBlockSize(), 1024);  // negative answers are not taken
    EXPECT_TRUE(effect.hostUpdateDisplay());
}

TEST(HostCallsTest, WithoutCallbackNothingIsCalled) {
    ProbeEffect effect(nullptr);
    EXPECT_EQ(effect.getHostVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    EXPECT_TRUE(effect.isOutputConnected(0));
    EXPECT_EQ(effect.getHostTime(0), nullptr);
    EXPECT_FALSE(effect.hostBeginEdit(1));
    EXPECT_EQ(effect.fetchHostSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getHostDirectory(), nullptr);
    effect.automateParameter(0, 0.5f);  // applies locally, reports nowhere
}

TEST(HostCallsTest, FileSelectorNeedsASelector) {
    RecordingHost host;
    ProbeEffect effect(RecordingHost::callback());
    host.otherAnswer = 1;
    EXPECT_FALSE(effect.hostOpenFileSelector(nullptr));
    EXPECT_TRUE(host.calls.empty());
}

}  // namespace
