#include "vst3/delay_view.h"

#include <cstring>
#include <new>

#include "editor/editor_platform.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_platform.h"
#else
#include "platform/x11/x11_window.h"
#endif
#include "vst3/delay_plugin.h"

namespace vst3door {
namespace {

// About 30 times a second, as the CLAP edition asks; the editor's own idle paces the rest.
constexpr std::uint64_t kTimerPeriodMs = 33;

DelayView& of(void* self) { return *static_cast<ViewFace*>(self)->owner; }

// No exception may pass a call the host makes through a function table.
template <typename Body>
v3_result guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return V3_NOMEM;
    } catch (...) {
        return V3_INTERNAL_ERR;
    }
}

v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object) { return of(self).query(iid, object); }
std::uint32_t V3_API addReference(void* self) { return of(self).ref(); }
std::uint32_t V3_API release(void* self) { return of(self).unref(); }
constexpr v3_funknown kUnknown = {queryInterface, addReference, release};

#ifdef _WIN32
constexpr const char* kPlatformType = V3_VIEW_PLATFORM_TYPE_HWND;
#else
constexpr const char* kPlatformType = V3_VIEW_PLATFORM_TYPE_X11;
#endif

v3_result V3_API platformSupported(void*, const char* type) {
    return type && std::strcmp(type, kPlatformType) == 0 ? V3_TRUE : V3_FALSE;
}
v3_result V3_API attached(void* self, void* parent, const char* type) {
    return guarded([&] { return of(self).attach(parent, type); });
}
v3_result V3_API removed(void* self) {
    return guarded([&] { return of(self).remove(); });
}
v3_result V3_API onWheel(void*, float) { return V3_FALSE; }
v3_result V3_API onKey(void*, std::int16_t, std::int16_t, std::int16_t) { return V3_FALSE; }
v3_result V3_API getSize(void* self, v3_view_rect* rect) {
    if (!rect) return V3_INVALID_ARG;
    *rect = of(self).size();
    return V3_OK;
}
// Fixed size: any other size asked for is answered with the editor's.
v3_result V3_API onSize(void* self, v3_view_rect* rect) {
    if (!rect) return V3_INVALID_ARG;
    const v3_view_rect own = of(self).size();
    return rect->right - rect->left == own.right && rect->bottom - rect->top == own.bottom ? V3_OK : V3_FALSE;
}
v3_result V3_API onFocus(void*, v3_bool) { return V3_OK; }
v3_result V3_API setFrame(void* self, v3_plugin_frame** frame) { return of(self).setFrame(frame); }
v3_result V3_API canResize(void*) { return V3_FALSE; }
v3_result V3_API checkSizeConstraint(void* self, v3_view_rect* rect) {
    if (!rect) return V3_INVALID_ARG;
    const v3_view_rect own = of(self).size();
    rect->right = rect->left + own.right;
    rect->bottom = rect->top + own.bottom;
    return V3_OK;
}

constexpr v3_plugin_view_cpp kView = {
    kUnknown,
    {platformSupported, attached, removed, onWheel, onKey, onKey, getSize, onSize, onFocus, setFrame, canResize,
     checkSizeConstraint}};

v3_result V3_API setContentScale(void* self, float factor) {
    return guarded([&] { return of(self).setScale(factor); });
}
constexpr v3_plugin_view_content_scale_cpp kContentScale = {kUnknown, {setContentScale}};

// A redraw that could not allocate: the next tick tries again.
void V3_API onTimer(void* self) {
    guarded([&] {
        of(self).tick();
        return V3_OK;
    });
}
constexpr v3_timer_handler_cpp kTimer = {kUnknown, {onTimer}};

#ifdef _WIN32
// The view's own timer on the host's window, its id the view itself.
void CALLBACK onWindowTimer(HWND, UINT, UINT_PTR id, DWORD) {
    guarded([&] {
        reinterpret_cast<DelayView*>(id)->tick();
        return V3_OK;
    });
}
#endif

}  // namespace

v3_plugin_view** DelayView::create(DelayPlugin& plugin) {
    auto* created = new DelayView(plugin);
    created->ref();
    return created->face();
}

DelayView::DelayView(DelayPlugin& owner)
    : view{&kView, this}, contentScale{&kContentScale, this}, timer{&kTimer, this}, plugin(owner) {
    ensureEditorPlatform();
    editor = std::make_unique<DelayEditor>(*this);
    plugin.ref();
    plugin.showIn(this);
}

DelayView::~DelayView() {
    remove();
    setFrame(nullptr);
    plugin.showIn(nullptr);
    editor.reset();
    plugin.unref();
}

v3_plugin_view** DelayView::face() { return reinterpret_cast<v3_plugin_view**>(&view); }

v3_result DelayView::query(const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    ViewFace* found = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_view_iid))
        found = &view;
    else if (v3_tuid_match(iid, v3_plugin_view_content_scale_iid))
        found = &contentScale;
    else if (v3_tuid_match(iid, v3_timer_handler_iid))
        found = &timer;
    *object = found;
    if (!found) return V3_NO_INTERFACE;
    ref();
    return V3_OK;
}

std::uint32_t DelayView::unref() {
    const std::uint32_t left = --references;
    if (left == 0) delete this;
    return left;
}

// Opens the editor in the host's window, then asks the frame's run loop for the timer.
v3_result DelayView::attach(void* parent, const char* platformType) {
    if (!parent || platformSupported(nullptr, platformType) != V3_TRUE || parentWindow) return V3_FALSE;
    if (!editor->open(parent) || !shownByHost()) {
        editor->close();
        return V3_FALSE;
    }
    parentWindow = parent;
    shownSync = plugin.syncedMilliseconds();
    startTimer();
    return V3_OK;
}

// Without a display the backend would draw into memory: nothing the host could show.
bool DelayView::shownByHost() const {
#ifdef _WIN32
    return dynamic_cast<platform::win32::Win32Window*>(editor->getFrame()->window()) != nullptr;
#else
    return dynamic_cast<platform::x11::X11Window*>(editor->getFrame()->window()) != nullptr;
#endif
}

v3_result DelayView::remove() {
    if (!parentWindow) return V3_FALSE;
    stopTimer();
    parentWindow = nullptr;
    editor->close();
    return V3_OK;
}

// Windows offers plug-in views no run loop: there the view sets a timer on the host's window,
// which the host's message loop serves; elsewhere it asks the frame's run loop for one.
void DelayView::startTimer() {
#ifdef _WIN32
    SetTimer(static_cast<HWND>(parentWindow), reinterpret_cast<UINT_PTR>(this), kTimerPeriodMs, onWindowTimer);
#else
    if (!frame || v3_cpp_obj_query_interface(frame, v3_run_loop_iid, &runLoop) != V3_OK) {
        runLoop = nullptr;
        return;
    }
    if (v3_cpp_obj(runLoop)->register_timer(runLoop, reinterpret_cast<v3_timer_handler**>(&timer), kTimerPeriodMs) !=
        V3_OK)
        releaseRunLoop();
#endif
}

void DelayView::stopTimer() {
#ifdef _WIN32
    KillTimer(static_cast<HWND>(parentWindow), reinterpret_cast<UINT_PTR>(this));
#else
    if (!runLoop) return;
    v3_cpp_obj(runLoop)->unregister_timer(runLoop, reinterpret_cast<v3_timer_handler**>(&timer));
    releaseRunLoop();
#endif
}

void DelayView::releaseRunLoop() {
    v3_cpp_obj_unref(runLoop);
    runLoop = nullptr;
}

v3_view_rect DelayView::size() const {
    const Rect rect = editor->getRect();
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

// The nearest scale drawn not larger (see editor_scale.h); true when that is the one asked
// for. Some hosts set it after attaching: the editor is built again in the same window, and
// the frame is asked to follow.
v3_result DelayView::setScale(float factor) {
    if (!parentWindow) {
        editor->setScale(factor);
        return editor->getScale() == factor ? V3_TRUE : V3_FALSE;
    }
    const double shown = editor->getScale();
    editor->close();
    editor->setScale(factor);
    if (!editor->open(parentWindow)) return V3_FALSE;
    if (editor->getScale() != shown) resizeHostWindow(size().right, size().bottom);
    return editor->getScale() == factor ? V3_TRUE : V3_FALSE;
}

v3_result DelayView::setFrame(v3_plugin_frame** next) {
    if (next) v3_cpp_obj_ref(next);
    if (frame) v3_cpp_obj_unref(frame);
    frame = next;
    return V3_OK;
}

// The synced Rate's text follows the tempo, which the host changes without telling the view.
void DelayView::tick() {
    const std::optional<float> sync = plugin.syncedMilliseconds();
    if (sync != shownSync) editor->parameterChanged(DelayTime);
    shownSync = sync;
    editor->idle();
}

float DelayView::parameterValue(std::int32_t index) { return static_cast<float>(plugin.normalized(static_cast<v3_param_id>(index))); }
void DelayView::parameterText(std::int32_t index, char* text) {
    const float value = parameterValue(index);
    shownText(index, value, index == DelayTime ? plugin.syncedMilliseconds() : std::nullopt, text);
}
void DelayView::editParameter(std::int32_t index, float value) { plugin.edit(index, value); }
void DelayView::beginEdit(std::int32_t index) { plugin.beginEdit(index); }
void DelayView::endEdit(std::int32_t index) { plugin.endEdit(index); }

bool DelayView::resizeHostWindow(int width, int height) {
    if (!frame) return false;
    v3_view_rect rect{0, 0, width, height};
    return v3_cpp_obj(frame)->resize_view(frame, face(), &rect) == V3_OK;
}

}  // namespace vst3door
