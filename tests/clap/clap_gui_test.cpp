// The CLAP editor as a host embeds it: created and parented through the GUI calls in a window
// of a private Xvfb server, idled through the host's timer, the pointer driven through XTEST.
// Its pixels are the VST 2 editor's, before and after the host changes a value.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "editor/editor_layout.h"
#include "platform/x11/x_server.h"
#include "plughost/clap_host.h"
#include "support/module_loader.h"
#include "support/recording_host.h"

// Xlib last: its macros (None, Status, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace std::chrono_literals;
using namespace plughost::clap;

namespace {

constexpr int kWidth = 640, kHeight = 400;

std::vector<unsigned long> capture(Display* x, ::Window window) {
    XImage* image = XGetImage(x, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    std::vector<unsigned long> out;
    if (!image) return out;
    for (int y = 0; y < kHeight; ++y)
        for (int px = 0; px < kWidth; ++px) out.push_back(XGetPixel(image, px, y));
    XDestroyImage(image);
    return out;
}

class ClapGuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { XInitThreads(); }

    void SetUp() override {
        std::string reason;
        if (xtest::XServer::display(reason).empty()) GTEST_SKIP() << reason;
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
        std::string error;
        module = ClapModule::load(VELLUMINE_CLAP_PATH, error);
        ASSERT_TRUE(module) << error;
        plugin = ClapPlugin::create(*module, host, 0, error);
        ASSERT_TRUE(plugin) << error;
        gui = plugin->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
        ASSERT_NE(gui, nullptr);
        parent = newWindow();
    }

    void TearDown() override {
        plugin.reset();
        if (x) XCloseDisplay(x);
    }

    ::Window newWindow() {
        const ::Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, kWidth, kHeight, 0, 0, 0);
        XMapWindow(x, window);
        XSync(x, False);
        return window;
    }

    // At scale 2 the host asks for it, and its window takes the size the GUI answers.
    void openGui(int scale = 1) {
        const clap_plugin_t* p = &plugin->plugin();
        ASSERT_TRUE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, false));
        EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, true));
        ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
        if (scale != 1) {
            EXPECT_TRUE(gui->set_scale(p, scale));
        }
        std::uint32_t width = 0, height = 0;
        EXPECT_TRUE(gui->get_size(p, &width, &height));
        EXPECT_EQ(width, 640u * scale);
        EXPECT_EQ(height, 400u * scale);
        XResizeWindow(x, parent, width, height);
        clap_window_t window{CLAP_WINDOW_API_X11, {}};
        window.x11 = parent;
        ASSERT_TRUE(gui->set_parent(p, &window));
        EXPECT_TRUE(gui->show(p));
        ASSERT_EQ(host.timers().size(), 1u);
        tickFor(300ms);  // the first paint
    }

    void tickFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            plugin->fireTimers();
            std::this_thread::sleep_for(5ms);
        }
    }

    // Fires the host's timers until `done`, for five seconds at most.
    bool tickUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            plugin->fireTimers();
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    void hostSets(clap_id id, double value) {
        InputEvents events;
        OutputEvents sent;
        events.addValue(0, id, value);
        plugin->flush(events, sent);
    }

    Display* x = nullptr;
    ClapHost host;
    std::unique_ptr<ClapModule> module;
    std::unique_ptr<ClapPlugin> plugin;
    const clap_plugin_gui_t* gui = nullptr;
    ::Window parent = 0;
};

// The VST 2 module's editor open in a window of its own, idled as a VST 2 host idles it.
class Vst2Editor {
public:
    explicit Vst2Editor(::Window parent) : module(VELLUMINE_MODULE_PATH) {
        const auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(module.symbol("VSTPluginMain"));
        effect = entry(RecordingHost::callback());
        dispatch(effEditOpen, reinterpret_cast<void*>(parent));
    }
    ~Vst2Editor() {
        dispatch(effEditClose);
        dispatch(effClose);
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    void idleFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(5ms);
        }
    }

private:
    void dispatch(VstInt32 opcode, void* ptr = nullptr) { effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f); }

    RecordingHost host;
    ModuleLoader module;
    AEffect* effect = nullptr;
};

// The two parents lie on top of each other: each is raised and repainted before it is read.
TEST_F(ClapGuiTest, PixelsAreTheVst2EditorsBeforeAndAfterAHostChange) {
    openGui();
    const ::Window vst2Parent = newWindow();
    Vst2Editor vst2(vst2Parent);
    const auto pixelsOfBoth = [&] {
        XRaiseWindow(x, parent);
        XSync(x, False);
        tickFor(200ms);
        const std::vector<unsigned long> clap = capture(x, parent);
        XRaiseWindow(x, vst2Parent);
        XSync(x, False);
        vst2.idleFor(200ms);
        return std::make_pair(clap, capture(x, vst2Parent));
    };
    const auto [initial, vst2Initial] = pixelsOfBoth();
    ASSERT_EQ(initial.size(), static_cast<std::size_t>(kWidth * kHeight));
    EXPECT_EQ(initial, vst2Initial);

    hostSets(DelayTime, 5000.0);  // half of the line: 0.5 normalized
    vst2.set(DelayTime, 0.5f);
    const auto [moved, vst2Moved] = pixelsOfBoth();
    EXPECT_NE(moved, initial);
    EXPECT_EQ(moved, vst2Moved);

    hostSets(DelaySync, 11.0);  // 1/4: the Rate's box shows 500 ms at 120 BPM
    vst2.set(DelaySync, fromUnitValue(DelaySync, 11.0f));
    const auto [synced, vst2Synced] = pixelsOfBoth();
    EXPECT_NE(synced, moved);
    EXPECT_EQ(synced, vst2Synced);
}

// The scales a host may ask for before the GUI opens: the nearest drawn one not larger is
// taken, and the call answers whether it is the one asked for.
TEST_F(ClapGuiTest, SetScaleTakesTheNearestDrawnScaleAndTheSizeFollows) {
    const clap_plugin_t* p = &plugin->plugin();
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
    struct Case {
        double scale;
        bool applied;
        std::uint32_t width;
    };
    const Case cases[] = {{2.0, true, 1280},  {1.0, true, 640},   {1.5, true, 960},
                          {1.75, false, 960}, {3.0, false, 1280}, {0.5, false, 640}};
    for (const Case& c : cases) {
        EXPECT_EQ(gui->set_scale(p, c.scale), c.applied) << c.scale;
        std::uint32_t width = 0, height = 0;
        EXPECT_TRUE(gui->get_size(p, &width, &height));
        EXPECT_EQ(width, c.width) << c.scale;
        EXPECT_EQ(height, c.width * 400 / 640) << c.scale;
    }
}

// The drag runs inside the button press that a timer tick delivers; another connection moves
// the pointer and lets go meanwhile. The host is not processing, so the editor asks for a
// flush, which carries the gesture and its values in hertz. At scale 2 the same drag covers
// doubled coordinates.
class ClapGuiDragTest : public ClapGuiTest, public ::testing::WithParamInterface<int> {};

TEST_P(ClapGuiDragTest, AKnobDragReachesTheHostAsAGestureThroughFlush) {
    const int scale = GetParam();
    openGui(scale);
    hostSets(OriginCutoff, 4000.0);  // mid-way, so that the drag can move it either way
    tickFor(50ms);
    const Rect knob = editorlayout::controlRect(editorlayout::kCells[OriginCutoff]);
    const int cx = scale * (knob.left + knob.right) / 2, cy = scale * (knob.top + knob.bottom) / 2;
    const auto moveTo = [&](Display* d, int px, int py) {
        int rootX = 0, rootY = 0;
        ::Window child = 0;
        XTranslateCoordinates(d, parent, DefaultRootWindow(d), px, py, &rootX, &rootY, &child);
        XTestFakeMotionEvent(d, DefaultScreen(d), rootX, rootY, CurrentTime);
        XSync(d, False);
    };
    moveTo(x, cx, cy);
    host.takeFlushRequest();
    std::thread user([&] {
        Display* own = XOpenDisplay(nullptr);
        XTestFakeButtonEvent(own, 1, True, CurrentTime);
        XSync(own, False);
        for (int dy = 4 * scale; dy <= 40 * scale; dy += 4 * scale) {
            std::this_thread::sleep_for(60ms);
            moveTo(own, cx + dy, cy - dy);
        }
        std::this_thread::sleep_for(100ms);
        XTestFakeButtonEvent(own, 1, False, CurrentTime);
        XSync(own, False);
        XCloseDisplay(own);
    });
    tickFor(1200ms);
    user.join();
    tickFor(50ms);

    ASSERT_TRUE(host.takeFlushRequest());
    InputEvents none;
    OutputEvents out;
    plugin->flush(none, out);
    const std::vector<SentEvent> sent = out.take();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(sent.back().type, CLAP_EVENT_PARAM_GESTURE_END);
    for (const SentEvent& event : sent) EXPECT_EQ(event.id, static_cast<clap_id>(OriginCutoff));
    for (std::size_t i = 1; i + 1 < sent.size(); ++i) {
        EXPECT_EQ(sent[i].type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_TRUE(sent[i].value >= 0.0 && sent[i].value <= 8000.0) << sent[i].value;
    }
    const double last = sent[sent.size() - 2].value;
    EXPECT_NE(last, 4000.0);
    EXPECT_GT(last, 1.0);  // hertz, not a normalized value
    EXPECT_EQ(plugin->value(OriginCutoff), last);

    gui->destroy(&plugin->plugin());
    EXPECT_TRUE(host.timers().empty());
    EXPECT_TRUE(host.threadFindings().empty());
}

INSTANTIATE_TEST_SUITE_P(Scales, ClapGuiDragTest, ::testing::Values(1, 2));

// The host's window holds the keyboard focus. A value box takes it while open and gives it
// back when it closes, on Escape as on Return.
TEST_F(ClapGuiTest, AClosingValueBoxHandsTheFocusBackToTheHostsWindow) {
    openGui();
    const Rect box = editorlayout::valueBoxRect(editorlayout::kCells[0]);
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(x, parent, DefaultRootWindow(x), (box.left + box.right) / 2, (box.top + box.bottom) / 2,
                          &rootX, &rootY, &child);
    const auto focus = [&] {
        ::Window window = 0;
        int revert = 0;
        XGetInputFocus(x, &window, &revert);
        return window;
    };
    for (const KeySym closing : {KeySym{XK_Escape}, KeySym{XK_Return}}) {
        XSetInputFocus(x, parent, RevertToParent, CurrentTime);
        XTestFakeMotionEvent(x, DefaultScreen(x), rootX, rootY, CurrentTime);
        XTestFakeButtonEvent(x, 1, True, CurrentTime);
        XTestFakeButtonEvent(x, 1, False, CurrentTime);
        XSync(x, False);
        ASSERT_TRUE(tickUntil([&] { return focus() != parent; }));
        for (const KeySym k : {KeySym{XK_5}, closing}) {
            XTestFakeKeyEvent(x, XKeysymToKeycode(x, k), True, CurrentTime);
            XTestFakeKeyEvent(x, XKeysymToKeycode(x, k), False, CurrentTime);
        }
        XSync(x, False);
        EXPECT_TRUE(tickUntil([&] { return focus() == parent; })) << XKeysymToString(closing);
    }
}

}  // namespace
