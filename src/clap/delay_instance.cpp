#include "clap/delay_instance.h"

#include <clap/events.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "clap/clap_gui.h"
#include "engine/denormal_guard.h"

namespace clapdoor {
namespace {

// The engine keeps ten seconds per channel: 30 MB at 384 kHz. Rates beyond that are refused.
constexpr double kHighestRate = 1536000.0;

}  // namespace

DelayInstance::DelayInstance(const clap_host_t* host) : hostRecord(host) {}

DelayInstance::~DelayInstance() = default;

void DelayInstance::init() {
    hostParams = static_cast<const clap_host_params_t*>(hostRecord->get_extension(hostRecord, CLAP_EXT_PARAMS));
}

bool DelayInstance::activate(double sampleRate) {
    if (!(sampleRate >= 1.0 && sampleRate <= kHighestRate)) return false;
    auto built = std::make_unique<DelayEngine>(static_cast<float>(sampleRate));
    const DenormalGuard flushDenormals;
    pendingApply.take();  // every value is applied now
    applied.start(*built, state);
    engine = std::move(built);
    activeRate = static_cast<float>(sampleRate);
    tempo.store(engine->getTempo(), std::memory_order_relaxed);
    return true;
}

// As VST 2's resume: the delay lines and the filter states start from silence again.
void DelayInstance::reset() {
    if (engine) engine->clearState();
}

bool DelayInstance::isParameterValue(const clap_event_header_t& header) {
    return header.space_id == CLAP_CORE_EVENT_SPACE_ID && header.type == CLAP_EVENT_PARAM_VALUE &&
           header.size >= sizeof(clap_event_param_value_t);
}

[[gnu::always_inline]] inline void DelayInstance::takeValue(const clap_event_param_value_t& event) {
    if (event.param_id >= static_cast<clap_id>(kNumDefinedParams)) return;
    const auto index = static_cast<std::int32_t>(event.param_id);
    const float value = fromUnitValue(index, static_cast<float>(event.value));
    state.storeHeld(index, value);
    hostChanges.add(index);
    if (engine) applied.apply(*engine, index, value);
}

clap_process_status DelayInstance::process(const clap_process_t& block) {
    if (!engine || block.audio_inputs_count < 1 || block.audio_outputs_count < 1 ||
        block.audio_inputs[0].channel_count < 2 || block.audio_outputs[0].channel_count < 2 ||
        !block.audio_inputs[0].data32 || !block.audio_outputs[0].data32)
        return CLAP_PROCESS_ERROR;
    const DenormalGuard flushDenormals;  // the parameter arithmetic too, not only the samples
    applyPending();
    if (block.transport) followTransport(*block.transport);
    sendToHost(block.out_events);
    const std::uint32_t events = block.in_events ? block.in_events->size(block.in_events) : 0;
    std::uint32_t done = 0;
    for (std::uint32_t e = 0; e < events; ++e) {
        const clap_event_header_t* header = block.in_events->get(block.in_events, e);
        if (!header) continue;
        const std::uint32_t at = std::min(header->time, block.frames_count);
        if (at > done) run(block, done, at);
        done = std::max(done, at);
        // The frequent event in line, the rest through the general door.
        if (isParameterValue(*header))
            takeValue(reinterpret_cast<const clap_event_param_value_t&>(*header));
        else
            applyEvent(*header);
    }
    // The host may stop calling until input or events come when the engine's last piece of
    // the block, after every event, was silent: zero input then stays zero output.
    const bool lastPieceAfterEvents = done < block.frames_count;
    run(block, done, block.frames_count);
    if (resetDue) engine->requestUnitsReset();  // takes effect before the next block, as VST 2's at idle
    resetDue = false;
    return lastPieceAfterEvents && engine->isSilent() ? CLAP_PROCESS_SLEEP : CLAP_PROCESS_CONTINUE;
}

void DelayInstance::run(const clap_process_t& block, std::uint32_t from, std::uint32_t to) {
    if (to <= from) return;
    const clap_audio_buffer_t& in = block.audio_inputs[0];
    const clap_audio_buffer_t& out = block.audio_outputs[0];
    const float* inputs[2] = {in.data32[0] + from, in.data32[1] + from};
    float* outputs[2] = {out.data32[0] + from, out.data32[1] + from};
    engine->processReplacing(inputs, outputs, static_cast<std::int32_t>(to - from));
}

double DelayInstance::unitValue(std::int32_t index) const { return toUnitValue(index, normalizedValueOf(index)); }

void DelayInstance::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
    const DenormalGuard flushDenormals;
    if (engine) applyPending();
    const std::uint32_t events = in ? in->size(in) : 0;
    for (std::uint32_t e = 0; e < events; ++e)
        if (const clap_event_header_t* header = in->get(in, e)) applyEvent(*header);
    if (resetDue) engine->requestUnitsReset();  // a stop told between blocks: before the next one
    resetDue = false;
    sendToHost(out);
}

// The host's tempo, which a synced delay follows (transports without one leave it), and its
// transport: one lacking IS_PLAYING is a stop (a block without a transport is none).
void DelayInstance::followTransport(const clap_event_transport_t& transport) {
    if (!engine) return;
    if (transport.flags & CLAP_TRANSPORT_IS_PLAYING) {
        stopResetDone = false;
    } else if (!stopResetDone) {
        resetDue = stopResetDone = true;
    }
    if (!(transport.flags & CLAP_TRANSPORT_HAS_TEMPO)) return;
    const double before = engine->getTempo();
    engine->setTempo(transport.tempo);
    if (engine->getTempo() == before) return;
    tempo.store(engine->getTempo(), std::memory_order_relaxed);
    if (engine->getSyncStop() == 0) return;
    // The Rate's text follows the synced length: the editor's box and the host's texts.
    hostChanges.add(DelayTime);
    if (!textsChanged.exchange(true, std::memory_order_acq_rel)) hostRecord->request_callback(hostRecord);
}

std::optional<float> DelayInstance::syncedMilliseconds() const {
    const std::int32_t stop = enumerationStop(DelaySync, normalizedValueOf(DelaySync));
    if (stop == 0) return std::nullopt;
    const float length = DelayEngine::syncedDelayLength(stop, tempo.load(std::memory_order_relaxed), activeRate);
    return delayMilliseconds(length, activeRate);
}

void DelayInstance::onMainThread() {
    if (textsChanged.exchange(false, std::memory_order_acq_rel) && hostParams)
        hostParams->rescan(hostRecord, CLAP_PARAM_RESCAN_TEXT);
}

void DelayInstance::applyEvent(const clap_event_header_t& header) {
    if (header.space_id != CLAP_CORE_EVENT_SPACE_ID) return;
    if (header.type == CLAP_EVENT_TRANSPORT && header.size >= sizeof(clap_event_transport_t)) {
        followTransport(reinterpret_cast<const clap_event_transport_t&>(header));
        return;
    }
    if (isParameterValue(header)) takeValue(reinterpret_cast<const clap_event_param_value_t&>(header));
}

void DelayInstance::applyPending() {
    pendingApply.take().forEach([&](std::int32_t index) { applied.apply(*engine, index, state.value(index)); });
}

void DelayInstance::sendToHost(const clap_output_events_t* out) {
    while (const std::optional<Outgoing> item = toHost.pop()) {
        if (!out) continue;
        const clap_event_header_t header{0, 0, CLAP_CORE_EVENT_SPACE_ID, item->type, 0};
        if (item->type == CLAP_EVENT_PARAM_VALUE) {
            clap_event_param_value_t event{header, static_cast<clap_id>(item->index), nullptr, -1, -1, -1, -1,
                                           toUnitValue(item->index, item->value)};
            event.header.size = sizeof event;
            out->try_push(out, &event.header);
        } else {
            clap_event_param_gesture_t event{header, static_cast<clap_id>(item->index)};
            event.header.size = sizeof event;
            out->try_push(out, &event.header);
        }
    }
}

// While the host processes, the next block carries the events; otherwise it is asked to
// flush the parameters.
void DelayInstance::queueForHost(const Outgoing& event) {
    toHost.push(event);
    if (!processing.load(std::memory_order_acquire) && hostParams) hostParams->request_flush(hostRecord);
}

void DelayInstance::store(std::int32_t index, float normalized) {
    if (state.store(index, normalized)) pendingApply.add(index);
}

void DelayInstance::beginGesture(std::int32_t index) { queueForHost({CLAP_EVENT_PARAM_GESTURE_BEGIN, index, 0.0f}); }

void DelayInstance::edit(std::int32_t index, float normalized) {
    const float value = ParameterState::asSentBack(index, normalized);
    store(index, value);
    queueForHost({CLAP_EVENT_PARAM_VALUE, index, value});
}

void DelayInstance::endGesture(std::int32_t index) { queueForHost({CLAP_EVENT_PARAM_GESTURE_END, index, 0.0f}); }

bool DelayInstance::save(const clap_ostream_t& stream) const {
    const std::vector<unsigned char> bytes = encodeState(state.all());
    for (std::size_t sent = 0; sent < bytes.size();) {
        const std::int64_t written = stream.write(&stream, bytes.data() + sent, bytes.size() - sent);
        if (written <= 0) return false;
        sent += static_cast<std::size_t>(written);
    }
    return true;
}

// The whole stream is read and judged before anything changes.
bool DelayInstance::load(const clap_istream_t& stream) {
    std::vector<unsigned char> bytes(kLargestState + 1);
    std::size_t received = 0;
    while (received < bytes.size()) {
        const std::int64_t read = stream.read(&stream, bytes.data() + received, bytes.size() - received);
        if (read < 0) return false;
        if (read == 0) break;
        received += static_cast<std::size_t>(read);
    }
    bytes.resize(received);
    const std::optional<ParameterValues> loaded = decodeState(bytes);
    if (!loaded) return false;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) store(index, (*loaded)[static_cast<std::size_t>(index)]);
    hostChanges.add(ParameterSet::all());
    if (hostParams) hostParams->rescan(hostRecord, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

void DelayInstance::setGui(std::unique_ptr<DelayGui> gui) { editorGui = std::move(gui); }

}  // namespace clapdoor
