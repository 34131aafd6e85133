// The LV2 edition's editor: the same DelayEditor over the X11 backend, embedded in the window
// the host passes as ui:parent. The UI may run in another process than the plug-in, so it
// keeps the parameters' values itself: each as the plug-in makes it of its port's value, its
// text from the parameter table, the Rate's while Sync is on from the plug-in's synced delay
// port. What the user sets is written to the host in the ports' units; what the host reports
// for the ports is shown without being written back. A host that cannot embed it (no
// ui:parent) shows it in a window of its own through ui:showInterface.
#include <X11/Xlib.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "core/parameter_state.h"
#include "core/parameters.h"
#include "editor/delay_editor.h"
#include "editor/editor_platform.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "platform/x11/x11_window.h"

namespace {

struct HostServices {
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Touch* touch = nullptr;
};

class UiModel final : public EditorConnection {
public:
    explicit UiModel(const HostServices& host) : host(host) {
        ensureEditorPlatform();
        editor = std::make_unique<DelayEditor>(*this);
    }

    ~UiModel() { hide(); }

    DelayEditor& delayEditor() { return *editor; }

    float parameterValue(std::int32_t index) override { return values.value(index); }
    // While Sync is on, the Rate shows the length the plug-in reports the delay runs at.
    void parameterText(std::int32_t index, char* text) override {
        const bool synced = enumerationStop(DelaySync, values.value(DelaySync)) != 0 && syncedDelay > 0.0f;
        shownText(index, values.value(index), synced ? std::optional(syncedDelay) : std::nullopt, text);
    }

    // From the editor (knobs, switches, typed values): the port is written with the value in
    // its unit, and the model keeps what the plug-in will make of that port value.
    void editParameter(std::int32_t index, float value) override {
        const float portValue = toUnitValue(index, normalizedValue(value));
        store(index, ParameterState::asSentBack(index, value));
        host.write(host.controller, lv2ports::portOfParameter(index), sizeof portValue, 0, &portValue);
    }

    // From the host: automation, presets, other UIs.
    void portChanged(std::int32_t parameter, float portValue) { store(parameter, fromUnitValue(parameter, portValue)); }
    void syncedDelayChanged(float milliseconds) {
        syncedDelay = milliseconds;
        editor->parameterChanged(DelayTime);
    }

    void beginEdit(std::int32_t index) override { touch(index, true); }
    void endEdit(std::int32_t index) override { touch(index, false); }
    void runHostIdle() override {}

    // The window of its own for ui:showInterface, on a connection of its own; the editor is
    // embedded in it as in a host's window.
    bool show() {
        if (ownDisplay) return true;
        ownDisplay = XOpenDisplay(nullptr);
        if (!ownDisplay) return false;
        const Rect& size = editor->getRect();
        ownWindow = XCreateSimpleWindow(ownDisplay, DefaultRootWindow(ownDisplay), 0, 0,
                                        static_cast<unsigned>(size.right - size.left),
                                        static_cast<unsigned>(size.bottom - size.top), 0, 0, 0);
        XStoreName(ownDisplay, ownWindow, "Vellumine");
        closeRequest = XInternAtom(ownDisplay, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(ownDisplay, ownWindow, &closeRequest, 1);
        XMapWindow(ownDisplay, ownWindow);
        XSync(ownDisplay, False);
        editor->open(reinterpret_cast<void*>(ownWindow));
        if (dynamic_cast<platform::x11::X11Window*>(editor->getFrame()->window())) return true;
        hide();
        return false;
    }

    void hide() {
        if (!ownDisplay) return;
        editor->close();
        XDestroyWindow(ownDisplay, ownWindow);
        XCloseDisplay(ownDisplay);
        ownDisplay = nullptr;
    }

    // Whether the user closed the window of its own since the last call.
    bool closedByUser() {
        if (!ownDisplay) return false;
        bool closed = false;
        while (XPending(ownDisplay)) {
            XEvent event;
            XNextEvent(ownDisplay, &event);
            closed = closed || (event.type == ClientMessage &&
                                static_cast<Atom>(event.xclient.data.l[0]) == closeRequest);
        }
        return closed;
    }

private:
    void store(std::int32_t index, float value) {
        values.store(index, value);
        editor->parameterChanged(index);
    }

    void touch(std::int32_t index, bool grabbed) {
        if (host.touch) host.touch->touch(host.touch->handle, lv2ports::portOfParameter(index), grabbed);
    }

    HostServices host;
    ParameterState values;
    float syncedDelay = 0.0f;  // ms, as the plug-in last reported it
    std::unique_ptr<DelayEditor> editor;
    Display* ownDisplay = nullptr;
    ::Window ownWindow = 0;
    Atom closeRequest = 0;
};

UiModel* modelOf(LV2UI_Handle handle) { return static_cast<UiModel*>(handle); }

const void* featureData(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if (std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}

// The host's ui:scaleFactor among its options (a float, needing urid:map to be found).
std::optional<double> hostScale(const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    const auto* option = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
    if (!map || !option) return std::nullopt;
    const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID atomFloat = map->map(map->handle, LV2_ATOM__Float);
    for (; option->key != 0; ++option) {
        if (option->key == scaleFactor && option->type == atomFloat && option->size == sizeof(float) && option->value)
            return *static_cast<const float*>(option->value);
    }
    return std::nullopt;
}

LV2UI_Handle makeUi(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                    LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
    if (std::strcmp(pluginUri, kPluginUri) != 0 || !write) return nullptr;
    const HostServices host{write, controller, static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))};
    auto model = std::make_unique<UiModel>(host);
    if (const auto scale = hostScale(features)) {
        model->delayEditor().setScale(*scale);
    } else {
        model->delayEditor().settleScale();
    }
    if (!parent) {
        *widget = nullptr;  // the host shows it through ui:showInterface
        return model.release();
    }
    DelayEditor& editor = model->delayEditor();
    if (!editor.open(parent)) return nullptr;
    auto* window = dynamic_cast<platform::x11::X11Window*>(editor.getFrame()->window());
    if (!window) return nullptr;  // no display, or the parent is no window of it
    *widget = reinterpret_cast<LV2UI_Widget>(window->id());
    if (const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize))) {
        const Rect& size = editor.getRect();
        resize->ui_resize(resize->handle, size.right - size.left, size.bottom - size.top);
    }
    return model.release();
}

// The host calls through C pointers, so no exception may pass: an allocation that fails while
// the editor is built or opened refuses the UI, or the window, instead.
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) noexcept {
    try {
        return makeUi(pluginUri, write, controller, widget, features);
    } catch (...) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) { delete modelOf(handle); }

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) {
    const std::int32_t parameter = lv2ports::parameterOfPort(port);
    if (format != 0 || size != sizeof(float) || (parameter < 0 && port != lv2ports::kSyncedDelayPort)) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    if (parameter >= 0)
        modelOf(handle)->portChanged(parameter, value);
    else
        modelOf(handle)->syncedDelayChanged(value);
}

// The host's idle: X events are delivered and changed controls redrawn, as at a VST 2
// host's editor idle. Non-zero once the user closed the window of its own.
int idle(LV2UI_Handle handle) noexcept {
    UiModel& model = *modelOf(handle);
    if (model.closedByUser()) return 1;
    try {
        model.delayEditor().idle();
    } catch (...) {  // a redraw that could not allocate: the next idle tries again
    }
    return 0;
}

int show(LV2UI_Handle handle) noexcept {
    try {
        return modelOf(handle)->show() ? 0 : 1;
    } catch (...) {
        modelOf(handle)->hide();
        return 1;
    }
}

int hide(LV2UI_Handle handle) {
    modelOf(handle)->hide();
    return 0;
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2UI_Show_Interface kShow = {show, hide};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    if (std::strcmp(uri, LV2_UI__showInterface) == 0) return &kShow;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
