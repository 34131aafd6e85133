#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>
#include <sstream>
#include <string>
#include <utility>

#include "editor_test_support.h"

namespace editortest {
namespace {

using Calls = std::vector<std::pair<VstInt32, VstInt32>>;

// The values the host was sent as automation, in order.
std::vector<float> automatedValues(const RecordingHost& host) {
    std::vector<float> out;
    for (const HostCall& call : host.calls)
        if (call.opcode == audioMasterAutomate) out.push_back(call.opt);
    return out;
}

// An accepted number reaches the host as one gesture with the new value, as a knob click
// does; a refused one (above full scale) reports nothing.
TEST_F(EditorTest, TypedNumbersAreReadInTheBoxsOwnUnits) {
    // start: the value set before typing. Full scales: 200 for the mixes, 8000 for the cutoffs,
    // 100 for the rates and percentages, 10000 for the delay.
    const struct {
        VstInt32 index;
        float start;
        const char* typed;
        float expected;
        const char* text;
        bool accepted;
    } cases[] = {
        {0, 0.5f, "150", 0.75f, "150.0000%", true},
        {0, 0.5f, "200", 1.0f, "200.0000%", true},
        {0, 0.5f, "201", 0.5f, "100.0000%", false},  // above full scale: refused, text restored
        {2, 1.0f, "8001", 1.0f, "8000.000", false},
        {2, 1.0f, "4000", 0.5f, "4000.000", true},
        {11, 0.0f, "5000", 0.5f, "5000.000", true},
        {11, 0.0f, "7", std::bit_cast<float>(0x3a378035u), "7.000000", true},  // 7 / 10000 would show 6.999999
        {11, 0.5f, "letters", 0.0f, "0.000000", true},
        {3, 0.0f, "50%", 0.5f, "50.00000%", true},   // reading stops at the sign
        {3, 0.5f, "-20", 0.0f, "0.000000%", true},   // below zero: held at 0
        {5, 1.0f, "25", 0.25f, "25.00000", true},
        {10, 0.0f, "1e2", 0.5f, "100.0000%", true},
        {12, 0.3f, "nan", 0.0f, "0.000000%", true},
        {12, 0.3f, "inf", 0.3f, "30.00000%", false},
        {20, 1.0f, "  12.5", 0.125f, "12.50000", true},
        {DelayDuck, 0.0f, "50", 0.5f, "50.00000%", true},
        {DelayDuck, 0.5f, "101", 0.5f, "50.00000%", false},
    };
    open();
    for (const auto& c : cases) {
        set(c.index, c.start);
        idle();
        host.calls.clear();
        typeInto(c.index, c.typed);
        EXPECT_EQ(get(c.index), c.expected) << c.typed;
        idle();
        EXPECT_EQ(boxText(c.index), c.text) << c.typed;
        EXPECT_EQ(control(c.index)->getValue(), c.expected) << c.typed;
        const Calls gesture = {{audioMasterBeginEdit, c.index}, {audioMasterAutomate, c.index},
                               {audioMasterEndEdit, c.index}};
        EXPECT_EQ(gestureCalls(), c.accepted ? gesture : Calls{}) << c.typed;
        EXPECT_EQ(automatedValues(host), c.accepted ? std::vector<float>{c.expected} : std::vector<float>{})
            << c.typed;
    }
}

TEST_F(EditorTest, ConfirmingUnchangedTextSetsNothing) {
    open();
    // The box still reads "100.0000%" (0.5) while the effect already holds 0.25: converting
    // the unchanged text would set 0.5 again.
    set(0, 0.25f);
    host.calls.clear();
    typeInto(0, "");
    EXPECT_EQ(get(0), 0.25f);
    EXPECT_TRUE(gestureCalls().empty());
}

// A refused number, or one that gives the value the parameter already has, only shows the
// parameter's text again: nothing is set, so a running LFO is not restarted.
TEST_F(EditorTest, RefusedAndUnchangedTypedRatesLeaveTheLfoRunning) {
    set(OriginFilterLfoRate, 0.02f);  // 1 Hz
    set(OriginFilterLfoDepth, 1.0f);
    open();
    std::vector<float> in(512, 0.25f), out(512);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    for (const char* typed : {"101", "2", "2.0"}) {
        effect->processReplacing(effect, ins, outs, 512);
        const float phase = plugin->unit(1).getFilterLfo().getPhase();
        ASSERT_GT(phase, 0.0f);
        host.calls.clear();
        typeInto(OriginFilterLfoRate, typed);
        EXPECT_EQ(plugin->unit(1).getFilterLfo().getPhase(), phase) << typed;
        EXPECT_EQ(get(OriginFilterLfoRate), 0.02f) << typed;
        EXPECT_TRUE(gestureCalls().empty()) << typed;
        idle();
        EXPECT_EQ(boxText(OriginFilterLfoRate), "2.000000") << typed;
    }
}

// While Sync is on, a new tempo from the host moves the delay, and the Rate box shows it.
TEST_F(EditorTest, ANewTempoRewritesTheRateBoxWhileSynced) {
    set(DelaySync, 11.0f / 21.0f);  // 1/4
    open();
    idle();
    EXPECT_EQ(boxText(DelayTime), "500.0000");
    std::vector<float> in(64, 0.0f), out(64);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    host.time.flags |= kVstTempoValid;
    for (const auto& [bpm, text] : {std::pair{90.0, "666.6666"}, std::pair{140.0, "428.5714"}}) {
        host.time.tempo = bpm;
        effect->processReplacing(effect, ins, outs, 64);
        idle();
        EXPECT_EQ(boxText(DelayTime), text) << bpm;
    }
}

TEST_F(EditorTest, ATypedValueIsCommittedWhenTheHostClosesTheEditorMidEdit) {
    open();
    Rect r;
    editor->cell(0).valueBox->getBounds(r);
    press({r.left + 5, r.top + 5});
    window().activeEditor()->type("150");
    host.calls.clear();
    dispatch(effEditClose);
    EXPECT_EQ(get(0), 0.75f);
    const Calls expected = {{audioMasterBeginEdit, 0}, {audioMasterAutomate, 0}, {audioMasterEndEdit, 0}};
    EXPECT_EQ(gestureCalls(), expected);
}

// The click on the knob ends the edit before the knob takes it: the host sees two gestures
// one after the other, never one inside the other.
TEST_F(EditorTest, AnEditEndedByAKnobClickIsReportedBeforeTheKnobsGesture) {
    dispatch(effSetEditKnobMode, 0, 2);  // linear: a click without a drag keeps the value
    open();
    Rect r;
    editor->cell(0).valueBox->getBounds(r);
    press({r.left + 5, r.top + 5});
    window().activeEditor()->type("50");
    host.calls.clear();
    step({160, 160}, kUp);
    press({160, 160});
    const Calls expected = {{audioMasterBeginEdit, 0}, {audioMasterAutomate, 0}, {audioMasterEndEdit, 0},
                            {audioMasterBeginEdit, 2}, {audioMasterEndEdit, 2}};
    EXPECT_EQ(gestureCalls(), expected);
    EXPECT_EQ(get(0), 0.25f);
}

TEST_F(EditorTest, TheEffectDestroyedMidEditIsNotWrittenTo) {
    open();
    Rect r;
    editor->cell(2).valueBox->getBounds(r);
    press({r.left + 5, r.top + 5});
    window().activeEditor()->type("4000");
    dispatch(effClose);  // no editor close first: the edit ends inside the teardown
    effect = nullptr;
    EXPECT_TRUE(system.openWindows().empty());
}

TEST_F(EditorTest, KnobDragIsOneGestureWithAnAutomationPerChange) {
    dispatch(effSetEditKnobMode, 0, 2);  // linear: 200 pixels for the whole range
    set(2, 0.5f);
    open();
    idle();
    host.calls.clear();
    step({160, 110});       // 50 pixels up: 0.75
    step({160, 60});        // 100 pixels up: 1.0
    step({160, 60}, kUp);
    press({160, 160});
    const Calls expected = {{audioMasterBeginEdit, 2}, {audioMasterAutomate, 2}, {audioMasterAutomate, 2},
                            {audioMasterEndEdit, 2}};
    EXPECT_EQ(gestureCalls(), expected);
    std::vector<float> automated;
    for (const HostCall& call : host.calls)
        if (call.opcode == audioMasterAutomate) automated.push_back(call.opt);
    EXPECT_EQ(automated, (std::vector<float>{0.75f, 1.0f}));
    EXPECT_EQ(get(2), 1.0f);
    idle();
    EXPECT_EQ(boxText(2), "8000.000");
}

TEST_F(EditorTest, SwitchClickSelectsThePositionUnderTheMouse) {
    // Five positions over 45 pixels: 9 pixels each; y 30 below the top is position 3.
    open();
    idle();
    host.calls.clear();
    step({79, 253}, kUp);
    press({79, 253});
    const Calls expected = {{audioMasterBeginEdit, 4}, {audioMasterAutomate, 4}, {audioMasterEndEdit, 4}};
    EXPECT_EQ(gestureCalls(), expected);
    EXPECT_EQ(get(4), 0.75f);
    idle();
    EXPECT_EQ(boxText(4), "Square");
}

TEST_F(EditorTest, ProgramChangeMovesEveryControlAndRewritesTheBoxes) {
    // Program 5 holds 1/3 for the filter types, 1 for Stereo, Motion and Freeze (their last
    // stops), 0.25 for everything else: Sync on a sixteenth, whose 5513 samples at 120 BPM
    // (5512.5 rounded up) the Rate box shows in ms.
    const char* const texts[kNumDefinedParams] = {
        "50.00000%", "High",      "2000.000",  "25.00000%", "Sawtooth", "25.00000",  "25.00000%", "Sawtooth",
        "25.00000",  "25.00000%", "50.00000%", "125.0113",  "25.00000%", "High",     "2000.000",  "25.00000%",
        "Sawtooth",  "25.00000",  "25.00000%", "Sawtooth",  "25.00000",  "25.00000%", "1/16",     "Ping-Pong",
        "Tape",      "On",        "25.00000%",
    };
    const auto programValue = [](VstInt32 index) {
        if (index == 1 || index == 13) return 1.0f / 3.0f;
        return index >= DelayStereo && index <= DelayFreeze ? 1.0f : 0.25f;
    };
    dispatch(effSetProgram, 0, 5);
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) set(index, programValue(index));
    dispatch(effSetProgram, 0, 0);
    open();
    idle();
    dispatch(effSetProgram, 0, 5);
    idle();
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) {
        EXPECT_EQ(control(index)->getValue(), programValue(index)) << index;
        EXPECT_EQ(boxText(index), texts[index]) << index;
    }
}

TEST_F(EditorTest, HostChangesReachTheControlsAtTheNextIdleHeldToTheRange) {
    open();
    set(12, 0.6f);
    set(11, 1.5f);  // the effect holds it at 1.0
    EXPECT_EQ(control(12)->getValue(), 0.0f);
    idle();
    EXPECT_EQ(control(12)->getValue(), 0.6f);
    EXPECT_EQ(boxText(12), "60.00000%");
    EXPECT_EQ(control(11)->getValue(), 1.0f);
    EXPECT_EQ(boxText(11), "10000.00");
    set(30, 0.7f);  // an inert index changes no control
    idle();
    EXPECT_EQ(control(12)->getValue(), 0.6f);
}

// Sync's knob stops at the note values: linear, 25 and 50 pixels up are 2.6 and 5.25 stops.
TEST_F(EditorTest, SyncKnobDragIsOneGestureThatLandsOnNoteValues) {
    dispatch(effSetEditKnobMode, 0, 2);
    open();
    idle();
    host.calls.clear();
    step({514, 45});
    step({514, 20});
    step({514, 20}, kUp);
    press({514, 70});
    const Calls expected = {{audioMasterBeginEdit, DelaySync}, {audioMasterAutomate, DelaySync},
                            {audioMasterAutomate, DelaySync}, {audioMasterEndEdit, DelaySync}};
    EXPECT_EQ(gestureCalls(), expected);
    EXPECT_EQ(automatedValues(host), (std::vector<float>{3.0f / 21.0f, 5.0f / 21.0f}));
    idle();
    EXPECT_EQ(boxText(DelaySync), "1/16");
}

// One notch, one stop, each read back as the stop it was meant for; none past the last.
TEST_F(EditorTest, WheelNotchesWalkEverySteppedKnobThroughItsStops) {
    const struct {
        VstInt32 index;
        std::span<const char* const> names;
    } cases[] = {{DelaySync, kSyncNames}, {DelayStereo, kStereoNames}, {DelayMotion, kMotionNames},
                 {DelayFreeze, kFreezeNames}};
    open();
    for (const auto& c : cases) {
        Rect r;
        control(c.index)->getBounds(r);
        system.setInput({(r.left + r.right) / 2 + parent.screenOrigin.x, (r.top + r.bottom) / 2 + parent.screenOrigin.y},
                        kUp);
        const std::size_t last = c.names.size() - 1;
        for (std::size_t notch = 1; notch <= last + 1; ++notch) {
            editor->onWheel(1.0f);
            idle();
            EXPECT_EQ(boxText(c.index), c.names[std::min(notch, last)]) << c.index << " " << notch;
        }
    }
}

TEST_F(EditorTest, HostChangesOfSyncTurnItsKnobAndNameTheNote) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{9.0f / 21.0f, "1/8."}, {0.47f, "1/8."}, {1.0f, "2/1."}, {1.0f / 21.0f, "1/32T"}, {0.0f, "Off"}};
    open();
    for (const auto& c : cases) {
        set(DelaySync, c.value);
        idle();
        EXPECT_EQ(control(DelaySync)->getValue(), c.value) << c.text;
        EXPECT_EQ(boxText(DelaySync), c.text);
    }
}

// A plug-in whose Rate text is the synced length while Sync is on, as the doors show it.
class SyncedRatePlugin : public EditorConnection {
public:
    float parameterValue(std::int32_t index) override { return values[static_cast<std::size_t>(index)]; }
    void parameterText(std::int32_t index, char* text) override {
        if (index == DelayTime && values[DelaySync] > 0.0f) {
            std::strcpy(text, "125.0 ms");
        } else {
            displayText(index, parameterValue(index), text);
        }
    }
    void editParameter(std::int32_t index, float value) override { values[static_cast<std::size_t>(index)] = value; }
    void beginEdit(std::int32_t) override {}
    void endEdit(std::int32_t) override {}
    void runHostIdle() override {}

    std::array<float, kNumDefinedParams> values{};
};

// The host reports only Sync: Rate's box must follow it all the same.
TEST_F(EditorTest, TurningSyncOnAndOffRewritesRatesBox) {
    SyncedRatePlugin plugin;
    DelayEditor syncEditor(plugin);
    ASSERT_TRUE(syncEditor.open(&parent));
    const auto rateText = [&] {
        char text[256] = {};
        syncEditor.cell(DelayTime).valueBox->getText(text);
        return std::string(text);
    };
    for (const auto& [sync, rate] : {std::pair{9.0f / 21.0f, "125.0 ms"}, {0.0f, "0.000000"}}) {
        plugin.values[DelaySync] = sync;
        syncEditor.parameterChanged(DelaySync);
        syncEditor.idle();
        EXPECT_EQ(rateText(), rate) << sync;
    }
}

TEST_F(EditorTest, EveryClickOnTheAboutAreaShowsTheBox) {
    open();
    for (int click = 0; click < 3; ++click) press({317, 200});
    ASSERT_EQ(system.messageBoxes().size(), 3u);
    const std::string shown = system.messageBoxes()[2];
    ASSERT_EQ(shown.rfind("About: ", 0), 0u);
    const std::string text = shown.substr(7);
    EXPECT_LE(text.size(), 255u);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(text.back() == '\n', false);
    EXPECT_EQ(lines[0], "Vellumine");
    EXPECT_EQ(lines[1], "Version 1.1");
    EXPECT_EQ(lines[2], "");
    EXPECT_FALSE(lines[3].empty());
    EXPECT_FALSE(lines[4].empty());
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "VST is a trademark of Steinberg Media AG.");
    EXPECT_FALSE(lines[7].empty());
    EXPECT_TRUE(gestureCalls().empty());
}

}  // namespace
}  // namespace editortest
