// The LV2 editor as a host runs it: its binary found through lilv and loaded with dlopen, its
// window embedded in a parent window of a private Xvfb server, idled through the idle
// interface, and the pointer and keys driven through XTEST.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "editor/editor_layout.h"
#include "lv2/ports.h"
#include "platform/x11/x_server.h"

// Xlib last: its macros (None, Status, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace std::chrono_literals;

namespace {

constexpr const char* kUri = "urn:quorvane:vellumine";
constexpr const char* kUiUri = "urn:quorvane:vellumine#ui";

struct Write {
    std::uint32_t port;
    float value;
};
struct Touch {
    std::uint32_t port;
    bool grabbed;
};

// The UI binary's path, as lilv reports it from the bundle's Turtle.
std::string uiBinary() {
    LilvWorld* world = lilv_world_new();
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, VELLUMINE_LV2_BUNDLE "/");
    lilv_world_load_bundle(world, bundle);
    LilvNode* uri = lilv_new_uri(world, kUri);
    std::string path;
    if (const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri)) {
        LilvUIs* uis = lilv_plugin_get_uis(plugin);
        LILV_FOREACH (uis, it, uis) {
            const LilvUI* ui = lilv_uis_get(uis, it);
            if (std::string(lilv_node_as_uri(lilv_ui_get_uri(ui))) != kUiUri) continue;
            char* file = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
            path = file;
            lilv_free(file);
        }
        lilv_uis_free(uis);
    }
    lilv_node_free(uri);
    lilv_node_free(bundle);
    lilv_world_free(world);
    return path;
}

std::vector<::Window> childrenOf(Display* x, ::Window window) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> out;
    if (!XQueryTree(x, window, &root, &parent, &children, &count)) return out;
    out.assign(children, children + count);
    if (children) XFree(children);
    return out;
}

// A viewable top-level window with this name (no window manager runs to reparent it). The
// server is grabbed while the tree is read: a window destroyed between the listing and the
// questions about it would be an X error that ends the test process.
::Window findViewable(Display* x, const char* name) {
    ::Window found = 0;
    XGrabServer(x);
    for (::Window child : childrenOf(x, DefaultRootWindow(x))) {
        char* title = nullptr;
        XWindowAttributes a;
        if (XFetchName(x, child, &title) && title) {
            if (std::string(title) == name && XGetWindowAttributes(x, child, &a) && a.map_state == IsViewable)
                found = child;
            XFree(title);
        }
    }
    XUngrabServer(x);
    XSync(x, False);
    return found;
}

std::vector<unsigned long> capture(Display* x, ::Window window, const Rect& r) {
    XImage* image = XGetImage(x, window, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                              static_cast<unsigned>(r.bottom - r.top), AllPlanes, ZPixmap);
    std::vector<unsigned long> out;
    if (!image) return out;
    for (int y = 0; y < r.bottom - r.top; ++y)
        for (int px = 0; px < r.right - r.left; ++px) out.push_back(XGetPixel(image, px, y));
    XDestroyImage(image);
    return out;
}

std::size_t openFiles() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

class Lv2UiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { XInitThreads(); }

    void SetUp() override {
        std::string reason;
        const std::string name = xtest::XServer::display(reason);
        if (name.empty()) GTEST_SKIP() << reason;
        x = XOpenDisplay(name.c_str());
        ASSERT_NE(x, nullptr);
        int unused = 0;
        ASSERT_TRUE(XTestQueryExtension(x, &unused, &unused, &unused, &unused));
        const std::string binary = uiBinary();
        ASSERT_FALSE(binary.empty()) << "no X11 UI in the bundle";
        library = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, kUiUri);
        EXPECT_EQ(entry(1), nullptr);
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idleInterface, nullptr);
        parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 640, 400, 0, 0, 0);
        XMapWindow(x, parent);
        XSync(x, False);
    }

    void TearDown() override {
        if (handle) descriptor->cleanup(handle);
        if (library) dlclose(library);
        if (x) XCloseDisplay(x);
    }

    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                      const void* buffer) {
        auto* test = static_cast<Lv2UiTest*>(controller);
        ASSERT_EQ(format, 0u);
        ASSERT_EQ(size, sizeof(float));
        float value;
        std::memcpy(&value, buffer, sizeof value);
        test->writes.push_back({port, value});
    }
    // As a host does, the parent window takes the size asked for.
    static int resize(LV2UI_Feature_Handle feature, int width, int height) {
        auto* test = static_cast<Lv2UiTest*>(feature);
        test->size = {width, height};
        XResizeWindow(test->x, test->parent, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(test->x, False);
        return 0;
    }
    static void touch(LV2UI_Feature_Handle feature, std::uint32_t port, bool grabbed) {
        static_cast<Lv2UiTest*>(feature)->touches.push_back({port, grabbed});
    }

    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<Lv2UiTest*>(handle)->uris;
        for (std::size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }

    // With a scale factor above 0 the host passes it as ui:scaleFactor, with urid:map.
    LV2UI_Handle instantiate() {
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
        resizeFeature = {LV2_UI__resize, &resizeData};
        touchFeature = {LV2_UI__touch, &touchData};
        idleFeature = {LV2_UI__idleInterface, nullptr};
        mapFeature = {LV2_URID__map, &mapData};
        options[0] = {LV2_OPTIONS_INSTANCE, 0, mapUri(this, LV2_UI__scaleFactor), sizeof scaleFactor,
                      mapUri(this, LV2_ATOM__Float), &scaleFactor};
        optionsFeature = {LV2_OPTIONS__options, options};
        // Without a scale factor the list ends before urid:map and the options.
        const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &touchFeature, &idleFeature,
                                         scaleFactor > 0.0f ? &mapFeature : nullptr, &optionsFeature, nullptr};
        widget = nullptr;
        return descriptor->instantiate(descriptor, kUri, VELLUMINE_LV2_BUNDLE "/", write, this, &widget, features);
    }

    void open() {
        handle = instantiate();
        ASSERT_NE(handle, nullptr);
        idleFor(300ms);  // the first paint
    }

    void idleFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            ASSERT_EQ(idleInterface->idle(handle), 0);
            std::this_thread::sleep_for(5ms);
        }
    }

    // Idles until `done`, for five seconds at most.
    bool idleUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            idleInterface->idle(handle);
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    ::Window focus() {
        ::Window window = 0;
        int revert = 0;
        XGetInputFocus(x, &window, &revert);
        return window;
    }

    void portEvent(std::uint32_t port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }

    // Pointer and keys through XTEST, at window coordinates of the parent, on a connection of
    // the caller's (a drag runs inside the UI's idle, so it is driven from another thread).
    void moveTo(Display* d, Point p) {
        int rootX = 0, rootY = 0;
        ::Window child = 0;
        XTranslateCoordinates(d, parent, DefaultRootWindow(d), p.x, p.y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(d, DefaultScreen(d), rootX, rootY, CurrentTime);
        XSync(d, False);
    }
    void button(Display* d, bool down) {
        XTestFakeButtonEvent(d, 1, down ? True : False, CurrentTime);
        XSync(d, False);
    }
    // Drags from `centre` up and to the right in ten steps of `step` pixels; the drag runs inside
    // the button press that the idle delivers, so another connection moves the pointer and lets go.
    void dragUpRightFrom(Point centre, int step) {
        moveTo(x, centre);
        std::thread user([&] {
            Display* own = XOpenDisplay(nullptr);
            button(own, true);
            for (int d = step; d <= 10 * step; d += step) {
                std::this_thread::sleep_for(60ms);
                moveTo(own, {centre.x + d, centre.y - d});
            }
            std::this_thread::sleep_for(100ms);
            button(own, false);
            XCloseDisplay(own);
        });
        idleFor(1200ms);
        user.join();
        idleFor(50ms);
    }
    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(x, symbol);
        XTestFakeKeyEvent(x, code, True, CurrentTime);
        XTestFakeKeyEvent(x, code, False, CurrentTime);
        XSync(x, False);
    }

    // The port was grabbed once and then released: one edit gesture for the host.
    void expectOneEdit(std::uint32_t port) const {
        ASSERT_EQ(touches.size(), 2u);
        EXPECT_EQ(touches[0].port, port);
        EXPECT_TRUE(touches[0].grabbed);
        EXPECT_EQ(touches[1].port, port);
        EXPECT_FALSE(touches[1].grabbed);
    }

    Display* x = nullptr;
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    ::Window parent = 0;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    std::vector<Write> writes;
    std::vector<Touch> touches;
    std::pair<int, int> size{0, 0};
    float scaleFactor = 0.0f;

private:
    LV2UI_Resize resizeData{this, resize};
    LV2UI_Touch touchData{this, touch};
    LV2_URID_Map mapData{this, mapUri};
    std::vector<std::string> uris;
    LV2_Options_Option options[2]{};
    LV2_Feature parentFeature{}, resizeFeature{}, touchFeature{}, idleFeature{}, mapFeature{}, optionsFeature{};
};

Point centreOf(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(Lv2UiTest, EmbedsItsWindowInTheParentAndAsksFor640By400) {
    open();
    const std::vector<::Window> children = childrenOf(x, parent);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(reinterpret_cast<::Window>(widget), children[0]);
    EXPECT_EQ(size, std::make_pair(640, 400));
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x, children[0], &attributes));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 400);
}

// A host that cannot embed it leaves out ui:parent and shows the editor in a window of its
// own; closing that window makes the idle answer non-zero, as the show interface asks.
TEST_F(Lv2UiTest, WithoutAParentItShowsAWindowOfItsOwn) {
    const LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&idleFeature, nullptr};
    handle = descriptor->instantiate(descriptor, kUri, VELLUMINE_LV2_BUNDLE "/", write, this, &widget, features);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(findViewable(x, "Vellumine"), 0u);  // nothing until the host asks
    const auto* showInterface =
        static_cast<const LV2UI_Show_Interface*>(descriptor->extension_data(LV2_UI__showInterface));
    ASSERT_NE(showInterface, nullptr);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(showInterface->show(handle), 0);
        idleFor(100ms);
        const ::Window own = findViewable(x, "Vellumine");
        ASSERT_NE(own, 0u);
        EXPECT_EQ(childrenOf(x, own).size(), 1u);  // the editor inside
        ASSERT_EQ(showInterface->hide(handle), 0);
        XSync(x, False);
        EXPECT_EQ(findViewable(x, "Vellumine"), 0u);
    }
    ASSERT_EQ(showInterface->show(handle), 0);
    idleFor(50ms);
    const ::Window own = findViewable(x, "Vellumine");
    ASSERT_NE(own, 0u);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = own;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, own, False, NoEventMask, &close);
    XSync(x, False);
    int answer = 0;
    for (int i = 0; i < 200 && answer == 0; ++i) {
        answer = idleInterface->idle(handle);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_NE(answer, 0);
    showInterface->hide(handle);
}

// The cutoff starts at its default, 8000 Hz, the top.
TEST_F(Lv2UiTest, KnobDragWritesThePortInHertzBetweenTouches) {
    open();
    portEvent(2, 4000.0f);  // mid-way, so that the drag can move it either way
    idleFor(50ms);
    dragUpRightFrom(centreOf(editorlayout::controlRect(editorlayout::kCells[2])), 4);
    ASSERT_FALSE(writes.empty());
    for (const Write& w : writes) {
        EXPECT_EQ(w.port, 2u);
        EXPECT_TRUE(w.value >= 0.0f && w.value <= 8000.0f) << w.value;
    }
    EXPECT_NE(writes.back().value, 4000.0f);
    EXPECT_GT(writes.back().value, 1.0f);  // hertz, not a normalized value
    expectOneEdit(2);
}

// ui:scaleFactor 2: the UI asks for and opens a window twice the size, and its controls answer
// at doubled coordinates: a knob drag, a switch click and a typed value.
Point doubled(Point p) { return {2 * p.x, 2 * p.y}; }

TEST_F(Lv2UiTest, AtScaleFactorTwoItIs1280By800AndItsControlsAnswerAtDoubledCoordinates) {
    scaleFactor = 2.0f;
    open();
    EXPECT_EQ(size, std::make_pair(1280, 800));
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x, reinterpret_cast<::Window>(widget), &attributes));
    EXPECT_EQ(attributes.width, 1280);
    EXPECT_EQ(attributes.height, 800);

    portEvent(2, 4000.0f);
    idleFor(50ms);
    dragUpRightFrom(doubled(centreOf(editorlayout::controlRect(editorlayout::kCells[2]))), 8);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().port, 2u);
    EXPECT_NE(writes.back().value, 4000.0f);
    expectOneEdit(2);

    // The filter LFO's shape switch, 9 pixels a position at scale 1: 30 below its top is
    // position 3 of 0 to 4.
    writes.clear();
    const Rect shapeSwitch = editorlayout::controlRect(editorlayout::kCells[4]);
    moveTo(x, doubled({shapeSwitch.left + 22, shapeSwitch.top + 30}));
    button(x, true);
    button(x, false);
    idleFor(200ms);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().port, 4u);
    EXPECT_EQ(writes.back().value, 3.0f);

    writes.clear();
    moveTo(x, doubled(centreOf(editorlayout::valueBoxRect(editorlayout::kCells[0]))));
    button(x, true);
    button(x, false);
    idleFor(200ms);
    for (KeySym k : {XK_1, XK_5, XK_0, XK_Return}) key(k);
    idleFor(200ms);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].port, 0u);
    EXPECT_EQ(writes[0].value, 150.0f);
}

// "100.0000%" of the origin mix becomes 150 typed: the port gets 150 percent, as one touched edit.
TEST_F(Lv2UiTest, TypedValueWritesThePortInItsUnit) {
    open();
    const Rect box = editorlayout::valueBoxRect(editorlayout::kCells[0]);
    moveTo(x, centreOf(box));
    button(x, true);
    button(x, false);
    idleFor(200ms);
    for (KeySym k : {XK_1, XK_5, XK_0, XK_Return}) key(k);
    idleFor(200ms);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].port, 0u);
    EXPECT_EQ(writes[0].value, 150.0f);
    expectOneEdit(0);  // an accepted value is one edit for the host, as a knob click is
}

// A number above full scale, or one that gives the value the port already has, is not written:
// the host hears of no edit, and the box shows the port's own value again.
TEST_F(Lv2UiTest, RefusedAndUnchangedTypedValuesWriteNothing) {
    open();
    const Rect box = editorlayout::valueBoxRect(editorlayout::kCells[0]);
    for (const std::vector<KeySym>& keys : {std::vector<KeySym>{XK_2, XK_0, XK_1, XK_Return},
                                            std::vector<KeySym>{XK_1, XK_0, XK_0, XK_Return}}) {
        moveTo(x, centreOf(box));
        button(x, true);
        button(x, false);
        idleFor(200ms);
        for (KeySym k : keys) key(k);
        idleFor(200ms);
    }
    EXPECT_TRUE(writes.empty());
    EXPECT_TRUE(touches.empty());
}

// The host's window holds the keyboard focus. A value box takes it while open and gives it
// back when it closes, on Escape, which writes nothing, as on Return.
TEST_F(Lv2UiTest, AClosingValueBoxHandsTheFocusBackToTheHostsWindow) {
    open();
    const Rect box = editorlayout::valueBoxRect(editorlayout::kCells[0]);
    for (const KeySym closing : {KeySym{XK_Escape}, KeySym{XK_Return}}) {
        XSetInputFocus(x, parent, RevertToParent, CurrentTime);
        moveTo(x, centreOf(box));
        button(x, true);
        button(x, false);
        ASSERT_TRUE(idleUntil([&] { return focus() != parent; }));
        for (const KeySym k : {KeySym{XK_5}, KeySym{XK_0}, closing}) key(k);
        EXPECT_TRUE(idleUntil([&] { return focus() == parent; }));
        EXPECT_EQ(writes.size(), closing == XK_Return ? 1u : 0u);
    }
}

// A port event from the host moves the control and rewrites its box, and is not written back.
TEST_F(Lv2UiTest, PortEventsMoveTheControlWithoutWritingBack) {
    open();
    const Rect cell = {editorlayout::kCells[11].x, editorlayout::kCells[11].y, editorlayout::kCells[11].x + 70,
                       editorlayout::kCells[11].y + 76};
    const std::vector<unsigned long> before = capture(x, parent, cell);
    portEvent(11, 5000.0f);  // delay time: half of the line
    idleFor(100ms);
    const std::vector<unsigned long> moved = capture(x, parent, cell);
    EXPECT_NE(moved, before);
    portEvent(11, 0.0f);
    idleFor(100ms);
    EXPECT_EQ(capture(x, parent, cell), before);
    portEvent(40, 1.0f);  // no such control port: ignored
    idleFor(20ms);
    EXPECT_TRUE(writes.empty());
}

// The UI runs apart from the plug-in's engine: while Sync is on, the Rate's box shows the
// length the plug-in reports on its synced delay port, as it shows a Rate of that length.
TEST_F(Lv2UiTest, WhileSyncIsOnTheRateShowsTheLengthThePluginReports) {
    open();
    const Rect box = editorlayout::valueBoxRect(editorlayout::kCells[11]);
    portEvent(11, 500.0f);
    idleFor(100ms);
    const std::vector<unsigned long> rateOf500 = capture(x, parent, box);
    portEvent(11, 0.0f);
    portEvent(lv2ports::kSyncPort, 11.0f);  // 1/4
    portEvent(lv2ports::kSyncedDelayPort, 500.0f);
    idleFor(100ms);
    EXPECT_EQ(capture(x, parent, box), rateOf500);
    portEvent(lv2ports::kSyncPort, 0.0f);  // the Rate's own value again
    idleFor(100ms);
    EXPECT_NE(capture(x, parent, box), rateOf500);
    EXPECT_TRUE(writes.empty());
}

// The bytes of the editor's pixels, four per pixel: its six bitmaps as the toolkit holds them,
// and the window's two 640 x 400 images (the framebuffer and its copy in the server's format).
std::size_t bitmapBytes() {
    std::size_t total = 2 * 640 * 400 * 4;
    for (int id = 1024; id <= 1029; ++id) {
        std::ifstream file(std::string(VELLUMINE_RESOURCE_DIR "/bitmap_") + std::to_string(id) + ".bmp", std::ios::binary);
        unsigned char header[26] = {};
        file.read(reinterpret_cast<char*>(header), sizeof header);
        const auto field = [&](int at) {
            return static_cast<std::size_t>(header[at] | header[at + 1] << 8 | header[at + 2] << 16);
        };
        total += field(18) * field(22) * 4;
    }
    return total;
}

// An instance holds its editor and the parameters' values, nothing of the plug-in's engine.
TEST_F(Lv2UiTest, AnInstanceCostsItsBitmapsAndLessThanAMegabyteMore) {
    handle = instantiate();  // the display connection and the fonts, loaded once per process
    ASSERT_NE(handle, nullptr);
    descriptor->cleanup(handle);
    const std::size_t before = mallinfo2().uordblks;
    handle = instantiate();
    ASSERT_NE(handle, nullptr);
    idleFor(100ms);
    const std::size_t grown = mallinfo2().uordblks - before;
    std::printf("one UI instance: %zu bytes, of them %zu for the bitmaps and the window's images\n", grown,
                bitmapBytes());
    EXPECT_LT(grown, bitmapBytes() + (std::size_t{1} << 20));
}

TEST_F(Lv2UiTest, OpeningAndClosingAHundredTimesLeavesNothingBehind) {
    open();
    descriptor->cleanup(handle);
    handle = nullptr;
    const std::size_t files = openFiles();
    for (int i = 0; i < 100; ++i) {
        handle = instantiate();
        ASSERT_NE(handle, nullptr) << i;
        ASSERT_EQ(idleInterface->idle(handle), 0);
        descriptor->cleanup(handle);
        handle = nullptr;
        XSync(x, False);
        ASSERT_TRUE(childrenOf(x, parent).empty()) << i;
    }
    EXPECT_EQ(openFiles(), files);
}

}  // namespace
