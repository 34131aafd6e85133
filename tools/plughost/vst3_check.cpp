// `plughost check` on a VST 3 bundle: the factory, the host's call order, processing, the
// parameters and their queues; the state and editor checks are in files of their own.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "plughost/rate_level.h"
#include "plughost/vst3_check_support.h"

namespace plughost::vst3 {

std::unique_ptr<Vst3Plugin> Vst3CheckContext::open() {
    std::string error;
    auto plugin = Vst3Plugin::create(module, error);
    if (!plugin) findings.add(error);
    return plugin;
}

std::unique_ptr<Vst3Plugin> Vst3CheckContext::openRunning(double rate) {
    auto plugin = open();
    if (plugin && !plugin->activate(rate, kVst3MaxBlock)) {
        findings.add("setupProcessing or setActive(true) at " + std::to_string(static_cast<int>(rate)) + " Hz refused");
        return nullptr;
    }
    return plugin;
}

namespace {

Channels firstFrames(GuardedAudio& audio, std::size_t frames) {
    Channels kept;
    for (int c = 0; c < audio.channels(); ++c) kept.emplace_back(audio.channel(c), audio.channel(c) + frames);
    return kept;
}

// The block through guarded buffers, its input from fill.
bool processFilled(Vst3Plugin& plugin, std::int32_t frames, const std::function<void(GuardedAudio&)>& fill,
                   ParameterChanges& changes, const std::string& context, Findings& findings, bool inPlace,
                   Channels* output) {
    const auto n = static_cast<std::size_t>(frames);
    GuardedAudio in(2, n), separate(2, inPlace ? 0 : n);
    GuardedAudio& out = inPlace ? in : separate;
    fill(in);
    const Channels before = in.samples();
    ParameterChanges sent;
    const v3_result result = plugin.process(in.pointers(), out.pointers(), frames, changes, sent);
    const std::string what = context + ", " + std::to_string(frames) + " frames";
    bool clean = true;
    const auto report = [&](const std::string& finding) {
        findings.add(what + ": " + finding);
        clean = false;
    };
    int channel = 0;
    if (result != V3_OK) report("process answered " + std::to_string(result));
    if (out.overrun(n)) report("wrote past the end of an output buffer");
    if (!inPlace && (in.overrun(n) || !sameBits(in.samples(), before))) report("changed its input buffer");
    if (const long at = out.firstNonFinite(n, channel); at >= 0)
        report("output not finite (channel " + std::to_string(channel) + ", frame " + std::to_string(at) + ")");
    else if (const long sub = firstSubnormal(out, n, channel); sub >= 0)
        report("subnormal output (channel " + std::to_string(channel) + ", frame " + std::to_string(sub) + ")");
    if (output) *output = firstFrames(out, n);
    return clean;
}

}  // namespace

bool processGuarded(Vst3Plugin& plugin, std::int32_t frames, Random& random, ParameterChanges& changes,
                    const std::string& context, Findings& findings, bool inPlace, Channels* output) {
    const auto n = static_cast<std::size_t>(frames);
    return processFilled(plugin, frames, [&](GuardedAudio& in) { fillNoise(in, n, random); }, changes, context, findings,
                         inPlace, output);
}

Channels renderNoise(Vst3Plugin& plugin, std::int32_t frames, std::int32_t block, unsigned seed,
                     const std::vector<TimedChange>& changes, Findings& findings, const std::string& context) {
    Random random(seed);
    Channels noise(2, std::vector<float>(static_cast<std::size_t>(frames)));
    for (auto& channel : noise)
        for (float& sample : channel) sample = 0.5f * (2.0f * random.unit() - 1.0f);
    Channels all(2);
    ParameterChanges queues;
    auto next = changes.begin();
    for (std::int32_t done = 0; done < frames;) {
        const std::int32_t n = std::min(block, frames - done);
        queues.clear();
        for (; next != changes.end() && next->frame < done + n; ++next) queues.add(next->id, next->frame - done, next->value);
        const auto fill = [&](GuardedAudio& in) {
            for (int c = 0; c < 2; ++c) std::copy_n(&noise[static_cast<std::size_t>(c)][static_cast<std::size_t>(done)], n, in.channel(c));
        };
        Channels out;
        if (!processFilled(plugin, n, fill, queues, context, findings, false, &out)) return {};
        for (std::size_t c = 0; c < all.size(); ++c) all[c].insert(all[c].end(), out[c].begin(), out[c].end());
        done += n;
    }
    return all;
}

std::vector<v3_param_info> automated(const std::vector<v3_param_info>& parameters) {
    std::vector<v3_param_info> kept;
    for (const v3_param_info& info : parameters)
        if (!(info.flags & (V3_PARAM_READ_ONLY | V3_PARAM_IS_BYPASS | V3_PARAM_PROGRAM_CHANGE))) kept.push_back(info);
    return kept;
}

std::vector<TimedChange> randomSettings(const std::vector<v3_param_info>& parameters, Random& random) {
    std::vector<TimedChange> settings;
    for (const v3_param_info& info : parameters) {
        double value = random.unit();
        if (info.step_count > 0) value = std::floor(value * info.step_count + 0.5) / info.step_count;
        settings.push_back({0, info.param_id, value});
    }
    return settings;
}

namespace {

std::string narrow(const std::int16_t* text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < limit && text[i] != 0; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

std::string titleOf(const v3_param_info& info) { return narrow(info.title, 128) + " (id " + std::to_string(info.param_id) + ")"; }

constexpr const char* kAudioEffectCategory = "Audio Module Class";

void checkClassInfo(const v3_class_info_2& info, Findings& findings) {
    const std::string which = "class \"" + std::string(info.name) + "\"";
    if (!*info.name) findings.add("an audio effect class has no name");
    if (!*info.vendor) findings.add(which + " names no vendor");
    if (!*info.version) findings.add(which + " has no version");
    if (!std::strstr(info.sub_categories, "Fx"))
        findings.add(which + ": its sub-categories \"" + std::string(info.sub_categories) + "\" hold no Fx");
}

void checkFactory(Vst3CheckContext& c) {
    v3_plugin_factory** factory = c.module.factory();
    if (!*c.module.factoryInfo().vendor) c.findings.add("the factory names no vendor");
    const std::vector<v3_class_info_2> classes = c.module.classes();
    int effects = 0;
    for (const v3_class_info_2& info : classes) {
        if (std::strcmp(info.category, kAudioEffectCategory) != 0) continue;
        ++effects;
        checkClassInfo(info, c.findings);
    }
    if (effects == 0) c.findings.add("the factory holds no audio effect class");
    v3_class_info past{};
    if (v3_cpp_obj(factory)->get_class_info(factory, v3_cpp_obj(factory)->num_classes(factory), &past) == V3_OK)
        c.findings.add("class info past the class count");
    const v3_tuid unknown{};
    void* object = nullptr;
    if (v3_cpp_obj(factory)->create_instance(factory, unknown, v3_component_iid, &object) == V3_OK || object)
        c.findings.add("create_instance made an unknown class");
}

// Arrangements that plughost's stereo effects must refuse.
struct Arrangement {
    const char* name;
    v3_speaker_arrangement in, out;
};
constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;
constexpr v3_speaker_arrangement kSurround = kStereo | V3_SPEAKER_C | V3_SPEAKER_LFE | V3_SPEAKER_LS | V3_SPEAKER_RS;
constexpr Arrangement kOtherArrangements[] = {
    {"mono in and out", V3_SPEAKER_M, V3_SPEAKER_M},
    {"stereo in, mono out", kStereo, V3_SPEAKER_M},
    {"5.1 in and out", kSurround, kSurround},
};

void checkArrangements(Vst3Plugin& plugin, Findings& findings) {
    v3_audio_processor** processor = plugin.processor();
    for (Arrangement a : kOtherArrangements)
        if (v3_cpp_obj(processor)->set_bus_arrangements(processor, &a.in, 1, &a.out, 1) == V3_OK)
            findings.add("setBusArrangements accepted " + std::string(a.name));
    v3_speaker_arrangement in = kStereo, out = kStereo;
    if (v3_cpp_obj(processor)->set_bus_arrangements(processor, &in, 1, &out, 1) != V3_OK)
        findings.add("setBusArrangements refused stereo in and out after the others");
    for (std::int32_t direction : {V3_INPUT, V3_OUTPUT}) {
        v3_speaker_arrangement got = 0;
        if (v3_cpp_obj(processor)->get_bus_arrangement(processor, direction, 0, &got) != V3_OK || got != kStereo)
            findings.add(std::string("getBusArrangement of the ") + (direction == V3_INPUT ? "input" : "output") +
                         " is not stereo after stereo was set");
    }
}

// As hosts run a plug-in: initialize, arrangements, then setupProcessing, setActive(true),
// setProcessing(true), blocks, setProcessing(false), setActive(false) twice, terminate; the
// whole three times. The first instance is also offered arrangements it must refuse.
void checkCallOrder(Vst3CheckContext& c) {
    for (int round = 0; round < 3; ++round) {
        auto plugin = c.open();
        if (!plugin) return;
        if (round == 0) checkArrangements(*plugin, c.findings);
        Random random(c.options.seed + static_cast<unsigned>(round));
        for (int activation = 0; activation < 2; ++activation) {
            const std::string when = "instance " + std::to_string(round + 1) + ", activation " + std::to_string(activation + 1);
            if (!plugin->activate(kCheckRate, kVst3MaxBlock)) return c.findings.add(when + ": setupProcessing or setActive(true) refused");
            ParameterChanges none;
            for (int block = 0; block < 4; ++block)
                if (!processGuarded(*plugin, 256, random, none, when, c.findings)) return;
            plugin->deactivate();
        }
    }
}

// The same noise in place and out of place, each through an instance of its own.
void checkInPlace(Vst3CheckContext& c) {
    auto apart = c.openRunning(), together = c.openRunning();
    if (!apart || !together) return;
    for (std::int32_t frames : {1, 64, 1000, kVst3MaxBlock}) {
        Random first(c.options.seed + static_cast<unsigned>(frames)), second(c.options.seed + static_cast<unsigned>(frames));
        Channels out, shared;
        ParameterChanges none;
        processGuarded(*apart, frames, first, none, "out of place", c.findings, false, &out);
        processGuarded(*together, frames, second, none, "in place", c.findings, true, &shared);
        if (const std::string difference = firstDifference(out, shared); !difference.empty())
            return c.findings.add("in place and out of place differ at " + std::to_string(frames) + " frames: " + difference);
    }
}

// A block of no frames carries the host's parameter flush: with no buffers at all, and with
// buffers that must stay untouched.
void checkFlushBlocks(Vst3CheckContext& c, Vst3Plugin& plugin, Random& random) {
    for (int round = 0; round < 4; ++round) {
        ParameterChanges flush, sent;
        for (const TimedChange& change : randomSettings(automated(plugin.parameters()), random))
            flush.add(change.id, 0, change.value);
        if (plugin.process(nullptr, nullptr, 0, flush, sent) != V3_OK)
            c.findings.add("a flush (0 frames, no buffers) was answered with an error");
        GuardedAudio in(2, 0), out(2, 0);
        plugin.process(in.pointers(), out.pointers(), 0, flush, sent);
        if (out.overrun(0)) return c.findings.add("a block of 0 frames wrote into its output buffer");
    }
}

void checkBlockSizes(Vst3CheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    Random random(c.options.seed);
    checkFlushBlocks(c, *plugin, random);
    ParameterChanges none;
    for (std::int32_t frames = 1; frames <= kVst3MaxBlock; frames = frames * 2 + (frames & 1))
        if (!processGuarded(*plugin, frames, random, none, "block sizes", c.findings)) return;
    for (int round = 0; round < 64; ++round)
        if (!processGuarded(*plugin, 1 + random.below(kVst3MaxBlock), random, none, "random block sizes", c.findings)) return;
}

struct PhraseLevel {
    float output = 0.0f, input = 0.0f;  // peaks
};

// The built-in phrase through a fresh instance active at `rate`.
PhraseLevel phraseLevel(Vst3CheckContext& c, double rate) {
    auto plugin = c.openRunning(rate);
    if (!plugin) return {};
    Channels out(2, std::vector<float>(static_cast<std::size_t>(kVst3MaxBlock)));
    float* outputs[2] = {out[0].data(), out[1].data()};
    ParameterChanges none, sent;
    PhraseLevel level;
    level.input = playPhrase(rate, kVst3MaxBlock, [&](const float* input, int frames) {
        const float* inputs[2] = {input, input};
        plugin->process(inputs, outputs, frames, none, sent);
        for (const float* channel : outputs) level.output = std::max(level.output, peakOf(channel, frames));
    });
    return level;
}

void checkSampleRates(Vst3CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    ParameterChanges none;
    for (double rate : {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0}) {
        const std::string at = std::to_string(static_cast<int>(rate)) + " Hz";
        plugin->deactivate();
        if (!plugin->activate(rate, kVst3MaxBlock)) {
            c.findings.add("setupProcessing or setActive(true) at " + at + " refused");
            continue;
        }
        for (int block = 0; block < 8; ++block)
            if (!processGuarded(*plugin, 2048, random, none, at, c.findings)) break;
    }
    const PhraseLevel reference = phraseLevel(c, kCheckRate);
    for (double rate : kLevelRates) {
        const std::string finding = rateLevelFinding(rate, phraseLevel(c, rate).output, reference.output, reference.input);
        if (!finding.empty()) c.findings.add(finding);
    }
}

// The normalized values a parameter's texts are checked at: its ends, and every step.
std::vector<double> textValues(const v3_param_info& info) {
    if (info.step_count <= 0) return {0.0, 1.0};
    std::vector<double> values;
    for (std::int32_t step = 0; step <= info.step_count; ++step) values.push_back(static_cast<double>(step) / info.step_count);
    return values;
}

bool sameValue(const v3_param_info& info, double a, double b) {
    if (info.step_count > 0) return std::lround(a * info.step_count) == std::lround(b * info.step_count);
    return std::fabs(a - b) <= 1e-6;
}

void checkTextRoundTrip(Vst3CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    for (const v3_param_info& info : plugin->parameters()) {
        for (double value : textValues(info)) {
            const std::string which = titleOf(info) + " at " + std::to_string(value);
            const std::optional<std::string> text = plugin->text(info.param_id, value);
            if (!text) {
                c.findings.add(which + ": no text");
                continue;
            }
            const std::optional<double> back = plugin->parse(info.param_id, *text);
            if (!back || !sameValue(info, *back, value))
                c.findings.add(which + ": \"" + *text + "\" reads back as " + (back ? std::to_string(*back) : "nothing"));
        }
    }
}

void checkDefaults(Vst3CheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    for (const v3_param_info& info : plugin->parameters()) {
        const double declared = info.default_normalised_value;
        if (!(declared >= 0.0 && declared <= 1.0)) c.findings.add(titleOf(info) + ": the default lies outside 0 to 1");
        const double value = plugin->normalized(info.param_id);
        if (value != declared)
            c.findings.add(titleOf(info) + ": a new instance holds " + std::to_string(value) + ", the default is " +
                           std::to_string(declared));
    }
}

double hostileValue(Random& random) {
    constexpr double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), -1e30, 1e30, -1.0, 2.0, -0.0};
    if (random.below(3) == 0) return kSpecial[random.below(static_cast<int>(std::size(kSpecial)))];
    if (random.below(4) == 0) return 1.0 + random.unit() * 100.0;
    return random.unit();
}

// Queue points at random offsets, a third of them NaN, infinite or outside 0 to 1; then clean
// blocks: the output stays finite throughout.
void checkRandomPoints(Vst3CheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const std::vector<v3_param_info> parameters = plugin->parameters();
    if (parameters.empty()) return;
    Random random(c.options.seed);
    ParameterChanges points;
    for (int block = 0; block < 250; ++block) {
        points.clear();
        for (int k = 0; k < 8 && block < 200; ++k) {
            const v3_param_info& info = parameters[static_cast<std::size_t>(random.below(static_cast<int>(parameters.size())))];
            const ParameterChanges::Queue* queue = points.queue(info.param_id);
            const std::int32_t from = queue ? queue->points.back().offset : 0;
            points.add(info.param_id, std::min(from + random.below(64), 255), hostileValue(random));
        }
        if (!processGuarded(*plugin, 256, random, points, "block " + std::to_string(block), c.findings)) return;
    }
}

// Each parameter's point at offset 1000 of one block equals the point at the start of a
// second call that begins there.
void checkMidBlockPoints(Vst3CheckContext& c) {
    auto whole = c.openRunning(), split = c.openRunning();
    if (!whole || !split) return;
    const std::vector<v3_param_info> parameters = whole->parameters();
    Random random(c.options.seed);
    const std::vector<TimedChange> setup = randomSettings(automated(parameters), random);
    for (const v3_param_info& info : parameters) {
        if (info.flags & V3_PARAM_READ_ONLY) continue;
        std::vector<TimedChange> changes = setup;
        changes.push_back({1000, info.param_id, info.step_count > 0 ? 1.0 : random.unit()});
        const Channels one = renderNoise(*whole, 2048, 2048, c.options.seed, changes, c.findings, "one block");
        const Channels two = renderNoise(*split, 2048, 1000, c.options.seed, changes, c.findings, "split at 1000");
        if (const std::string difference = firstDifference(one, two); !one.empty() && !difference.empty())
            c.findings.add(titleOf(info) + " changed at offset 1000: " + difference);
    }
}

struct Vst3Check {
    std::string name;
    std::function<void(Vst3CheckContext&)> body;
};

std::vector<Vst3Check> allChecks() {
    std::vector<Vst3Check> checks{
        {"factory and class info", checkFactory},
        {"call order: initialize, buses, setup, activate, process, deactivate, terminate, repeated", checkCallOrder},
        {"in place equals out of place", checkInPlace},
        {"block sizes 0 to 4096 and random", checkBlockSizes},
        {"sample rates from 8 to 384 kHz through setActive", checkSampleRates},
        {"value, text, value for every parameter at its ends and steps", checkTextRoundTrip},
        {"defaults as declared", checkDefaults},
        {"random queue points with NaN, Inf and out-of-range values", checkRandomPoints},
        {"a queue point mid-block equals the split render", checkMidBlockPoints},
        {"state: save, load, save gives the same bytes", checkStateRoundTrip},
        {"state: empty, truncated and random streams refused without change", checkStateRefusals},
        {"editor attached, idled through the run loop and removed while the audio thread runs", checkEditor},
    };
    for (int which = 0; which < kExtremeSettings; ++which)
        checks.push_back({"60 s of audio with " + extremeSettingName(which), [which](Vst3CheckContext& c) { checkExtremeSetting(c, which); }});
    checks.push_back({"NaN and infinite input samples", checkNonFiniteInput});
    checks.push_back({"controller edits from the main thread while processing", checkControllerEdits});
    return checks;
}

}  // namespace

void runOneVst3Check(const Vst3Module& module, const CheckOptions& options, std::size_t number, Findings& findings) {
    const std::vector<Vst3Check> checks = allChecks();
    if (number >= checks.size()) return findings.add("no check number " + std::to_string(number));
    Vst3CheckContext context{module, options, findings};
    checks[number].body(context);
}

CheckSummary runVst3Checks(const Vst3Module& module, const CheckOptions& options, std::ostream& out) {
    CheckSummary summary;
    const std::vector<Vst3Check> checks = allChecks();
    for (std::size_t number = 0; number < checks.size(); ++number) {
        if (leftOut(options, checks[number].name)) continue;
        const IsolatedOutcome outcome =
            runIsolated([&](Findings& findings) { runOneVst3Check(module, options, number, findings); },
                        {module.path(), std::to_string(number), std::to_string(options.seed)}, options.timeLimitSeconds);
        tallyCheck(checks[number].name, outcome, options.verbose, summary, out);
    }
    printSummary(summary, out);
    return summary;
}

}  // namespace plughost::vst3
