// Windows of the Win32 backend: class registration shared by frames, the child window's
// messages, one pending paint, the native edit control and the message box.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/editor_frame.h"
#include "platform/win32/win32_platform.h"
#include "test_canvas.h"
#include "test_windows.h"

using namespace platform;
using namespace platform::win32;
using win32test::HostWindow;
using win32test::pumpMessages;

namespace {

struct RecordingHandler : WindowHandler {
    void windowPaint(Surface&, const PixelRect& area) override {
        ++paints;
        lastArea = area;
    }
    void windowButtonDown(Surface&, PixelPoint where) override { clicks.push_back(where); }
    void windowDestroyed() override { ++destroyed; }
    void windowDrop(char**, int, int) override {}

    int paints = 0;
    PixelRect lastArea;
    std::vector<PixelPoint> clicks;
    int destroyed = 0;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = installServices(&backend);
        backend.registerWindowClass(kClass);
        pumpMessages();
    }
    void TearDown() override {
        backend.unregisterWindowClass(kClass);
        installServices(previous);
    }

    static constexpr const char* kClass = "VellumineTestChild";
    Win32Platform backend{GetModuleHandleA(nullptr)};
    Services* previous = nullptr;
    HostWindow host{100, 100, 300, 200};
    RecordingHandler handler;
};

std::string classNameOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace

TEST_F(WindowTest, TwoFramesShareOneGlobalClassUntilTheLastIsGone) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))));
    auto* first = new EditorFrame({0, 0, 200, 100}, host.handle(), nullptr);
    auto* second = new EditorFrame({0, 0, 200, 100}, host.handle(), nullptr);
    ASSERT_TRUE(first->window() && second->window());
    EXPECT_EQ(EditorFrame::windowClassName(), expected);
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 2);
    const HWND firstWindow = static_cast<Win32Window*>(first->window())->handle();
    const HWND secondWindow = static_cast<Win32Window*>(second->window())->handle();
    EXPECT_NE(firstWindow, secondWindow);
    EXPECT_EQ(classNameOf(firstWindow), expected);
    EXPECT_EQ(classNameOf(secondWindow), expected);
    EXPECT_EQ(GetParent(firstWindow), host.handle());

    WNDCLASSA registered{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), expected, &registered));
    EXPECT_TRUE(registered.style & CS_GLOBALCLASS);

    first->release();
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), expected, &registered));
    second->release();
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), expected, &registered));
    EXPECT_EQ(EditorFrame::windowClassUseCount(), 0);
}

TEST_F(WindowTest, ChildWindowSitsAtTheHostsOriginAndGetsOnePendingPaint) {
    EXPECT_FALSE(backend.createChildWindow("NoSuchClass", host.handle(), 20, 10, handler));
    auto window = backend.createChildWindow(kClass, host.handle(), 120, 80, handler);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->screenOrigin(), (PixelPoint{100, 100}));

    EXPECT_TRUE(backend.dispatchOnePendingPaint());
    EXPECT_EQ(handler.paints, 1);
    EXPECT_EQ(handler.lastArea, (PixelRect{0, 0, 120, 80}));
    // Painting validated the window: no second paint is waiting.
    EXPECT_FALSE(backend.dispatchOnePendingPaint());
    EXPECT_EQ(handler.paints, 1);
}

TEST_F(WindowTest, ButtonDownsReportTheirWindowPosition) {
    auto window = backend.createChildWindow(kClass, host.handle(), 120, 80, handler);
    const HWND hwnd = static_cast<Win32Window*>(window.get())->handle();
    const UINT messages[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    for (UINT message : messages) SendMessageA(hwnd, message, 0, MAKELPARAM(7, 65));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(handler.clicks, (std::vector<PixelPoint>(3, PixelPoint{7, 65})));
}

TEST_F(WindowTest, TheHostDestroyingItsWindowIsReportedOnceAndOwnDestructionIsNot) {
    auto own = backend.createChildWindow(kClass, host.handle(), 50, 50, handler);
    own.reset();
    EXPECT_EQ(handler.destroyed, 0);

    auto window = backend.createChildWindow(kClass, host.handle(), 50, 50, handler);
    DestroyWindow(host.handle());
    EXPECT_EQ(handler.destroyed, 1);
    window.reset();
    EXPECT_EQ(handler.destroyed, 1);
}

namespace {

// Ends the edit as the text field does: the listener destroys the editor.
struct EditListener : TextEditorListener {
    void editorReturnPressed() override {
        ++returns;
        text = editor->text();
        editor.reset();
    }
    void editorFocusLost() override {
        ++focusLosses;
        text = editor->text();
        editor.reset();
    }
    std::unique_ptr<TextEditor> editor;
    std::string text;
    int returns = 0;
    int focusLosses = 0;
};

TextEditorSetup valueBoxSetup() {
    TextEditorSetup setup;
    setup.placement = {10, 20, 61, 35};
    setup.text = "12.5";
    setup.align = TextAlign::right;
    setup.font.face = "Arial";
    setup.font.pixelHeight = 12;
    setup.textColour = makeColourRef(255, 255, 0);
    setup.backColour = makeColourRef(0, 0, 128);
    return setup;
}

HWND editOf(const Window& window) {
    return FindWindowExA(static_cast<const Win32Window&>(window).handle(), nullptr, "EDIT", nullptr);
}

}  // namespace

TEST_F(WindowTest, EditControlCoversTheFieldSelectsAllAndEndsOnReturn) {
    auto window = backend.createChildWindow(kClass, host.handle(), 200, 100, handler);
    EditListener listener;
    listener.editor = window->createTextEditor(valueBoxSetup(), listener);
    const HWND edit = editOf(*window);
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 255);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_RIGHT);
    RECT placed{};
    GetWindowRect(edit, &placed);
    EXPECT_EQ(placed.left, 110);
    EXPECT_EQ(placed.top, 120);
    EXPECT_EQ(placed.right - placed.left, 51);
    EXPECT_EQ(placed.bottom - placed.top, 15);
    EXPECT_EQ(listener.editor->text(), "12.5");

    // The whole text is selected: the first key replaces it.
    SendMessageA(edit, WM_CHAR, '7', 0);
    SendMessageA(edit, WM_CHAR, '5', 0);
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(listener.returns, 1);
    EXPECT_EQ(listener.text, "75");
    // Destroying the focused control inside its own Return does not report a focus loss.
    EXPECT_EQ(listener.focusLosses, 0);
    EXPECT_FALSE(IsWindow(edit));
}

TEST_F(WindowTest, EditControlReportsFocusLossOnce) {
    auto window = backend.createChildWindow(kClass, host.handle(), 200, 100, handler);
    EditListener listener;
    listener.editor = window->createTextEditor(valueBoxSetup(), listener);
    const HWND edit = editOf(*window);
    SetFocus(host.handle());
    EXPECT_EQ(listener.focusLosses, 1);
    EXPECT_EQ(listener.returns, 0);
    EXPECT_EQ(listener.text, "12.5");
    EXPECT_FALSE(IsWindow(edit));
}

TEST_F(WindowTest, TheWindowAnswersTheEditControlsColoursFromTheSetup) {
    auto window = backend.createChildWindow(kClass, host.handle(), 200, 100, handler);
    const HWND hwnd = static_cast<Win32Window*>(window.get())->handle();
    win32test::Canvas canvas(4, 4, 0);
    EditListener listener;
    listener.editor = window->createTextEditor(valueBoxSetup(), listener);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.context()), reinterpret_cast<LPARAM>(editOf(*window))));
    ASSERT_TRUE(brush);
    EXPECT_EQ(GetTextColor(canvas.context()), makeColourRef(255, 255, 0));
    EXPECT_EQ(GetBkColor(canvas.context()), makeColourRef(0, 0, 128));
    LOGBRUSH described{};
    ASSERT_TRUE(GetObjectA(brush, sizeof described, &described));
    EXPECT_EQ(described.lbColor, makeColourRef(0, 0, 128));
    listener.editor.reset();
}

namespace {

struct ShownBox {
    int activations = 0;
    std::string caption;
    std::string text;
};
ShownBox shown;
HHOOK cbtHook = nullptr;

// Reads the box as it activates and closes it with OK; same thread, so deterministic.
LRESULT CALLBACK closeMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    char buffer[256] = {};
    const auto box = reinterpret_cast<HWND>(wParam);
    // Other windows of the thread (the host) activate too; only the dialog class is the box.
    if (code == HCBT_ACTIVATE && GetClassNameA(box, buffer, sizeof buffer) && std::string(buffer) == "#32770") {
        ++shown.activations;
        GetWindowTextA(box, buffer, sizeof buffer);
        shown.caption = buffer;
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        shown.text = buffer;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

}  // namespace

TEST_F(WindowTest, MessageBoxShowsTextAndCaptionUntilDismissed) {
    cbtHook = SetWindowsHookExA(WH_CBT, closeMessageBox, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(cbtHook);
    backend.messageBox("Vellumine & friends", "About", 1.0);
    UnhookWindowsHookEx(cbtHook);
    EXPECT_EQ(shown.activations, 1);
    EXPECT_EQ(shown.caption, "About");
    EXPECT_EQ(shown.text, "Vellumine & friends");
}
