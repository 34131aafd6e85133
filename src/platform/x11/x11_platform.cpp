#include "platform/x11/x11_platform.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

#include "platform/x11/desktop_scale.h"
#include "platform/x11/presenter.h"
#include "platform/x11/x11_message_box.h"
#include "platform/x11/x11_window.h"

namespace platform::x11 {

namespace {

// Errors on our own connection are expected where the host destroys its window under ours
// (every later request on our window fails) and are ignored; Xlib's default would end the
// process. The handler is process-wide, so errors of other connections go on to the handler
// that was installed before ours.
Display* trappedDisplay = nullptr;
XErrorHandler previousHandler = nullptr;

int trapError(Display* display, XErrorEvent* error) {
    if (display == trappedDisplay) return 0;
    return previousHandler ? previousHandler(display, error) : 0;
}

void trapErrors(Display* display) {
    trappedDisplay = display;
    previousHandler = XSetErrorHandler(trapError);
}

// Puts the previous handler back unless someone installed another one after ours, which
// then keeps passing our errors on.
void releaseErrors() {
    const XErrorHandler current = XSetErrorHandler(previousHandler);
    if (current != trapError) XSetErrorHandler(current);
    trappedDisplay = nullptr;
}

::Window topLevelOf(Display* display, ::Window window) {
    for (;;) {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root || parent == 0) return window;
        window = parent;
    }
}

}  // namespace

X11Platform::X11Platform() = default;

X11Platform::~X11Platform() {
    if (!connection) return;
    releaseErrors();
    XCloseDisplay(connection);
}

bool X11Platform::openDisplay() {
    if (connection) return true;
    connection = XOpenDisplay(nullptr);
    if (!connection) return false;
    trapErrors(connection);
    readPointerMapping();
    return true;
}

void X11Platform::windowClosed() {
    --openWindows;
    closeDisplayIfUnused();
}

void X11Platform::closeDisplayIfUnused() {
    if (openWindows > 0 || !connection) return;
    XSync(connection, False);
    releaseErrors();
    XCloseDisplay(connection);
    connection = nullptr;
    targets.clear();
}

std::unique_ptr<Window> X11Platform::createChildWindow(const std::string& className, void* parent, int width,
                                                       int height, WindowHandler& handler) {
    if (!parent || !isClassRegistered(className) || width <= 0 || height <= 0 || !openDisplay()) return nullptr;
    const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
    XWindowAttributes parentAttributes;
    // Fails (with the error trapped) when the id is not a window of this display.
    if (!XGetWindowAttributes(connection, parentId, &parentAttributes) || !presentable(parentAttributes.visual)) {
        closeDisplayIfUnused();
        return nullptr;
    }
    XSetWindowAttributes attributes{};
    attributes.border_pixel = 0;
    attributes.colormap = parentAttributes.colormap;
    attributes.background_pixmap = None;
    attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
    const ::Window id = XCreateWindow(connection, parentId, 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, parentAttributes.depth, InputOutput,
                                      parentAttributes.visual, CWBorderPixel | CWColormap | CWBackPixmap | CWEventMask,
                                      &attributes);
    XStoreName(connection, id, "Window");
    XMapWindow(connection, id);
    XFlush(connection);
    return std::make_unique<X11Window>(*this, id, parentAttributes.visual, parentAttributes.depth, width, height,
                                       handler);
}

void X11Platform::readPointerMapping() {
    unsigned char map[32] = {};
    const int count = XGetPointerMapping(connection, map, sizeof map);
    for (int i = 0; i < 3; ++i) buttonMap[i] = i < count ? map[i] : static_cast<unsigned char>(i + 1);
}

// The physical buttons, as the native calls report them: X reports logical buttons, which
// the pointer mapping makes of the physical ones (a left-handed mapping makes the physical
// right button logical button 1).
InputState X11Platform::inputFromMask(unsigned int mask) const {
    const auto held = [mask](unsigned char logical) {
        return logical >= 1 && logical <= 5 && (mask & (Button1Mask << (logical - 1))) != 0;
    };
    return {.left = held(buttonMap[0]),
            .middle = held(buttonMap[1]),
            .right = held(buttonMap[2]),
            .shift = (mask & ShiftMask) != 0,
            .control = (mask & ControlMask) != 0,
            .alt = (mask & Mod1Mask) != 0};
}

void X11Platform::beginPress(unsigned int stateMask) { pressed = stateMask; }

InputState X11Platform::inputState() {
    if (!connection) return SoftwarePlatform::inputState();
    if (pressed) return inputFromMask(*pressed);
    ::Window root = 0;
    ::Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(connection, DefaultRootWindow(connection), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return inputFromMask(mask);
}

PixelPoint X11Platform::cursorPosition() {
    if (!connection) return SoftwarePlatform::cursorPosition();
    pressed.reset();
    ::Window root = 0;
    ::Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(connection, DefaultRootWindow(connection), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
}

// Physical left and right buttons swapped, as a left-handed pointer mapping swaps them.
bool X11Platform::buttonsSwapped() {
    if (!connection) return SoftwarePlatform::buttonsSwapped();
    return buttonMap[0] == 3 && buttonMap[2] == 1;
}

std::uint32_t X11Platform::tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void X11Platform::sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool X11Platform::dispatchOnePendingPaint() {
    if (!connection) return SoftwarePlatform::dispatchOnePendingPaint();
    XEvent event;
    if (!XCheckTypedEvent(connection, Expose, &event)) return false;
    dispatch(event);
    return true;
}

// Only the events that have arrived: events that the dispatching itself causes wait for the
// next idle. A paint takes the window's other exposures out of the queue, so the queue is
// asked again before each read, which then never blocks. Nested calls (an idle inside a drag,
// which runs inside a button press) return.
void X11Platform::dispatchPendingEvents() {
    if (!connection || dispatching) return;
    for (int count = XPending(connection); count > 0 && connection && XEventsQueued(connection, QueuedAlready) > 0;
         --count) {
        XEvent event;
        XNextEvent(connection, &event);
        dispatch(event);
    }
}

void X11Platform::dispatch(XEvent& event) {
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingPointer) readPointerMapping();
        if (event.xmapping.request == MappingKeyboard) XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    const auto found = targets.find(event.xany.window);
    if (found == targets.end()) return;
    const bool nested = dispatching;
    dispatching = true;
    found->second->handleEvent(event);
    dispatching = nested;
}

void X11Platform::setClickedWindow(::Window window) { clickedTopLevel = topLevelOf(connection, window); }

void X11Platform::messageBox(const std::string& text, const std::string& caption, double scale) {
    if (!connection) return SoftwarePlatform::messageBox(text, caption, scale);
    runMessageBox(*this, text, caption, scale);
}

double X11Platform::desktopScale() { return x11::desktopScale(); }

}  // namespace platform::x11
