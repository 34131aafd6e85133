// The editor check of `plughost check` on a VST 3 plug-in: the controller's plug view in a host
// window, with a plug frame whose run loop keeps the view's timers and fires them as a host's
// user-interface loop does.
#include <travesty/view.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "plughost/host_window.h"
#include "plughost/vst3_check_support.h"

namespace plughost::vst3 {
namespace {

#ifdef _WIN32
constexpr const char* kPlatform = V3_VIEW_PLATFORM_TYPE_HWND;
#else
constexpr const char* kPlatform = V3_VIEW_PLATFORM_TYPE_X11;
#endif

// The plug frame and its run loop; the check owns them, so counting does nothing.
class HostFrame {
public:
    HostFrame() : frameFace{&kFrame, this}, loopFace{&kLoop, this} {}
    HostFrame(const HostFrame&) = delete;
    HostFrame& operator=(const HostFrame&) = delete;
    v3_plugin_frame** frame() { return reinterpret_cast<v3_plugin_frame**>(&frameFace); }
    void fire() {
        for (std::size_t i = 0; i < timers.size(); ++i) v3_cpp_obj(timers[i])->on_timer(timers[i]);
    }

    std::vector<v3_timer_handler**> timers;
    std::vector<v3_event_handler**> handlers;

private:
    static HostFrame& of(void* self) { return *static_cast<HostFrame*>(static_cast<HostFace*>(self)->owner); }
    static std::uint32_t V3_API unowned(void*) { return 1; }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object) {
        HostFrame& me = of(self);
        if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_frame_iid)) *object = &me.frameFace;
        else if (v3_tuid_match(iid, v3_run_loop_iid)) *object = &me.loopFace;
        else *object = nullptr;
        return *object ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_result V3_API resize(void*, v3_plugin_view**, v3_view_rect*) { return V3_OK; }
    static v3_result V3_API addHandler(void* self, v3_event_handler** handler, int) {
        of(self).handlers.push_back(handler);
        return V3_OK;
    }
    static v3_result V3_API removeHandler(void* self, v3_event_handler** handler) {
        std::erase(of(self).handlers, handler);
        return V3_OK;
    }
    static v3_result V3_API addTimer(void* self, v3_timer_handler** timer, std::uint64_t) {
        of(self).timers.push_back(timer);
        return V3_OK;
    }
    static v3_result V3_API removeTimer(void* self, v3_timer_handler** timer) {
        std::erase(of(self).timers, timer);
        return V3_OK;
    }
    static constexpr v3_plugin_frame_cpp kFrame = {{query, unowned, unowned}, {resize}};
    static constexpr v3_run_loop_cpp kLoop = {{query, unowned, unowned}, {addHandler, removeHandler, addTimer, removeTimer}};

    HostFace frameFace, loopFace;
};

}  // namespace

// The view attached to a host window and idled through its timers for about a second while an
// audio thread processes with queue points, then removed while that thread still runs; no
// timer or event handler may outlive it.
void checkEditor(Vst3CheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    v3_edit_controller** controller = plugin->controller();
    v3_plugin_view** view = v3_cpp_obj(controller)->create_view(controller, "editor");
    if (!view) return c.findings.skip("no editor");
    if (v3_cpp_obj(view)->is_platform_type_supported(view, kPlatform) != V3_TRUE) {
        v3_cpp_obj_unref(view);
        return c.findings.skip(std::string("the editor does not embed in ") + kPlatform);
    }
    std::string whyNot;
    auto window = HostWindow::open(640, 480, whyNot);
    if (!window) {
        v3_cpp_obj_unref(view);
        return c.findings.skip(whyNot);
    }
    HostFrame frame;
    v3_cpp_obj(view)->set_frame(view, frame.frame());
    v3_view_rect rect{};
    if (v3_cpp_obj(view)->get_size(view, &rect) != V3_OK || rect.right <= rect.left || rect.bottom <= rect.top)
        c.findings.add("getSize gave no size");
    if (v3_cpp_obj(view)->attached(view, window->parent(), kPlatform) != V3_OK) c.findings.add("attached failed");
    const std::vector<v3_param_info> parameters = automated(plugin->parameters());
    Findings audioFindings;
    std::atomic<bool> stopped{false};
    std::thread audio([&] {
        Random random(c.options.seed);
        ParameterChanges points;
        while (!stopped) {
            points.clear();
            if (!parameters.empty()) {
                const v3_param_info& info = parameters[static_cast<std::size_t>(random.below(static_cast<int>(parameters.size())))];
                points.add(info.param_id, random.below(256), random.unit());
            }
            if (!processGuarded(*plugin, 256, random, points, "editor open, audio thread", audioFindings)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int tick = 0; tick < 30; ++tick) {
        window->serve();
        frame.fire();
        std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
    v3_cpp_obj(view)->removed(view);
    stopped = true;
    audio.join();
    if (!frame.timers.empty()) c.findings.add("a timer stays registered with the run loop after removed");
    if (!frame.handlers.empty()) c.findings.add("an event handler stays registered with the run loop after removed");
    v3_cpp_obj(view)->set_frame(view, nullptr);
    v3_cpp_obj_unref(view);
    for (const std::string& finding : audioFindings.list()) c.findings.add(finding);
}

}  // namespace plughost::vst3
