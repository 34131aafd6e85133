#include "vst2/gui_editor_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "gui/knob.h"
#include "vst2/effect_base_ex.h"
#include "gui_test_backend.h"

namespace {

struct HostLog {
    std::vector<std::pair<VstInt32, VstInt32>> calls;  // opcode, index
    AEffect* reenterWithIdle = nullptr;
};
HostLog* hostLog = nullptr;

// 32 ms before the tick count wraps, so that the cadence is checked across the wrap.
constexpr std::uint32_t kStart = 0xFFFFFFE0u;

VstIntPtr recordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    if (!hostLog) return 0;
    hostLog->calls.push_back({opcode, index});
    if (opcode == audioMasterIdle && hostLog->reenterWithIdle)
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
    if (opcode == audioMasterVersion) return 2400;
    return 0;
}

// The effect serves its toolkit editor's gestures and idle through the VST 2 host calls.
struct TestEffect : EffectBaseEx, GuiEditorHost {
    TestEffect() : EffectBaseEx(recordingHost, 1, 1) {}
    void process(float**, float**, VstInt32) override {}
    void beginEdit(std::int32_t tag) override { hostBeginEdit(tag); }
    void endEdit(std::int32_t tag) override { hostEndEdit(tag); }
    void runHostIdle() override { hostIdle(); }
};

struct CountingEditor : GuiEditor {
    explicit CountingEditor(GuiEditorHost& host) : GuiEditor(host) { rect = {0, 0, 640, 400}; }
    int updates = 0;
    void update() override { ++updates; }

    // A 40-pixel knob with tag 5 at the frame's top-left corner.
    Knob* openWithKnob(void* parent) {
        GuiEditor::open(parent);
        frame = new EditorFrame({0, 0, 60, 50}, parent, this);
        auto* knob = new Knob({0, 0, 40, 40}, nullptr, 5, nullptr, nullptr, {0, 0});
        frame->addView(knob);
        return knob;
    }
    void close() override {
        if (frame) frame->release();
        frame = nullptr;
    }
};

class GuiEditorBaseTest : public ::testing::Test {
protected:
    GuiEditorBaseTest() {
        hostLog = &log;
        backend.setTickCount(kStart);
        effect = new TestEffect;
        auto counting = std::make_unique<CountingEditor>(*effect);
        editor = counting.get();
        new GuiEditorBase(effect, std::move(counting));  // owned by the effect
    }
    ~GuiEditorBaseTest() override {
        delete effect;
        hostLog = nullptr;
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, 0.0f);
    }
    int hostIdles() const {
        int n = 0;
        for (const auto& call : log.calls) n += call.first == audioMasterIdle;
        return n;
    }

    guitest::GuiTestBackend backend;
    HostLog log;
    TestEffect* effect;
    CountingEditor* editor;
};

}  // namespace

TEST_F(GuiEditorBaseTest, EditorOpcodesReachTheEditorWhileItIsClosed) {
    EXPECT_TRUE(effect->getAeffect()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 640);
    EXPECT_EQ(rect->bottom, 400);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0), -1);
    EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0), -1);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(knobMode, 2);
    knobMode = 0;
    EXPECT_FALSE(editor->onWheel(1.0f));
    EXPECT_EQ(dispatch(effEditOpen), 0);
    EXPECT_TRUE(editor->isUpdatePending());
    dispatch(effEditIdle);
    EXPECT_EQ(editor->updates, 1);
    dispatch(effEditClose);
}

TEST_F(GuiEditorBaseTest, TimedIdleSleepsEarlyCallsAndWorksAboutEvery50MsAcrossTheWrap) {
    editor->timedIdle();  // due since construction: works at once; the next work is due at kStart + 100
    EXPECT_EQ(hostIdles(), 1);
    EXPECT_EQ(backend.sleepCalls(), 0u);

    // Two calls right after the work each sleep 4 ms and return.
    editor->timedIdle();
    editor->timedIdle();
    EXPECT_EQ(hostIdles(), 1);
    EXPECT_EQ(backend.tickCount(), kStart + 8u);

    // Continuous calls: the call at kStart + 48 sleeps to kStart + 52, which is not before
    // kStart + 100 - 50, and works there, after the tick count has wrapped.
    while (hostIdles() == 1) editor->timedIdle();
    EXPECT_EQ(backend.tickCount(), kStart + 52u);
    EXPECT_EQ(backend.sleepCalls(), 13u);
}

TEST_F(GuiEditorBaseTest, TimedIdleDispatchesOnePaintPerWork) {
    struct Handler : platform::WindowHandler {
        void windowPaint(platform::Surface&, const platform::PixelRect&) override {}
        void windowButtonDown(platform::Surface&, platform::PixelPoint) override {}
        void windowDestroyed() override {}
        void windowDrop(char**, int, int) override {}
    } handler;
    platform::Services& system = platform::services();
    system.registerWindowClass("c");
    {
        auto first = system.createChildWindow("c", backend.parentWindow(), 4, 4, handler);
        auto second = system.createChildWindow("c", backend.parentWindow(), 4, 4, handler);
        editor->timedIdle();
        EXPECT_EQ(backend.paintsDispatched(), 1u);
        editor->timedIdle();
        EXPECT_EQ(backend.paintsDispatched(), 1u);
    }
    system.unregisterWindowClass("c");
}

TEST_F(GuiEditorBaseTest, HostIdleCallingBackIntoEditIdleDoesNothing) {
    log.reenterWithIdle = effect->getAeffect();
    editor->postUpdate();
    editor->timedIdle();
    EXPECT_EQ(editor->updates, 1);  // from timedIdle's own idle, not from the host's re-entry
    editor->postUpdate();
    log.reenterWithIdle = nullptr;
}

TEST_F(GuiEditorBaseTest, EditGesturesReachTheHostWithTheTag) {
    editor->beginEdit(12);
    editor->endEdit(12);
    ASSERT_GE(log.calls.size(), 2u);
    EXPECT_EQ(log.calls[log.calls.size() - 2], (std::pair<VstInt32, VstInt32>{audioMasterBeginEdit, 12}));
    EXPECT_EQ(log.calls.back(), (std::pair<VstInt32, VstInt32>{audioMasterEndEdit, 12}));
}

TEST_F(GuiEditorBaseTest, AKnobDragReachesTheHostAsOneGestureWithTheTag) {
    editor->openWithKnob(backend.parentWindow());
    backend.queueStep(backend.screen(20, 5), {.left = true});
    backend.queueStep(backend.screen(20, 5), {});
    log.calls.clear();
    backend.press(*editor->getFrame()->window(), {30, 35}, {.left = true});

    // Begin before anything else, end last; the idle work in between serves the host.
    std::vector<VstInt32> opcodes;
    for (const auto& call : log.calls) opcodes.push_back(call.first);
    ASSERT_GE(log.calls.size(), 3u);
    EXPECT_EQ(log.calls.front(), (std::pair<VstInt32, VstInt32>{audioMasterBeginEdit, 5}));
    EXPECT_EQ(log.calls.back(), (std::pair<VstInt32, VstInt32>{audioMasterEndEdit, 5}));
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), audioMasterBeginEdit), 1);
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), audioMasterIdle), 1);
    dispatch(effEditClose);
}

TEST_F(GuiEditorBaseTest, KeysAndTheWheelReachTheOpenFrame) {
    Knob* knob = editor->openWithKnob(backend.parentWindow());
    knob->setValue(0.5f);
    // effEditKeyDown: the character in index, the virtual key in value, modifiers in opt.
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 12), 1);  // up arrow
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6f);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0), -1);
    EXPECT_EQ(dispatch(effEditKeyUp, 0, 12), -1);

    backend.setInput(backend.screen(10, 10), {});
    EXPECT_TRUE(editor->onWheel(-2.0f));
    EXPECT_NEAR(knob->getValue(), 0.4f, 1e-6f);
    backend.setInput(backend.screen(50, 10), {});  // over the frame but no view
    EXPECT_FALSE(editor->onWheel(1.0f));
    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effEditKeyDown, 0, 12), -1);
}
