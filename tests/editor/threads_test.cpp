// A host automating from its own thread while the window thread opens, idles and closes the
// editor: the automation must never reach a control that close is destroying (run under
// AddressSanitizer to see it), and after it stops one idle shows the effect's values.
#include <atomic>
#include <thread>

#include "editor_test_support.h"

namespace editortest {
namespace {

TEST_F(EditorTest, AutomationThreadNeverTouchesControlsWhileTheWindowComesAndGoes) {
    std::atomic<bool> stop{false};
    std::atomic<long> changes{0};
    std::thread automation([&] {
        for (unsigned i = 0; !stop.load(); ++i) {
            effect->setParameter(effect, static_cast<VstInt32>(i % kNumDefinedParams), static_cast<float>(i % 101) / 100.0f);
            ++changes;
        }
    });
    // Unpainted windows: the rounds are cheap, so the window comes and goes often.
    for (int round = 0; round < 400; ++round) {
        dispatch(effEditOpen, 0, 0, &parent);
        idle();
        dispatch(effEditClose);
    }
    stop = true;
    automation.join();
    EXPECT_GT(changes.load(), 60);

    open();
    set(3, 0.5f);  // a change while open, after the thread's last ones
    idle();
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) {
        char display[256] = {};
        dispatch(effGetParamDisplay, index, 0, display);
        EXPECT_EQ(control(index)->getValue(), get(index)) << index;
        EXPECT_EQ(boxText(index), display) << index;
    }
}

TEST_F(EditorTest, ChangesMarkedBeforeAnIdleAreAllShownByIt) {
    open();
    std::thread automation([&] {
        for (VstInt32 index = 0; index < kNumDefinedParams; ++index) effect->setParameter(effect, index, 1.0f);
    });
    automation.join();
    idle();
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) EXPECT_EQ(control(index)->getValue(), 1.0f) << index;
    EXPECT_EQ(boxText(11), "6000.000");  // Sync at 2/1. : twelve beats at 120 BPM
    EXPECT_EQ(boxText(4), "Triangle");
}

}  // namespace
}  // namespace editortest
