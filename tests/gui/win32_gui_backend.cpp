// The toolkit tests' backend under Wine: the real Win32 backend (classes, child windows, GDI
// surfaces, one WM_PAINT at a time, bitmap resources, TransparentBlt, the EDIT control, OLE)
// in a real host window. Only polled input, the cursor, the tick count and sleeping come from
// a script, as on the software backend: GetAsyncKeyState and GetCursorPos polling during a
// drag is checked with real injected input in tests/platform/win32/win32_input_test.cpp.
// Drops reach the target the window registered with OLE as OLE's drag loop calls it.
#include <windows.h>

#include <cstdio>
#include <fstream>

#include "forwarding_services.h"
#include "gui_test_backend.h"
#include "platform/software/input_script.h"
#include "platform/win32/win32_platform.h"
#include "test_canvas.h"
#include "test_data_object.h"
#include "test_windows.h"

namespace guitest {

namespace {

using platform::win32::Win32Platform;
using platform::win32::Win32Window;

// The real backend, less the user and the clock; counts what the software backend counts.
struct ScriptedServices : ForwardingServices {
    explicit ScriptedServices(Win32Platform& backend) : ForwardingServices(backend) {}

    void registerWindowClass(const std::string& name) override {
        ++registrations;
        inner.registerWindowClass(name);
    }
    platform::InputState inputState() override { return script.inputState(); }
    platform::PixelPoint cursorPosition() override { return script.cursorPosition(); }
    bool buttonsSwapped() override { return swapped; }
    int doubleClickTime() override { return doubleClick; }
    std::uint32_t tickCount() override { return clock.tickCount(); }
    void sleep(std::uint32_t milliseconds) override { clock.sleep(milliseconds); }
    bool dispatchOnePendingPaint() override {
        const bool dispatched = inner.dispatchOnePendingPaint();
        paints += dispatched;
        return dispatched;
    }
    bool findTransparentBlit() override { return transparentBlitPresent && inner.findTransparentBlit(); }
    void initObjectLinking() override {
        ++objectLinking;
        inner.initObjectLinking();
    }
    void uninitObjectLinking() override {
        --objectLinking;
        inner.uninitObjectLinking();
    }

    platform::software::InputScript script;
    platform::software::VirtualClock clock;
    bool swapped = false;
    int doubleClick = 500;
    bool transparentBlitPresent = true;
    int registrations = 0;
    int objectLinking = 0;
    std::uint32_t paints = 0;
};

HWND handleOf(platform::Window& window) { return static_cast<Win32Window&>(window).handle(); }

HWND editOf(platform::Window& window) { return FindWindowExA(handleOf(window), nullptr, "EDIT", nullptr); }

// The button the system reports for the physical state: with swapped buttons the physical
// left is the right button. A press whose button is already up again still arrives as a
// left button-down.
UINT buttonDownMessage(platform::InputState physical, bool swapped) {
    const bool left = swapped ? physical.right : physical.left;
    const bool right = swapped ? physical.left : physical.right;
    if (right && !left) return WM_RBUTTONDOWN;
    if (physical.middle && !left) return WM_MBUTTONDOWN;
    return WM_LBUTTONDOWN;
}

// Copies a block of the window's pixels into a DIB, as a screen capture does.
void capture(HWND window, const win32test::Canvas& into, int x, int y) {
    HDC windowContext = GetDC(window);
    BitBlt(into.context(), 0, 0, into.width(), into.height(), windowContext, x, y, SRCCOPY);
    ReleaseDC(window, windowContext);
}

// Enters, moves over and drops on the window's registered target at a screen point, as OLE's
// drag loop does with the button held; a drag the target gives no effect for is left instead.
bool dragOnto(HWND window, IDataObject& data, POINTL at) {
    IDropTarget* target = win32test::registeredDropTarget(window);
    if (!target) return false;
    target->AddRef();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    bool dropped = target->DragEnter(&data, MK_LBUTTON, at, &effect) == S_OK;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    dropped = dropped && target->DragOver(MK_LBUTTON, at, &effect) == S_OK && effect != DROPEFFECT_NONE;
    if (dropped) {
        dropped = target->Drop(&data, 0, at, &effect) == S_OK;
    } else {
        target->DragLeave();
    }
    target->Release();
    return dropped;
}

}  // namespace

struct GuiTestBackend::State {
    Win32Platform real{GetModuleHandleA(nullptr)};
    ScriptedServices scripted{real};
    platform::Services* previous = platform::installServices(&scripted);
    win32test::HostWindow host{kParentOrigin.x, kParentOrigin.y, 400, 300};
};

GuiTestBackend::GuiTestBackend() : state(std::make_unique<State>()) { win32test::pumpMessages(); }

GuiTestBackend::~GuiTestBackend() { platform::installServices(state->previous); }

void* GuiTestBackend::parentWindow() { return state->host.handle(); }

std::string GuiTestBackend::moduleClassName() const {
    char name[32];
    std::snprintf(name, sizeof name, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))));
    return name;
}

void GuiTestBackend::setInput(platform::PixelPoint screenPosition, platform::InputState input) {
    state->scripted.script.setInput(screenPosition, input);
}
void GuiTestBackend::queueStep(platform::PixelPoint screenPosition, platform::InputState input) {
    state->scripted.script.queueStep(screenPosition, input);
}
std::size_t GuiTestBackend::stepsLeft() const { return state->scripted.script.stepsLeft(); }
void GuiTestBackend::setTickCount(std::uint32_t ticks) { state->scripted.clock.setTickCount(ticks); }
void GuiTestBackend::advanceClock(std::uint32_t milliseconds) { state->scripted.clock.advance(milliseconds); }
std::uint32_t GuiTestBackend::tickCount() const { return state->scripted.clock.tickCount(); }
std::uint32_t GuiTestBackend::sleepCalls() const { return state->scripted.clock.sleepCalls(); }
void GuiTestBackend::setButtonsSwapped(bool swapped) { state->scripted.swapped = swapped; }
void GuiTestBackend::setDoubleClickTime(int milliseconds) { state->scripted.doubleClick = milliseconds; }
void GuiTestBackend::setTransparentBlitPresent(bool present) { state->scripted.transparentBlitPresent = present; }

int GuiTestBackend::classRegistrations() const { return state->scripted.registrations; }

bool GuiTestBackend::isClassRegistered(const std::string& name) const {
    WNDCLASSA registered{};
    return GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &registered);
}

int GuiTestBackend::objectLinkingLevel() const { return state->scripted.objectLinking; }
std::uint32_t GuiTestBackend::paintsDispatched() const { return state->scripted.paints; }

// The press goes to the child window under the point, as the system routes a click: the edit
// control when it covers the point, else the frame's window.
void GuiTestBackend::press(platform::Window& window, platform::PixelPoint where, platform::InputState input) {
    const platform::PixelPoint origin = window.screenOrigin();
    state->scripted.script.setInput({origin.x + where.x, origin.y + where.y}, input);
    const HWND frameWindow = handleOf(window);
    POINT point{where.x, where.y};
    HWND target = ChildWindowFromPointEx(frameWindow, point, CWP_SKIPINVISIBLE);
    if (!target) target = frameWindow;
    MapWindowPoints(frameWindow, target, &point, 1);
    const UINT down = buttonDownMessage(input, state->scripted.swapped);
    SendMessageA(target, down, 0, MAKELPARAM(point.x, point.y));
    if (IsWindow(target)) SendMessageA(target, down + 1, 0, MAKELPARAM(point.x, point.y));  // the button-up
}

bool GuiTestBackend::paint() {
    MSG message;
    while (PeekMessageA(&message, state->host.handle(), WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
    return state->scripted.dispatchOnePendingPaint();
}

void GuiTestBackend::invalidate(platform::Window& window, const platform::PixelRect& area) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    InvalidateRect(handleOf(window), &rect, FALSE);
}

platform::ColourRef GuiTestBackend::pixel(platform::Window& window, int x, int y) {
    const win32test::Canvas one(1, 1, 0);
    capture(handleOf(window), one, x, y);
    return one.at(0, 0);
}

void GuiTestBackend::destroyParent() { DestroyWindow(state->host.handle()); }

// A 32-bit bottom-up BMP file in the working directory (Wine does not translate Unix paths).
bool GuiTestBackend::saveSnapshot(platform::Window& window, const std::string& name) {
    RECT client{};
    GetClientRect(handleOf(window), &client);
    const win32test::Canvas image(client.right, client.bottom, 0);
    capture(handleOf(window), image, 0, 0);
    const std::uint32_t rowBytes = 4u * client.right, size = rowBytes * client.bottom;
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
    BITMAPINFOHEADER info{sizeof info, client.right, client.bottom, 1, 32, BI_RGB, size, 0, 0, 0, 0};
    std::ofstream out(name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = client.bottom - 1; y >= 0; --y)
        for (int x = 0; x < client.right; ++x) {
            const platform::ColourRef c = image.at(x, y);
            const std::uint32_t bgrx = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            out.write(reinterpret_cast<const char*>(&bgrx), sizeof bgrx);
        }
    return static_cast<bool>(out);
}

// Sources hand text over with its terminator, so the block is one byte longer than the text.
bool GuiTestBackend::dropText(platform::Window& window, const std::string& text) {
    win32test::TestDataObject data;
    data.offerText(std::string(text.c_str(), text.size() + 1));
    const platform::PixelPoint at = state->scripted.script.cursorPosition();
    return dragOnto(handleOf(window), data, {at.x, at.y});
}

bool GuiTestBackend::dropFiles(platform::Window& window, const std::vector<std::string>& names) {
    win32test::TestDataObject data;
    data.offerFiles(names);
    const platform::PixelPoint at = state->scripted.script.cursorPosition();
    return dragOnto(handleOf(window), data, {at.x, at.y});
}

bool GuiTestBackend::hasDropTarget(platform::Window& window) {
    return win32test::registeredDropTarget(handleOf(window)) != nullptr;
}

std::optional<platform::PixelRect> GuiTestBackend::editorPlacement(platform::Window& window) {
    const HWND edit = editOf(window);
    if (!edit) return std::nullopt;
    RECT placed{};
    GetWindowRect(edit, &placed);
    MapWindowPoints(nullptr, handleOf(window), reinterpret_cast<POINT*>(&placed), 2);
    return platform::PixelRect{placed.left, placed.top, placed.right, placed.bottom};
}

// Characters as the keyboard's translated messages bring them; backspace is one too.
void GuiTestBackend::type(platform::Window& window, const std::string& keys) {
    const HWND edit = editOf(window);
    for (char key : keys) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(key), 0);
}

void GuiTestBackend::pressReturn(platform::Window& window) { SendMessageA(editOf(window), WM_KEYDOWN, VK_RETURN, 0); }

void GuiTestBackend::moveFocusAway(platform::Window&) { SetFocus(state->host.handle()); }

}  // namespace guitest
