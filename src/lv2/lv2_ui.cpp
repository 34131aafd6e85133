// The LV2 edition's editor: the same DelayEditor over the X11 backend, embedded in the window
// the host passes as ui:parent. The UI may run in another process than the plug-in, so it
// keeps a parameter model of its own, a DelayPlugin that never processes audio: the editor
// reads its texts and values from there as in the VST 2 module. What the user sets is written
// to the host in the ports' units; what the host reports for the ports is set in the model
// without being written back. A host that cannot embed it (no ui:parent) shows it in a window
// of its own through ui:showInterface.
#include <X11/Xlib.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "editor/delay_editor.h"
#include "engine/delay_plugin.h"
#include "lv2/port_mapping.h"
#include "lv2/uris.h"
#include "platform/x11/x11_window.h"

namespace {

// The VST 2 host calls the model makes: a version, so that it behaves as hosted; the rest has
// no counterpart here (automation goes through setParameter below).
VstIntPtr VSTCALL modelHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct HostServices {
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Touch* touch = nullptr;
};

class UiModel : public DelayPlugin {
public:
    explicit UiModel(const HostServices& host) : DelayPlugin(modelHost), host(host) {}

    // From the editor (knobs, switches, typed values): the port is written with the value in
    // its unit, and the model keeps what the plug-in will make of that port value.
    void setParameter(VstInt32 index, float value) override {
        if (receiving || index < 0 || index >= lv2ports::kNumControlPorts) {
            DelayPlugin::setParameter(index, value);
            return;
        }
        const float portValue = lv2ports::toPortValue(index, normalized(value));
        DelayPlugin::setParameter(index, lv2ports::toNormalized(index, portValue));
        host.write(host.controller, static_cast<std::uint32_t>(index), sizeof portValue, 0, &portValue);
    }

    // From the host: automation, presets, other UIs.
    void portChanged(std::uint32_t index, float portValue) {
        receiving = true;
        setParameter(static_cast<VstInt32>(index), lv2ports::toNormalized(static_cast<std::int32_t>(index), portValue));
        receiving = false;
    }

    bool hostBeginEdit(VstInt32 index) override { return touch(index, true); }
    bool hostEndEdit(VstInt32 index) override { return touch(index, false); }

    DelayEditor* delayEditor() { return static_cast<DelayEditor*>(editor); }

    // The window of its own for ui:showInterface, on a connection of its own; the editor is
    // embedded in it as in a host's window.
    bool show() {
        if (ownDisplay) return true;
        ownDisplay = XOpenDisplay(nullptr);
        if (!ownDisplay) return false;
        ERect* rect = nullptr;
        delayEditor()->getRect(&rect);
        ownWindow = XCreateSimpleWindow(ownDisplay, DefaultRootWindow(ownDisplay), 0, 0,
                                        static_cast<unsigned>(rect->right - rect->left),
                                        static_cast<unsigned>(rect->bottom - rect->top), 0, 0, 0);
        XStoreName(ownDisplay, ownWindow, "Vellumine");
        closeRequest = XInternAtom(ownDisplay, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(ownDisplay, ownWindow, &closeRequest, 1);
        XMapWindow(ownDisplay, ownWindow);
        XSync(ownDisplay, False);
        delayEditor()->open(reinterpret_cast<void*>(ownWindow));
        if (dynamic_cast<platform::x11::X11Window*>(delayEditor()->getFrame()->window())) return true;
        hide();
        return false;
    }

    void hide() {
        if (!ownDisplay) return;
        delayEditor()->close();
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

    ~UiModel() override { hide(); }

private:
    bool touch(VstInt32 index, bool grabbed) {
        if (!host.touch || index < 0 || index >= lv2ports::kNumControlPorts) return false;
        host.touch->touch(host.touch->handle, static_cast<std::uint32_t>(index), grabbed);
        return true;
    }

    HostServices host;
    bool receiving = false;
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

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
    if (std::strcmp(pluginUri, kPluginUri) != 0 || !write) return nullptr;
    const HostServices host{write, controller, static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))};
    auto* model = new (std::nothrow) UiModel(host);
    if (model && model->delayEditor() && !parent) {
        *widget = nullptr;  // the host shows it through ui:showInterface
        return model;
    }
    if (!model || !model->delayEditor() || !model->delayEditor()->open(parent)) {
        delete model;
        return nullptr;
    }
    auto* window = dynamic_cast<platform::x11::X11Window*>(model->delayEditor()->getFrame()->window());
    if (!window) {  // no display, or the parent is no window of it
        delete model;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window->id());
    if (const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize))) {
        ERect* rect = nullptr;
        model->delayEditor()->getRect(&rect);
        resize->ui_resize(resize->handle, rect->right - rect->left, rect->bottom - rect->top);
    }
    return model;
}

void cleanup(LV2UI_Handle handle) { delete modelOf(handle); }

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) {
    if (format != 0 || size != sizeof(float) || port >= static_cast<std::uint32_t>(lv2ports::kNumControlPorts)) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    modelOf(handle)->portChanged(port, value);
}

// The host's idle: X events are delivered and changed controls redrawn, as at a VST 2
// host's editor idle. Non-zero once the user closed the window of its own.
int idle(LV2UI_Handle handle) {
    UiModel& model = *modelOf(handle);
    if (model.closedByUser()) return 1;
    model.delayEditor()->idle();
    return 0;
}

int show(LV2UI_Handle handle) { return modelOf(handle)->show() ? 0 : 1; }

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
