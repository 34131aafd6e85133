#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <limits>
#include <thread>
#include <vector>

#include "plughost/clap_check_support.h"
#include "plughost/rate_level.h"

namespace plughost::clap {

std::unique_ptr<ClapPlugin> ClapCheckContext::open() {
    std::string error;
    auto plugin = ClapPlugin::create(module, host, 0, error);
    if (!plugin) findings.add(error);
    return plugin;
}

std::unique_ptr<ClapPlugin> ClapCheckContext::openRunning(double rate) {
    auto plugin = open();
    if (!plugin) return nullptr;
    if (plugin->inputChannels() == 0 || plugin->outputChannels() == 0) {
        findings.add("no audio input or output port");
        return nullptr;
    }
    if (!plugin->activate(rate, kClapMaxBlock)) {
        findings.add("activate at " + std::to_string(rate) + " Hz failed");
        return nullptr;
    }
    const AudioThreadScope audio;
    if (!plugin->startProcessing()) findings.add("start_processing failed");
    return plugin;
}

namespace {

Channels firstFrames(GuardedAudio& audio, std::size_t frames) {
    Channels kept;
    for (int c = 0; c < audio.channels(); ++c) kept.emplace_back(audio.channel(c), audio.channel(c) + frames);
    return kept;
}

}  // namespace

namespace {

// The block through guarded buffers, its input from fill.
bool processFilled(ClapPlugin& plugin, std::uint32_t frames, const std::function<void(GuardedAudio&)>& fill,
                   const InputEvents& events, const std::string& context, Findings& findings, bool inPlace,
                   Channels* output) {
    const std::size_t n = frames;
    GuardedAudio in(static_cast<int>(plugin.inputChannels()), n);
    GuardedAudio separate(static_cast<int>(plugin.outputChannels()), inPlace ? 0 : n);
    GuardedAudio& out = inPlace ? in : separate;
    fill(in);
    const Channels before = in.samples();
    OutputEvents sent;
    const AudioThreadScope audio;
    const clap_process_status status = plugin.process(in.pointers(), out.pointers(), frames, events, sent);
    const std::string what = context + (inPlace ? ", in place, " : ", ") + std::to_string(frames) + " frames";
    bool clean = true;
    const auto report = [&](const std::string& finding) {
        findings.add(what + ": " + finding);
        clean = false;
    };
    int channel = 0;
    if (status == CLAP_PROCESS_ERROR) report("process answered CLAP_PROCESS_ERROR");
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

bool processGuarded(ClapPlugin& plugin, std::uint32_t frames, Random& random, const InputEvents& events,
                    const std::string& context, Findings& findings, bool inPlace, Channels* output) {
    return processFilled(plugin, frames, [&](GuardedAudio& in) { fillNoise(in, frames, random); }, events, context,
                         findings, inPlace, output);
}

Channels renderNoise(ClapPlugin& plugin, std::uint32_t frames, std::uint32_t block, unsigned seed,
                     const std::vector<TimedChange>& changes, Findings& findings, const std::string& context) {
    Random random(seed);
    Channels noise(plugin.inputChannels(), std::vector<float>(frames));
    for (auto& channel : noise)
        for (float& sample : channel) sample = 0.5f * (2.0f * random.unit() - 1.0f);
    Channels all(plugin.outputChannels());
    InputEvents events;
    auto next = changes.begin();
    for (std::uint32_t done = 0; done < frames;) {
        const std::uint32_t n = std::min(block, frames - done);
        events.clear();
        for (; next != changes.end() && next->frame < done + n; ++next) events.addValue(next->frame - done, next->id, next->value);
        const auto fill = [&](GuardedAudio& in) {
            for (int c = 0; c < in.channels(); ++c) std::copy_n(&noise[static_cast<std::size_t>(c)][done], n, in.channel(c));
        };
        Channels out;
        if (!processFilled(plugin, n, fill, events, context, findings, false, &out)) return {};
        for (std::size_t c = 0; c < all.size(); ++c) all[c].insert(all[c].end(), out[c].begin(), out[c].end());
        done += n;
    }
    return all;
}

std::vector<TimedChange> randomSettings(const std::vector<clap_param_info_t>& parameters, Random& random) {
    std::vector<TimedChange> settings;
    for (const clap_param_info_t& info : parameters) {
        double value = plainValue(info, random.unit());
        if (info.flags & CLAP_PARAM_IS_STEPPED) value = std::floor(value + 0.5);
        settings.push_back({0, info.id, value});
    }
    return settings;
}

namespace {

void checkDescriptor(ClapCheckContext& c) {
    const clap_plugin_factory_t* factory = c.module.factory();
    if (!factory) return c.findings.add("the module has no plug-in factory");
    const std::uint32_t count = factory->get_plugin_count(factory);
    if (count == 0) c.findings.add("the factory holds no plug-in");
    if (factory->get_plugin_descriptor(factory, count)) c.findings.add("a descriptor past the plug-in count");
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, i);
        const std::string which = "descriptor " + std::to_string(i);
        if (!d) {
            c.findings.add(which + " is null");
            continue;
        }
        if (!clap_version_is_compatible(d->clap_version)) c.findings.add(which + ": an incompatible CLAP version");
        if (!d->id || !*d->id || !d->name || !*d->name) c.findings.add(which + ": no id or no name");
        if (!d->version || !*d->version) c.findings.add(which + ": no version");
        if (!d->features) c.findings.add(which + ": no feature list");
    }
    if (factory->create_plugin(factory, c.host.record(), "no.such.plugin")) c.findings.add("create_plugin made an unknown id");
    if (auto plugin = c.open(); plugin && plugin->descriptor().id != factory->get_plugin_descriptor(factory, 0)->id &&
                                std::strcmp(plugin->descriptor().id, factory->get_plugin_descriptor(factory, 0)->id) != 0)
        c.findings.add("the instance's descriptor is not the factory's");
}

// Main-thread calls here, audio-thread calls on a thread of their own, as hosts run them.
void checkThreads(ClapCheckContext& c) {
    auto plugin = c.open();
    if (!plugin || !plugin->activate(kCheckRate, kClapMaxBlock)) return;
    Findings audioFindings;
    std::thread audio([&] {
        const AudioThreadScope role;
        plugin->startProcessing();
        Random random(c.options.seed);
        InputEvents events;
        for (int block = 0; block < 50; ++block) processGuarded(*plugin, 256, random, events, "audio thread", audioFindings);
        OutputEvents sent;
        plugin->flush(events, sent);
        plugin->stopProcessing();
    });
    for (int round = 0; round < 50; ++round) {
        for (const clap_param_info_t& info : plugin->parameters()) plugin->value(info.id);
        plugin->save();
        plugin->fireTimers();
    }
    audio.join();
    plugin->deactivate();
    for (const std::string& finding : audioFindings.list()) c.findings.add(finding);
}

// The same noise in place and out of place, each through an instance of its own.
void checkInPlace(ClapCheckContext& c) {
    auto apart = c.openRunning(), together = c.openRunning();
    if (!apart || !together) return;
    for (std::uint32_t frames : {1u, 64u, 1000u, kClapMaxBlock}) {
        Random first(c.options.seed + frames), second(c.options.seed + frames);
        Channels out, shared;
        InputEvents none;
        processGuarded(*apart, frames, first, none, "out of place", c.findings, false, &out);
        processGuarded(*together, frames, second, none, "in place", c.findings, true, &shared);
        if (const std::string difference = firstDifference(out, shared); !difference.empty())
            return c.findings.add("in place and out of place differ at " + std::to_string(frames) + " frames: " + difference);
    }
}

void checkBlockSizes(ClapCheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    Random random(c.options.seed);
    InputEvents none;
    for (std::uint32_t frames = 1; frames <= kClapMaxBlock; frames = frames * 2 + (frames & 1))
        if (!processGuarded(*plugin, frames, random, none, "block sizes", c.findings)) return;
    for (int round = 0; round < 64; ++round)
        if (!processGuarded(*plugin, 1 + static_cast<std::uint32_t>(random.below(kClapMaxBlock)), random, none,
                            "random block sizes", c.findings))
            return;
}

struct PhraseLevel {
    float output = 0.0f, input = 0.0f;  // peaks
};

// The built-in phrase through a fresh instance activated at `rate`.
PhraseLevel phraseLevel(ClapCheckContext& c, double rate) {
    auto plugin = c.openRunning(rate);
    if (!plugin) return {};
    const AudioThreadScope audio;
    std::vector<std::vector<float>> out(plugin->outputChannels(), std::vector<float>(kClapMaxBlock));
    std::vector<const float*> inputs(plugin->inputChannels());
    std::vector<float*> outputs;
    for (auto& channel : out) outputs.push_back(channel.data());
    InputEvents none;
    OutputEvents sent;
    PhraseLevel level;
    level.input = playPhrase(rate, kClapMaxBlock, [&](const float* input, int frames) {
        std::fill(inputs.begin(), inputs.end(), input);
        plugin->process(inputs.data(), outputs.data(), static_cast<std::uint32_t>(frames), none, sent);
        for (const float* channel : outputs) level.output = std::max(level.output, peakOf(channel, frames));
    });
    return level;
}

void checkSampleRates(ClapCheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    Random random(c.options.seed);
    InputEvents none;
    for (double rate : {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0}) {
        plugin->deactivate();
        if (!plugin->activate(rate, kClapMaxBlock)) {
            c.findings.add("activate at " + std::to_string(static_cast<int>(rate)) + " Hz failed");
            continue;
        }
        const AudioThreadScope audio;
        plugin->startProcessing();
        for (int block = 0; block < 8; ++block)
            processGuarded(*plugin, 2048, random, none, std::to_string(static_cast<int>(rate)) + " Hz", c.findings);
        plugin->stopProcessing();
    }
    const PhraseLevel reference = phraseLevel(c, kCheckRate);
    for (double rate : kLevelRates) {
        const std::string finding = rateLevelFinding(rate, phraseLevel(c, rate).output, reference.output, reference.input);
        if (!finding.empty()) c.findings.add(finding);
    }
}

// After reset, the same input must give the same output as the first time.
void checkReset(ClapCheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    Random random(c.options.seed);
    const std::vector<TimedChange> settings = randomSettings(plugin->parameters(), random);
    const Channels first = renderNoise(*plugin, 8192, 512, c.options.seed, settings, c.findings, "first run");
    {
        const AudioThreadScope audio;
        plugin->plugin().reset(&plugin->plugin());
    }
    const Channels again = renderNoise(*plugin, 8192, 512, c.options.seed, settings, c.findings, "after reset");
    if (const std::string difference = firstDifference(first, again); !first.empty() && !difference.empty())
        c.findings.add("after reset the same input gives other output: " + difference);
}

bool closeEnough(const clap_param_info_t& info, double a, double b) {
    if (info.flags & CLAP_PARAM_IS_STEPPED) return a == b;
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, info.max_value - info.min_value);
}

void checkTextRoundTrip(ClapCheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    for (const clap_param_info_t& info : plugin->parameters()) {
        std::vector<double> values{info.min_value, info.max_value};
        if (info.flags & CLAP_PARAM_IS_STEPPED)
            for (double step = info.min_value + 1.0; step < info.max_value; step += 1.0) values.push_back(step);
        for (double value : values) {
            const std::string which = std::string(info.name) + " at " + std::to_string(value);
            const std::optional<std::string> text = plugin->text(info.id, value);
            if (!text) {
                c.findings.add(which + ": no text");
                continue;
            }
            const std::optional<double> back = plugin->parse(info.id, *text);
            if (!back || !closeEnough(info, *back, value))
                c.findings.add(which + ": \"" + *text + "\" reads back as " + (back ? std::to_string(*back) : "nothing"));
        }
    }
}

void checkDefaults(ClapCheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    for (const clap_param_info_t& info : plugin->parameters()) {
        const std::string which = std::string(info.name) + " (id " + std::to_string(info.id) + ")";
        if (!(info.min_value <= info.default_value && info.default_value <= info.max_value))
            c.findings.add(which + ": the default lies outside the range");
        const std::optional<double> value = plugin->value(info.id);
        if (!value || *value != info.default_value)
            c.findings.add(which + ": a new instance holds " + (value ? std::to_string(*value) : "no value") +
                           ", the default is " + std::to_string(info.default_value));
    }
}

double hostileValue(const clap_param_info_t& info, Random& random) {
    constexpr double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), -1e30, 1e30, -1.0};
    if (random.below(3) == 0) return kSpecial[random.below(static_cast<int>(std::size(kSpecial)))];
    if (random.below(4) == 0) return info.max_value + 1.0 + random.unit() * 100.0;
    return plainValue(info, random.unit());
}

// A third of the events NaN, infinite or out of range: the output stays clean and the values
// the plug-in reports stay in their ranges.
void checkRandomEvents(ClapCheckContext& c) {
    auto plugin = c.openRunning();
    if (!plugin) return;
    const std::vector<clap_param_info_t> parameters = plugin->parameters();
    if (parameters.empty()) return;
    Random random(c.options.seed);
    InputEvents events;
    for (int block = 0; block < 200; ++block) {
        events.clear();
        std::uint32_t at = 0;
        for (int k = 0; k < 8; ++k) {
            at = std::min(at + static_cast<std::uint32_t>(random.below(64)), 255u);
            const clap_param_info_t& info = parameters[static_cast<std::size_t>(random.below(static_cast<int>(parameters.size())))];
            events.addValue(at, info.id, hostileValue(info, random));
        }
        if (!processGuarded(*plugin, 256, random, events, "block " + std::to_string(block), c.findings)) return;
    }
    for (const clap_param_info_t& info : parameters) {
        const std::optional<double> value = plugin->value(info.id);
        if (!value || !(*value >= info.min_value && *value <= info.max_value))
            c.findings.add(std::string(info.name) + " reports " + (value ? std::to_string(*value) : "no value") +
                           " after out-of-range events");
    }
}

// Each parameter changed at frame 1000 of one block equals the change between two calls.
void checkMidBlockEvents(ClapCheckContext& c) {
    auto whole = c.openRunning(), split = c.openRunning();
    if (!whole || !split) return;
    const std::vector<clap_param_info_t> parameters = whole->parameters();
    Random random(c.options.seed);
    std::vector<TimedChange> setup = randomSettings(parameters, random);
    for (const clap_param_info_t& info : parameters) {
        std::vector<TimedChange> changes = setup;
        changes.push_back({1000, info.id, plainValue(info, (info.flags & CLAP_PARAM_IS_STEPPED) ? 1.0 : random.unit())});
        const Channels one = renderNoise(*whole, 2048, 2048, c.options.seed, changes, c.findings, "one block");
        const Channels two = renderNoise(*split, 2048, 1000, c.options.seed, changes, c.findings, "split at 1000");
        if (const std::string difference = firstDifference(one, two); !one.empty() && !difference.empty())
            c.findings.add(std::string(info.name) + " changed at frame 1000: " + difference);
    }
}

// Values flushed while inactive and while active are taken; what the plug-in sends back is
// begin and end gestures in pairs around values of its own parameters.
void checkFlush(ClapCheckContext& c) {
    auto plugin = c.open();
    if (!plugin) return;
    const std::vector<clap_param_info_t> parameters = plugin->parameters();
    Random random(c.options.seed);
    for (bool active : {false, true}) {
        if (active && !plugin->activate(kCheckRate, kClapMaxBlock)) return c.findings.add("activate failed");
        InputEvents events;
        OutputEvents sent;
        const std::vector<TimedChange> settings = randomSettings(parameters, random);
        for (const TimedChange& change : settings) events.addValue(0, change.id, change.value);
        if (active) {
            const AudioThreadScope audio;
            plugin->flush(events, sent);
        } else {
            plugin->flush(events, sent);
        }
        const std::string when = active ? "active" : "inactive";
        for (const TimedChange& change : settings) {
            const std::optional<double> value = plugin->value(change.id);
            if (!value || std::fabs(*value - change.value) > 1e-4 * std::max(1.0, std::fabs(change.value)))
                c.findings.add("flush while " + when + ": parameter " + std::to_string(change.id) + " holds " +
                               (value ? std::to_string(*value) : "nothing") + " after " + std::to_string(change.value));
        }
        std::map<clap_id, int> open;
        for (const SentEvent& event : sent.take()) {
            if (event.type == CLAP_EVENT_PARAM_GESTURE_BEGIN && open[event.id]++ > 0)
                c.findings.add("flush while " + when + ": a second gesture begins on " + std::to_string(event.id));
            if (event.type == CLAP_EVENT_PARAM_GESTURE_END && open[event.id]-- <= 0)
                c.findings.add("flush while " + when + ": a gesture ends on " + std::to_string(event.id) + " that never began");
        }
        for (const auto& [id, count] : open)
            if (count > 0) c.findings.add("flush while " + when + ": a gesture on " + std::to_string(id) + " never ends");
    }
}

void checkOpenClose(ClapCheckContext& c) {
    for (int cycle = 0; cycle < 50; ++cycle) {
        auto plugin = c.open();
        if (!plugin) return;
        if (cycle % 2 && !plugin->activate(kCheckRate, kClapMaxBlock)) return c.findings.add("activate failed");
    }
}

struct ClapCheck {
    std::string name;
    std::function<void(ClapCheckContext&)> body;
};

std::vector<ClapCheck> allChecks() {
    std::vector<ClapCheck> checks{
        {"descriptor and factory", checkDescriptor},
        {"calls from the threads CLAP names", checkThreads},
        {"in place equals out of place", checkInPlace},
        {"block sizes 1 to 4096 and random", checkBlockSizes},
        {"sample rates from 8 to 384 kHz through deactivate and activate", checkSampleRates},
        {"reset, then the same input gives the same output", checkReset},
        {"value, text, value for every parameter at its ends and steps", checkTextRoundTrip},
        {"defaults as declared", checkDefaults},
        {"random events with NaN, Inf and out-of-range values", checkRandomEvents},
        {"an event mid-block equals the split render", checkMidBlockEvents},
        {"flush while inactive and active, gestures in pairs", checkFlush},
        {"state: save, load, save gives the same bytes", checkStateRoundTrip},
        {"state: empty, truncated and random streams refused without change", checkStateRefusals},
        {"state: a fresh instance with the state gives the same output", checkStateInFreshInstance},
        {"editor opened, idled and closed while the audio thread runs", checkEditor},
        {"50 open/close cycles", checkOpenClose},
    };
    for (int which = 0; which < kExtremeSettings; ++which)
        checks.push_back({"60 s of audio with " + extremeSettingName(which), [which](ClapCheckContext& c) { checkExtremeSetting(c, which); }});
    checks.push_back({"NaN and infinite input samples", checkNonFiniteInput});
    return checks;
}

}  // namespace

void runOneClapCheck(const ClapModule& module, const CheckOptions& options, std::size_t number, Findings& findings) {
    const std::vector<ClapCheck> checks = allChecks();
    if (number >= checks.size()) return findings.add("no check number " + std::to_string(number));
    ClapCheckContext context{module, options, ClapHost(), findings};
    checks[number].body(context);
    // Whatever the check did, the plug-in's calls back to the host must come from the right thread.
    for (const std::string& finding : context.host.threadFindings()) findings.add(finding);
}

CheckSummary runClapChecks(const ClapModule& module, const CheckOptions& options, std::ostream& out) {
    CheckSummary summary;
    const std::vector<ClapCheck> checks = allChecks();
    for (std::size_t number = 0; number < checks.size(); ++number) {
        const std::string name = checks[number].name;
        if (leftOut(options, name)) continue;
        const IsolatedOutcome outcome =
            runIsolated([&](Findings& findings) { runOneClapCheck(module, options, number, findings); },
                        {module.path(), std::to_string(number), std::to_string(options.seed)}, options.timeLimitSeconds);
        tallyCheck(name, outcome, options.verbose, summary, out);
    }
    printSummary(summary, out);
    return summary;
}

}  // namespace plughost::clap
