#include "platform/x11/x11_message_box.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <vector>

#include "platform/software/software_surface.h"
#include "platform/x11/presenter.h"

namespace platform::x11 {

namespace {

constexpr ColourRef kFace = makeColourRef(240, 240, 240);
constexpr ColourRef kText = makeColourRef(0, 0, 0);
constexpr ColourRef kButton = makeColourRef(225, 225, 225);
constexpr ColourRef kButtonPressed = makeColourRef(204, 228, 247);
constexpr ColourRef kButtonEdge = makeColourRef(0, 120, 215);

// The box's lengths at a scale: those of scale 1 multiplied and rounded down, the text's size
// rounded to the nearest pixel, as the editor rounds them.
struct Metrics {
    explicit Metrics(double scale)
        : margin(scaled(20, scale)), buttonWidth(scaled(75, scale)), buttonHeight(scaled(23, scale)),
          buttonGap(scaled(12, scale)), buttonEdge(scaled(1, scale)), minimumWidth(scaled(200, scale)),
          textHeight(static_cast<int>(12 * scale + 0.5)) {}
    static int scaled(int length, double scale) { return static_cast<int>(length * scale); }

    int margin;
    int buttonWidth;
    int buttonHeight;
    int buttonGap;  // below the button
    int buttonEdge;
    int minimumWidth;
    int textHeight;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

bool inside(const PixelRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool isInput(int type) {
    return type == ButtonPress || type == ButtonRelease || type == KeyPress || type == KeyRelease ||
           type == MotionNotify;
}

class MessageBox {
public:
    MessageBox(X11Platform& owner, const std::string& text, const std::string& caption, double scale);
    ~MessageBox();
    MessageBox(const MessageBox&) = delete;
    MessageBox& operator=(const MessageBox&) = delete;

    void run();

private:
    void createWindow(const std::string& caption);
    void placeOverOwner();
    void render();
    void handle(XEvent& event);

    X11Platform& platform;
    Display* display;
    Metrics metrics;
    FontDescription font;
    std::vector<std::string> lines;
    int lineHeight = 0;
    software::SoftwareImage pixels;
    PixelRect button;
    ::Window window = 0;
    std::unique_ptr<Presenter> presenter;
    Atom deleteWindow = 0;
    bool held = false;
    bool done = false;
};

software::SoftwareImage sizedFor(software::TextRenderer& text, const FontDescription& font, const Metrics& m,
                                 const std::vector<std::string>& lines) {
    int widest = m.buttonWidth;
    for (const std::string& line : lines) widest = std::max(widest, text.textWidth(line.c_str(), font));
    const int height =
        m.margin + static_cast<int>(lines.size()) * text.lineHeight(font) + m.margin + m.buttonHeight + m.buttonGap;
    return software::SoftwareImage(std::max(widest + 2 * m.margin, m.minimumWidth), height, false, kFace);
}

MessageBox::MessageBox(X11Platform& owner, const std::string& text, const std::string& caption, double scale)
    : platform(owner),
      display(owner.display()),
      metrics(scale),
      font{.face = "Arial", .pixelHeight = metrics.textHeight},
      lines(linesOf(text)),
      lineHeight(owner.textRenderer().lineHeight(font)),
      pixels(sizedFor(owner.textRenderer(), font, metrics, lines)) {
    const int left = (pixels.width() - metrics.buttonWidth) / 2;
    const int top = pixels.height() - metrics.buttonGap - metrics.buttonHeight;
    button = {left, top, left + metrics.buttonWidth, top + metrics.buttonHeight};
    createWindow(caption);
}

MessageBox::~MessageBox() {
    presenter.reset();
    XDestroyWindow(display, window);
    XFlush(display);
}

void MessageBox::createWindow(const std::string& caption) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask;
    window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(pixels.width()),
                           static_cast<unsigned>(pixels.height()), 0, DefaultDepth(display, screen), InputOutput,
                           DefaultVisual(display, screen), CWBackPixel | CWEventMask, &attributes);
    presenter = std::make_unique<Presenter>(display, window, DefaultVisual(display, screen),
                                            DefaultDepth(display, screen), pixels.width(), pixels.height());
    XStoreName(display, window, caption.c_str());
    if (platform.activeTopLevel()) XSetTransientForHint(display, window, platform.activeTopLevel());
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom modal = XInternAtom(display, "_NET_WM_STATE_MODAL", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&modal), 1);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    placeOverOwner();
    render();
    XMapRaised(display, window);
}

// Centred over the window that was clicked, or over the screen; fixed in size.
void MessageBox::placeOverOwner() {
    const int screen = DefaultScreen(display);
    int x = (DisplayWidth(display, screen) - pixels.width()) / 2;
    int y = (DisplayHeight(display, screen) - pixels.height()) / 2;
    if (const ::Window owner = platform.activeTopLevel()) {
        XWindowAttributes a;
        ::Window child = 0;
        int ox = 0;
        int oy = 0;
        if (XGetWindowAttributes(display, owner, &a) &&
            XTranslateCoordinates(display, owner, a.root, 0, 0, &ox, &oy, &child)) {
            x = ox + (a.width - pixels.width()) / 2;
            y = oy + (a.height - pixels.height()) / 2;
        }
    }
    XMoveWindow(display, window, std::max(x, 0), std::max(y, 0));
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->min_width = hints->max_width = pixels.width();
    hints->min_height = hints->max_height = pixels.height();
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
}

void MessageBox::render() {
    software::SoftwareSurface surface(pixels, platform.textRenderer());
    surface.setBrush(kFace);
    surface.fillRect({0, 0, pixels.width(), pixels.height()});
    surface.setFont(font);
    surface.setTextColour(kText);
    int y = metrics.margin;
    for (const std::string& line : lines) {
        surface.drawText(line.c_str(), {metrics.margin, y, pixels.width() - metrics.margin, y + lineHeight},
                         TextAlign::left, false);
        y += lineHeight;
    }
    surface.setBrush(kButtonEdge);
    surface.fillRect(button);
    surface.setBrush(held ? kButtonPressed : kButton);
    const int edge = metrics.buttonEdge;
    surface.fillRect({button.left + edge, button.top + edge, button.right - edge, button.bottom - edge});
    surface.drawText("OK", button, TextAlign::centre, false);
    presenter->put(pixels, {0, 0, pixels.width(), pixels.height()});
}

void MessageBox::handle(XEvent& event) {
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) presenter->put(pixels, {0, 0, pixels.width(), pixels.height()});
        break;
    case MapNotify: XSetInputFocus(display, window, RevertToParent, CurrentTime); break;
    case ButtonPress:
        if (event.xbutton.button != Button1 || !inside(button, event.xbutton.x, event.xbutton.y)) break;
        held = true;
        render();
        break;
    case ButtonRelease:
        if (event.xbutton.button != Button1 || !held) break;
        held = false;
        done = inside(button, event.xbutton.x, event.xbutton.y);
        render();
        break;
    case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        done = key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space;
        break;
    }
    case ClientMessage:
        done = event.xclient.format == 32 && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow;
        break;
    default: break;
    }
}

// Events of the editor windows are still delivered, except input: the box is modal.
void MessageBox::run() {
    if (!presenter->usable()) return;
    while (!done) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window == window) {
            handle(event);
        } else if (!isInput(event.type)) {
            platform.dispatch(event);
        }
    }
}

}  // namespace

void runMessageBox(X11Platform& platform, const std::string& text, const std::string& caption, double scale) {
    MessageBox box(platform, text, caption, scale);
    box.run();
}

}  // namespace platform::x11
