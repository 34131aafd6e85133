#include "platform/win32/win32_platform.h"

#include <ole2.h>

#include <vector>

#include "platform/win32/win32_drop_target.h"
#include "platform/win32/win32_text_editor.h"

namespace platform::win32 {

namespace {

Win32Window* windowObject(HWND window) {
    return reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool keyDown(int key) { return GetAsyncKeyState(key) < 0; }

constexpr double kDefaultDpi = 96.0;
// WM_DPICHANGED, sent to a top-level window with its new DPI, and WM_DPICHANGED_AFTERPARENT,
// sent to the child windows of a per-monitor aware host after their parent moved to another
// monitor; older headers lack them.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// user32 functions of Windows 10 looked up at run time, so that the module loads, and its
// import list stays the same, on systems without them; null there.
template <typename Function>
Function user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using DpiForSystemFunction = UINT(WINAPI*)();

// A DPI-unaware host's windows report 96, scale 1.
std::optional<double> dpiOfWindow(HWND window) {
    static const auto dpiForWindow = user32Function<DpiForWindowFunction>("GetDpiForWindow");
    if (!dpiForWindow || !window) return std::nullopt;
    const UINT dpi = dpiForWindow(window);
    if (dpi == 0) return std::nullopt;
    return dpi / kDefaultDpi;
}

// The results of this thread's OleInitialize calls, innermost last. A call that failed (the
// thread already runs another COM model) must not be balanced: that would take away the
// host's own initialisation.
thread_local std::vector<bool> objectLinkingCalls;

}  // namespace

Win32Window::Win32Window(HWND window, WindowHandler& windowHandler, TransparentBltFunction routine)
    : hwnd(window), handler(windowHandler), transparentBlt(routine) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Window::~Win32Window() {
    revokeDropTarget();
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
}

PixelPoint Win32Window::screenOrigin() const {
    RECT area{};
    GetWindowRect(hwnd, &area);
    return {area.left, area.top};
}

namespace {

// The window's own device context, held by a base that is destroyed after the surface part
// has put back the context's saved objects.
struct WindowContext {
    WindowContext(HWND window) : window(window), context(GetDC(window)) {}
    ~WindowContext() { ReleaseDC(window, context); }
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;
    HWND window;
    HDC context;
};

class WindowSurface : private WindowContext, public Win32Surface {
public:
    WindowSurface(HWND window, TransparentBltFunction routine)
        : WindowContext(window), Win32Surface(context, routine) {}
};

}  // namespace

std::unique_ptr<Surface> Win32Window::acquireSurface() { return std::make_unique<WindowSurface>(hwnd, transparentBlt); }

bool Win32Window::registerDropTarget() {
    if (dropRegistered) return true;
    auto* target = new Win32DropTarget(handler);
    target->AddRef();
    dropRegistered = RegisterDragDrop(hwnd, target) == S_OK;
    // Registered, the platform holds its own reference; otherwise this deletes the target.
    target->Release();
    return dropRegistered;
}

void Win32Window::revokeDropTarget() {
    if (!dropRegistered) return;
    RevokeDragDrop(hwnd);
    dropRegistered = false;
}

std::unique_ptr<TextEditor> Win32Window::createTextEditor(const TextEditorSetup& setup,
                                                          TextEditorListener& listener) {
    return std::make_unique<Win32TextEditor>(*this, setup, listener);
}

LRESULT Win32Window::paint() {
    RECT update{};
    if (!GetUpdateRect(hwnd, &update, FALSE)) return DefWindowProcA(hwnd, WM_PAINT, 0, 0);
    PAINTSTRUCT painting{};
    HDC context = BeginPaint(hwnd, &painting);
    {
        Win32Surface surface(context, transparentBlt);
        const RECT& r = painting.rcPaint;
        handler.windowPaint(surface, {r.left, r.top, r.right, r.bottom});
    }
    EndPaint(hwnd, &painting);
    return 0;
}

// The position word holds two unsigned 16-bit client coordinates.
LRESULT Win32Window::buttonDown(LPARAM position) {
    const PixelPoint where{LOWORD(position), HIWORD(position)};
    const auto surface = acquireSurface();
    handler.windowButtonDown(*surface, where);
    return 0;
}

LRESULT Win32Window::editColours(HDC editContext) {
    if (!activeEditor) return 0;
    return reinterpret_cast<LRESULT>(activeEditor->colours(editContext));
}

LRESULT CALLBACK Win32Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* window = windowObject(hwnd);
    if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY: window->handler.windowDestroyed(); break;
    case WM_PAINT: return window->paint();
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return window->buttonDown(lParam);
    case WM_CTLCOLOREDIT:
        if (window->activeEditor) return window->editColours(reinterpret_cast<HDC>(wParam));
        break;
    case kDpiChanged: window->handler.windowScaleChanged(LOWORD(wParam) / kDefaultDpi); return 0;
    case kDpiChangedAfterParent:
        if (const auto scale = dpiOfWindow(hwnd)) window->handler.windowScaleChanged(*scale);
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

Win32Platform::Win32Platform(HINSTANCE instance) : module(instance) {}

Win32Platform::~Win32Platform() {
    if (imageLibrary) FreeLibrary(imageLibrary);
}

void Win32Platform::registerWindowClass(const std::string& name) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_GLOBALCLASS;  // usable from any module of the host's process
    windowClass.lpfnWndProc = Win32Window::procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = name.c_str();
    RegisterClassA(&windowClass);
}

void Win32Platform::unregisterWindowClass(const std::string& name) { UnregisterClassA(name.c_str(), module); }

std::unique_ptr<Window> Win32Platform::createChildWindow(const std::string& className, void* parent, int width,
                                                         int height, WindowHandler& handler) {
    HWND window = CreateWindowExA(0, className.c_str(), "Window", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                  static_cast<HWND>(parent), nullptr, module, nullptr);
    if (!window) return nullptr;
    return std::make_unique<Win32Window>(window, handler, transparentBlt);
}

InputState Win32Platform::inputState() {
    return {keyDown(VK_LBUTTON), keyDown(VK_MBUTTON), keyDown(VK_RBUTTON),
            keyDown(VK_SHIFT),   keyDown(VK_CONTROL), keyDown(VK_MENU)};
}

PixelPoint Win32Platform::cursorPosition() {
    POINT where{};
    GetCursorPos(&where);
    return {where.x, where.y};
}

bool Win32Platform::dispatchOnePendingPaint() {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageA(&message);
    return true;
}

std::unique_ptr<Image> Win32Platform::loadBitmap(int resourceId) {
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(resourceId & 0xFFFF));
    if (!bitmap) return nullptr;
    return std::make_unique<Win32Image>(bitmap);
}

// TransparentBlt exists on the NT family only; elsewhere the toolkit masks. The library stays
// loaded for the life of the backend, so a bound routine never dangles.
bool Win32Platform::findTransparentBlit() {
    transparentBlt = nullptr;
    if (!imageLibrary) imageLibrary = LoadLibraryA("msimg32.dll");
    if (!imageLibrary) return false;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId >= VER_PLATFORM_WIN32_NT)
        transparentBlt = reinterpret_cast<TransparentBltFunction>(
            reinterpret_cast<void*>(GetProcAddress(imageLibrary, "TransparentBlt")));
    return transparentBlt != nullptr;
}

void Win32Platform::initObjectLinking() { objectLinkingCalls.push_back(SUCCEEDED(OleInitialize(nullptr))); }

void Win32Platform::uninitObjectLinking() {
    if (objectLinkingCalls.empty()) return;
    if (objectLinkingCalls.back()) OleUninitialize();
    objectLinkingCalls.pop_back();
}

// The system's DPI (Windows 10), else that of the screen's device context, which a DPI-unaware
// process sees as 96.
double Win32Platform::desktopScale() {
    static const auto dpiForSystem = user32Function<DpiForSystemFunction>("GetDpiForSystem");
    if (dpiForSystem) return dpiForSystem() / kDefaultDpi;
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / kDefaultDpi : 1.0;
}

std::optional<double> Win32Platform::windowScale(void* parent) { return dpiOfWindow(static_cast<HWND>(parent)); }

// No owner window, no icon, one OK button; returns when the user dismisses the box. Windows
// draws it at the DPI it gives the process.
void Win32Platform::messageBox(const std::string& text, const std::string& caption, double) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace platform::win32
