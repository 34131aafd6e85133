// The plug-in's editor on the Win32 backend, opened by the plug-in in a host's window and used
// with real input: clicks and keys injected with SendInput, the value boxes' native "EDIT"
// control, the keyboard state the controls poll, and drops through the window's OLE target.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "editor/delay_editor.h"
#include "vst2/delay_plugin.h"
#include "gui/text_field.h"
#include "vst2/plugin_entry.h"
#include "support/recording_host.h"
#include "test_data_object.h"
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

struct Gesture {
    VstInt32 opcode;
    VstInt32 index;
    float value;
    bool operator==(const Gesture&) const = default;
};

class Win32EditorTest : public ::testing::Test {
protected:
    // The plug-in installs the Win32 backend over this executable, where its bitmaps are bound.
    Win32EditorTest() {
        effect = createPlugin(RecordingHost::callback());
        editor = static_cast<DelayPlugin*>(EffectBase::fromRecord(effect))->getDelayEditor();
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
    std::vector<float> parameters() {
        std::vector<float> values;
        for (VstInt32 index = 0; index < kNumDefinedParams; ++index) values.push_back(get(index));
        return values;
    }
    std::vector<HostCall> automations() const {
        std::vector<HostCall> out;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterAutomate) out.push_back(call);
        return out;
    }

    // The edit-gesture calls: opcode, index, and the value of an automation (0 for the others).
    std::vector<Gesture> gestureCalls() const {
        std::vector<Gesture> out;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterAutomate || call.opcode == audioMasterBeginEdit ||
                call.opcode == audioMasterEndEdit)
                out.push_back({call.opcode, call.index, call.opcode == audioMasterAutomate ? call.opt : 0.0f});
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
// so does text without a number, which reads as 0. An accepted value reaches the host as
// one edit gesture, as a knob click does; a refused one tells it nothing.
TEST_F(Win32EditorTest, ATypedValueReplacesTheBoxsTextAndIsSetOnReturn) {
    const struct {
        VstInt32 index;
        float start;
        const char* startText;
        const char* typed;
        float expected;
        const char* text;
        bool accepted;
    } cases[] = {
        {OriginCutoff, 1.0f, "8000.000", "2000", 0.25f, "2000.000", true},
        {OriginMix, 0.5f, "100.0000%", "150", 0.75f, "150.0000%", true},
        {DelayTime, 0.0f, "0.000000", "2500", 0.25f, "2500.000", true},
        {Feedback, 0.0f, "0.000000%", "40", 0.4f, "40.00000%", true},
        {DelayCutoff, 0.5f, "4000.000", "9000", 0.5f, "4000.000", false},
        {Feedback, 0.3f, "30.00000%", "-20", 0.0f, "0.000000%", true},
        {DelayTime, 0.25f, "2500.000", "fast", 0.0f, "0.000000", true},
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
        const std::vector<Gesture> gesture = {{audioMasterBeginEdit, c.index, 0.0f},
                                              {audioMasterAutomate, c.index, c.expected},
                                              {audioMasterEndEdit, c.index, 0.0f}};
        EXPECT_EQ(gestureCalls(), c.accepted ? gesture : std::vector<Gesture>{}) << c.typed;
    }
}

// The host's window holds the keyboard focus, as a host's does around its plug-in. However
// the box closes, the focus goes back to the host's window, whose next key then reaches it.
// Escape closes the box without a change and tells the host nothing.
TEST_F(Win32EditorTest, AClosingValueBoxHandsTheFocusBackToTheHostsWindow) {
    const struct {
        const char* closing;
        std::function<void()> close;
        bool changes;
    } cases[] = {
        {"Return", [&] { pressReturn(); }, true},
        {"Escape", [&] { sendKey(VK_ESCAPE, 0); sendKey(VK_ESCAPE, KEYEVENTF_KEYUP); }, false},
        {"a click elsewhere", [&] { click({5, 5}); }, true},
    };
    const HWND hostHandle = hostWindow.handle();
    open();
    for (const auto& c : cases) {
        set(OriginMix, 0.5f);
        idle();
        host.calls.clear();
        SetFocus(hostHandle);
        const HWND edit = clickValueBox(OriginMix);
        ASSERT_TRUE(isEditControl(edit)) << c.closing;
        type("50");
        EXPECT_TRUE(waitFor([&] {
            pumpMessages();
            return textOf(edit) == "50";
        })) << c.closing;
        c.close();
        EXPECT_TRUE(waitFor([&] {
            pumpMessages();
            return !IsWindow(edit);
        })) << c.closing << " ends the edit";
        EXPECT_EQ(GetFocus(), hostHandle) << c.closing;
        sendKey(VK_SPACE, 0);
        sendKey(VK_SPACE, KEYEVENTF_KEYUP);
        MSG message;
        EXPECT_TRUE(waitFor([&] {
            return PeekMessageA(&message, hostHandle, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE) && message.hwnd == hostHandle &&
                   message.wParam == VK_SPACE;
        })) << c.closing;
        pumpMessages();
        EXPECT_EQ(get(OriginMix), c.changes ? 0.25f : 0.5f) << c.closing;
        const std::vector<Gesture> gesture = {{audioMasterBeginEdit, OriginMix, 0.0f},
                                              {audioMasterAutomate, OriginMix, 0.25f},
                                              {audioMasterEndEdit, OriginMix, 0.0f}};
        EXPECT_EQ(gestureCalls(), c.changes ? gesture : std::vector<Gesture>{}) << c.closing;
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

// The editor's own window, as the host finds it among its children.
HWND editorWindow(HWND host) { return FindWindowExA(host, nullptr, EditorFrame::windowClassName().c_str(), nullptr); }

// A drag of text and one of file names over a knob, a value box, a caption and the background,
// dropped through the target the editor's window registered, as OLE's drag loop calls it. The
// drag is offered a move, or a copy with Control held; none of the plug-in's views takes a
// drop, so the drop changes nothing and tells the host nothing.
TEST_F(Win32EditorTest, ADropOnTheEditorIsOfferedAndChangesNothing) {
    constexpr int kFilesKind = 0;
    constexpr int kTextKind = 1;
    open();
    const HWND window = editorWindow(hostWindow.handle());
    ASSERT_TRUE(window);
    IDropTarget* target = registeredDropTarget(window);
    ASSERT_TRUE(target);
    const auto centreOf = [](View* view) {
        Rect r;
        view->getBounds(r);
        return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    const Point points[] = {centreOf(editor->cell(OriginCutoff).control), centreOf(editor->cell(DelayTime).valueBox),
                            centreOf(editor->cell(Feedback).caption), {3, 3}};
    // The items as the frame is handed them: text counted with its terminator.
    char words[] = "dropped words";
    char first[] = "C:\\audio\\first take.wav";
    char second[] = "D:\\loops\\second.aif";
    char* textItems[] = {words};
    char* fileItems[] = {first, second};

    for (const Point where : points) {
        for (const bool asText : {true, false}) {
            TestDataObject data;
            if (asText) {
                data.offerText(std::string("dropped words\0", 14));
            } else {
                data.offerFiles({first, second});
            }
            const std::vector<float> before = parameters();
            host.calls.clear();
            SetCursorPos(kHostX + where.x, kHostY + where.y);
            const POINTL at{kHostX + where.x, kHostY + where.y};

            DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON, at, &effect), S_OK);
            EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << where.x << " text " << asText;
            target->DragLeave();
            effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON | MK_CONTROL, at, &effect), S_OK);
            EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << where.x << " text " << asText;
            ASSERT_EQ(target->Drop(&data, MK_CONTROL, at, &effect), S_OK);
            pumpMessages();
            idle();

            EXPECT_EQ(parameters(), before) << where.x << " text " << asText;
            EXPECT_TRUE(automations().empty()) << where.x << " text " << asText;
            EXPECT_FALSE(asText ? editor->getFrame()->acceptDrop(textItems, 14, kTextKind, where)
                                : editor->getFrame()->acceptDrop(fileItems, 2, kFilesKind, where))
                << where.x << " text " << asText;
        }
    }
}

// Closing the editor destroys its window and revokes the registration: the reference held
// here is then the target's last one. Destroying the window alone would not do: OLE would
// keep its reference to the target.
TEST_F(Win32EditorTest, ClosingTheEditorRemovesItsWindowAndDropTarget) {
    open();
    const HWND window = editorWindow(hostWindow.handle());
    ASSERT_TRUE(window);
    IDropTarget* target = registeredDropTarget(window);
    ASSERT_TRUE(target);
    target->AddRef();

    dispatch(effEditClose);
    pumpMessages();

    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(editorWindow(hostWindow.handle()));
    EXPECT_EQ(target->Release(), 0u);
}

// The editor takes the DPI of the host's window: 96 is scale 1, 144 is 1.5, 192 is 2. This
// process is DPI-aware, as a host must be to see more than 96. The suite runs in a Wine prefix
// at 96 DPI, and these tests once more in one at 192 (at_dpi.sh), which names the DPI it set in
// VELLUMINE_EXPECTED_DPI so that a setting that did not take cannot pass for one that did.
const bool kDpiAware = SetProcessDPIAware() != FALSE;

struct WindowSize {
    int width;
    int height;
    bool operator==(const WindowSize&) const = default;
};

WindowSize clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

class Win32EditorDpiTest : public Win32EditorTest {
protected:
    WindowSize answeredSize() {
        ERect* rect = nullptr;
        EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        return rect ? WindowSize{rect->right - rect->left, rect->bottom - rect->top} : WindowSize{};
    }
    std::vector<WindowSize> sizeRequests() const {
        std::vector<WindowSize> out;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterSizeWindow) out.push_back({call.index, static_cast<int>(call.value)});
        return out;
    }
};

TEST_F(Win32EditorDpiTest, TheEditorIsAsLargeAsTheHostWindowsDpiAsks) {
    ASSERT_TRUE(kDpiAware);
    const int dpi = systemDpi();
    if (const char* expected = std::getenv("VELLUMINE_EXPECTED_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    const WindowSize expected{640 * dpi / 96, 400 * dpi / 96};
    EXPECT_EQ(answeredSize(), expected) << dpi;
    open();
    EXPECT_EQ(clientSize(editorWindow(hostWindow.handle())), expected) << dpi;
    EXPECT_TRUE(sizeRequests().empty()) << "the size answered before opening was already right";
}

// A DPI change while open (the host's window moved to another monitor) rebuilds the editor at
// the new scale and asks the host for the new size; the values and the controls stay.
TEST_F(Win32EditorDpiTest, ADpiChangeWhileOpenRedrawsAtTheNewScaleAndAsksTheHostToResize) {
    set(Feedback, 0.4f);
    open();
    host.calls.clear();
    constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, which older headers lack
    SendMessageA(editorWindow(hostWindow.handle()), kDpiChanged, MAKEWPARAM(144, 144), 0);
    idle();
    pumpMessages();
    const std::vector<WindowSize> expected{{960, 600}};
    EXPECT_EQ(sizeRequests(), expected);
    EXPECT_EQ(clientSize(editorWindow(hostWindow.handle())), expected[0]);
    EXPECT_EQ(answeredSize(), expected[0]);
    EXPECT_EQ(boxText(Feedback), "40.00000%");
}

}  // namespace
