#include "vst3/delay_plugin.h"

#include <travesty/bstream.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "presets/factory_presets.h"
#include "vst3/delay_view.h"
#include "vst3/vst3_params.h"
#include "vst3/vst3_text.h"

namespace vst3door {
namespace {

constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;

DelayPlugin& of(void* self) { return *static_cast<Face*>(self)->owner; }

// Runs body and answers its result, or failure when it throws: no exception may pass a call
// the host makes through a function table.
template <typename Body>
v3_result guarded(v3_result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return V3_NOMEM;
    } catch (...) {
        return failure;
    }
}

// The whole stream, up to limit bytes (one more tells a longer stream); nothing on a read error.
std::optional<std::vector<unsigned char>> readAll(v3_bstream** stream, std::size_t limit) {
    std::vector<unsigned char> bytes(limit);
    std::size_t received = 0;
    while (received < bytes.size()) {
        std::int32_t read = 0;
        const v3_result result = v3_cpp_obj(stream)->read(stream, bytes.data() + received,
                                                          static_cast<std::int32_t>(bytes.size() - received), &read);
        if (result != V3_OK || read < 0) return std::nullopt;
        if (read == 0) break;
        received += static_cast<std::size_t>(read);
    }
    bytes.resize(received);
    return bytes;
}

std::optional<ParameterValues> readState(v3_bstream** stream) {
    if (!stream) return std::nullopt;
    const std::optional<std::vector<unsigned char>> bytes = readAll(stream, kLargestState + 1);
    if (!bytes) return std::nullopt;
    return decodeState(*bytes);
}

// The funknown part every table starts with.
v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object) { return of(self).query(iid, object); }
std::uint32_t V3_API addReference(void* self) { return of(self).ref(); }
std::uint32_t V3_API release(void* self) { return of(self).unref(); }
constexpr v3_funknown kUnknown = {queryInterface, addReference, release};

// Initialize and terminate, which host may call on the component and on the controller.
v3_result V3_API initialize(void*, v3_funknown**) { return V3_OK; }
v3_result V3_API terminate(void* self) {
    of(self).terminate();
    return V3_OK;
}
constexpr v3_plugin_base kBase = {initialize, terminate};

// The component: one stereo bus each way, no event buses.
v3_result V3_API controllerClassId(void*, v3_tuid) { return V3_NOT_IMPLEMENTED; }  // the object is its own controller
v3_result V3_API setIoMode(void*, std::int32_t) { return V3_OK; }

std::int32_t V3_API busCount(void*, std::int32_t mediaType, std::int32_t) { return mediaType == V3_AUDIO ? 1 : 0; }

v3_result V3_API busInfo(void*, std::int32_t mediaType, std::int32_t direction, std::int32_t index, v3_bus_info* info) {
    if (mediaType != V3_AUDIO || index != 0 || !info || (direction != V3_INPUT && direction != V3_OUTPUT))
        return V3_INVALID_ARG;
    *info = {};
    info->media_type = V3_AUDIO;
    info->direction = direction;
    info->channel_count = 2;
    toUtf16(direction == V3_INPUT ? "Stereo In" : "Stereo Out", info->bus_name, 128);
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return V3_OK;
}

v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) { return V3_FALSE; }

v3_result V3_API activateBus(void*, std::int32_t mediaType, std::int32_t, std::int32_t index, v3_bool) {
    return mediaType == V3_AUDIO && index == 0 ? V3_OK : V3_INVALID_ARG;
}

v3_result V3_API setActive(void* self, v3_bool state) {
    return guarded(V3_INTERNAL_ERR, [&] {
        of(self).processor().setActive(state != 0);
        return V3_OK;
    });
}

v3_result V3_API setState(void* self, v3_bstream** stream) {
    return guarded(V3_INTERNAL_ERR, [&] { return of(self).loadState(stream); });
}

v3_result V3_API getState(void* self, v3_bstream** stream) {
    return guarded(V3_INTERNAL_ERR, [&] { return of(self).saveState(stream); });
}

constexpr v3_component_cpp kComponent = {
    kUnknown, kBase,
    {controllerClassId, setIoMode, busCount, busInfo, routingInfo, activateBus, setActive, setState, getState}};

// The audio processor: stereo only, 32-bit samples only.
v3_result V3_API setArrangements(void*, v3_speaker_arrangement* inputs, std::int32_t inputCount,
                          v3_speaker_arrangement* outputs, std::int32_t outputCount) {
    const bool stereo = inputCount == 1 && outputCount == 1 && inputs && outputs && inputs[0] == kStereo &&
                        outputs[0] == kStereo;
    return stereo ? V3_OK : V3_FALSE;
}

v3_result V3_API getArrangement(void*, std::int32_t direction, std::int32_t index, v3_speaker_arrangement* arrangement) {
    if (index != 0 || !arrangement || (direction != V3_INPUT && direction != V3_OUTPUT)) return V3_INVALID_ARG;
    *arrangement = kStereo;
    return V3_OK;
}

v3_result V3_API canProcessSampleSize(void*, std::int32_t size) { return size == V3_SAMPLE_32 ? V3_OK : V3_FALSE; }
std::uint32_t V3_API latency(void*) { return 0; }

v3_result V3_API setupProcessing(void* self, v3_process_setup* setup) {
    DelayProcessor& processor = of(self).processor();
    if (!setup || processor.isActive()) return V3_FALSE;
    return processor.setup(*setup) ? V3_OK : V3_FALSE;
}

v3_result V3_API setProcessing(void*, v3_bool) { return V3_OK; }

v3_result V3_API process(void* self, v3_process_data* data) {
    if (!data) return V3_INVALID_ARG;
    return of(self).processor().process(*data);
}

std::uint32_t V3_API tail(void* self) { return of(self).processor().tailSamples(); }

constexpr v3_audio_processor_cpp kAudioProcessor = {
    kUnknown,
    {setArrangements, getArrangement, canProcessSampleSize, latency, setupProcessing, setProcessing, process, tail}};

// The edit controller.
v3_result V3_API setComponentState(void* self, v3_bstream** stream) {
    return guarded(V3_INTERNAL_ERR, [&] { return of(self).followComponentState(stream); });
}

// The controller keeps nothing of its own: everything is in the component state.
v3_result V3_API setControllerState(void*, v3_bstream**) { return V3_OK; }
v3_result V3_API getControllerState(void*, v3_bstream**) { return V3_OK; }

std::int32_t V3_API parameterCount(void*) { return kParameterCount; }

v3_result V3_API parameterInfo(void*, std::int32_t position, v3_param_info* info) {
    return info && describeParameter(position, *info) ? V3_OK : V3_INVALID_ARG;
}

v3_result V3_API stringForValue(void* self, v3_param_id id, double normalized, v3_str_128 text) {
    if (!text) return V3_INVALID_ARG;
    return valueText(id, normalized, of(self).syncedMilliseconds(), text) ? V3_OK : V3_INVALID_ARG;
}

v3_result V3_API valueForString(void*, v3_param_id id, std::int16_t* text, double* normalized) {
    if (!normalized) return V3_INVALID_ARG;
    return guarded(V3_FALSE, [&] {
        const std::optional<double> parsed = parseText(id, text);
        if (parsed) *normalized = *parsed;
        return parsed ? V3_OK : V3_FALSE;
    });
}

double V3_API normalizedToPlain(void*, v3_param_id id, double normalized) { return toPlain(id, normalized); }
double V3_API plainToNormalized(void*, v3_param_id id, double plain) { return fromPlain(id, plain); }
double V3_API getNormalized(void* self, v3_param_id id) { return of(self).normalized(id); }
v3_result V3_API setNormalized(void* self, v3_param_id id, double value) { return of(self).setNormalized(id, value); }
v3_result V3_API setComponentHandler(void* self, v3_component_handler** handler) { return of(self).setHandler(handler); }
v3_plugin_view** V3_API createView(void* self, const char* name) {
    try {
        return of(self).createView(name);
    } catch (...) {
        return nullptr;
    }
}

constexpr v3_edit_controller_cpp kController = {
    kUnknown, kBase,
    {setComponentState, setControllerState, getControllerState, parameterCount, parameterInfo, stringForValue,
     valueForString, normalizedToPlain, plainToNormalized, getNormalized, setNormalized, setComponentHandler,
     createView}};

// Unit information: the two signal paths, and the factory presets as the root's program list.
std::int32_t V3_API unitCount(void*) { return kUnitCount; }
v3_result V3_API unitInfo(void*, std::int32_t index, v3_unit_info* info) {
    return info && describeUnit(index, *info) ? V3_OK : V3_INVALID_ARG;
}
std::int32_t V3_API programListCount(void*) { return 1; }
v3_result V3_API programListInfo(void*, std::int32_t index, v3_program_list_info* info) {
    return info && describeProgramList(index, *info) ? V3_OK : V3_INVALID_ARG;
}
v3_result V3_API getProgramName(void*, std::int32_t list, std::int32_t index, v3_str_128 name) {
    return name && programName(list, index, name) ? V3_OK : V3_INVALID_ARG;
}
v3_result V3_API programInfo(void*, std::int32_t, std::int32_t, const char*, v3_str_128) { return V3_FALSE; }
v3_result V3_API hasPitchNames(void*, std::int32_t, std::int32_t) { return V3_FALSE; }
v3_result V3_API pitchName(void*, std::int32_t, std::int32_t, std::int16_t, v3_str_128) { return V3_FALSE; }
std::int32_t V3_API selectedUnit(void*) { return kRootUnit; }
v3_result V3_API selectUnit(void*, std::int32_t) { return V3_OK; }
v3_result V3_API unitByBus(void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t* unit) {
    if (!unit) return V3_INVALID_ARG;
    *unit = kRootUnit;
    return V3_OK;
}
v3_result V3_API setProgramData(void*, std::int32_t, std::int32_t, v3_bstream**) { return V3_NOT_IMPLEMENTED; }

constexpr v3_unit_information_cpp kUnits = {
    kUnknown,
    {unitCount, unitInfo, programListCount, programListInfo, getProgramName, programInfo, hasPitchNames, pitchName,
     selectedUnit, selectUnit, unitByBus, setProgramData}};

// The tempo drives Sync; a transport stop resets the filters and LFOs.
std::uint32_t V3_API contextNeeds(void*) { return V3_PROCESS_CTX_NEED_TEMPO | V3_PROCESS_CTX_NEED_TRANSPORT_STATE; }

constexpr v3_process_context_requirements_cpp kContextRequirements = {kUnknown, {contextNeeds}};

}  // namespace

DelayPlugin::DelayPlugin()
    : component{&kComponent, this},
      audioProcessor{&kAudioProcessor, this},
      controller{&kController, this},
      units{&kUnits, this},
      contextRequirements{&kContextRequirements, this} {}

DelayPlugin::~DelayPlugin() { setHandler(nullptr); }

v3_result DelayPlugin::query(const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    Face* face = nullptr;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
        v3_tuid_match(iid, v3_component_iid))
        face = &component;
    else if (v3_tuid_match(iid, v3_audio_processor_iid))
        face = &audioProcessor;
    else if (v3_tuid_match(iid, v3_edit_controller_iid))
        face = &controller;
    else if (v3_tuid_match(iid, v3_unit_information_iid))
        face = &units;
    else if (v3_tuid_match(iid, v3_process_context_requirements_iid))
        face = &contextRequirements;
    *object = face;
    if (!face) return V3_NO_INTERFACE;
    ref();
    return V3_OK;
}

std::uint32_t DelayPlugin::unref() {
    const std::uint32_t left = --references;
    if (left == 0) delete this;
    return left;
}

v3_result DelayPlugin::saveState(v3_bstream** stream) {
    if (!stream) return V3_INVALID_ARG;
    const std::vector<unsigned char> bytes = processing.save();
    for (std::size_t sent = 0; sent < bytes.size();) {
        std::int32_t written = 0;
        const v3_result result = v3_cpp_obj(stream)->write(stream, const_cast<unsigned char*>(bytes.data() + sent),
                                                           static_cast<std::int32_t>(bytes.size() - sent), &written);
        if (result != V3_OK || written <= 0) return V3_FALSE;
        sent += static_cast<std::size_t>(written);
    }
    return V3_OK;
}

// The processor takes the values before its next block; the controller follows at once, as
// it will when the host gives it the same stream.
v3_result DelayPlugin::loadState(v3_bstream** stream) {
    const std::optional<ParameterValues> values = readState(stream);
    if (!values) return V3_FALSE;
    processing.load(*values);
    showAll(*values);
    return V3_OK;
}

v3_result DelayPlugin::followComponentState(v3_bstream** stream) {
    const std::optional<ParameterValues> values = readState(stream);
    if (!values) return V3_FALSE;
    showAll(*values);
    return V3_OK;
}

double DelayPlugin::normalized(v3_param_id id) const {
    if (id == kBypassId) return bypassValue;
    if (id == kProgramId) return programCount() > 1 ? static_cast<double>(program) / (programCount() - 1) : 0.0;
    return isTableId(id) ? controls.value(static_cast<std::int32_t>(id)) : 0.0;
}

// A value set here is the processor's too. A program sets every value; when the change
// reaches the processor in a block, it reports each value it changed back to the host, which
// is how the host hears of them (telling the host from inside this call can deadlock a host
// that is loading a preset).
v3_result DelayPlugin::setNormalized(v3_param_id id, double value) {
    if (id == kBypassId) {
        bypassValue = isBypassed(value) ? 1.0 : 0.0;
    } else if (id == kProgramId) {
        program = programOf(value);
        const ParameterValues values = factoryPresets()[static_cast<std::size_t>(program)].values();
        for (std::int32_t index = 0; index < kNumDefinedParams; ++index) control(index, values[static_cast<std::size_t>(index)]);
    } else if (isTableId(id)) {
        control(static_cast<std::int32_t>(id), normalizedValue(static_cast<float>(value)));
    } else {
        return V3_INVALID_ARG;
    }
    return V3_OK;
}

void DelayPlugin::control(std::int32_t index, float value) {
    controls.store(index, value);
    processing.take(index, value);
    if (view) view->hostChanged(index);
}

void DelayPlugin::showAll(const ParameterValues& values) {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        controls.store(index, values[static_cast<std::size_t>(index)]);
        if (view) view->hostChanged(index);
    }
}

v3_plugin_view** DelayPlugin::createView(const char* name) {
    if (view || !name || std::strcmp(name, "editor") != 0) return nullptr;
    return DelayView::create(*this);
}

// Like the host's own changes, an edit is the processor's from its next block on.
void DelayPlugin::edit(std::int32_t index, float value) {
    const float normalized = normalizedValue(value);
    controls.store(index, normalized);
    processing.take(index, normalized);
    if (handler) v3_cpp_obj(handler)->perform_edit(handler, static_cast<v3_param_id>(index), normalized);
}

void DelayPlugin::beginEdit(std::int32_t index) {
    if (handler) v3_cpp_obj(handler)->begin_edit(handler, static_cast<v3_param_id>(index));
}

void DelayPlugin::endEdit(std::int32_t index) {
    if (handler) v3_cpp_obj(handler)->end_edit(handler, static_cast<v3_param_id>(index));
}

std::optional<float> DelayPlugin::syncedMilliseconds() const {
    const std::int32_t stop = enumerationStop(DelaySync, controls.value(DelaySync));
    if (stop == 0) return std::nullopt;
    const float length = DelayEngine::syncedDelayLength(stop, processing.tempo(), processing.rate());
    return delayMilliseconds(length, processing.rate());
}

v3_result DelayPlugin::setHandler(v3_component_handler** next) {
    if (next) v3_cpp_obj_ref(next);
    if (handler) v3_cpp_obj_unref(handler);
    handler = next;
    return V3_OK;
}

}  // namespace vst3door
