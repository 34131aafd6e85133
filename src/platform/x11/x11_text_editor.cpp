#include "platform/x11/x11_text_editor.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

#include "platform/software/software_surface.h"

namespace platform::x11 {

namespace {

// The selection's colours: white on the system highlight blue.
constexpr ColourRef kHighlight = makeColourRef(0, 120, 215);
constexpr ColourRef kHighlightText = makeColourRef(255, 255, 255);

int widthOf(const PixelRect& r) { return r.right - r.left; }
int heightOf(const PixelRect& r) { return r.bottom - r.top; }

// Printable characters of the 8-bit text: ASCII and the Latin-1 upper half.
bool printable(unsigned char c) { return (c >= 0x20 && c < 0x7F) || c >= 0xA0; }

// The window that had the focus may be gone or unmapped when the focus goes back, which X
// answers with an error. A handler of the host's installed after the backend's would take
// that error for its own, so one of ours stands for the moment of the call; other
// connections' errors still go to the handler before it.
Display* quietDisplay = nullptr;
XErrorHandler handlerBefore = nullptr;

int ignoreQuietDisplay(Display* display, XErrorEvent* error) {
    if (display == quietDisplay) return 0;
    return handlerBefore ? handlerBefore(display, error) : 0;
}

bool viewable(Display* display, ::Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

}  // namespace

X11TextEditor::X11TextEditor(X11Platform& owner, ::Window parent, Visual* visual, int depth,
                             const TextEditorSetup& editorSetup, TextEditorListener& editorListener)
    : platform(owner),
      setup(editorSetup),
      listener(editorListener),
      model(editorSetup.text, editorSetup.limit),
      pixels(std::max(widthOf(setup.placement), 1), std::max(heightOf(setup.placement), 1)) {
    Display* display = platform.display();
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | FocusChangeMask;
    window = XCreateWindow(display, parent, setup.placement.left, setup.placement.top,
                           static_cast<unsigned>(pixels.width()), static_cast<unsigned>(pixels.height()), 0,
                           depth, InputOutput, visual, CWEventMask, &attributes);
    presenter = std::make_unique<Presenter>(display, window, visual, depth, pixels.width(), pixels.height());
    platform.addTarget(window, *this);
    XMapWindow(display, window);
    XGetInputFocus(display, &previousFocus, &previousRevert);
    // Fails harmlessly (and is trapped) while the frame is not viewable.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    render();
}

// Destroying the window exposes the field below it, which the frame then paints.
X11TextEditor::~X11TextEditor() {
    platform.removeTarget(window);
    restoreFocus();
    presenter.reset();
    XDestroyWindow(platform.display(), window);
    XFlush(platform.display());
}

void X11TextEditor::handleEvent(XEvent& event) {
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) presenter->put(pixels, {0, 0, pixels.width(), pixels.height()});
        break;
    case KeyPress: keyPressed(event.xkey); break;
    case ButtonPress: {
        const int x = event.xbutton.x - textOrigin();
        std::size_t best = 0;
        for (std::size_t i = 1; i <= model.text().size(); ++i)
            if (std::abs(textWidth(0, i) - x) < std::abs(textWidth(0, best) - x)) best = i;
        model.placeCaret(best);
        render();
        break;
    }
    case FocusOut:
        // Grabs (a window manager's key bindings, a menu) take the focus only for a moment.
        if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab) break;
        if (event.xfocus.detail == NotifyPointer || event.xfocus.detail == NotifyInferior) break;
        listener.editorFocusLost();  // may destroy this editor: nothing may follow
        break;
    default: break;
    }
}

// Only while the focus is still ours: a click into another window has given it to that one.
void X11TextEditor::restoreFocus() {
    Display* display = platform.display();
    ::Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus != window || previousFocus == None) return;
    XSync(display, False);  // earlier requests' errors go to the handler they belong to
    quietDisplay = display;
    handlerBefore = XSetErrorHandler(ignoreQuietDisplay);
    if (previousFocus == PointerRoot || viewable(display, previousFocus))
        XSetInputFocus(display, previousFocus, previousRevert, CurrentTime);
    XSync(display, False);
    XSetErrorHandler(handlerBefore);
    quietDisplay = nullptr;
}

void X11TextEditor::keyPressed(XKeyEvent& key) {
    char typed[8] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
    const bool shift = (key.state & ShiftMask) != 0;
    const bool control = (key.state & ControlMask) != 0;
    switch (symbol) {
    case XK_Return:
    case XK_KP_Enter:
        listener.editorReturnPressed();  // destroys this editor: nothing may follow
        return;
    case XK_Escape:
        // Ends the edit with the text it began with, so the field sees no change.
        model = LineEdit(setup.text, setup.limit);
        listener.editorFocusLost();  // destroys this editor: nothing may follow
        return;
    case XK_BackSpace: model.backspace(); break;
    case XK_Delete:
    case XK_KP_Delete: model.erase(); break;
    case XK_Home:
    case XK_KP_Home: model.home(shift); break;
    case XK_End:
    case XK_KP_End: model.end(shift); break;
    case XK_Left:
    case XK_KP_Left: model.left(shift); break;
    case XK_Right:
    case XK_KP_Right: model.right(shift); break;
    default:
        if (control && (symbol == XK_a || symbol == XK_A)) {
            model.selectAll();
        } else if (count == 1 && !control && printable(static_cast<unsigned char>(typed[0]))) {
            model.type(typed[0]);
        } else {
            return;
        }
    }
    render();
}

int X11TextEditor::textWidth(std::size_t from, std::size_t to) {
    const std::string part = model.text().substr(from, to - from);
    return platform.textRenderer().textWidth(part.c_str(), setup.font);
}

// Where the text starts in the window: placed by the alignment while it fits, otherwise
// scrolled just enough to keep the caret inside.
int X11TextEditor::textOrigin() {
    const int width = pixels.width();
    const int whole = textWidth(0, model.text().size());
    if (whole < width) {
        scroll = 0;
        if (setup.align == TextAlign::centre) return (width - whole) / 2;
        if (setup.align == TextAlign::right) return width - 1 - whole;
        return 0;
    }
    const int caretX = textWidth(0, model.caret());
    scroll = std::clamp(scroll, caretX - (width - 1), caretX);
    scroll = std::clamp(scroll, 0, whole - (width - 1));
    return -scroll;
}

void X11TextEditor::drawRun(Surface& surface, std::size_t from, std::size_t to, int x,
                            bool selected) {
    if (from >= to) return;
    const std::string part = model.text().substr(from, to - from);
    const PixelRect box{x, 0, x + textWidth(from, to), pixels.height()};
    if (selected) {
        surface.setBrush(kHighlight);
        surface.fillRect(box);
    }
    surface.setTextColour(selected ? kHighlightText : setup.textColour);
    surface.drawText(part.c_str(), box, TextAlign::left, false);
}

void X11TextEditor::render() {
    software::SoftwareSurface surface(pixels, platform.textRenderer());
    surface.setBrush(setup.backColour);
    surface.fillRect({0, 0, pixels.width(), pixels.height()});
    surface.setFont(setup.font);
    const int origin = textOrigin();
    const std::size_t start = model.selectionStart();
    const std::size_t end = model.selectionEnd();
    drawRun(surface, 0, start, origin, false);
    drawRun(surface, start, end, origin + textWidth(0, start), true);
    drawRun(surface, end, model.text().size(), origin + textWidth(0, end), false);
    if (!model.hasSelection()) {
        const int x = origin + textWidth(0, model.caret());
        surface.setPen(PenStyle::solid, 1, setup.textColour);
        surface.moveTo({x, 1});
        surface.lineTo({x, pixels.height() - 1});
    }
    presenter->put(pixels, {0, 0, pixels.width(), pixels.height()});
}

}  // namespace platform::x11
