// plughost as a VST 3 host: loading a .vst3 bundle's module, the objects a host hands a
// plug-in (its application, the component handler, memory streams, parameter changes), and
// one plug-in with the calls a host makes on its component, processor and controller.
#pragma once

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/host.h>
#include <travesty/unit.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plughost::vst3 {

// Whether a path names a VST 3 bundle (by its extension; a trailing slash is allowed).
bool isVst3Path(const std::string& path);

class Vst3Module {
public:
    // Loads the bundle's module for this platform, calls its entry and takes its factory;
    // null with a reason otherwise.
    static std::unique_ptr<Vst3Module> load(const std::string& bundle, std::string& error);
    ~Vst3Module();  // the module's exit, then it is unloaded
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    const std::string& path() const { return bundlePath; }
    v3_plugin_factory** factory() const { return pluginFactory; }
    v3_factory_info factoryInfo() const;
    // The factory's classes, with the version 2 fields where the factory has them.
    std::vector<v3_class_info_2> classes() const;

private:
    Vst3Module(std::string path, void* handle, v3_plugin_factory** factory);

    std::string bundlePath;
    void* handle;
    v3_plugin_factory** pluginFactory;
};

// An object of the host's as the plug-in holds it: a pointer to this, whose first member is
// its function table.
struct HostFace {
    const void* table;
    void* owner;
};

// The host application and the component handler in one: counts what the plug-in tells it.
class HostContext {
public:
    HostContext();
    HostContext(const HostContext&) = delete;
    HostContext& operator=(const HostContext&) = delete;
    v3_funknown** application() { return reinterpret_cast<v3_funknown**>(&applicationFace); }
    v3_component_handler** handler() { return reinterpret_cast<v3_component_handler**>(&handlerFace); }

    std::atomic<int> edits{0};
    std::atomic<int> restarts{0};

private:
    HostFace applicationFace, handlerFace;
};

// A stream over bytes in memory, for states.
class MemoryStream {
public:
    explicit MemoryStream(std::vector<unsigned char> bytes = {});
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    v3_bstream** record() { return reinterpret_cast<v3_bstream**>(&face); }

    std::vector<unsigned char> bytes;
    std::size_t position = 0;

private:
    HostFace face;
};

// One block's parameter changes: a queue per parameter with its points in offset order, as a
// host hands them to process, or as the plug-in reports its own.
class ParameterChanges {
public:
    struct Point {
        std::int32_t offset;
        double value;
    };
    struct Queue {
        HostFace face;
        v3_param_id id;
        std::vector<Point> points;
    };

    ParameterChanges();
    ParameterChanges(const ParameterChanges&) = delete;
    ParameterChanges& operator=(const ParameterChanges&) = delete;
    v3_param_changes** record() { return reinterpret_cast<v3_param_changes**>(&face); }

    // Appends a point to the parameter's queue (made on its first point).
    void add(v3_param_id id, std::int32_t offset, double value);
    Queue* queue(v3_param_id id);
    void clear() { queues.clear(); }
    bool empty() const { return queues.empty(); }
    const std::vector<std::unique_ptr<Queue>>& all() const { return queues; }

private:
    HostFace face;
    std::vector<std::unique_ptr<Queue>> queues;
};

// The first audio effect class of a module, created and initialized, its controller with it
// (the component itself where it is one, else the controller class it names), the handler set.
class Vst3Plugin {
public:
    static std::unique_ptr<Vst3Plugin> create(const Vst3Module& module, std::string& error);
    ~Vst3Plugin();  // stops, deactivates, terminates and releases
    Vst3Plugin(const Vst3Plugin&) = delete;
    Vst3Plugin& operator=(const Vst3Plugin&) = delete;

    v3_component** component() const { return componentObject; }
    v3_audio_processor** processor() const { return processorObject; }
    v3_edit_controller** controller() const { return controllerObject; }
    HostContext& host() { return context; }
    // Another interface of the component (or of the controller, where that has it); null if none.
    void* query(const v3_tuid iid) const;

    std::vector<v3_param_info> parameters() const;
    std::optional<std::string> text(v3_param_id id, double normalized) const;
    std::optional<double> parse(v3_param_id id, const std::string& text) const;
    double normalized(v3_param_id id) const;
    bool setNormalized(v3_param_id id, double value);

    // Setup and activation at a rate; false when the plug-in refuses either.
    bool activate(double sampleRate, std::int32_t maxBlock);
    void deactivate();
    // Stereo in and out (either may be null to send no buffers), the changes, and the
    // context when there is one: what process answers. silence receives the output's flags.
    v3_result process(const float* const* inputs, float* const* outputs, std::int32_t frames, ParameterChanges& in,
                      ParameterChanges& out, v3_process_context* processContext = nullptr,
                      std::uint64_t* silence = nullptr, std::uint64_t inputSilence = 0);
    std::uint32_t tailSamples() const;
    std::uint32_t latencySamples() const;

    // The component state; loading gives it to the component, then the controller.
    std::optional<std::vector<unsigned char>> save() const;
    bool load(const std::vector<unsigned char>& bytes);

private:
    Vst3Plugin() = default;

    HostContext context;
    v3_component** componentObject = nullptr;
    v3_audio_processor** processorObject = nullptr;
    v3_edit_controller** controllerObject = nullptr;
    bool separateController = false;
    bool active = false, processing = false;
};

}  // namespace plughost::vst3
