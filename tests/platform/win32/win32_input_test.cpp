// Polled input through the Win32 backend: a second thread injects a real drag with SetCursorPos
// and SendInput while the window's button-down handler polls, as the toolkit's controls do.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "test_input.h"
#include "test_windows.h"

using namespace platform;
using namespace platform::win32;
using win32test::HostWindow;
using win32test::kMaxWaitMs;
using win32test::pumpMessages;
using win32test::sendKey;
using win32test::sendMouseButton;
using win32test::waitFor;

namespace {

// Follows the drag inside the button-down message until the left button is up, publishing
// what it polls so that the injecting thread can wait for each step to be seen.
struct DragHandler : WindowHandler {
    void windowPaint(Surface&, const PixelRect&) override {}
    void windowButtonDown(Surface&, PixelPoint where) override {
        down = where;
        Services& system = services();
        for (int pass = 0; pass < kMaxWaitMs; ++pass) {
            const PixelPoint cursor = system.cursorPosition();
            const InputState state = system.inputState();
            cursorX = cursor.x;
            shiftSeen = shiftSeen || state.shift;
            // The state of the first poll that sees the move: Shift is pressed only after it.
            if (cursor.x == 170 && !moveSeen) {
                shiftAtMove = state.shift;
                moveSeen = true;
            }
            if (!state.left) break;
            ++passes;
            system.sleep(1);
        }
        finished = true;
    }
    void windowDestroyed() override {}
    void windowDrop(char**, int, int) override {}

    PixelPoint down{-1, -1};
    std::atomic<int> passes{0};
    std::atomic<int> cursorX{0};
    std::atomic<bool> shiftSeen{false};
    bool shiftAtMove = true;
    bool moveSeen = false;
    std::atomic<bool> finished{false};
};

}  // namespace

TEST(Win32Input, ADragInjectedFromAnotherThreadIsFollowedByPolling) {
    Win32Platform backend(GetModuleHandleA(nullptr));
    Services* previous = installServices(&backend);
    backend.registerWindowClass("VellumineDragTest");
    {
        HostWindow host(100, 100, 300, 200);
        DragHandler handler;
        auto window = backend.createChildWindow("VellumineDragTest", host.handle(), 200, 100, handler);
        ASSERT_TRUE(window);
        pumpMessages();

        std::atomic<bool> injected{false};
        std::thread user([&] {
            SetCursorPos(150, 140);
            sendMouseButton(MOUSEEVENTF_LEFTDOWN);
            if (waitFor([&] { return handler.passes > 0; })) {
                SetCursorPos(170, 140);
                waitFor([&] { return handler.cursorX == 170; });
                sendKey(VK_SHIFT, 0);
                waitFor([&] { return handler.shiftSeen.load(); });
            }
            sendMouseButton(MOUSEEVENTF_LEFTUP);
            sendKey(VK_SHIFT, KEYEVENTF_KEYUP);
            injected = true;
        });
        // The button-down message arrives through this thread's queue.
        waitFor([&] {
            pumpMessages();
            return handler.finished && injected;
        });
        user.join();

        EXPECT_EQ(handler.down, (PixelPoint{50, 40}));
        EXPECT_FALSE(handler.shiftAtMove);
        EXPECT_TRUE(handler.shiftSeen);
        EXPECT_EQ(handler.cursorX, 170);
        EXPECT_TRUE(handler.finished);
        EXPECT_FALSE(backend.inputState().left);
    }
    backend.unregisterWindowClass("VellumineDragTest");
    installServices(previous);
}
