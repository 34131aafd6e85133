// The VST 3 plug-in as one object: component, audio processor and edit controller together
// (with unit information and the process context it asks for), so that processor and
// controller share the module without a message channel. The processor runs with the values
// its queues bring at their offsets and those a component state gives it; the controller
// shows the values the host sets on it, and each is the processor's too from its next block
// on, so that the component state holds what the host set even when no block ran between.
// The editor is a plug view of its own (delay_view.h), told of every value the host sets.
#pragma once

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/unit.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "core/parameter_state.h"
#include "vst3/delay_processor.h"

namespace vst3door {

class DelayPlugin;
class DelayView;

// One interface of the object as the host holds it: a pointer to this, whose first member is
// the interface's function table.
struct Face {
    const void* table;
    DelayPlugin* owner;
};

class DelayPlugin {
public:
    DelayPlugin();
    DelayPlugin(const DelayPlugin&) = delete;
    DelayPlugin& operator=(const DelayPlugin&) = delete;

    // The interface iid names, counted; V3_NO_INTERFACE (and null) for one it does not have.
    v3_result query(const v3_tuid iid, void** object);
    std::uint32_t ref() { return ++references; }
    std::uint32_t unref();  // deletes the object at zero

    DelayProcessor& processor() { return processing; }

    // The component state: the core's state bytes of the processor's values.
    v3_result saveState(v3_bstream** stream);
    v3_result loadState(v3_bstream** stream);

    // The controller's side, main thread.
    v3_result followComponentState(v3_bstream** stream);
    double normalized(v3_param_id id) const;
    v3_result setNormalized(v3_param_id id, double value);
    std::optional<float> syncedMilliseconds() const;
    v3_result setHandler(v3_component_handler** handler);
    void terminate() { setHandler(nullptr); }

    // The editor's side, UI thread: its view (one at a time), and the user's edits, which
    // the host learns of through the component handler.
    v3_plugin_view** createView(const char* name);
    void showIn(DelayView* shown) { view = shown; }
    void beginEdit(std::int32_t index);
    void edit(std::int32_t index, float value);
    void endEdit(std::int32_t index);

private:
    ~DelayPlugin();
    void control(std::int32_t index, float value);
    void showAll(const ParameterValues& values);

    std::atomic<std::uint32_t> references{0};
    Face component, audioProcessor, controller, units, contextRequirements;
    DelayProcessor processing;
    ParameterState controls;  // the values as the controller shows them
    double bypassValue = 0.0;
    std::int32_t program = 0;
    v3_component_handler** handler = nullptr;
    DelayView* view = nullptr;  // the open editor's, told of the host's changes
};

}  // namespace vst3door
