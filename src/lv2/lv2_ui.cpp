// The LV2 edition's editor: the same DelayEditor over the X11 backend, embedded in the window
// the host passes as ui:parent. The UI may run in another process than the plug-in, so it
// keeps a parameter model of its own, a DelayPlugin that never processes audio: the editor
// reads its texts and values from there as in the VST 2 module. What the user sets is written
// to the host in the ports' units; what the host reports for the ports is set in the model
// without being written back.
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

private:
    bool touch(VstInt32 index, bool grabbed) {
        if (!host.touch || index < 0 || index >= lv2ports::kNumControlPorts) return false;
        host.touch->touch(host.touch->handle, static_cast<std::uint32_t>(index), grabbed);
        return true;
    }

    HostServices host;
    bool receiving = false;
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
    if (std::strcmp(pluginUri, kPluginUri) != 0 || !write || !parent) return nullptr;
    const HostServices host{write, controller, static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))};
    auto* model = new (std::nothrow) UiModel(host);
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
// host's editor idle.
int idle(LV2UI_Handle handle) {
    modelOf(handle)->delayEditor()->idle();
    return 0;
}

const LV2UI_Idle_Interface kIdle = {idle};

const void* extensionData(const char* uri) { return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr; }

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
