#include "platform/x11/x11_window.h"

#include <algorithm>

#include "platform/software/software_surface.h"
#include "platform/x11/x11_text_editor.h"

namespace platform::x11 {

namespace {

// The class background of the window, shown where nothing has been drawn: button-face grey.
constexpr ColourRef kButtonFace = makeColourRef(240, 240, 240);

PixelRect unite(const PixelRect& a, const PixelRect& b) {
    if (a.left >= a.right || a.top >= a.bottom) return b;
    if (b.left >= b.right || b.top >= b.bottom) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// A software surface that remembers the area its drawing touched and presents that area, with
// any area it was asked to show, when it is released.
class PresentingSurface : public software::SoftwareSurface {
public:
    PresentingSurface(software::SoftwareImage& target, software::TextRenderer& text, Presenter& screen,
                      const PixelRect& shown)
        : SoftwareSurface(target, text), pixels(target), presenter(screen), touched(shown) {}
    ~PresentingSurface() override { presenter.put(pixels, touched); }

    void moveTo(PixelPoint to) override {
        SoftwareSurface::moveTo(to);
        position = to;
    }
    void lineTo(PixelPoint to) override {
        touch({std::min(position.x, to.x), std::min(position.y, to.y), std::max(position.x, to.x) + 1,
               std::max(position.y, to.y) + 1});
        SoftwareSurface::lineTo(to);
        position = to;
    }
    void fillRect(const PixelRect& rect) override {
        touch(rect);
        SoftwareSurface::fillRect(rect);
    }
    void drawText(const char* text, const PixelRect& rect, TextAlign align, bool opaque) override {
        touch(rect);
        SoftwareSurface::drawText(text, rect, align, opaque);
    }
    void blit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination, RasterOp op) override {
        touch(destination);
        SoftwareSurface::blit(source, sourceOrigin, destination, op);
    }
    void transparentBlit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                         ColourRef key) override {
        touch(destination);
        SoftwareSurface::transparentBlit(source, sourceOrigin, destination, key);
    }

private:
    void touch(const PixelRect& rect) { touched = unite(touched, rect); }

    software::SoftwareImage& pixels;
    Presenter& presenter;
    PixelRect touched;
    PixelPoint position;
};

}  // namespace

X11Window::X11Window(X11Platform& owner, ::Window id, Visual* windowVisual, int windowDepth, int width, int height,
                     WindowHandler& windowHandler)
    : platform(owner),
      window(id),
      visual(windowVisual),
      depth(windowDepth),
      presenter(std::make_unique<Presenter>(owner.display(), id, windowVisual, windowDepth, width, height)),
      framebuffer(width, height, false, kButtonFace),
      handler(windowHandler) {
    platform.addTarget(window, *this);
    platform.windowOpened();
}

X11Window::~X11Window() {
    platform.removeTarget(window);
    presenter.reset();
    if (!destroyedByHost) {
        XDestroyWindow(platform.display(), window);
        XFlush(platform.display());
    }
    platform.windowClosed();
}

PixelPoint X11Window::screenOrigin() const {
    Display* display = platform.display();
    int x = 0;
    int y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y};
}

std::unique_ptr<Surface> X11Window::surfaceFor(const PixelRect& shown) {
    return std::make_unique<PresentingSurface>(framebuffer, platform.textRenderer(), *presenter, shown);
}

std::unique_ptr<Surface> X11Window::acquireSurface() { return surfaceFor({}); }

std::unique_ptr<TextEditor> X11Window::createTextEditor(const TextEditorSetup& setup, TextEditorListener& listener) {
    return std::make_unique<X11TextEditor>(platform, window, visual, depth, setup, listener);
}

void X11Window::handleEvent(XEvent& event) {
    switch (event.type) {
    case Expose: paint(event); break;
    case ButtonPress: buttonDown(event.xbutton); break;
    case DestroyNotify:
        if (event.xdestroywindow.window != window) break;
        destroyedByHost = true;
        handler.windowDestroyed();
        break;
    default: break;
    }
}

// One paint for all the exposures waiting, as one paint message covers a window's whole
// update region.
void X11Window::paint(XEvent& first) {
    Display* display = platform.display();
    const XExposeEvent& e = first.xexpose;
    PixelRect area{e.x, e.y, e.x + e.width, e.y + e.height};
    XEvent more;
    while (XCheckTypedWindowEvent(display, window, Expose, &more))
        area = unite(area, {more.xexpose.x, more.xexpose.y, more.xexpose.x + more.xexpose.width,
                            more.xexpose.y + more.xexpose.height});
    const auto surface = surfaceFor(area);
    handler.windowPaint(*surface, area);
}

// Buttons 4 and up are the wheel and extra buttons, which send no button-down message.
void X11Window::buttonDown(const XButtonEvent& press) {
    if (press.button < Button1 || press.button > Button3) return;
    platform.setClickedWindow(window);
    platform.beginPress(press.state | (Button1Mask << (press.button - Button1)));
    {
        const auto surface = surfaceFor({});
        handler.windowButtonDown(*surface, {press.x, press.y});
    }
    platform.endPress();
}

}  // namespace platform::x11
