// The plug-in's editor on the Win32 backend, opened by the plug-in in a host's window and used
// with real input: clicks and keys injected with SendInput, the value boxes' native "EDIT"
// control, and the keyboard state the controls poll.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "editor/delay_editor.h"
#include "engine/delay_plugin.h"
#include "gui/text_field.h"
#include "host/plugin_entry.h"
#include "support/recording_host.h"
#include "test_input.h"
#include "test_windows.h"

using namespace win32test;

namespace {

// The host's window, and with it the editor, at this screen position.
constexpr int kHostX = 100;
constexpr int kHostY = 80;

// Class names compare ignoring case: the system reports the edit class as "Edit".
bool isEditControl(HWND window) {
    char name[64] = {};
    return GetClassNameA(window, name, sizeof name) && _stricmp(name, "EDIT") == 0;
}

std::string textOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Dispatches this thread's messages; true once a left button-down was among them.
bool dispatchMessages() {
    bool buttonDown = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        buttonDown = buttonDown || message.message == WM_LBUTTONDOWN;
    }
    return buttonDown;
}

// A character as a keyboard layout-independent key event, which the message loop turns into
// WM_CHAR for the focused window.
void sendCharacter(char character, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(character));
    input.ki.dwFlags = KEYEVENTF_UNICODE | flags;
    SendInput(1, &input, sizeof input);
}

class Win32EditorTest : public ::testing::Test {
protected:
    // The plug-in installs the Win32 backend over this executable, where its bitmaps are bound.
    Win32EditorTest() {
        effect = createPlugin(RecordingHost::callback());
        editor = static_cast<DelayEditor*>(static_cast<DelayPlugin*>(EffectBase::fromRecord(effect))->getEditor());
    }
    ~Win32EditorTest() override {
        if (effect) dispatch(effClose);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }
    void idle() { dispatch(effEditIdle); }

    void open() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, hostWindow.handle()), 1);
        pumpMessages();
    }

    // Clicks at a point of the editor with `keys` held, as a user does, holding the button
    // until the button-down has been dispatched, so that the control under the cursor polls
    // it held. The input is sent from this thread: Wine keeps a thread's polled key state for
    // up to 50 ms unless the thread sends input itself, so input from another thread might
    // not be seen yet. Should a control take the click for the start of a drag, it polls
    // until the button is up: a second thread then lets go of it after the wait bound, and
    // the test fails instead of hanging.
    void click(Point where, std::initializer_list<WORD> keys = {}) {
        SetCursorPos(kHostX + where.x, kHostY + where.y);
        for (WORD key : keys) sendKey(key, 0);
        sendMouseButton(MOUSEEVENTF_LEFTDOWN);
        std::atomic<bool> dispatched{false};
        std::thread watchdog([&] {
            if (!waitFor([&] { return dispatched.load(); })) sendMouseButton(MOUSEEVENTF_LEFTUP);
        });
        waitFor(dispatchMessages);
        dispatched = true;
        watchdog.join();
        sendMouseButton(MOUSEEVENTF_LEFTUP);
        for (WORD key : keys) sendKey(key, KEYEVENTF_KEYUP);
        pumpMessages();
    }

    // Clicks into a value box and returns the control that took the keyboard focus.
    HWND clickValueBox(VstInt32 index) {
        Rect r;
        editor->cell(index).valueBox->getBounds(r);
        click({r.left + 5, r.top + 5});
        return GetFocus();
    }

    // Types into the focused control, one key press and release per character.
    void type(const std::string& text) {
        for (char character : text) {
            sendCharacter(character, 0);
            sendCharacter(character, KEYEVENTF_KEYUP);
        }
    }
    void pressReturn() {
        sendKey(VK_RETURN, 0);
        sendKey(VK_RETURN, KEYEVENTF_KEYUP);
    }

    std::string boxText(VstInt32 index) {
        char text[256] = {};
        editor->cell(index).valueBox->getText(text);
        return text;
    }
    std::vector<HostCall> automations() const {
        std::vector<HostCall> out;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterAutomate) out.push_back(call);
        return out;
    }

    HostWindow hostWindow{kHostX, kHostY, 640, 400};
    RecordingHost host;
    AEffect* effect = nullptr;
    DelayEditor* editor = nullptr;
};

// A number typed into a box is in the box's own units: the mixes run to 200 percent, the
// cutoffs to 8000 Hz, the delay to 10000, the feedback to 100 percent. A number above the
// full scale is refused and the box shows the old value again; one below zero gives 0, and
// so does text without a number, which reads as 0.
TEST_F(Win32EditorTest, ATypedValueReplacesTheBoxsTextAndIsSetOnReturn) {
    const struct {
        VstInt32 index;
        float start;
        const char* startText;
        const char* typed;
        float expected;
        const char* text;
    } cases[] = {
        {OriginCutoff, 1.0f, "8000.000", "2000", 0.25f, "2000.000"},
        {OriginMix, 0.5f, "100.0000%", "150", 0.75f, "150.0000%"},
        {DelayTime, 0.0f, "0.000000", "2500", 0.25f, "2500.000"},
        {Feedback, 0.0f, "0.000000%", "40", 0.4f, "40.00000%"},
        {DelayCutoff, 0.5f, "4000.000", "9000", 0.5f, "4000.000"},
        {Feedback, 0.3f, "30.00000%", "-20", 0.0f, "0.000000%"},
        {DelayTime, 0.25f, "2500.000", "fast", 0.0f, "0.000000"},
    };
    open();
    for (const auto& c : cases) {
        set(c.index, c.start);
        idle();
        host.calls.clear();

        const HWND edit = clickValueBox(c.index);
        ASSERT_TRUE(isEditControl(edit)) << c.typed;
        EXPECT_EQ(GetParent(GetParent(edit)), hostWindow.handle());
        EXPECT_EQ(textOf(edit), c.startText) << c.typed;
        // The whole text is selected when the box opens: typing replaces it.
        type(c.typed);
        EXPECT_TRUE(waitFor([&] {
            pumpMessages();
            return textOf(edit) == c.typed;
        })) << c.typed << " shows as " << textOf(edit);
        pressReturn();
        EXPECT_TRUE(waitFor([&] {
            pumpMessages();
            return !IsWindow(edit);
        })) << "Return ends the edit: " << c.typed;

        EXPECT_EQ(get(c.index), c.expected) << c.typed;
        idle();
        EXPECT_EQ(boxText(c.index), c.text) << c.typed;
        EXPECT_EQ(editor->cell(c.index).control->getValue(), c.expected) << c.typed;
        EXPECT_TRUE(automations().empty()) << "typed values are set without automation: " << c.typed;
    }
}

// Control held while clicking a control sets its default: the middle for knobs, the first
// position for switches. The host hears of it as automation, and the box follows.
TEST_F(Win32EditorTest, ControlClickSetsTheDefaultThroughTheKeyboardState) {
    const struct {
        VstInt32 index;
        float start;
        float expected;
        const char* text;
    } cases[] = {
        {OriginCutoff, 1.0f, 0.5f, "4000.000"},
        {DelayTime, 0.1f, 0.5f, "5000.000"},
        {Feedback, 0.9f, 0.5f, "50.00000%"},
        {DelayFilterType, 1.0f, 0.0f, "Low"},
    };
    open();
    for (const auto& c : cases) {
        set(c.index, c.start);
        idle();
        host.calls.clear();

        // A point where a plain click would give another value: near a knob's maximum, the
        // third of the filter type's four positions.
        Rect r;
        editor->cell(c.index).control->getBounds(r);
        click({r.right - 6, r.top + 30}, {VK_CONTROL});

        EXPECT_EQ(get(c.index), c.expected) << c.index;
        const std::vector<HostCall> automated = automations();
        ASSERT_EQ(automated.size(), 1u) << c.index;
        EXPECT_EQ(automated[0].index, c.index);
        EXPECT_EQ(automated[0].opt, c.expected);
        idle();
        EXPECT_EQ(boxText(c.index), c.text) << c.index;
    }
}

}  // namespace
