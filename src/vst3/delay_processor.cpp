#include "vst3/delay_processor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/denormal_guard.h"
#include "presets/factory_presets.h"
#include "vst3/vst3_params.h"

namespace vst3door {
namespace {

// The engine keeps ten seconds per channel: 30 MB at 384 kHz. Rates beyond that are refused.
constexpr double kHighestRate = 1536000.0;
constexpr std::uint32_t kInfiniteTail = std::numeric_limits<std::uint32_t>::max();
// Bypass fades over 10 ms: short enough to feel immediate, long enough not to click.
constexpr float kBypassFadeSeconds = 0.01f;
// The bypass mix works on pieces of at most this many frames, whatever the host's block.
constexpr std::int32_t kLargestMixPiece = 8192;
// A tail ends when the repeats have fallen by 120 dB; the filters get this long to settle.
constexpr double kTailFloor = 1e-6;
constexpr double kFilterSettleSeconds = 0.1;
// More queues than there are parameters are never needed; further ones are ignored.
constexpr std::int32_t kMostQueues = 64;

// How many repeats at this feedback (below 1) stay above the floor: the least n with
// feedback^n below it, found with pow (log would need a newer glibc than the modules ask for).
double repeatsAbove(double floor, double feedback) {
    if (!(feedback > 0.0)) return 0.0;
    double low = 0.0, high = 1.0;  // feedback^low is above the floor, feedback^high below it
    while (std::pow(feedback, high) >= floor) high *= 2.0;
    while (high - low > 1.0) {
        const double middle = std::floor((low + high) / 2.0);
        (std::pow(feedback, middle) >= floor ? low : high) = middle;
    }
    return high;
}

bool hasStereo(const v3_audio_bus_buffers* buses, std::int32_t count) {
    if (!buses || count < 1 || buses[0].num_channels < 2 || !buses[0].channel_buffers_32) return false;
    return buses[0].channel_buffers_32[0] && buses[0].channel_buffers_32[1];
}

bool hasAudio(const v3_process_data& data) {
    return data.nframes > 0 && hasStereo(data.inputs, data.num_input_buses) && hasStereo(data.outputs, data.num_output_buses);
}

}  // namespace

// The host's parameter queues merged into one run of changes in the order of their offsets
// (queue order among equal offsets), without allocating: a cursor per queue.
class DelayProcessor::Changes {
public:
    Changes(v3_param_changes** changes, std::int32_t frames) : frames(frames) {
        if (!changes) return;
        count = std::clamp(v3_cpp_obj(changes)->get_param_count(changes), 0, kMostQueues);
        for (std::int32_t q = 0; q < count; ++q) {
            Queue& queue = queues[static_cast<std::size_t>(q)];
            queue = {v3_cpp_obj(changes)->get_param_data(changes, q), 0, 0, 0, 0, 0.0};
            if (!queue.queue) continue;
            queue.id = v3_cpp_obj(queue.queue)->get_param_id(queue.queue);
            queue.points = v3_cpp_obj(queue.queue)->get_point_count(queue.queue);
            read(queue);
            if (queue.cursor < queue.points && (!next || queue.offset < *next)) next = queue.offset;
        }
    }

    // The offset of the earliest change not yet taken.
    std::optional<std::int32_t> nextOffset() const { return next; }

    // Hands over every change not yet taken up to the offset, queue by queue; a queue whose
    // points go back in time gives them at once. The order is that of taking the earliest
    // change again and again, the first queue's among equal offsets.
    template <typename Take>
    void takeUpTo(std::int32_t offset, Take&& take) {
        next.reset();
        for (std::int32_t q = 0; q < count; ++q) {
            Queue& queue = queues[static_cast<std::size_t>(q)];
            for (; queue.cursor < queue.points && queue.offset <= offset; ++queue.cursor, read(queue))
                take(Point{queue.id, queue.value});
            if (queue.cursor < queue.points && (!next || queue.offset < *next)) next = queue.offset;
        }
    }

private:
    // Only the first `count` are written: clearing room for all of them in every block cost
    // more than a block's changes.
    struct Queue {
        v3_param_value_queue** queue;
        v3_param_id id;
        std::int32_t points, cursor, offset;
        double value;
    };

    void read(Queue& queue) const {
        for (; queue.cursor < queue.points; ++queue.cursor) {
            if (v3_cpp_obj(queue.queue)->get_point(queue.queue, queue.cursor, &queue.offset, &queue.value) != V3_OK) continue;
            queue.offset = std::clamp(queue.offset, 0, frames);
            return;
        }
    }

    std::int32_t frames;
    std::int32_t count = 0;
    std::array<Queue, kMostQueues> queues;
    std::optional<std::int32_t> next;
};

bool DelayProcessor::setup(const v3_process_setup& setup) {
    if (setup.symbolic_sample_size != V3_SAMPLE_32) return false;
    if (!(setup.sample_rate >= 1.0 && setup.sample_rate <= kHighestRate)) return false;
    sampleRate = static_cast<float>(setup.sample_rate);
    maxBlock = std::clamp(setup.max_block_size, 1, kLargestMixPiece);
    return true;
}

void DelayProcessor::setActive(bool active) {
    if (!active) {
        engine.reset();
        return;
    }
    auto built = std::make_unique<DelayEngine>(sampleRate);
    for (std::vector<float>& channel : dry) channel.assign(static_cast<std::size_t>(maxBlock), 0.0f);
    const DenormalGuard flushDenormals;
    pendingApply.take();  // every value is applied now
    applied.start(*built, state);
    engine = std::move(built);
    hostTempo.store(engine->getTempo(), std::memory_order_relaxed);
    bypassStep = 1.0f / std::max(1.0f, sampleRate * kBypassFadeSeconds);
    bypassGain = bypassed ? 1.0f : 0.0f;
    stopResetDone = resetDue = false;
}

void DelayProcessor::take(std::int32_t index, float value) {
    if (state.store(index, value)) pendingApply.add(index);
}

void DelayProcessor::load(const ParameterValues& values) {
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        if (state.store(index, values[static_cast<std::size_t>(index)])) pendingApply.add(index);
}

// In line: a parameter's value is the frequent change.
[[gnu::always_inline]] inline void DelayProcessor::applyPoint(const Point& point, std::int32_t offset,
                                                              v3_process_data& data) {
    if (isTableId(point.id)) {
        const auto index = static_cast<std::int32_t>(point.id);
        const float value = normalizedValue(static_cast<float>(point.value));
        state.store(index, value);
        applied.apply(*engine, index, value);
    } else if (point.id == kBypassId) {
        bypassed = isBypassed(point.value);
    } else if (point.id == kProgramId) {
        selectProgram(programOf(point.value), offset, data);
    }
}

v3_result DelayProcessor::process(v3_process_data& data) {
    if (!engine) return V3_NOT_INITIALIZED;
    if (data.symbolic_sample_size != V3_SAMPLE_32) return V3_INVALID_ARG;
    const DenormalGuard flushDenormals;  // the parameter arithmetic too, not only the samples
    applyPending();
    if (data.ctx) followContext(*data.ctx);
    // Without buffers or frames only the changes are applied.
    const std::int32_t frames = hasAudio(data) ? data.nframes : 0;
    Changes changes(data.input_params, frames);
    silentBlock = true;
    std::int32_t done = 0;
    while (const std::optional<std::int32_t> at = changes.nextOffset()) {
        if (*at > done) {
            run(data, done, *at);
            done = *at;
        }
        changes.takeUpTo(*at, [&](const Point& point) { applyPoint(point, done, data); });
    }
    run(data, done, frames);
    if (resetDue) engine->requestUnitsReset();  // takes effect before the next block, as in the other doors
    resetDue = false;
    if (frames > 0) {
        const bool passing = bypassed && bypassGain == 1.0f;
        data.outputs[0].channel_silence_bitset = passing ? data.inputs[0].channel_silence_bitset & 3u : (silentBlock ? 3u : 0u);
    }
    return V3_OK;
}

void DelayProcessor::applyPending() {
    pendingApply.take().forEach([&](std::int32_t index) { applied.apply(*engine, index, state.value(index)); });
}

// The host's tempo, which a synced delay follows, and its transport: a context that does not
// play is a stop.
void DelayProcessor::followContext(const v3_process_context& context) {
    if (context.state & V3_PROCESS_CTX_PLAYING) {
        stopResetDone = false;
    } else if (!stopResetDone) {
        resetDue = stopResetDone = true;
    }
    if (!(context.state & V3_PROCESS_CTX_TEMPO_VALID)) return;
    engine->setTempo(context.bpm);
    hostTempo.store(engine->getTempo(), std::memory_order_relaxed);
}

// Every value of the program, and the host told of each that changed (at the same offset),
// so that its controller and automation follow.
void DelayProcessor::selectProgram(std::int32_t program, std::int32_t offset, v3_process_data& data) {
    const ParameterValues values = factoryPresets()[static_cast<std::size_t>(program)].values();
    v3_param_changes** out = data.output_params;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const float value = values[static_cast<std::size_t>(index)];
        if (!state.store(index, value)) continue;
        applied.apply(*engine, index, value);
        if (!out) continue;
        v3_param_id id = static_cast<v3_param_id>(index);
        std::int32_t queueIndex = 0, pointIndex = 0;
        if (v3_param_value_queue** queue = v3_cpp_obj(out)->add_param_data(out, &id, &queueIndex))
            v3_cpp_obj(queue)->add_point(queue, offset, value, &pointIndex);
    }
}

void DelayProcessor::run(const v3_process_data& data, std::int32_t from, std::int32_t to) {
    if (to <= from) return;
    float* const* in = data.inputs[0].channel_buffers_32;
    float* const* out = data.outputs[0].channel_buffers_32;
    if (!bypassed && bypassGain == 0.0f) {
        const float* inputs[2] = {in[0] + from, in[1] + from};
        float* outputs[2] = {out[0] + from, out[1] + from};
        engine->processReplacing(inputs, outputs, to - from);
        silentBlock = silentBlock && engine->isSilent();
        return;
    }
    silentBlock = false;
    for (std::int32_t at = from; at < to;) {
        const std::int32_t frames = std::min(to - at, maxBlock);
        const float* inputs[2] = {in[0] + at, in[1] + at};
        float* outputs[2] = {out[0] + at, out[1] + at};
        runBypassMix(inputs, outputs, frames);
        at += frames;
    }
}

// The engine keeps running while bypassed, so that the delay is where it would be when the
// bypass ends; the output moves between its output and the input, which is copied first since
// hosts may process in place.
void DelayProcessor::runBypassMix(const float* const* inputs, float* const* outputs, std::int32_t frames) {
    const auto count = static_cast<std::size_t>(frames);
    for (int c = 0; c < 2; ++c) std::copy_n(inputs[c], count, dry[c].begin());
    const float* dryInputs[2] = {dry[0].data(), dry[1].data()};
    engine->processReplacing(dryInputs, outputs, frames);
    const float target = bypassed ? 1.0f : 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
        if (bypassGain < target) bypassGain = std::min(target, bypassGain + bypassStep);
        if (bypassGain > target) bypassGain = std::max(target, bypassGain - bypassStep);
        for (int c = 0; c < 2; ++c) {
            const float wet = outputs[c][i], input = dry[c][i];
            outputs[c][i] = bypassGain == 1.0f ? input : wet * (1.0f - bypassGain) + input * bypassGain;
        }
    }
}

// Endless while something can ring for ever: full feedback, an undamped filter, a frozen line;
// otherwise the repeats until they fall by 120 dB, and time for the filters to settle.
std::uint32_t DelayProcessor::tailSamples() const {
    if (state.value(Feedback) >= 1.0f || state.value(OriginQ) >= 1.0f || state.value(DelayQ) >= 1.0f ||
        enumerationStop(DelayFreeze, state.value(DelayFreeze)) != 0)
        return kInfiniteTail;
    const std::int32_t stop = enumerationStop(DelaySync, state.value(DelaySync));
    const double length = stop != 0 ? DelayEngine::syncedDelayLength(stop, tempo(), sampleRate)
                                    : scaled(kParameters[DelayTime].displayScale, state.value(DelayTime)) * 0.001 * sampleRate;
    const double tail = length * (repeatsAbove(kTailFloor, state.value(Feedback)) + 1.0) + kFilterSettleSeconds * sampleRate;
    return tail >= static_cast<double>(kInfiniteTail) ? kInfiniteTail - 1 : static_cast<std::uint32_t>(std::ceil(tail));
}

}  // namespace vst3door
