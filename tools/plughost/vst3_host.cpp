#include "plughost/vst3_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstring>
#include <utility>

namespace plughost::vst3 {
namespace {

#ifdef _WIN32
// The folder of this program's own architecture: a 32-bit host loads only a 32-bit module.
#ifdef _WIN64
constexpr const char* kModuleFolder = "x86_64-win";
#else
constexpr const char* kModuleFolder = "x86-win";
#endif
constexpr const char* kModuleSuffix = ".vst3";
void* openLibrary(const std::string& path, std::string& error) {
    HMODULE handle = LoadLibraryA(path.c_str());
    if (!handle) error = path + ": cannot load the module (error " + std::to_string(GetLastError()) + ")";
    return handle;
}
void* V3_API findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void V3_API closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
constexpr const char* kEntryName = "InitDll";
constexpr const char* kExitName = "ExitDll";
using EntryFunction = bool (*)();
bool V3_API callEntry(void* symbol, void*) { return reinterpret_cast<EntryFunction>(symbol)(); }
#else
#if defined(__aarch64__)
constexpr const char* kModuleFolder = "aarch64-linux";
#else
constexpr const char* kModuleFolder = "x86_64-linux";
#endif
constexpr const char* kModuleSuffix = ".so";
void* openLibrary(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) error = path + ": " + dlerror();
    return handle;
}
void* V3_API findSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void V3_API closeLibrary(void* handle) { dlclose(handle); }
constexpr const char* kEntryName = "ModuleEntry";
constexpr const char* kExitName = "ModuleExit";
using EntryFunction = bool (*)(void*);
bool V3_API callEntry(void* symbol, void* handle) { return reinterpret_cast<EntryFunction>(symbol)(handle); }
#endif
using ExitFunction = bool (*)();
using FactoryFunction = void* (*)();

constexpr const char* kAudioEffectCategory = "Audio Module Class";
constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;

// The module inside a bundle: Contents/<architecture folder>/<bundle name><suffix>.
std::string modulePath(std::string bundle) {
    while (bundle.size() > 1 && bundle.back() == '/') bundle.pop_back();
    const std::size_t slash = bundle.find_last_of('/');
    const std::string file = bundle.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string name = file.substr(0, file.size() - std::strlen(".vst3"));
    const std::string where = bundle.find('/') == std::string::npos ? "./" + bundle : bundle;
    return where + "/Contents/" + kModuleFolder + "/" + name + kModuleSuffix;
}

template <typename Owner>
Owner& ownerOf(void* self) {
    return *static_cast<Owner*>(static_cast<HostFace*>(self)->owner);
}

// The host's objects live as long as the host needs them: counting does nothing.
std::uint32_t V3_API noCount(void*) { return 1; }

template <const v3_tuid* Iid>
v3_result V3_API queryOne(void* self, const v3_tuid iid, void** object) {
    const bool known = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, *Iid);
    *object = known ? self : nullptr;
    return known ? V3_OK : V3_NO_INTERFACE;
}

// The host application.
v3_result V3_API applicationName(void*, v3_str_128 name) {
    const char* text = "plughost";
    for (std::size_t i = 0; i <= std::strlen(text); ++i) name[i] = static_cast<std::int16_t>(text[i]);
    return V3_OK;
}
v3_result V3_API applicationCreate(void*, v3_tuid, v3_tuid, void** object) {
    *object = nullptr;
    return V3_NOT_IMPLEMENTED;
}
constexpr v3_host_application_cpp kApplication = {
    {queryOne<&v3_host_application_iid>, noCount, noCount}, {applicationName, applicationCreate}};

// The component handler.
struct HandlerTable {
    v3_funknown unknown;
    v3_component_handler handler;
};
v3_result V3_API beginEdit(void*, v3_param_id) { return V3_OK; }
v3_result V3_API performEdit(void* self, v3_param_id, double) {
    ++ownerOf<HostContext>(self).edits;
    return V3_OK;
}
v3_result V3_API endEdit(void*, v3_param_id) { return V3_OK; }
v3_result V3_API restartComponent(void* self, std::int32_t) {
    ++ownerOf<HostContext>(self).restarts;
    return V3_OK;
}
constexpr HandlerTable kHandler = {{queryOne<&v3_component_handler_iid>, noCount, noCount},
                                   {beginEdit, performEdit, endEdit, restartComponent}};

// The memory stream.
struct StreamTable {
    v3_funknown unknown;
    v3_bstream stream;
};
v3_result V3_API streamRead(void* self, void* buffer, std::int32_t size, std::int32_t* read) {
    MemoryStream& stream = ownerOf<MemoryStream>(self);
    if (!buffer && size > 0) return V3_INVALID_ARG;
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(size, 0)), stream.bytes.size() - stream.position);
    // An empty stream has no bytes to point at: nothing is copied from it.
    if (count > 0) std::memcpy(buffer, stream.bytes.data() + stream.position, count);
    stream.position += count;
    if (read) *read = static_cast<std::int32_t>(count);
    return V3_OK;
}
v3_result V3_API streamWrite(void* self, void* buffer, std::int32_t size, std::int32_t* written) {
    MemoryStream& stream = ownerOf<MemoryStream>(self);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    const std::size_t count = static_cast<std::size_t>(std::max(size, 0));
    stream.bytes.resize(std::max(stream.bytes.size(), stream.position + count));
    std::copy_n(bytes, count, stream.bytes.begin() + static_cast<std::ptrdiff_t>(stream.position));
    stream.position += count;
    if (written) *written = static_cast<std::int32_t>(count);
    return V3_OK;
}
v3_result V3_API streamSeek(void* self, std::int64_t position, std::int32_t mode, std::int64_t* result) {
    MemoryStream& stream = ownerOf<MemoryStream>(self);
    const std::int64_t base = mode == V3_SEEK_SET   ? 0
                              : mode == V3_SEEK_CUR ? static_cast<std::int64_t>(stream.position)
                                                    : static_cast<std::int64_t>(stream.bytes.size());
    const std::int64_t target = base + position;
    if (target < 0 || target > static_cast<std::int64_t>(stream.bytes.size())) return V3_INVALID_ARG;
    stream.position = static_cast<std::size_t>(target);
    if (result) *result = target;
    return V3_OK;
}
v3_result V3_API streamTell(void* self, std::int64_t* position) {
    if (position) *position = static_cast<std::int64_t>(ownerOf<MemoryStream>(self).position);
    return V3_OK;
}
constexpr StreamTable kStream = {{queryOne<&v3_bstream_iid>, noCount, noCount},
                                 {streamRead, streamWrite, streamSeek, streamTell}};

// Parameter changes and their queues.
v3_param_id V3_API queueId(void* self) { return ownerOf<ParameterChanges::Queue>(self).id; }
std::int32_t V3_API pointCount(void* self) {
    return static_cast<std::int32_t>(ownerOf<ParameterChanges::Queue>(self).points.size());
}
v3_result V3_API getPoint(void* self, std::int32_t index, std::int32_t* offset, double* value) {
    const auto& points = ownerOf<ParameterChanges::Queue>(self).points;
    if (index < 0 || static_cast<std::size_t>(index) >= points.size() || !offset || !value) return V3_INVALID_ARG;
    *offset = points[static_cast<std::size_t>(index)].offset;
    *value = points[static_cast<std::size_t>(index)].value;
    return V3_OK;
}
v3_result V3_API addPoint(void* self, std::int32_t offset, double value, std::int32_t* index) {
    auto& points = ownerOf<ParameterChanges::Queue>(self).points;
    points.push_back({offset, value});
    if (index) *index = static_cast<std::int32_t>(points.size() - 1);
    return V3_OK;
}
constexpr v3_param_value_queue_cpp kQueue = {{queryOne<&v3_param_value_queue_iid>, noCount, noCount},
                                             {queueId, pointCount, getPoint, addPoint}};

std::int32_t V3_API queueCount(void* self) { return static_cast<std::int32_t>(ownerOf<ParameterChanges>(self).all().size()); }
v3_param_value_queue** V3_API queueAt(void* self, std::int32_t index) {
    const auto& queues = ownerOf<ParameterChanges>(self).all();
    if (index < 0 || static_cast<std::size_t>(index) >= queues.size()) return nullptr;
    return reinterpret_cast<v3_param_value_queue**>(&queues[static_cast<std::size_t>(index)]->face);
}
v3_param_value_queue** V3_API addQueue(void* self, v3_param_id* id, std::int32_t* index) {
    if (!id) return nullptr;
    ParameterChanges& changes = ownerOf<ParameterChanges>(self);
    ParameterChanges::Queue* queue = changes.queue(*id);
    if (!queue) {
        changes.add(*id, 0, 0.0);
        queue = changes.queue(*id);
        queue->points.clear();
    }
    const auto& queues = changes.all();
    if (index)
        *index = static_cast<std::int32_t>(std::find_if(queues.begin(), queues.end(), [&](const auto& q) { return q.get() == queue; }) -
                                           queues.begin());
    return reinterpret_cast<v3_param_value_queue**>(&queue->face);
}
constexpr v3_param_changes_cpp kChanges = {{queryOne<&v3_param_changes_iid>, noCount, noCount},
                                           {queueCount, queueAt, addQueue}};

std::string narrow(const std::int16_t* text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

}  // namespace

bool isVst3Path(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return trimmed.size() > 5 && trimmed.ends_with(".vst3");
}

Vst3Module::Vst3Module(std::string path, void* library, v3_plugin_factory** factory)
    : bundlePath(std::move(path)), handle(library), pluginFactory(factory) {}

Vst3Module::~Vst3Module() {
    v3_cpp_obj_unref(pluginFactory);
    if (void* exit = findSymbol(handle, kExitName)) reinterpret_cast<ExitFunction>(exit)();
    closeLibrary(handle);
}

std::unique_ptr<Vst3Module> Vst3Module::load(const std::string& bundle, std::string& error) {
    const std::string path = modulePath(bundle);
    void* library = openLibrary(path, error);
    if (!library) return nullptr;
    void* entry = findSymbol(library, kEntryName);
    void* getFactory = findSymbol(library, "GetPluginFactory");
    if (!entry || !findSymbol(library, kExitName) || !getFactory) {
        error = path + ": exports not all of " + kEntryName + ", " + kExitName + " and GetPluginFactory";
    } else if (!callEntry(entry, library)) {
        error = path + ": " + kEntryName + " refused";
    } else if (auto* factory = static_cast<v3_plugin_factory**>(reinterpret_cast<FactoryFunction>(getFactory)())) {
        return std::unique_ptr<Vst3Module>(new Vst3Module(bundle, library, factory));
    } else {
        error = path + ": GetPluginFactory answered none";
        reinterpret_cast<ExitFunction>(findSymbol(library, kExitName))();
    }
    closeLibrary(library);
    return nullptr;
}

v3_factory_info Vst3Module::factoryInfo() const {
    v3_factory_info info{};
    v3_cpp_obj(pluginFactory)->get_factory_info(pluginFactory, &info);
    return info;
}

std::vector<v3_class_info_2> Vst3Module::classes() const {
    v3_plugin_factory_2** second = nullptr;
    v3_cpp_obj_query_interface(pluginFactory, v3_plugin_factory_2_iid, &second);
    std::vector<v3_class_info_2> found;
    const std::int32_t count = v3_cpp_obj(pluginFactory)->num_classes(pluginFactory);
    for (std::int32_t index = 0; index < count; ++index) {
        v3_class_info_2 info{};
        if (second && v3_cpp_obj(second)->get_class_info_2(second, index, &info) == V3_OK) {
            found.push_back(info);
            continue;
        }
        v3_class_info first{};
        if (v3_cpp_obj(pluginFactory)->get_class_info(pluginFactory, index, &first) != V3_OK) continue;
        std::memcpy(info.class_id, first.class_id, sizeof info.class_id);
        info.cardinality = first.cardinality;
        std::memcpy(info.category, first.category, sizeof info.category);
        std::memcpy(info.name, first.name, sizeof info.name);
        found.push_back(info);
    }
    if (second) v3_cpp_obj_unref(second);
    return found;
}

HostContext::HostContext() : applicationFace{&kApplication, this}, handlerFace{&kHandler, this} {}

MemoryStream::MemoryStream(std::vector<unsigned char> content) : bytes(std::move(content)), face{&kStream, this} {}

ParameterChanges::ParameterChanges() : face{&kChanges, this} {}

void ParameterChanges::add(v3_param_id id, std::int32_t offset, double value) {
    Queue* found = queue(id);
    if (!found) {
        queues.push_back(std::make_unique<Queue>());
        found = queues.back().get();
        found->face = {&kQueue, found};
        found->id = id;
    }
    found->points.push_back({offset, value});
}

ParameterChanges::Queue* ParameterChanges::queue(v3_param_id id) {
    for (const auto& queue : queues)
        if (queue->id == id) return queue.get();
    return nullptr;
}

std::unique_ptr<Vst3Plugin> Vst3Plugin::create(const Vst3Module& module, std::string& error) {
    const std::vector<v3_class_info_2> classes = module.classes();
    const auto effect = std::find_if(classes.begin(), classes.end(),
                                     [](const v3_class_info_2& info) { return std::strcmp(info.category, kAudioEffectCategory) == 0; });
    if (effect == classes.end()) {
        error = module.path() + ": no audio effect class in the factory";
        return nullptr;
    }
    std::unique_ptr<Vst3Plugin> plugin(new Vst3Plugin);
    v3_plugin_factory** factory = module.factory();
    void* object = nullptr;
    if (v3_cpp_obj(factory)->create_instance(factory, effect->class_id, v3_component_iid, &object) != V3_OK || !object) {
        error = module.path() + ": the factory created no component";
        return nullptr;
    }
    plugin->componentObject = static_cast<v3_component**>(object);
    if (v3_cpp_obj_initialize(plugin->componentObject, plugin->context.application()) != V3_OK) {
        error = module.path() + ": the component refused to initialize";
        return nullptr;
    }
    v3_cpp_obj_query_interface(plugin->componentObject, v3_audio_processor_iid, &plugin->processorObject);
    v3_cpp_obj_query_interface(plugin->componentObject, v3_edit_controller_iid, &plugin->controllerObject);
    if (!plugin->controllerObject) {
        v3_tuid controllerId{};
        void* controller = nullptr;
        if (v3_cpp_obj(plugin->componentObject)->get_controller_class_id(plugin->componentObject, controllerId) == V3_OK &&
            v3_cpp_obj(factory)->create_instance(factory, controllerId, v3_edit_controller_iid, &controller) == V3_OK) {
            plugin->controllerObject = static_cast<v3_edit_controller**>(controller);
            plugin->separateController = true;
            v3_cpp_obj_initialize(plugin->controllerObject, plugin->context.application());
        }
    }
    if (!plugin->processorObject || !plugin->controllerObject) {
        error = module.path() + ": no audio processor or no edit controller";
        return nullptr;
    }
    if (v3_cpp_obj(plugin->controllerObject)->set_component_handler(plugin->controllerObject, plugin->context.handler()) != V3_OK) {
        error = module.path() + ": the controller refused the component handler";
        return nullptr;
    }
    v3_speaker_arrangement in = kStereo, out = kStereo;
    v3_cpp_obj(plugin->componentObject)->activate_bus(plugin->componentObject, V3_AUDIO, V3_INPUT, 0, 1);
    v3_cpp_obj(plugin->componentObject)->activate_bus(plugin->componentObject, V3_AUDIO, V3_OUTPUT, 0, 1);
    if (v3_cpp_obj(plugin->processorObject)->set_bus_arrangements(plugin->processorObject, &in, 1, &out, 1) != V3_OK) {
        error = module.path() + ": plughost runs VST 3 plug-ins with a stereo input and output bus";
        return nullptr;
    }
    return plugin;
}

Vst3Plugin::~Vst3Plugin() {
    deactivate();
    if (controllerObject) {
        v3_cpp_obj(controllerObject)->set_component_handler(controllerObject, nullptr);
        if (separateController) v3_cpp_obj_terminate(controllerObject);
        v3_cpp_obj_unref(controllerObject);
    }
    if (processorObject) v3_cpp_obj_unref(processorObject);
    if (componentObject) {
        v3_cpp_obj_terminate(componentObject);
        v3_cpp_obj_unref(componentObject);
    }
}

void* Vst3Plugin::query(const v3_tuid iid) const {
    for (void* holder : {static_cast<void*>(componentObject), static_cast<void*>(controllerObject)}) {
        void* object = nullptr;
        const auto* unknown = *static_cast<v3_funknown**>(holder);
        if (unknown->query_interface(holder, iid, &object) == V3_OK && object) return object;
    }
    return nullptr;
}

std::vector<v3_param_info> Vst3Plugin::parameters() const {
    std::vector<v3_param_info> found;
    const std::int32_t count = v3_cpp_obj(controllerObject)->get_parameter_count(controllerObject);
    for (std::int32_t index = 0; index < count; ++index) {
        v3_param_info info{};
        if (v3_cpp_obj(controllerObject)->get_parameter_info(controllerObject, index, &info) == V3_OK) found.push_back(info);
    }
    return found;
}

std::optional<std::string> Vst3Plugin::text(v3_param_id id, double value) const {
    v3_str_128 text{};
    if (v3_cpp_obj(controllerObject)->get_parameter_string_for_value(controllerObject, id, value, text) != V3_OK)
        return std::nullopt;
    return narrow(text, 128);
}

std::optional<double> Vst3Plugin::parse(v3_param_id id, const std::string& text) const {
    std::vector<std::int16_t> wide(text.begin(), text.end());
    wide.push_back(0);
    double value = 0.0;
    if (v3_cpp_obj(controllerObject)->get_parameter_value_for_string(controllerObject, id, wide.data(), &value) != V3_OK)
        return std::nullopt;
    return value;
}

double Vst3Plugin::normalized(v3_param_id id) const {
    return v3_cpp_obj(controllerObject)->get_parameter_normalised(controllerObject, id);
}

bool Vst3Plugin::setNormalized(v3_param_id id, double value) {
    return v3_cpp_obj(controllerObject)->set_parameter_normalised(controllerObject, id, value) == V3_OK;
}

bool Vst3Plugin::activate(double sampleRate, std::int32_t maxBlock) {
    v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, maxBlock, sampleRate};
    if (v3_cpp_obj(processorObject)->setup_processing(processorObject, &setup) != V3_OK) return false;
    if (v3_cpp_obj(componentObject)->set_active(componentObject, 1) != V3_OK) return false;
    active = true;
    processing = v3_cpp_obj(processorObject)->set_processing(processorObject, 1) == V3_OK;
    return true;
}

void Vst3Plugin::deactivate() {
    if (processing) v3_cpp_obj(processorObject)->set_processing(processorObject, 0);
    if (active) v3_cpp_obj(componentObject)->set_active(componentObject, 0);
    processing = active = false;
}

v3_result Vst3Plugin::process(const float* const* inputs, float* const* outputs, std::int32_t frames, ParameterChanges& in,
                              ParameterChanges& out, v3_process_context* processContext, std::uint64_t* silence,
                              std::uint64_t inputSilence) {
    v3_audio_bus_buffers inBus{}, outBus{};
    inBus.num_channels = outBus.num_channels = 2;
    inBus.channel_silence_bitset = inputSilence;
    inBus.channel_buffers_32 = const_cast<float**>(inputs);
    outBus.channel_buffers_32 = const_cast<float**>(outputs);
    v3_process_data data{};
    data.process_mode = V3_REALTIME;
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.nframes = frames;
    data.num_input_buses = inputs ? 1 : 0;
    data.num_output_buses = outputs ? 1 : 0;
    data.inputs = inputs ? &inBus : nullptr;
    data.outputs = outputs ? &outBus : nullptr;
    data.input_params = in.record();
    data.output_params = out.record();
    data.ctx = processContext;
    const v3_result result = v3_cpp_obj(processorObject)->process(processorObject, &data);
    if (silence) *silence = outBus.channel_silence_bitset;
    return result;
}

std::uint32_t Vst3Plugin::tailSamples() const { return v3_cpp_obj(processorObject)->get_tail_samples(processorObject); }

std::uint32_t Vst3Plugin::latencySamples() const {
    return v3_cpp_obj(processorObject)->get_latency_samples(processorObject);
}

std::optional<std::vector<unsigned char>> Vst3Plugin::save() const {
    MemoryStream stream;
    if (v3_cpp_obj(componentObject)->get_state(componentObject, stream.record()) != V3_OK) return std::nullopt;
    return stream.bytes;
}

bool Vst3Plugin::load(const std::vector<unsigned char>& bytes) {
    MemoryStream forComponent(bytes), forController(bytes);
    if (v3_cpp_obj(componentObject)->set_state(componentObject, forComponent.record()) != V3_OK) return false;
    return v3_cpp_obj(controllerObject)->set_component_state(controllerObject, forController.record()) == V3_OK;
}

}  // namespace plughost::vst3
