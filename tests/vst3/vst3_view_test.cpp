// The VST 3 editor as a host embeds it: the controller's plug view, attached to a window of a
// private Xvfb server, idled through the timer it registers with a fake frame's run loop, the
// pointer driven through XTEST. Its pixels are the CLAP editor's for the same values.
#include <gtest/gtest.h>

#include <travesty/view.h>

#include <chrono>
#include <functional>
#include <thread>

#include "core/parameters.h"
#include "editor/editor_layout.h"
#include "platform/x11/x_server.h"
#include "plughost/clap_host.h"
#include "plughost/vst3_host.h"
#include "vst3/recording_handler.h"

// Xlib last: its macros (None, Status, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

using namespace std::chrono_literals;
using plughost::vst3::HostFace;
using plughost::vst3::Vst3Module;
using plughost::vst3::Vst3Plugin;

namespace {

constexpr int kWidth = 640, kHeight = 400;
constexpr v3_param_id kProgram = 1001;

template <typename T>
T& ownerOf(void* self) {
    return *static_cast<T*>(static_cast<HostFace*>(self)->owner);
}

std::uint32_t unowned(void*) { return 1; }  // the test owns these objects

// The plug frame with its run loop: records the timers registered and fires them on request.
class FakeFrame {
public:
    v3_plugin_frame** frame() { return reinterpret_cast<v3_plugin_frame**>(&frameFace); }
    void fire() {
        for (v3_timer_handler** timer : timers) v3_cpp_obj(timer)->on_timer(timer);
    }

    std::vector<v3_timer_handler**> timers;
    std::vector<std::uint64_t> periods;
    std::vector<v3_view_rect> resizes;

private:
    static v3_result query(void* self, const v3_tuid iid, void** object) {
        FakeFrame& me = ownerOf<FakeFrame>(self);
        *object = v3_tuid_match(iid, v3_run_loop_iid) ? &me.loopFace : nullptr;
        return *object ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_result resize(void* self, v3_plugin_view**, v3_view_rect* rect) {
        ownerOf<FakeFrame>(self).resizes.push_back(*rect);
        return V3_OK;
    }
    static v3_result addHandler(void*, v3_event_handler**, int) { return V3_OK; }
    static v3_result removeHandler(void*, v3_event_handler**) { return V3_OK; }
    static v3_result addTimer(void* self, v3_timer_handler** timer, std::uint64_t ms) {
        FakeFrame& me = ownerOf<FakeFrame>(self);
        me.timers.push_back(timer);
        me.periods.push_back(ms);
        return V3_OK;
    }
    static v3_result removeTimer(void* self, v3_timer_handler** timer) {
        FakeFrame& me = ownerOf<FakeFrame>(self);
        std::erase(me.timers, timer);
        return V3_OK;
    }
    static constexpr v3_plugin_frame_cpp kFrame = {{query, unowned, unowned}, {resize}};
    static constexpr v3_run_loop_cpp kLoop = {{query, unowned, unowned},
                                              {addHandler, removeHandler, addTimer, removeTimer}};

    HostFace frameFace{&kFrame, this}, loopFace{&kLoop, this};
};

std::vector<unsigned long> capture(Display* x, ::Window window) {
    XImage* image = XGetImage(x, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    std::vector<unsigned long> out;
    if (!image) return out;
    for (int y = 0; y < kHeight; ++y)
        for (int px = 0; px < kWidth; ++px) out.push_back(XGetPixel(image, px, y));
    XDestroyImage(image);
    return out;
}

class Vst3ViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { XInitThreads(); }

    void SetUp() override {
        std::string reason;
        if (xtest::XServer::display(reason).empty()) GTEST_SKIP() << reason;
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
        std::string error;
        module = Vst3Module::load(VELLUMINE_VST3_BUNDLE, error);
        ASSERT_TRUE(module) << error;
        plugin = Vst3Plugin::create(*module, error);
        ASSERT_TRUE(plugin) << error;
        v3_edit_controller** controller = plugin->controller();
        ASSERT_EQ(v3_cpp_obj(controller)->set_component_handler(controller, handler.handler()), V3_OK);
        view = v3_cpp_obj(controller)->create_view(controller, "editor");
        ASSERT_NE(view, nullptr);
        parent = newWindow();
    }

    void TearDown() override {
        if (view) v3_cpp_obj_unref(view);
        plugin.reset();
        if (x) XCloseDisplay(x);
    }

    ::Window newWindow() {
        const ::Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, kWidth, kHeight, 0, 0, 0);
        XMapWindow(x, window);
        XSync(x, False);
        return window;
    }

    v3_view_rect size() {
        v3_view_rect rect{};
        EXPECT_EQ(v3_cpp_obj(view)->get_size(view, &rect), V3_OK);
        return rect;
    }

    v3_result attach() {
        return v3_cpp_obj(view)->attached(view, reinterpret_cast<void*>(parent), V3_VIEW_PLATFORM_TYPE_X11);
    }

    // As hosts do: the frame, the content scale, the window sized as the view asks, attached.
    void openView(float scale = 1.0f) {
        ASSERT_EQ(v3_cpp_obj(view)->set_frame(view, frame.frame()), V3_OK);
        if (scale != 1.0f) {
            v3_plugin_view_content_scale** scaling = nullptr;
            ASSERT_EQ(v3_cpp_obj_query_interface(view, v3_plugin_view_content_scale_iid, &scaling), V3_OK);
            EXPECT_EQ(v3_cpp_obj(scaling)->set_content_scale_factor(scaling, scale), V3_TRUE);
            v3_cpp_obj_unref(scaling);
        }
        const v3_view_rect rect = size();
        XResizeWindow(x, parent, static_cast<unsigned>(rect.right), static_cast<unsigned>(rect.bottom));
        ASSERT_EQ(attach(), V3_OK);
        ASSERT_EQ(frame.timers.size(), 1u);
        tickFor(300ms);  // the first paint
    }

    void tickFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            frame.fire();
            std::this_thread::sleep_for(5ms);
        }
    }

    Display* x = nullptr;
    std::unique_ptr<Vst3Module> module;
    std::unique_ptr<Vst3Plugin> plugin;
    RecordingHandler handler;
    FakeFrame frame;
    v3_plugin_view** view = nullptr;
    ::Window parent = 0;
};

TEST_F(Vst3ViewTest, OffersX11EmbeddingAtAFixedSize) {
    EXPECT_EQ(v3_cpp_obj(view)->is_platform_type_supported(view, V3_VIEW_PLATFORM_TYPE_X11), V3_TRUE);
    EXPECT_NE(v3_cpp_obj(view)->is_platform_type_supported(view, V3_VIEW_PLATFORM_TYPE_HWND), V3_TRUE);
    EXPECT_NE(v3_cpp_obj(view)->can_resize(view), V3_TRUE);
    v3_view_rect asked{0, 0, 900, 900};
    EXPECT_EQ(v3_cpp_obj(view)->check_size_constraint(view, &asked), V3_OK);
    EXPECT_EQ(asked.right, kWidth);
    EXPECT_EQ(asked.bottom, kHeight);
    v3_edit_controller** controller = plugin->controller();
    EXPECT_EQ(v3_cpp_obj(controller)->create_view(controller, "other"), nullptr);
}

// Before attaching: the nearest drawn scale not larger is taken, and the call answers whether
// it is the one asked for.
TEST_F(Vst3ViewTest, TheContentScaleSetsTheSizeBeforeAttaching) {
    v3_plugin_view_content_scale** scaling = nullptr;
    ASSERT_EQ(v3_cpp_obj_query_interface(view, v3_plugin_view_content_scale_iid, &scaling), V3_OK);
    struct Case {
        float scale;
        bool applied;
        std::int32_t width;
    };
    const Case cases[] = {{2.0f, true, 1280}, {1.0f, true, 640}, {1.5f, true, 960}, {1.75f, false, 960}, {3.0f, false, 1280}};
    for (const Case& c : cases) {
        EXPECT_EQ(v3_cpp_obj(scaling)->set_content_scale_factor(scaling, c.scale) == V3_TRUE, c.applied) << c.scale;
        const v3_view_rect rect = size();
        EXPECT_EQ(rect.right, c.width) << c.scale;
        EXPECT_EQ(rect.bottom, c.width * kHeight / kWidth) << c.scale;
    }
    v3_cpp_obj_unref(scaling);
}

// A host that sets the scale after attaching: the editor is drawn again at it, in the same
// window, and asks the frame for the size; the timer stays.
TEST_F(Vst3ViewTest, AScaleSetWhileAttachedRebuildsTheEditorAndResizesTheFrame) {
    openView();
    v3_plugin_view_content_scale** scaling = nullptr;
    ASSERT_EQ(v3_cpp_obj_query_interface(view, v3_plugin_view_content_scale_iid, &scaling), V3_OK);
    EXPECT_EQ(v3_cpp_obj(scaling)->set_content_scale_factor(scaling, 2.0f), V3_TRUE);
    v3_cpp_obj_unref(scaling);
    EXPECT_EQ(size().right, 2 * kWidth);
    ASSERT_EQ(frame.resizes.size(), 1u);
    EXPECT_EQ(frame.resizes[0].right, 2 * kWidth);
    EXPECT_EQ(frame.resizes[0].bottom, 2 * kHeight);
    EXPECT_EQ(frame.timers.size(), 1u);
    EXPECT_EQ(v3_cpp_obj(view)->removed(view), V3_OK);
    EXPECT_TRUE(frame.timers.empty());
}

// Removed closes the editor and gives the timer back; attached again, it paints again.
TEST_F(Vst3ViewTest, AttachRemovedAttachAgain) {
    openView();
    EXPECT_EQ(frame.periods.front(), 33u);
    EXPECT_NE(attach(), V3_OK);  // already attached
    const std::vector<unsigned long> first = capture(x, parent);
    EXPECT_EQ(v3_cpp_obj(view)->removed(view), V3_OK);
    EXPECT_TRUE(frame.timers.empty());
    XClearWindow(x, parent);
    XSync(x, False);
    EXPECT_NE(capture(x, parent), first);
    openView();
    EXPECT_EQ(capture(x, parent), first);
    EXPECT_EQ(v3_cpp_obj(view)->removed(view), V3_OK);
    EXPECT_TRUE(frame.timers.empty());
}

// The drag runs inside the button press that a timer tick delivers; another connection moves
// the pointer and lets go meanwhile. The host hears of it on the UI thread, as one gesture of
// normalized values. At scale 2 the same drag covers doubled coordinates.
class Vst3ViewDragTest : public Vst3ViewTest, public ::testing::WithParamInterface<int> {};

TEST_P(Vst3ViewDragTest, AKnobDragReachesTheComponentHandlerAsOneGesture) {
    const int scale = GetParam();
    openView(static_cast<float>(scale));
    plugin->setNormalized(OriginCutoff, 0.5);  // mid-way, so that the drag can move it either way
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

    handler.expectOneGesture(*plugin, OriginCutoff, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Scales, Vst3ViewDragTest, ::testing::Values(1, 2));

// The CLAP editor open in a window of its own, idled by the host's timer.
class ClapEditor {
public:
    explicit ClapEditor(::Window parent) {
        std::string error;
        module = plughost::clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
        if (module) plugin = plughost::clap::ClapPlugin::create(*module, host, 0, error);
        EXPECT_TRUE(plugin) << error;
        if (!plugin) return;
        gui = plugin->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
        const clap_plugin_t* p = &plugin->plugin();
        EXPECT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
        clap_window_t window{CLAP_WINDOW_API_X11, {}};
        window.x11 = parent;
        EXPECT_TRUE(gui->set_parent(p, &window));
    }
    ~ClapEditor() {
        if (gui) gui->destroy(&plugin->plugin());
    }
    void set(clap_id id, double unitValue) {
        plughost::clap::InputEvents events;
        plughost::clap::OutputEvents sent;
        events.addValue(0, id, unitValue);
        plugin->flush(events, sent);
    }
    void idleFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            plugin->fireTimers();
            std::this_thread::sleep_for(5ms);
        }
    }

private:
    plughost::clap::ClapHost host;
    std::unique_ptr<plughost::clap::ClapModule> module;
    std::unique_ptr<plughost::clap::ClapPlugin> plugin;
    const clap_plugin_gui_t* gui = nullptr;
};

// The two parents lie on top of each other: each is raised and repainted before it is read.
// The host's changes through the controller move the controls: a value, the synced Rate's
// text, a program, and a component state.
TEST_F(Vst3ViewTest, HostChangesMoveTheControlsAsInTheClapEditor) {
    openView();
    const ::Window clapParent = newWindow();
    ClapEditor clap(clapParent);
    const auto pixels = [&] {
        XRaiseWindow(x, parent);
        XSync(x, False);
        tickFor(200ms);
        return capture(x, parent);
    };
    const auto pixelsOfBoth = [&] {
        const std::vector<unsigned long> vst3 = pixels();
        XRaiseWindow(x, clapParent);
        XSync(x, False);
        clap.idleFor(200ms);
        return std::make_pair(vst3, capture(x, clapParent));
    };
    const std::vector<unsigned char> initialState = plugin->save().value();
    const auto [initial, clapInitial] = pixelsOfBoth();
    ASSERT_EQ(initial.size(), static_cast<std::size_t>(kWidth * kHeight));
    EXPECT_EQ(initial, clapInitial);

    plugin->setNormalized(DelayTime, 0.5);
    clap.set(DelayTime, 5000.0);
    const auto [moved, clapMoved] = pixelsOfBoth();
    EXPECT_NE(moved, initial);
    EXPECT_EQ(moved, clapMoved);

    plugin->setNormalized(DelaySync, fromUnitValue(DelaySync, 11.0f));  // 1/4: the Rate shows 500 ms at 120 BPM
    clap.set(DelaySync, 11.0);
    const auto [synced, clapSynced] = pixelsOfBoth();
    EXPECT_NE(synced, moved);
    EXPECT_EQ(synced, clapSynced);

    plugin->setNormalized(kProgram, 1.0);
    const std::vector<unsigned long> program = pixels();
    EXPECT_NE(program, synced);
    ASSERT_TRUE(plugin->load(initialState));
    EXPECT_EQ(pixels(), initial);
    EXPECT_TRUE(handler.calls.empty());  // the host's own changes are not edits
}

// Sync on: the Rate's box shows the synced length, which follows the tempo of the blocks
// the host runs without telling the controller.
TEST_F(Vst3ViewTest, TheSyncedRateFollowsTheTempo) {
    ASSERT_TRUE(plugin->activate(48000.0, 64));
    plugin->setNormalized(DelaySync, fromUnitValue(DelaySync, 11.0f));  // 1/4
    openView();
    const std::vector<unsigned long> at120 = capture(x, parent);
    std::vector<float> left(64), right(64);
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {left.data(), right.data()};
    plughost::vst3::ParameterChanges none, sent;
    v3_process_context context{};
    context.state = V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_PLAYING;
    context.bpm = 60.0;
    context.sample_rate = 48000.0;
    ASSERT_EQ(plugin->process(inputs, outputs, 64, none, sent, &context), V3_OK);
    tickFor(200ms);
    EXPECT_NE(capture(x, parent), at120);
}

}  // namespace
