// The editor on the X11 backend inside a window that the test creates on a private X server,
// driven by XTEST input as a user drives it: the pixels on the server, gestures reaching the
// host, typing into a value box, the About box, repeated opening and the host destroying
// its window. The host's idle calls deliver the events, as a Linux host's editor idle does.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "editor/delay_editor.h"
#include "editor/editor_layout.h"
#include "vst2/delay_plugin.h"
#include "gui/text_field.h"
#include "vst2/plugin_entry.h"
#include "platform/software/png_writer.h"
#include "platform/software/software_platform.h"
#include "x_server.h"

// Xlib's macros (None, Bool, Status) come after the headers they would break.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "platform/x11/x11_platform.h"

namespace {

using namespace std::chrono_literals;
using platform::ColourRef;
using Clock = std::chrono::steady_clock;

struct Call {
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

class X11EditorTest;
X11EditorTest* current = nullptr;

// Waits, checking again every millisecond, until `done` or the time is up.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Pixels of a window on the server as colour references.
std::vector<ColourRef> capture(Display* x, ::Window window, int width, int height) {
    XImage* image = XGetImage(x, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                              ZPixmap);
    std::vector<ColourRef> out;
    if (!image) return out;
    for (int y = 0; y < height; ++y)
        for (int px = 0; px < width; ++px) {
            const unsigned long p = XGetPixel(image, px, y);
            out.push_back(platform::makeColourRef(static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                                  static_cast<std::uint8_t>(p)));
        }
    XDestroyImage(image);
    return out;
}

void savePng(const std::vector<ColourRef>& pixels, int width, int height, const std::string& path) {
    platform::software::SoftwareImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.set(x, y, pixels[static_cast<std::size_t>(y * width + x)]);
    platform::software::writePng(image, path);
}

// A top-level window with a name and no window manager to move it: where it was put. The
// server is grabbed while the tree is read, so that a window the editor destroys meanwhile
// (the About box closing) cannot vanish between the listing and the questions about it,
// which would be an X error that ends the test process.
::Window findViewable(Display* x, const char* name) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window found = 0;
    XGrabServer(x);
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) count = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        XWindowAttributes a;
        if (XFetchName(x, children[i], &title) && title) {
            if (std::string(title) == name && XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable)
                found = children[i];
            XFree(title);
        }
    }
    XUngrabServer(x);
    XSync(x, False);
    if (children) XFree(children);
    return found;
}

int childCount(Display* x, ::Window window) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x, window, &root, &parent, &children, &count)) return -1;
    if (children) XFree(children);
    return static_cast<int>(count);
}

class X11EditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { XInitThreads(); }

    void SetUp() override {
        std::string reason;
        const std::string name = xtest::XServer::display(reason);
        if (name.empty()) GTEST_SKIP() << reason;
        x = XOpenDisplay(name.c_str());
        ASSERT_NE(x, nullptr) << "cannot open " << name;
        int unused = 0;
        ASSERT_TRUE(XTestQueryExtension(x, &unused, &unused, &unused, &unused)) << "the server has no XTEST";
        current = this;
        previous = platform::installServices(&system);
        installed = true;
        effect = createPlugin(host);
        ASSERT_NE(effect, nullptr);
        parent = makeParent();
    }

    void TearDown() override {
        for (AEffect* e : {effect, secondEffect})
            if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        if (installed) platform::installServices(previous);
        if (x) XCloseDisplay(x);
        current = nullptr;
    }

    static VstIntPtr VSTCALL host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
        if (opcode == audioMasterVersion) return 2400;
        current->calls.push_back({opcode, index, opt});
        if (opcode == audioMasterIdle && current->onHostIdle) current->onHostIdle();
        return 0;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr, AEffect* e = nullptr) {
        e = e ? e : effect;
        return e->dispatcher(e, opcode, 0, value, ptr, 0.0f);
    }
    DelayEditor* editorOf(AEffect* e) {
        return static_cast<DelayPlugin*>(EffectBase::fromRecord(e))->getDelayEditor();
    }
    DelayEditor* editor() { return editorOf(effect); }

    ::Window makeParent(int left = 0, int top = 0) {
        const ::Window w = XCreateSimpleWindow(x, DefaultRootWindow(x), left, top, 640, 400, 0, 0, 0);
        XSelectInput(x, w, StructureNotifyMask);
        XMapWindow(x, w);
        XEvent event;
        waitUntil([&] { return XCheckTypedWindowEvent(x, w, MapNotify, &event) == True; });
        return w;
    }

    // Opens the editor in `window` and idles until the first paint has been served.
    void openIn(::Window window, AEffect* e = nullptr) {
        e = e ? e : effect;
        ASSERT_EQ(dispatch(effEditOpen, 0, reinterpret_cast<void*>(window), e), 1);
        ASSERT_NE(editorOf(e)->getFrame(), nullptr);
        ASSERT_TRUE(idleUntil([&] { return !editorOf(e)->getFrame()->isFirstPaintPending(); }, e));
    }

    bool idleUntil(const std::function<bool()>& done, AEffect* e = nullptr) {
        return waitUntil([&] {
            dispatch(effEditIdle, 0, nullptr, e);
            return done();
        });
    }

    // Pointer and keys through XTEST, at window coordinates of the parent.
    void moveTo(Point p) {
        int rootX = 0, rootY = 0;
        ::Window child = 0;
        XTranslateCoordinates(x, parent, DefaultRootWindow(x), p.x, p.y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(x, DefaultScreen(x), rootX, rootY, CurrentTime);
        XSync(x, False);
    }
    void button(unsigned int number, bool down) {
        XTestFakeButtonEvent(x, number, down ? True : False, CurrentTime);
        XSync(x, False);
    }
    void click(Point p, unsigned int number = 1) {
        moveTo(p);
        button(number, true);
        button(number, false);
    }
    // Presses at `centre`; the host's idle calls inside the press then move the pointer up by
    // `step` and by twice that and let go, as a user does while the knob follows (counted in
    // dragSteps).
    void startDragUp(Point centre, int step) {
        dragSteps = 0;
        onHostIdle = [this, centre, step] {
            if (dragSteps == 0) moveTo({centre.x, centre.y - step});
            if (dragSteps == 1) moveTo({centre.x, centre.y - 2 * step});
            if (dragSteps == 2) button(1, false);
            ++dragSteps;
        };
        moveTo(centre);
        button(1, true);
    }
    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(x, symbol);
        XTestFakeKeyEvent(x, code, True, CurrentTime);
        XTestFakeKeyEvent(x, code, False, CurrentTime);
        XSync(x, False);
    }

    std::vector<Call> gestures(VstInt32 index) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if ((c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit ||
                 c.opcode == audioMasterEndEdit) && c.index == index)
                out.push_back(c);
        return out;
    }
    bool ended(VstInt32 index) const {
        for (const Call& c : calls)
            if (c.opcode == audioMasterEndEdit && c.index == index) return true;
        return false;
    }
    // Expects begin, at least one automation and end, in that order, and nothing else.
    void expectGesture(VstInt32 index) {
        const auto seen = gestures(index);
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front().opcode, audioMasterBeginEdit);
        EXPECT_EQ(seen.back().opcode, audioMasterEndEdit);
        for (std::size_t i = 1; i + 1 < seen.size(); ++i) EXPECT_EQ(seen[i].opcode, audioMasterAutomate);
    }

    // Expects exactly begin, one automation with `value`, and end, as a knob click gives.
    void expectTypedGesture(VstInt32 index, float value) {
        const auto seen = gestures(index);
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0].opcode, audioMasterBeginEdit);
        EXPECT_EQ(seen[1].opcode, audioMasterAutomate);
        EXPECT_EQ(seen[1].value, value);
        EXPECT_EQ(seen[2].opcode, audioMasterEndEdit);
    }

    Point centreOf(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    Rect boundsOf(View* view) {
        Rect r;
        view->getBounds(r);
        return r;
    }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }

    // The editor's window as the software backend draws it, in a plug-in of its own. Taken
    // while no other editor is open: the window class is registered with the first frame.
    std::vector<ColourRef> softwareSnapshot() {
        platform::software::SoftwarePlatform software;
        platform::Services* mine = platform::installServices(&software);
        AEffect* e = createPlugin(host);
        platform::software::ParentWindow origin{};
        e->dispatcher(e, effEditOpen, 0, 0, &origin, 0.0f);
        software.dispatchOnePendingPaint();
        const auto& pixels = software.openWindows().at(0)->pixels();
        std::vector<ColourRef> out;
        for (int y = 0; y < 400; ++y)
            for (int px = 0; px < 640; ++px) out.push_back(pixels.at(px, y));
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        platform::installServices(mine);
        return out;
    }
    void expectPixels(const std::vector<ColourRef>& expected, ::Window window, const std::string& name) {
        const auto shown = capture(x, window, 640, 400);
        ASSERT_EQ(shown.size(), expected.size());
        int differing = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) differing += shown[i] != expected[i];
        EXPECT_EQ(differing, 0);
        savePng(shown, 640, 400, std::string(X11_TEST_OUTPUT_DIR) + "/" + name + ".png");
        if (differing) savePng(expected, 640, 400, std::string(X11_TEST_OUTPUT_DIR) + "/" + name + "-expected.png");
    }

    Display* x = nullptr;
    platform::x11::X11Platform system;
    platform::Services* previous = nullptr;
    bool installed = false;
    AEffect* effect = nullptr;
    AEffect* secondEffect = nullptr;
    ::Window parent = 0;
    std::vector<Call> calls;
    std::function<void()> onHostIdle;
    int dragSteps = 0;
};

TEST_F(X11EditorTest, WindowShowsExactlyTheSoftwareBackendsPixels) {
    const auto expected = softwareSnapshot();
    openIn(parent);
    EXPECT_EQ(childCount(x, parent), 1);
    expectPixels(expected, parent, "x11-editor");
}

TEST_F(X11EditorTest, KnobDragMovesTheKnobAndFramesItsAutomationWithBeginAndEnd) {
    effect->setParameter(effect, 2, 0.5f);
    dispatch(effSetEditKnobMode, 2);  // linear: up raises the value
    openIn(parent);
    startDragUp(centreOf(editorlayout::controlRect(editorlayout::kCells[2])), 20);
    ASSERT_TRUE(idleUntil([&] { return ended(2); }));
    expectGesture(2);
    EXPECT_GT(get(2), 0.5f);
    EXPECT_GE(dragSteps, 3);
}

TEST_F(X11EditorTest, SwitchDragTakesThePositionUnderThePointer) {
    openIn(parent);
    const Rect r = editorlayout::controlRect(editorlayout::kCells[OriginFilterType]);
    int step = 0;
    onHostIdle = [&] {
        if (step == 0) moveTo({r.left + 20, r.top + 40});  // the last of four positions
        if (step == 1) button(1, false);
        ++step;
    };
    moveTo({r.left + 20, r.top + 2});
    button(1, true);
    ASSERT_TRUE(idleUntil([&] { return ended(OriginFilterType); }));
    expectGesture(OriginFilterType);
    EXPECT_EQ(get(OriginFilterType), 1.0f);
}

// Typing goes to the field's editor, which starts with all of its text selected. The host
// hears of the value as it hears of a knob click.
TEST_F(X11EditorTest, TypedValueAndReturnSetTheParameterAsOneGestureToTheHost) {
    openIn(parent);
    TextField* box = editor()->cell(0).valueBox;
    click(centreOf(boundsOf(box)));
    ASSERT_TRUE(idleUntil([&] { return box->isEditing(); }));
    for (KeySym k : {XK_1, XK_5, XK_9, XK_BackSpace, XK_0, XK_Return}) key(k);
    ASSERT_TRUE(idleUntil([&] { return !box->isEditing(); }));
    EXPECT_TRUE(box->wasReturnPressed());
    EXPECT_EQ(get(0), 0.75f);
    char text[256] = {};
    box->getText(text);
    EXPECT_STREQ(text, "150.0000%");
    expectTypedGesture(0, 0.75f);
}

TEST_F(X11EditorTest, ClickElsewhereEndsTheEditAndKeepsTheTypedValue) {
    openIn(parent);
    TextField* box = editor()->cell(0).valueBox;
    click(centreOf(boundsOf(box)));
    ASSERT_TRUE(idleUntil([&] { return box->isEditing(); }));
    for (KeySym k : {XK_5, XK_0, XK_Home, XK_1, XK_End, XK_Left, XK_Delete}) key(k);  // "15"
    click({5, 5});  // the background, no control
    ASSERT_TRUE(idleUntil([&] { return !box->isEditing(); }));
    EXPECT_FALSE(box->wasReturnPressed());
    EXPECT_EQ(get(0), 0.075f);
    expectTypedGesture(0, 0.075f);
}

TEST_F(X11EditorTest, ARefusedTypedValueTellsTheHostNothing) {
    openIn(parent);
    TextField* box = editor()->cell(OriginCutoff).valueBox;
    click(centreOf(boundsOf(box)));
    ASSERT_TRUE(idleUntil([&] { return box->isEditing(); }));
    for (KeySym k : {XK_9, XK_0, XK_0, XK_0, XK_Return}) key(k);  // above the 8000 Hz full scale
    ASSERT_TRUE(idleUntil([&] { return !box->isEditing(); }));
    EXPECT_EQ(get(OriginCutoff), 1.0f);
    EXPECT_TRUE(gestures(OriginCutoff).empty());
}

// The host's window holds the keyboard focus, as a host's does around its plug-in. An open box
// takes it and keeps every key from the host; however the box closes, the focus goes back to
// the host's window, whose next key then reaches it. Escape closes the box without a change
// and tells the host nothing.
TEST_F(X11EditorTest, AClosingValueBoxHandsTheFocusBackToTheHostsWindow) {
    struct Case {
        const char* closing;
        std::function<void()> close;
        bool changes;
    };
    const Case cases[] = {
        {"Return", [&] { key(XK_Return); }, true},
        {"Escape", [&] { key(XK_Escape); }, false},
        {"a click elsewhere", [&] { click({5, 5}); }, true},
    };
    XSelectInput(x, parent, StructureNotifyMask | KeyPressMask);
    openIn(parent);
    TextField* box = editor()->cell(0).valueBox;
    XEvent event;
    const auto hostGotAKey = [&] { return XCheckTypedWindowEvent(x, parent, KeyPress, &event) == True; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.closing);
        effect->setParameter(effect, 0, 0.5f);
        calls.clear();
        XSetInputFocus(x, parent, RevertToParent, CurrentTime);
        click(centreOf(boundsOf(box)));
        ASSERT_TRUE(idleUntil([&] { return box->isEditing(); }));
        for (KeySym k : {XK_5, XK_0, XK_Home, XK_End}) key(k);  // "50"; Home and End are keys hosts use too
        c.close();
        ASSERT_TRUE(idleUntil([&] { return !box->isEditing(); }));
        EXPECT_FALSE(hostGotAKey());
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(x, &focus, &revert);
        EXPECT_EQ(focus, parent);
        key(XK_space);
        EXPECT_TRUE(waitUntil(hostGotAKey));
        if (c.changes) {
            expectTypedGesture(0, 0.25f);
        } else {
            EXPECT_EQ(get(0), 0.5f);
            EXPECT_TRUE(gestures(0).empty());
        }
    }
}

// The About box blocks the idle call that delivered the click until it is dismissed, so the
// user is played by a second thread on a connection of its own: it waits for the box, clicks
// its OK button (centred, `okFromBottom` pixels above the bottom edge to the button's middle)
// and watches the box go. Should the click miss, Escape closes the box, so that the test
// fails instead of waiting for ever in the modal box.
struct AboutBoxUser {
    std::atomic<bool> shown = false;
    std::atomic<bool> closedByOk = false;
    std::atomic<int> width = 0;
    std::thread thread;

    explicit AboutBoxUser(int okFromBottom) : thread([this, okFromBottom] { play(okFromBottom); }) {}
    ~AboutBoxUser() { join(); }
    AboutBoxUser(const AboutBoxUser&) = delete;
    AboutBoxUser& operator=(const AboutBoxUser&) = delete;

    void join() {
        if (thread.joinable()) thread.join();
    }

private:
    void play(int okFromBottom) {
        Display* own = XOpenDisplay(nullptr);
        ::Window box = 0;
        waitUntil([&] { return (box = findViewable(own, "About")) != 0; }, 10000ms);
        if (box) {
            shown = true;
            XWindowAttributes a;
            XGetWindowAttributes(own, box, &a);
            width = a.width;
            XTestFakeMotionEvent(own, DefaultScreen(own), a.x + a.width / 2, a.y + a.height - okFromBottom, CurrentTime);
            XTestFakeButtonEvent(own, 1, True, CurrentTime);
            XTestFakeButtonEvent(own, 1, False, CurrentTime);
            XSync(own, False);
            closedByOk = waitUntil([&] { return findViewable(own, "About") == 0; }, 2000ms);
            if (!closedByOk) {
                const KeyCode escape = XKeysymToKeycode(own, XK_Escape);
                XTestFakeKeyEvent(own, escape, True, CurrentTime);
                XTestFakeKeyEvent(own, escape, False, CurrentTime);
                XSync(own, False);
            }
        }
        XCloseDisplay(own);
    }
};

// The OK button: 23 pixels high, 12 above the bottom edge.
TEST_F(X11EditorTest, AboutAreaOpensAModalBoxThatOkCloses) {
    openIn(parent);
    AboutBoxUser user(12 + 11);
    click(centreOf(editorlayout::kAboutArea));
    const bool returned = idleUntil([&] { return user.shown.load(); });
    user.join();
    EXPECT_TRUE(returned);
    EXPECT_TRUE(user.shown);
    EXPECT_TRUE(user.closedByOk);
    EXPECT_EQ(findViewable(x, "About"), 0u);
}

TEST_F(X11EditorTest, HundredOpenCloseCyclesLeaveNoWindowAndNoConnection) {
    for (int cycle = 0; cycle < 100; ++cycle) {
        openIn(parent);
        dispatch(effEditClose);
        ASSERT_EQ(system.display(), nullptr) << "cycle " << cycle;
    }
    EXPECT_EQ(childCount(x, parent), 0);
}

TEST_F(X11EditorTest, HostDestroyingItsWindowFirstIsSurvivedAndTheEditorOpensAgain) {
    openIn(parent);
    XDestroyWindow(x, parent);
    XSync(x, False);
    ASSERT_TRUE(idleUntil([&] { return !editor()->getFrame()->isWindowOpen(); }));
    dispatch(effEditClose);
    parent = makeParent();
    openIn(parent);
    EXPECT_EQ(childCount(x, parent), 1);
}

TEST_F(X11EditorTest, TwoEditorsShareTheProcessAndOneOutlivesTheOther) {
    const auto expected = softwareSnapshot();
    secondEffect = createPlugin(host);
    const ::Window secondParent = makeParent(100, 100);
    openIn(parent);
    openIn(secondParent, secondEffect);
    dispatch(effEditClose);
    EXPECT_EQ(childCount(x, parent), 0);
    // Hidden and shown again, the remaining editor paints its whole window anew.
    XUnmapWindow(x, secondParent);
    XMapWindow(x, secondParent);
    XSync(x, False);
    EXPECT_TRUE(idleUntil([&] { return capture(x, secondParent, 640, 400) == expected; }, secondEffect));
}

// A left-handed mapping makes the physical right button logical button 1, the one that
// drags; the physical left button then is the secondary one, which controls ignore.
TEST_F(X11EditorTest, SwappedButtonsAsXReportsThemMakeThePrimaryButtonDrag) {
    unsigned char map[32] = {};
    const int buttons = XGetPointerMapping(x, map, sizeof map);
    ASSERT_GE(buttons, 3);
    std::swap(map[0], map[2]);
    ASSERT_EQ(XSetPointerMapping(x, map, buttons), MappingSuccess);
    openIn(parent);
    const Rect r = editorlayout::controlRect(editorlayout::kCells[OriginFilterType]);
    click({r.left + 20, r.top + 40}, 1);  // physical left: secondary
    click({r.left + 20, r.top + 40}, 3);  // physical right: primary
    ASSERT_TRUE(idleUntil([&] { return ended(OriginFilterType); }));
    std::swap(map[0], map[2]);
    XSetPointerMapping(x, map, buttons);
    expectGesture(OriginFilterType);
    EXPECT_EQ(get(OriginFilterType), 1.0f);
}

// A desktop at 192 dots per inch (Xft.dpi in the root window's resource database, as desktops
// publish it): the VST 2 host is told 1280 x 800 and sizes its window so; a knob drag and a
// switch click at doubled coordinates reach the parameters. The database is emptied after.
// Xft.dpi in the display's resource database while it lives, as a desktop publishes it.
class PublishedXftDpi {
public:
    PublishedXftDpi(Display* display, const char* dpi) : x(display), resourceManager(XInternAtom(x, "RESOURCE_MANAGER", False)) {
        const std::string resources = std::string("Xft.dpi:\t") + dpi + "\n";
        XChangeProperty(x, DefaultRootWindow(x), resourceManager, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
        XSync(x, False);
    }
    ~PublishedXftDpi() {
        XDeleteProperty(x, DefaultRootWindow(x), resourceManager);
        XSync(x, False);
    }
    PublishedXftDpi(const PublishedXftDpi&) = delete;
    PublishedXftDpi& operator=(const PublishedXftDpi&) = delete;

private:
    Display* x;
    Atom resourceManager;
};

TEST_F(X11EditorTest, AtXftDpi192TheEditorIsDoubledAndAnswersAtDoubledCoordinates) {
    const PublishedXftDpi published(x, "192");
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 1280);
    EXPECT_EQ(rect->bottom - rect->top, 800);
    XResizeWindow(x, parent, 1280, 800);
    effect->setParameter(effect, 2, 0.5f);
    dispatch(effSetEditKnobMode, 2);  // linear: up raises the value
    openIn(parent);

    const Rect knob = editorlayout::controlRect(editorlayout::kCells[2]);
    startDragUp({knob.left + knob.right, knob.top + knob.bottom}, 40);  // the centre, doubled
    ASSERT_TRUE(idleUntil([&] { return ended(2); }));
    expectGesture(2);
    EXPECT_GT(get(2), 0.5f);

    const Rect filterSwitch = editorlayout::controlRect(editorlayout::kCells[OriginFilterType]);
    onHostIdle = nullptr;
    click({2 * (filterSwitch.left + 20), 2 * (filterSwitch.top + 40)});  // the last of four positions
    ASSERT_TRUE(idleUntil([&] { return ended(OriginFilterType); }));
    EXPECT_EQ(get(OriginFilterType), 1.0f);
}

// The About box at the editor's scale: at 2 at least twice its smallest width, 200, and its
// OK button twice as high and as far above the bottom edge, where a click closes it. The
// button of scale 1 lies below that point.
TEST_F(X11EditorTest, AtXftDpi192TheAboutBoxIsDrawnAtTheEditorsScale) {
    const PublishedXftDpi published(x, "192");
    XResizeWindow(x, parent, 1280, 800);
    openIn(parent);
    AboutBoxUser user(24 + 23);
    const Point about = centreOf(editorlayout::kAboutArea);
    click({2 * about.x, 2 * about.y});
    const bool returned = idleUntil([&] { return user.shown.load(); });
    user.join();
    EXPECT_TRUE(returned);
    ASSERT_TRUE(user.shown);
    EXPECT_TRUE(user.closedByOk);
    EXPECT_GE(user.width.load(), 400);
}

TEST(X11WithoutDisplayTest, NoDisplayMeansNoWindowAndNoConnection) {
    const char* saved = std::getenv("DISPLAY");
    const std::string restore = saved ? saved : "";
    setenv("DISPLAY", ":9999", 1);  // no server listens there
    platform::x11::X11Platform system;
    system.registerWindowClass("Plugin00000000");
    struct : platform::WindowHandler {
        void windowPaint(platform::Surface&, const platform::PixelRect&) override {}
        void windowButtonDown(platform::Surface&, platform::PixelPoint) override {}
        void windowDestroyed() override {}
        void windowDrop(char**, int, int) override {}
    } handler;
    EXPECT_EQ(system.createChildWindow("Plugin00000000", reinterpret_cast<void*>(0x400001), 640, 400, handler), nullptr);
    EXPECT_EQ(system.display(), nullptr);
    if (saved) setenv("DISPLAY", restore.c_str(), 1); else unsetenv("DISPLAY");
}

}  // namespace
