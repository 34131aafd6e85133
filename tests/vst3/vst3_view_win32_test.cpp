// The VST 3 editor as a Windows host embeds it: the controller's plug view attached to a
// top-level window of the test's, at each content scale. Windows gives plug views no run
// loop, and the frame here offers none: the view idles on a timer of its own, which the
// host's message loop (the window's serve) runs. A drag is real input, injected with
// SendInput from a second thread.
#include <gtest/gtest.h>
#include <travesty/view.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/parameters.h"
#include "editor/editor_layout.h"
#include "plughost/host_window.h"
#include "plughost/vst3_host.h"
#include "vst3/recording_handler.h"

using namespace std::chrono_literals;
using plughost::vst3::HostFace;
using plughost::vst3::Vst3Module;
using plughost::vst3::Vst3Plugin;

namespace {

constexpr int kWidth = 640, kHeight = 400;

// A plug frame with no run loop: it records the sizes the view asks for.
class FrameWithoutRunLoop {
public:
    v3_plugin_frame** frame() { return reinterpret_cast<v3_plugin_frame**>(&face); }
    std::vector<v3_view_rect> resizes;

private:
    static v3_result V3_API query(void*, const v3_tuid, void** object) {
        *object = nullptr;
        return V3_NO_INTERFACE;
    }
    static std::uint32_t V3_API unowned(void*) { return 1; }
    static v3_result V3_API resize(void* self, v3_plugin_view**, v3_view_rect* rect) {
        static_cast<FrameWithoutRunLoop*>(static_cast<HostFace*>(self)->owner)->resizes.push_back(*rect);
        return V3_OK;
    }
    static constexpr v3_plugin_frame_cpp kFrame = {{query, unowned, unowned}, {resize}};
    HostFace face{&kFrame, this};
};

void sendMouseButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// The pixels of the editor's child window, read back through a DIB.
std::vector<std::uint32_t> capture(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* memory = nullptr;
    HBITMAP dib = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDc, dib);
    BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    const auto* pixels = static_cast<const std::uint32_t*>(memory);
    std::vector<std::uint32_t> out(pixels, pixels + static_cast<std::size_t>(width) * height);
    SelectObject(memoryDc, previous);
    DeleteObject(dib);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return out;
}

class Vst3ViewWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = Vst3Module::load(VELLUMINE_VST3_BUNDLE, error);
        ASSERT_TRUE(module) << error;
        plugin = Vst3Plugin::create(*module, error);
        ASSERT_TRUE(plugin) << error;
        v3_edit_controller** controller = plugin->controller();
        ASSERT_EQ(v3_cpp_obj(controller)->set_component_handler(controller, handler.handler()), V3_OK);
        view = v3_cpp_obj(controller)->create_view(controller, "editor");
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(v3_cpp_obj(view)->set_frame(view, frame.frame()), V3_OK);
        host = plughost::HostWindow::open(2 * kWidth, 2 * kHeight, error);
        ASSERT_TRUE(host) << error;
    }

    void TearDown() override {
        if (view) v3_cpp_obj_unref(view);
        plugin.reset();
    }

    HWND parent() const { return static_cast<HWND>(host->parent()); }
    HWND editorWindow() const { return GetWindow(parent(), GW_CHILD); }
    v3_result attach() { return v3_cpp_obj(view)->attached(view, parent(), V3_VIEW_PLATFORM_TYPE_HWND); }
    v3_result remove() { return v3_cpp_obj(view)->removed(view); }
    bool setScale(float scale) {
        v3_plugin_view_content_scale** scaling = nullptr;
        EXPECT_EQ(v3_cpp_obj_query_interface(view, v3_plugin_view_content_scale_iid, &scaling), V3_OK);
        const bool applied = v3_cpp_obj(scaling)->set_content_scale_factor(scaling, scale) == V3_TRUE;
        v3_cpp_obj_unref(scaling);
        return applied;
    }
    // The host's message loop: its timers and paints.
    void serveFor(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            host->serve();
            std::this_thread::sleep_for(5ms);
        }
    }

    std::unique_ptr<Vst3Module> module;
    std::unique_ptr<Vst3Plugin> plugin;
    RecordingHandler handler;
    FrameWithoutRunLoop frame;
    std::unique_ptr<plughost::HostWindow> host;
    v3_plugin_view** view = nullptr;
};

TEST_F(Vst3ViewWin32Test, OffersHwndEmbeddingOnly) {
    EXPECT_EQ(v3_cpp_obj(view)->is_platform_type_supported(view, V3_VIEW_PLATFORM_TYPE_HWND), V3_TRUE);
    EXPECT_NE(v3_cpp_obj(view)->is_platform_type_supported(view, V3_VIEW_PLATFORM_TYPE_X11), V3_TRUE);
    EXPECT_NE(v3_cpp_obj(view)->attached(view, parent(), V3_VIEW_PLATFORM_TYPE_X11), V3_OK);
    EXPECT_EQ(editorWindow(), nullptr);
}

// At each content scale the editor opens as a child of the host's window at the view's size;
// removed closes it, and it opens again.
TEST_F(Vst3ViewWin32Test, AttachRemovedAttachAgainAtEachScale) {
    for (const float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        EXPECT_TRUE(setScale(scale));
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(attach(), V3_OK);
            EXPECT_NE(attach(), V3_OK);  // already attached
            const HWND child = editorWindow();
            ASSERT_NE(child, nullptr);
            RECT rect{};
            GetClientRect(child, &rect);
            EXPECT_EQ(rect.right, static_cast<LONG>(scale * kWidth));
            EXPECT_EQ(rect.bottom, static_cast<LONG>(scale * kHeight));
            serveFor(50ms);
            EXPECT_EQ(remove(), V3_OK);
            EXPECT_EQ(editorWindow(), nullptr);
            EXPECT_NE(remove(), V3_OK);
            serveFor(50ms);  // no timer left to reach the closed editor
        }
    }
    EXPECT_TRUE(frame.resizes.empty());
}

// A host's change on the controller reaches the open editor at the view's own timer, served
// by the host's message loop alone; a scale set while attached rebuilds the editor in the same
// window, asks the frame for the size, and the timer goes on.
TEST_F(Vst3ViewWin32Test, TheViewsOwnTimerMovesTheControls) {
    ASSERT_EQ(attach(), V3_OK);
    serveFor(300ms);
    const std::vector<std::uint32_t> initial = capture(editorWindow());
    ASSERT_EQ(initial.size(), static_cast<std::size_t>(kWidth * kHeight));
    plugin->setNormalized(DelayTime, 0.5);
    serveFor(300ms);
    const std::vector<std::uint32_t> moved = capture(editorWindow());
    EXPECT_TRUE(moved != initial);

    EXPECT_TRUE(setScale(2.0f));
    ASSERT_EQ(frame.resizes.size(), 1u);
    EXPECT_EQ(frame.resizes[0].right, 2 * kWidth);
    EXPECT_EQ(frame.resizes[0].bottom, 2 * kHeight);
    serveFor(300ms);
    const std::vector<std::uint32_t> doubled = capture(editorWindow());
    plugin->setNormalized(DelayTime, 0.0);
    serveFor(300ms);
    EXPECT_TRUE(capture(editorWindow()) != doubled);
    EXPECT_EQ(remove(), V3_OK);
}

// The drag runs inside the button press that the host's message loop delivers, polling the
// input that another thread injects meanwhile. The host hears of it on the UI thread, as one
// gesture of normalized values. At scale 2 the same drag covers doubled coordinates.
TEST_F(Vst3ViewWin32Test, AKnobDragReachesTheComponentHandlerAsOneGesture) {
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        handler.calls.clear();
        EXPECT_TRUE(setScale(static_cast<float>(scale)));
        ASSERT_EQ(attach(), V3_OK);
        plugin->setNormalized(OriginCutoff, 0.5);  // mid-way, so that the drag can move it either way
        serveFor(300ms);
        const Rect knob = editorlayout::controlRect(editorlayout::kCells[OriginCutoff]);
        POINT centre{scale * (knob.left + knob.right) / 2, scale * (knob.top + knob.bottom) / 2};
        ClientToScreen(editorWindow(), &centre);
        std::atomic<bool> released{false};
        std::thread user([&] {
            SetCursorPos(centre.x, centre.y);
            sendMouseButton(MOUSEEVENTF_LEFTDOWN);
            for (int d = 4 * scale; d <= 40 * scale; d += 4 * scale) {
                std::this_thread::sleep_for(60ms);
                SetCursorPos(centre.x + d, centre.y - d);
            }
            std::this_thread::sleep_for(100ms);
            sendMouseButton(MOUSEEVENTF_LEFTUP);
            released = true;
        });
        while (!released) serveFor(50ms);
        user.join();
        serveFor(100ms);
        EXPECT_EQ(remove(), V3_OK);

        handler.expectOneGesture(*plugin, OriginCutoff, 0.5);
    }
}

}  // namespace
