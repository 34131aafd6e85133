// A small VST 3 gain-and-echo plug-in that `plughost check` must pass as it is, and that carries
// one fault that one check must find when its bundle is named for it: built once as
// faulty_vst3_none.vst3, then copied to faulty_vst3_<fault>.vst3 for each fault (the module
// reads its own file name). One object is component, audio processor and edit controller.
// Three parameters, normalized: gain (0 to 2 times), a stepped mode (four stops) and echo
// (the part of the previous output each channel adds, up to half), so that the state matters.
#include <dlfcn.h>
#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/view.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

enum class Fault {
    None, NoFxCategory, MonoAccepted, ReactivateBroken, InPlaceBroken, FlushWrites, Overrun, HighRateRefused,
    LoudAtLowRates, TextInPercent, DefaultMismatch, UnclampedPoints, PointsAtBlockStart, StateCounter, StateLax,
    TimerKept, Runaway, NanLatch, EditWhileActive, RefusalChanges
};

// The file name's part after "faulty_vst3_" names the fault, as tests/tools/CMakeLists.txt copies it.
constexpr std::pair<const char*, Fault> kFaultNames[] = {
    {"no_fx_category", Fault::NoFxCategory}, {"mono_accepted", Fault::MonoAccepted},
    {"reactivate_broken", Fault::ReactivateBroken}, {"in_place_broken", Fault::InPlaceBroken},
    {"flush_writes", Fault::FlushWrites}, {"overrun", Fault::Overrun},
    {"high_rate_refused", Fault::HighRateRefused}, {"loud_at_low_rates", Fault::LoudAtLowRates},
    {"text_in_percent", Fault::TextInPercent}, {"default_mismatch", Fault::DefaultMismatch},
    {"unclamped_points", Fault::UnclampedPoints}, {"points_at_block_start", Fault::PointsAtBlockStart},
    {"state_counter", Fault::StateCounter}, {"state_lax", Fault::StateLax}, {"timer_kept", Fault::TimerKept},
    {"runaway", Fault::Runaway}, {"nan_latch", Fault::NanLatch}, {"edit_while_active", Fault::EditWhileActive},
    {"refusal_changes", Fault::RefusalChanges}};

Fault fault = Fault::None;

constexpr v3_tuid kClassId = V3_ID(0x2B0E6F4A, 0x91C34D7E, 0xA5D81F30, 0x6C47B219);
constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;
constexpr int kParams = 3;
constexpr std::int32_t kSteps[kParams] = {0, 3, 0};
constexpr double kDefault[kParams] = {0.5, 0.0, 0.5};
constexpr const char* kNames[kParams] = {"Gain", "Mode", "Echo"};

void toWide(const char* text, std::int16_t* to, std::size_t size) {
    std::size_t i = 0;
    for (; i + 1 < size && text[i]; ++i) to[i] = static_cast<std::int16_t>(text[i]);
    to[i] = 0;
}

struct Plugin;
struct Face {
    const void* table;
    Plugin* owner;
};
Plugin& of(void* self) { return *static_cast<Face*>(self)->owner; }

struct View;
struct ViewFace {
    const void* table;
    View* owner;
};

struct Plugin {
    Face component, processor, controller;
    std::atomic<std::uint32_t> references{0};
    double values[kParams] = {kDefault[0], kDefault[1], kDefault[2]};
    double shown[kParams] = {fault == Fault::DefaultMismatch ? 0.25 : kDefault[0], kDefault[1], kDefault[2]};  // the controller's
    float memory[2] = {};
    double rate = 44100.0;
    bool active = false;
    int activations = 0;
    unsigned saves = 0;
    v3_component_handler** handler = nullptr;
};

double clamped(double value) {
    if (fault == Fault::UnclampedPoints) return value;
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

// The funknown part every table of the plug-in starts with.
v3_result V3_API query(void* self, const v3_tuid iid, void** object);
std::uint32_t V3_API ref(void* self) { return ++of(self).references; }
std::uint32_t V3_API unref(void* self) {
    Plugin& plugin = of(self);
    const std::uint32_t left = --plugin.references;
    if (left == 0) delete &plugin;
    return left;
}
constexpr v3_funknown kUnknown = {query, ref, unref};
v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void*) { return V3_OK; }
constexpr v3_plugin_base kBase = {initialize, terminate};

// The component.
v3_result V3_API controllerClassId(void*, v3_tuid) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API setIoMode(void*, std::int32_t) { return V3_OK; }
std::int32_t V3_API busCount(void*, std::int32_t mediaType, std::int32_t) { return mediaType == V3_AUDIO ? 1 : 0; }
v3_result V3_API busInfo(void*, std::int32_t mediaType, std::int32_t direction, std::int32_t index, v3_bus_info* info) {
    if (mediaType != V3_AUDIO || index != 0 || !info) return V3_INVALID_ARG;
    *info = {};
    info->media_type = V3_AUDIO;
    info->direction = direction;
    info->channel_count = 2;
    toWide(direction == V3_INPUT ? "In" : "Out", info->bus_name, 128);
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return V3_OK;
}
v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) { return V3_FALSE; }
v3_result V3_API activateBus(void*, std::int32_t, std::int32_t, std::int32_t, v3_bool) { return V3_OK; }
v3_result V3_API setActive(void* self, v3_bool state) {
    Plugin& plugin = of(self);
    plugin.active = state != 0;
    if (plugin.active) ++plugin.activations;
    plugin.memory[0] = plugin.memory[1] = 0.0f;
    return V3_OK;
}

// The state: a count of values, then the values as doubles, in this machine's byte order.
bool readState(v3_bstream** stream, double (&values)[kParams]) {
    double words[kParams + 1];
    std::size_t got = 0;
    for (std::int32_t n = 1; got < sizeof words && n > 0;) {
        n = 0;
        if (v3_cpp_obj(stream)->read(stream, reinterpret_cast<char*>(words) + got, static_cast<std::int32_t>(sizeof words - got), &n) != V3_OK) return false;
        got += static_cast<std::size_t>(std::max(n, 0));
    }
    char extra;
    std::int32_t more = 0;
    v3_cpp_obj(stream)->read(stream, &extra, 1, &more);
    if (fault == Fault::StateLax) {
        // Whatever values arrived are taken, and any stream counts as loaded.
        for (std::size_t i = 1; i <= kParams && (i + 1) * sizeof(double) <= got; ++i) values[i - 1] = clamped(words[i]);
        return got > 0;
    }
    const bool whole = got == sizeof words && more == 0 && words[0] == kParams;
    // A stream refused after its first value was taken.
    if (!whole && fault == Fault::RefusalChanges && got >= 2 * sizeof(double)) values[0] = clamped(words[1]);
    if (!whole) return false;
    for (int i = 0; i < kParams; ++i)
        if (!(words[i + 1] >= 0.0 && words[i + 1] <= 1.0)) return false;
    for (int i = 0; i < kParams; ++i) values[i] = words[i + 1];
    return true;
}
v3_result V3_API setState(void* self, v3_bstream** stream) {
    Plugin& plugin = of(self);
    if (!readState(stream, plugin.values)) return V3_FALSE;
    std::copy_n(plugin.values, kParams, plugin.shown);
    return V3_OK;
}
v3_result V3_API getState(void* self, v3_bstream** stream) {
    Plugin& plugin = of(self);
    double words[kParams + 1] = {kParams, plugin.values[0], plugin.values[1], plugin.values[2]};
    if (fault == Fault::StateCounter) words[1] += 1e-9 * ++plugin.saves;
    std::int32_t written = 0;
    return v3_cpp_obj(stream)->write(stream, words, sizeof words, &written) == V3_OK && written == sizeof words ? V3_OK : V3_FALSE;
}
constexpr v3_component_cpp kComponent = {
    kUnknown, kBase, {controllerClassId, setIoMode, busCount, busInfo, routingInfo, activateBus, setActive, setState, getState}};

// The audio processor.
v3_result V3_API setArrangements(void*, v3_speaker_arrangement* inputs, std::int32_t inputCount,
                                 v3_speaker_arrangement* outputs, std::int32_t outputCount) {
    if (fault == Fault::MonoAccepted) return V3_OK;
    return inputCount == 1 && outputCount == 1 && inputs[0] == kStereo && outputs[0] == kStereo ? V3_OK : V3_FALSE;
}
v3_result V3_API getArrangement(void*, std::int32_t, std::int32_t index, v3_speaker_arrangement* arrangement) {
    if (index != 0 || !arrangement) return V3_INVALID_ARG;
    *arrangement = kStereo;
    return V3_OK;
}
v3_result V3_API canProcessSampleSize(void*, std::int32_t size) { return size == V3_SAMPLE_32 ? V3_OK : V3_FALSE; }
std::uint32_t V3_API latency(void*) { return 0; }
v3_result V3_API setupProcessing(void* self, v3_process_setup* setup) {
    if (fault == Fault::HighRateRefused && setup->sample_rate > 192000.0) return V3_FALSE;
    of(self).rate = setup->sample_rate;
    return V3_OK;
}
v3_result V3_API setProcessing(void*, v3_bool) { return V3_OK; }

void run(Plugin& plugin, const v3_process_data& data, std::int32_t from, std::int32_t to) {
    // A filter that turns unstable below 44.1 kHz and is held at a ceiling: 24 dB louder.
    const double rateGain = fault == Fault::LoudAtLowRates && plugin.rate < 44100.0 ? 16.0 : 1.0;
    // Echo at its end feeds back more than it takes in.
    const float echoScale = fault == Fault::Runaway && plugin.values[2] == 1.0 ? 1.5f : 0.5f;
    const float gain = static_cast<float>(2.0 * plugin.values[0] * rateGain), echo = static_cast<float>(plugin.values[2]) * echoScale;
    for (int c = 0; c < 2; ++c) {
        const float* in = data.inputs[0].channel_buffers_32[c];
        float* out = data.outputs[0].channel_buffers_32[c];
        // Clearing the output first wipes the input when the host processes in place.
        if (fault == Fault::InPlaceBroken) std::fill(out + from, out + to, 0.0f);
        for (std::int32_t i = from; i < to; ++i) {
            out[i] = in[i] * gain + echo * plugin.memory[c];
            // A sample that is not finite is not kept, or it would come back for good.
            const bool kept = std::isfinite(out[i]) || fault == Fault::NanLatch;
            plugin.memory[c] = !kept || std::fabs(out[i]) < 1e-30f ? 0.0f : out[i];
        }
        if (fault == Fault::Overrun && to == data.nframes) out[to] = 0.0f;
    }
}

struct Point {
    std::int32_t offset;
    v3_param_id id;
    double value;
};

// Every queue's points, in the order of their offsets.
std::size_t gather(v3_param_changes** changes, std::array<Point, 512>& points) {
    std::size_t count = 0;
    const std::int32_t queues = changes ? v3_cpp_obj(changes)->get_param_count(changes) : 0;
    for (std::int32_t q = 0; q < queues; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, q);
        const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
        for (std::int32_t p = 0; p < v3_cpp_obj(queue)->get_point_count(queue) && count < points.size(); ++p) {
            Point& point = points[count];
            if (v3_cpp_obj(queue)->get_point(queue, p, &point.offset, &point.value) != V3_OK) continue;
            point.id = id;
            if (fault == Fault::PointsAtBlockStart) point.offset = 0;
            ++count;
        }
    }
    std::stable_sort(points.begin(), points.begin() + static_cast<long>(count),
                     [](const Point& a, const Point& b) { return a.offset < b.offset; });
    return count;
}

v3_result V3_API process(void* self, v3_process_data* data) {
    Plugin& plugin = of(self);
    if (!plugin.active || (fault == Fault::ReactivateBroken && plugin.activations > 1)) return V3_NOT_INITIALIZED;
    std::array<Point, 512> points;
    const std::size_t count = gather(data->input_params, points);
    const bool audio = data->nframes > 0 && data->num_input_buses > 0 && data->num_output_buses > 0;
    if (fault == Fault::FlushWrites && !audio && data->outputs) data->outputs[0].channel_buffers_32[0][0] = 0.0f;
    std::int32_t done = 0;
    for (std::size_t p = 0; p < count; ++p) {
        const std::int32_t at = std::clamp(points[p].offset, 0, data->nframes);
        if (audio && at > done) run(plugin, *data, done, at);
        done = std::max(done, at);
        if (points[p].id < kParams) plugin.values[points[p].id] = clamped(points[p].value);
    }
    if (audio) run(plugin, *data, done, data->nframes);
    return V3_OK;
}
std::uint32_t V3_API tail(void*) { return 0; }
constexpr v3_audio_processor_cpp kProcessor = {
    kUnknown, {setArrangements, getArrangement, canProcessSampleSize, latency, setupProcessing, setProcessing, process, tail}};

// The edit controller.
v3_result V3_API setComponentState(void* self, v3_bstream** stream) {
    return readState(stream, of(self).shown) ? V3_OK : V3_FALSE;
}
v3_result V3_API controllerState(void*, v3_bstream**) { return V3_OK; }
std::int32_t V3_API parameterCount(void*) { return kParams; }
v3_result V3_API parameterInfo(void*, std::int32_t index, v3_param_info* info) {
    if (index < 0 || index >= kParams || !info) return V3_INVALID_ARG;
    *info = {};
    info->param_id = static_cast<v3_param_id>(index);
    toWide(kNames[index], info->title, 128);
    toWide(kNames[index], info->short_title, 128);
    info->step_count = kSteps[index];
    info->default_normalised_value = kDefault[index];
    info->flags = V3_PARAM_CAN_AUTOMATE;
    return V3_OK;
}
v3_result V3_API stringForValue(void*, v3_param_id id, double value, v3_str_128 text) {
    if (id >= kParams) return V3_INVALID_ARG;
    char narrow[64];
    if (kSteps[id] > 0) std::snprintf(narrow, sizeof narrow, "%ld", std::lround(value * kSteps[id]));
    else std::snprintf(narrow, sizeof narrow, "%.6f", fault == Fault::TextInPercent && id == 0 ? value * 100.0 : value);
    toWide(narrow, text, 128);
    return V3_OK;
}
v3_result V3_API valueForString(void*, v3_param_id id, std::int16_t* text, double* value) {
    if (id >= kParams) return V3_INVALID_ARG;
    std::string narrow;
    for (std::size_t i = 0; i < 127 && text[i]; ++i) narrow.push_back(static_cast<char>(text[i]));
    char* end = nullptr;
    const double read = std::strtod(narrow.c_str(), &end);
    if (end == narrow.c_str()) return V3_FALSE;
    *value = kSteps[id] > 0 ? read / kSteps[id] : read;
    return V3_OK;
}
double V3_API identity(void*, v3_param_id, double value) { return value; }
double V3_API getNormalized(void* self, v3_param_id id) { return id < kParams ? of(self).shown[id] : 0.0; }
v3_result V3_API setNormalized(void* self, v3_param_id id, double value) {
    if (id >= kParams) return V3_INVALID_ARG;
    Plugin& plugin = of(self);
    plugin.shown[id] = clamped(value);
    // The controller clearing the processor's echo while it may be processing.
    if (fault == Fault::EditWhileActive && plugin.active) plugin.memory[0] = std::nanf("");
    return V3_OK;
}
v3_result V3_API setHandler(void* self, v3_component_handler** handler) {
    of(self).handler = handler;
    return V3_OK;
}
v3_plugin_view** V3_API createView(void* self, const char* name);
constexpr v3_edit_controller_cpp kController = {
    kUnknown, kBase,
    {setComponentState, controllerState, controllerState, parameterCount, parameterInfo, stringForValue, valueForString,
     identity, identity, getNormalized, setNormalized, setHandler, createView}};

v3_result V3_API query(void* self, const v3_tuid iid, void** object) {
    Plugin& plugin = of(self);
    Face* face = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) || v3_tuid_match(iid, v3_component_iid))
        face = &plugin.component;
    else if (v3_tuid_match(iid, v3_audio_processor_iid))
        face = &plugin.processor;
    else if (v3_tuid_match(iid, v3_edit_controller_iid))
        face = &plugin.controller;
    *object = face;
    if (!face) return V3_NO_INTERFACE;
    ++plugin.references;
    return V3_OK;
}

// An editor that draws nothing: it takes a parent and keeps a timer of the frame's run loop
// while attached.
struct View {
    ViewFace view, timer;
    std::uint32_t references = 1;
    v3_plugin_frame** frame = nullptr;
    v3_run_loop** loop = nullptr;
};
View& viewOf(void* self) { return *static_cast<ViewFace*>(self)->owner; }
v3_result V3_API viewQuery(void* self, const v3_tuid iid, void** object) {
    View& view = viewOf(self);
    *object = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_view_iid) ? &view.view
              : v3_tuid_match(iid, v3_timer_handler_iid)                                   ? &view.timer
                                                                                            : nullptr;
    if (!*object) return V3_NO_INTERFACE;
    ++view.references;
    return V3_OK;
}
std::uint32_t V3_API viewRef(void* self) { return ++viewOf(self).references; }
std::uint32_t V3_API viewUnref(void* self) {
    View& view = viewOf(self);
    const std::uint32_t left = --view.references;
    if (left == 0) delete &view;
    return left;
}
constexpr v3_funknown kViewUnknown = {viewQuery, viewRef, viewUnref};
v3_result V3_API platformSupported(void*, const char* type) {
    return std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) == 0 ? V3_TRUE : V3_FALSE;
}
v3_result V3_API attached(void* self, void* parent, const char*) {
    View& view = viewOf(self);
    if (!parent || !view.frame || v3_cpp_obj_query_interface(view.frame, v3_run_loop_iid, &view.loop) != V3_OK) return V3_OK;
    v3_cpp_obj(view.loop)->register_timer(view.loop, reinterpret_cast<v3_timer_handler**>(&view.timer), 30);
    return V3_OK;
}
v3_result V3_API removed(void* self) {
    View& view = viewOf(self);
    if (view.loop && fault != Fault::TimerKept)
        v3_cpp_obj(view.loop)->unregister_timer(view.loop, reinterpret_cast<v3_timer_handler**>(&view.timer));
    if (view.loop) v3_cpp_obj_unref(view.loop);
    view.loop = nullptr;
    return V3_OK;
}
v3_result V3_API noWheel(void*, float) { return V3_FALSE; }
v3_result V3_API noKey(void*, std::int16_t, std::int16_t, std::int16_t) { return V3_FALSE; }
v3_result V3_API getSize(void*, v3_view_rect* rect) {
    *rect = {0, 0, 200, 100};
    return V3_OK;
}
v3_result V3_API onSize(void*, v3_view_rect*) { return V3_OK; }
v3_result V3_API onFocus(void*, v3_bool) { return V3_OK; }
v3_result V3_API setFrame(void* self, v3_plugin_frame** frame) {
    viewOf(self).frame = frame;
    return V3_OK;
}
v3_result V3_API canResize(void*) { return V3_FALSE; }
v3_result V3_API sizeConstraint(void*, v3_view_rect*) { return V3_OK; }
constexpr v3_plugin_view_cpp kView = {
    kViewUnknown,
    {platformSupported, attached, removed, noWheel, noKey, noKey, getSize, onSize, onFocus, setFrame, canResize, sizeConstraint}};
void V3_API onTimer(void*) {}
constexpr v3_timer_handler_cpp kTimer = {kViewUnknown, {onTimer}};

v3_plugin_view** V3_API createView(void*, const char* name) {
    if (!name || std::strcmp(name, "editor") != 0) return nullptr;
    auto* view = new View;
    view->view = {&kView, view};
    view->timer = {&kTimer, view};
    return reinterpret_cast<v3_plugin_view**>(&view->view);
}

// The factory, with one class.
v3_result V3_API factoryQuery(void* self, const v3_tuid iid, void** object) {
    const bool known = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_factory_iid) ||
                       v3_tuid_match(iid, v3_plugin_factory_2_iid);
    *object = known ? self : nullptr;
    return known ? V3_OK : V3_NO_INTERFACE;
}
std::uint32_t V3_API factoryCount(void*) { return 1; }
v3_result V3_API factoryInfo(void*, v3_factory_info* info) {
    *info = {};
    std::snprintf(info->vendor, sizeof info->vendor, "Test");
    return V3_OK;
}
std::int32_t V3_API classCount(void*) { return 1; }
v3_result V3_API classInfo(void*, std::int32_t index, v3_class_info* info) {
    if (index != 0) return V3_INVALID_ARG;
    *info = {};
    std::memcpy(info->class_id, kClassId, sizeof(v3_tuid));
    info->cardinality = 0x7FFFFFFF;
    std::snprintf(info->category, sizeof info->category, "Audio Module Class");
    std::snprintf(info->name, sizeof info->name, "Faulty");
    return V3_OK;
}
v3_result V3_API classInfo2(void*, std::int32_t index, v3_class_info_2* info) {
    if (index != 0) return V3_INVALID_ARG;
    v3_class_info first{};
    classInfo(nullptr, 0, &first);
    *info = {};
    std::memcpy(info->class_id, first.class_id, sizeof(v3_tuid));
    info->cardinality = first.cardinality;
    std::memcpy(info->category, first.category, sizeof info->category);
    std::memcpy(info->name, first.name, sizeof info->name);
    std::snprintf(info->sub_categories, sizeof info->sub_categories, "%s", fault == Fault::NoFxCategory ? "Instrument" : "Fx|Delay");
    std::snprintf(info->vendor, sizeof info->vendor, "Test");
    std::snprintf(info->version, sizeof info->version, "1.0");
    std::snprintf(info->sdk_version, sizeof info->sdk_version, "VST 3");
    return V3_OK;
}
v3_result V3_API createInstance(void*, const v3_tuid classId, const v3_tuid iid, void** instance) {
    *instance = nullptr;
    if (!v3_tuid_match(classId, kClassId)) return V3_NO_INTERFACE;
    auto* plugin = new Plugin;
    plugin->component = {&kComponent, plugin};
    plugin->processor = {&kProcessor, plugin};
    plugin->controller = {&kController, plugin};
    plugin->references = 1;  // held while asking, so that a refused interface frees it
    const v3_result result = query(&plugin->component, iid, instance);
    unref(&plugin->component);
    return result;
}
v3_result V3_API classInfoUtf16(void*, std::int32_t, v3_class_info_3*) { return V3_NOT_IMPLEMENTED; }
v3_result V3_API setHostContext(void*, v3_funknown**) { return V3_OK; }
constexpr v3_plugin_factory_cpp kFactory = {
    {factoryQuery, factoryCount, factoryCount}, {factoryInfo, classCount, classInfo, createInstance}, {classInfo2},
    {classInfoUtf16, setHostContext}};
struct Factory {
    const v3_plugin_factory_cpp* table;
} factory{&kFactory};

// The fault from the module's own file name.
void readFault() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&readFault), &info) || !info.dli_fname) return;
    const char* slash = std::strrchr(info.dli_fname, '/');
    const std::string name = slash ? slash + 1 : info.dli_fname;
    for (const auto& [word, kind] : kFaultNames)
        if (name == std::string("faulty_vst3_") + word + ".so") fault = kind;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* GetPluginFactory() { return &factory; }
extern "C" __attribute__((visibility("default"))) bool ModuleEntry(void*) {
    readFault();
    return true;
}
extern "C" __attribute__((visibility("default"))) bool ModuleExit() { return true; }
