// The VST 3 bundle loaded as hosts load it, driven through plughost's VST 3 host: its class,
// the parameters' texts against the CLAP edition's, the state, changes at their offsets,
// bypass, tail and silence, programs, and the output against the CLAP edition's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/parameters.h"
#include "core/state_bytes.h"
#include "plughost/clap_host.h"
#include "plughost/vst3_host.h"
#include "presets/factory_presets.h"

namespace {

using plughost::vst3::MemoryStream;
using plughost::vst3::ParameterChanges;
using plughost::vst3::Vst3Module;
using plughost::vst3::Vst3Plugin;

constexpr v3_param_id kBypass = 1000, kProgram = 1001;
constexpr std::uint32_t kInfiniteTail = std::numeric_limits<std::uint32_t>::max();

struct Stereo {
    explicit Stereo(std::size_t frames) : left(frames), right(frames) {}
    std::vector<float> left, right;
    bool operator==(const Stereo&) const = default;
};

// A sine in bursts on the left, clicks on the right: something for every path to work on.
Stereo signal(std::size_t frames) {
    Stereo in(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        in.left[i] = std::sin(0.01f * static_cast<float>(i)) * (i % 300 < 20 ? 1.0f : 0.1f);
        in.right[i] = i % 97 == 0 ? 0.8f : 0.0f;
    }
    return in;
}

struct Setting {
    ParameterIndex index;
    float unitValue;  // as the CLAP edition takes it; VST 3 gets the controller's normalized value for it
};

class Vst3DoorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = Vst3Module::load(VELLUMINE_VST3_BUNDLE, error);
        ASSERT_TRUE(module) << error;
        plugin = Vst3Plugin::create(*module, error);
        ASSERT_TRUE(plugin) << error;
    }

    std::unique_ptr<Vst3Plugin> another() {
        std::string error;
        auto made = Vst3Plugin::create(*module, error);
        EXPECT_TRUE(made) << error;
        return made;
    }

    static double normalized(Vst3Plugin& target, ParameterIndex index, double unitValue) {
        v3_edit_controller** controller = target.controller();
        return v3_cpp_obj(controller)->plain_parameter_to_normalised(controller, static_cast<v3_param_id>(index), unitValue);
    }

    static void add(Vst3Plugin& target, ParameterChanges& changes, std::int32_t offset, const std::vector<Setting>& settings) {
        for (const Setting& s : settings)
            changes.add(static_cast<v3_param_id>(s.index), offset, normalized(target, s.index, s.unitValue));
    }

    // frames of in from `from` into out, through one process call.
    static v3_result run(Vst3Plugin& target, const Stereo& in, Stereo& out, std::size_t from, std::size_t frames,
                         ParameterChanges& changes, v3_process_context* context = nullptr, std::uint64_t* silence = nullptr) {
        const float* inputs[2] = {&in.left[from], &in.right[from]};
        float* outputs[2] = {&out.left[from], &out.right[from]};
        ParameterChanges sent;
        return target.process(inputs, outputs, static_cast<std::int32_t>(frames), changes, sent, context, silence);
    }

    std::unique_ptr<Vst3Module> module;
    std::unique_ptr<Vst3Plugin> plugin;
};

const std::vector<Setting> kEchoes = {{DelayMix, 80.0f},          {DelayTime, 12.5f},         {Feedback, 60.0f},
                                      {DelayFilterType, 2.0f},    {DelayCutoff, 1200.0f},     {DelayQ, 70.0f},
                                      {DelayFilterLfoDepth, 50.0f}, {DelayFilterLfoRate, 3.0f}, {OriginVolLfoDepth, 40.0f},
                                      {OriginVolLfoShape, 0.0f}};

TEST_F(Vst3DoorTest, TheFactoryHasOneStereoDelayEffectOf32BitSamples) {
    const auto classes = module->classes();
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_STREQ(classes[0].category, "Audio Module Class");
    EXPECT_STREQ(classes[0].name, "Vellumine");
    EXPECT_STREQ(classes[0].sub_categories, "Fx|Delay");
    EXPECT_STREQ(classes[0].vendor, "Quorvane");
    EXPECT_STREQ(classes[0].version, VELLUMINE_VERSION);
    v3_audio_processor** processor = plugin->processor();
    EXPECT_EQ(v3_cpp_obj(processor)->can_process_sample_size(processor, V3_SAMPLE_32), V3_OK);
    EXPECT_NE(v3_cpp_obj(processor)->can_process_sample_size(processor, V3_SAMPLE_64), V3_OK);
    v3_speaker_arrangement mono = V3_SPEAKER_M, stereo = V3_SPEAKER_L | V3_SPEAKER_R;
    EXPECT_NE(v3_cpp_obj(processor)->set_bus_arrangements(processor, &mono, 1, &stereo, 1), V3_OK);
    EXPECT_NE(v3_cpp_obj(processor)->set_bus_arrangements(processor, &stereo, 1, &mono, 1), V3_OK);
    EXPECT_EQ(v3_cpp_obj(processor)->get_latency_samples(processor), 0u);
}

// Every table parameter at its ends and at each of its steps shows what the CLAP edition
// shows for the same value, and its text reads back to that value.
TEST_F(Vst3DoorTest, EveryParameterShowsTheClapTextsAndReadsThemBack) {
    std::string error;
    const auto clapModule = plughost::clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule) << error;
    plughost::clap::ClapHost clapHost;
    const auto clap = plughost::clap::ClapPlugin::create(*clapModule, clapHost, 0, error);
    ASSERT_TRUE(clap) << error;
    const auto parameters = plugin->parameters();
    ASSERT_EQ(parameters.size(), static_cast<std::size_t>(kNumDefinedParams + 2));
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const v3_param_info& info = parameters[static_cast<std::size_t>(index)];
        ASSERT_EQ(info.param_id, static_cast<v3_param_id>(index));
        const std::int32_t steps = info.step_count > 0 ? info.step_count : 1;
        for (std::int32_t step = 0; step <= steps; ++step) {
            const double value = static_cast<double>(step) / steps;
            SCOPED_TRACE(testing::Message() << kParameters[index].symbol << " at " << value);
            const std::optional<std::string> text = plugin->text(info.param_id, value);
            ASSERT_TRUE(text);
            EXPECT_EQ(text, clap->text(static_cast<clap_id>(index), toUnitValue(index, static_cast<float>(value))));
            const std::optional<double> back = plugin->parse(info.param_id, *text);
            ASSERT_TRUE(back);
            EXPECT_EQ(static_cast<float>(*back), static_cast<float>(value));
        }
    }
    EXPECT_EQ(plugin->text(kBypass, 1.0), "On");
    const auto presets = factoryPresets();
    for (std::size_t program = 0; program < presets.size(); ++program)
        EXPECT_EQ(plugin->text(kProgram, static_cast<double>(program) / static_cast<double>(presets.size() - 1)),
                  presets[program].name);
}

TEST_F(Vst3DoorTest, StateSavesLoadsAndSavesTheSameAndTheControllerFollows) {
    ASSERT_TRUE(plugin->activate(48000.0, 512));
    ParameterChanges changes;
    add(*plugin, changes, 0, kEchoes);
    Stereo in(16), out(16);
    ASSERT_EQ(run(*plugin, in, out, 0, 16, changes), V3_OK);
    const auto saved = plugin->save();
    ASSERT_TRUE(saved);

    const auto other = another();
    ASSERT_TRUE(other->load(*saved));
    EXPECT_EQ(other->save(), saved);
    EXPECT_EQ(other->normalized(DelayTime), normalized(*other, DelayTime, 12.5));
}

// Ardour sets values on the controller and saves the component state with no block between,
// and restores the state before the values: the state must have them.
TEST_F(Vst3DoorTest, AValueSetOnTheControllerIsInTheComponentStateAtOnce) {
    ASSERT_TRUE(plugin->activate(44100.0, 64));
    ASSERT_TRUE(plugin->setNormalized(DelayTime, 0.0375));
    EXPECT_EQ((*decodeState(*plugin->save()))[DelayTime], 0.0375f);
}

TEST_F(Vst3DoorTest, ATruncatedOrForeignStreamIsRefusedWithNothingChanged) {
    ParameterValues values{};
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) values[static_cast<std::size_t>(index)] = kParameters[index].initial;
    values[Feedback] = 0.25f;
    const auto good = encodeState(values);
    ASSERT_TRUE(plugin->load(good));
    auto newer = good;
    newer[4] = 2;
    const std::vector<unsigned char> refused[] = {{good.begin(), good.end() - 1}, newer, {'n', 'o', 't', ' ', 'a'}, {}};
    for (const auto& bytes : refused) {
        MemoryStream stream(bytes);
        v3_component** component = plugin->component();
        EXPECT_NE(v3_cpp_obj(component)->set_state(component, stream.record()), V3_OK) << bytes.size() << " bytes";
        MemoryStream again(bytes);
        v3_edit_controller** controller = plugin->controller();
        EXPECT_NE(v3_cpp_obj(controller)->set_component_state(controller, again.record()), V3_OK);
        EXPECT_EQ(plugin->save(), good);
        EXPECT_EQ(plugin->normalized(Feedback), 0.25f);
    }
}

TEST_F(Vst3DoorTest, AChangeAtFrame1000EqualsTheBlockSplitThere) {
    constexpr std::size_t kFrames = 4096, kChange = 1000;
    const Stereo in = signal(kFrames);
    Stereo whole(kFrames), split(kFrames);
    const auto other = another();
    ASSERT_TRUE(plugin->activate(48000.0, kFrames));
    ASSERT_TRUE(other->activate(48000.0, kFrames));
    ParameterChanges changes;
    add(*plugin, changes, 0, kEchoes);
    add(*plugin, changes, kChange, {{DelayTime, 7.0f}, {DelayFilterLfoRate, 7.5f}});
    ASSERT_EQ(run(*plugin, in, whole, 0, kFrames, changes), V3_OK);

    ParameterChanges first, second;
    add(*other, first, 0, kEchoes);
    add(*other, second, 0, {{DelayTime, 7.0f}, {DelayFilterLfoRate, 7.5f}});
    ASSERT_EQ(run(*other, in, split, 0, kChange, first), V3_OK);
    ASSERT_EQ(run(*other, in, split, kChange, kFrames - kChange, second), V3_OK);
    EXPECT_TRUE(whole == split);
}

// The same values, rate and tempo give the CLAP edition's samples, a change mid-block and a
// synced delay included.
TEST_F(Vst3DoorTest, OutputEqualsTheClapEditionsBitForBit) {
    constexpr std::uint32_t kFrames = 4096, kChange = 1000;
    constexpr double kTempo = 100.0;
    struct Case {
        double rate;
        std::vector<Setting> settings;
        Setting change;
    };
    auto with = [](std::vector<Setting> more) {
        more.insert(more.begin(), kEchoes.begin(), kEchoes.end());
        return more;
    };
    const Case cases[] = {
        {48000.0, kEchoes, {DelayFilterLfoRate, 7.5f}},
        {44100.0, with({{DelayStereo, 2.0f}, {DelayMotion, 2.0f}, {DelayDuck, 40.0f}}), {DelayTime, 7.0f}},
        {96000.0, with({{DelaySync, 5.0f}, {DelayStereo, 1.0f}}), {DelayFreeze, 1.0f}},
    };
    const Stereo in = signal(kFrames);
    std::string error;
    const auto clapModule = plughost::clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule) << error;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, change of " << c.change.index);
        plughost::clap::ClapHost clapHost;
        const auto clap = plughost::clap::ClapPlugin::create(*clapModule, clapHost, 0, error);
        ASSERT_TRUE(clap) << error;
        plughost::clap::InputEvents events;
        plughost::clap::OutputEvents sent;
        for (const Setting& s : c.settings) events.addValue(0, s.index, s.unitValue);
        clap->flush(events, sent);
        ASSERT_TRUE(clap->activate(c.rate, kFrames));
        const plughost::clap::AudioThreadScope audio;
        ASSERT_TRUE(clap->startProcessing());
        events.clear();
        events.addValue(kChange, c.change.index, c.change.unitValue);
        clap_event_transport_t transport{};
        transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
        transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING;
        transport.tempo = kTempo;
        Stereo clapOut(kFrames);
        const float* ins[2] = {in.left.data(), in.right.data()};
        float* outs[2] = {clapOut.left.data(), clapOut.right.data()};
        clap->process(ins, outs, kFrames, events, sent, &transport);

        const auto vst3 = another();
        ASSERT_TRUE(vst3->activate(c.rate, kFrames));
        ParameterChanges changes;
        add(*vst3, changes, 0, c.settings);
        add(*vst3, changes, kChange, {c.change});
        v3_process_context context{};
        context.state = V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_PLAYING;
        context.bpm = kTempo;
        context.sample_rate = c.rate;
        Stereo vst3Out(kFrames);
        ASSERT_EQ(run(*vst3, in, vst3Out, 0, kFrames, changes, &context), V3_OK);
        EXPECT_TRUE(vst3Out == clapOut);
        EXPECT_GT(std::fabs(vst3Out.left[kFrames - 1]) + std::fabs(vst3Out.right[kFrames - 1]), 0.0f);  // not silence
    }
}

// A stop resets the filters and LFOs before the next block, once per stop, as in the CLAP
// edition: play, stop, stop, play again give its samples.
TEST_F(Vst3DoorTest, ATransportStopResetsAsInTheClapEdition) {
    constexpr std::uint32_t kBlock = 1024;
    constexpr bool kPlaying[] = {true, false, false, true};
    constexpr std::uint32_t kFrames = kBlock * std::size(kPlaying);
    const Stereo in = signal(kFrames);
    std::string error;
    const auto clapModule = plughost::clap::ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule) << error;
    plughost::clap::ClapHost clapHost;
    const auto clap = plughost::clap::ClapPlugin::create(*clapModule, clapHost, 0, error);
    ASSERT_TRUE(clap) << error;
    plughost::clap::InputEvents events;
    plughost::clap::OutputEvents sent;
    for (const Setting& s : kEchoes) events.addValue(0, s.index, s.unitValue);
    clap->flush(events, sent);
    events.clear();
    ASSERT_TRUE(clap->activate(44100.0, kBlock));
    const plughost::clap::AudioThreadScope audio;
    ASSERT_TRUE(clap->startProcessing());
    ASSERT_TRUE(plugin->activate(44100.0, kBlock));
    ParameterChanges changes, none;
    add(*plugin, changes, 0, kEchoes);
    Stereo clapOut(kFrames), vst3Out(kFrames);
    for (std::size_t block = 0; block < std::size(kPlaying); ++block) {
        const std::size_t at = block * kBlock;
        clap_event_transport_t transport{};
        transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
        transport.flags = CLAP_TRANSPORT_HAS_TEMPO | (kPlaying[block] ? CLAP_TRANSPORT_IS_PLAYING : 0);
        transport.tempo = 120.0;
        const float* ins[2] = {&in.left[at], &in.right[at]};
        float* outs[2] = {&clapOut.left[at], &clapOut.right[at]};
        clap->process(ins, outs, kBlock, events, sent, &transport);
        v3_process_context context{};
        context.state = V3_PROCESS_CTX_TEMPO_VALID | (kPlaying[block] ? V3_PROCESS_CTX_PLAYING : 0);
        context.bpm = 120.0;
        ASSERT_EQ(run(*plugin, in, vst3Out, at, kBlock, block == 0 ? changes : none, &context), V3_OK);
    }
    EXPECT_TRUE(vst3Out == clapOut);
}

// While Sync is on, the Rate's text is the length the delay runs at the host's tempo.
TEST_F(Vst3DoorTest, WhileSyncIsOnTheRateShowsTheSyncedLength) {
    ASSERT_TRUE(plugin->activate(48000.0, 64));
    const double quarter = normalized(*plugin, DelaySync, 11.0);
    ASSERT_EQ(plugin->text(DelaySync, quarter), "1/4");
    ParameterChanges changes;
    changes.add(DelaySync, 0, quarter);
    ASSERT_TRUE(plugin->setNormalized(DelaySync, quarter));
    v3_process_context context{};
    context.state = V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_PLAYING;
    context.bpm = 100.0;
    Stereo in(64), out(64);
    ASSERT_EQ(run(*plugin, in, out, 0, 64, changes, &context), V3_OK);
    EXPECT_EQ(plugin->text(DelayTime, 0.0), "600 ms");
}

// A call with no frames and no buffers still takes the changes, as a host flushes them.
TEST_F(Vst3DoorTest, AProcessWithoutSamplesAppliesTheChanges) {
    constexpr std::size_t kFrames = 2048;
    const Stereo in = signal(kFrames);
    Stereo flushed(kFrames), atStart(kFrames), unchanged(kFrames);
    const auto other = another(), third = another();
    for (Vst3Plugin* target : {plugin.get(), other.get(), third.get()}) ASSERT_TRUE(target->activate(44100.0, kFrames));
    ParameterChanges changes, none, sent;
    add(*plugin, changes, 0, kEchoes);
    ASSERT_EQ(plugin->process(nullptr, nullptr, 0, changes, sent), V3_OK);
    ASSERT_EQ(run(*plugin, in, flushed, 0, kFrames, none), V3_OK);
    ASSERT_EQ(run(*other, in, atStart, 0, kFrames, changes), V3_OK);
    ASSERT_EQ(run(*third, in, unchanged, 0, kFrames, none), V3_OK);
    EXPECT_TRUE(flushed == atStart);
    EXPECT_FALSE(flushed == unchanged);
}

// Bypassed, the output is the input; on the way in and out it fades, without a jump.
TEST_F(Vst3DoorTest, BypassPassesTheInputAndFadesInAndOut) {
    constexpr double kRate = 44100.0;
    constexpr std::size_t kFrames = 4096, kOn = 100, kOff = 2000;
    constexpr float kLevel = 0.5f;
    Stereo in(kFrames), out(kFrames);
    std::fill(in.left.begin(), in.left.end(), kLevel);
    std::fill(in.right.begin(), in.right.end(), -kLevel);
    ASSERT_TRUE(plugin->activate(kRate, kFrames));
    ParameterChanges changes;
    add(*plugin, changes, 0, {{OriginMix, 0.0f}});  // the plug-in alone is silent
    changes.add(kBypass, kOn, 1.0);
    changes.add(kBypass, kOff, 0.0);
    ASSERT_EQ(run(*plugin, in, out, 0, kFrames, changes), V3_OK);
    const std::size_t fade = static_cast<std::size_t>(0.01 * kRate);
    EXPECT_EQ(out.left[kOn - 1], 0.0f);
    for (std::size_t i = kOn + fade; i < kOff; ++i) ASSERT_EQ(out.left[i], kLevel) << i;
    EXPECT_EQ(std::vector<float>(out.right.begin() + kOn + fade, out.right.begin() + kOff),
              std::vector<float>(in.right.begin() + kOn + fade, in.right.begin() + kOff));
    EXPECT_EQ(out.left[kOff + fade], 0.0f);
    for (std::size_t i = 1; i < kFrames; ++i) ASSERT_LE(std::fabs(out.left[i] - out.left[i - 1]), 2.0f * kLevel / fade) << i;
}

TEST_F(Vst3DoorTest, TheTailIsEndlessOnlyWhileSomethingCanRingForEver) {
    struct Case {
        std::vector<Setting> settings;
        bool endless;
    };
    const Case cases[] = {{{{DelayTime, 500.0f}, {Feedback, 50.0f}}, false},
                          {{{DelayTime, 500.0f}, {Feedback, 100.0f}}, true},
                          {{{DelayQ, 100.0f}}, true},
                          {{{OriginQ, 100.0f}}, true},
                          {{{DelayFreeze, 1.0f}}, true}};
    for (const Case& c : cases) {
        const auto target = another();
        ASSERT_TRUE(target->activate(44100.0, 64));
        ParameterChanges changes;
        add(*target, changes, 0, c.settings);
        ParameterChanges sent;
        ASSERT_EQ(target->process(nullptr, nullptr, 0, changes, sent), V3_OK);
        const std::uint32_t tail = target->tailSamples();
        SCOPED_TRACE(testing::Message() << "tail " << tail << " for " << c.settings.size() << " settings, first "
                                        << c.settings[0].index);
        if (c.endless) {
            EXPECT_EQ(tail, kInfiniteTail);
        } else {
            // 500 ms repeats halving: 20 of them fall by 120 dB.
            EXPECT_GE(tail, 20u * 22050u);
            EXPECT_LT(tail, 22u * 22050u);
        }
    }
}

TEST_F(Vst3DoorTest, SilentOutputIsFlaggedSilent) {
    constexpr std::size_t kFrames = 512;
    ASSERT_TRUE(plugin->activate(44100.0, kFrames));
    Stereo quiet(kFrames), sound = signal(kFrames), out(kFrames);
    ParameterChanges none;
    std::uint64_t silence = 0;
    ASSERT_EQ(run(*plugin, quiet, out, 0, kFrames, none, nullptr, &silence), V3_OK);
    EXPECT_EQ(silence, 3u);
    ASSERT_EQ(run(*plugin, sound, out, 0, kFrames, none, nullptr, &silence), V3_OK);
    EXPECT_EQ(silence, 0u);
}

// A program sets every value where it falls in the block and reports each change to the
// host; the controller takes the values when the host sets the program on it.
TEST_F(Vst3DoorTest, AProgramSetsEveryValueAndTellsTheHost) {
    const auto presets = factoryPresets();
    const std::size_t chosen = 5;
    const double value = static_cast<double>(chosen) / static_cast<double>(presets.size() - 1);
    const auto expected = presets[chosen].values();
    ASSERT_TRUE(plugin->activate(44100.0, 64));
    ParameterChanges changes, sent;
    changes.add(kProgram, 10, value);
    Stereo in(64), out(64);
    const float* inputs[2] = {in.left.data(), in.right.data()};
    float* outputs[2] = {out.left.data(), out.right.data()};
    ASSERT_EQ(plugin->process(inputs, outputs, 64, changes, sent), V3_OK);
    std::size_t reported = 0;
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const float wanted = expected[static_cast<std::size_t>(index)];
        if (wanted == kParameters[index].initial) continue;
        auto* queue = sent.queue(static_cast<v3_param_id>(index));
        ASSERT_TRUE(queue) << kParameters[index].symbol;
        ASSERT_EQ(queue->points.size(), 1u);
        EXPECT_EQ(queue->points[0].offset, 10);
        EXPECT_EQ(queue->points[0].value, wanted);
        ++reported;
    }
    EXPECT_EQ(sent.all().size(), reported);
    EXPECT_TRUE(plugin->setNormalized(kProgram, value));
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index)
        EXPECT_EQ(plugin->normalized(static_cast<v3_param_id>(index)), expected[static_cast<std::size_t>(index)]);
    EXPECT_EQ(decodeState(*plugin->save()), expected);  // what the processor runs with
}

// Changes are taken earliest first, the first queue's among equal offsets; a queue whose points
// go back in time gives the earlier one next, before a later queue's change at the frame.
TEST_F(Vst3DoorTest, ChangesApplyEarliestFirstAndQueueOrderAmongEqualOffsets) {
    const auto presets = factoryPresets();
    const std::size_t chosen = 5;
    const double program = static_cast<double>(chosen) / static_cast<double>(presets.size() - 1);
    const ParameterValues preset = presets[chosen].values();
    ASSERT_NE(preset[DelayTime], 0.3f);
    ParameterValues timeLast = preset;
    timeLast[DelayTime] = 0.3f;
    struct Case {
        bool programFirst;
        ParameterValues expected;
    };
    for (const Case& c : {Case{false, preset}, Case{true, timeLast}}) {
        const auto target = another();
        ASSERT_TRUE(target->activate(44100.0, 64));
        ParameterChanges changes, sent;
        if (c.programFirst) {
            changes.add(kProgram, 10, program);
            changes.add(DelayTime, 10, 0.3);
        } else {
            changes.add(DelayTime, 10, 0.4);
            changes.add(DelayTime, 5, 0.3);  // back in time
            changes.add(kProgram, 10, program);
        }
        Stereo in(64), out(64);
        const float* inputs[2] = {in.left.data(), in.right.data()};
        float* outputs[2] = {out.left.data(), out.right.data()};
        ASSERT_EQ(target->process(inputs, outputs, 64, changes, sent), V3_OK);
        EXPECT_EQ(decodeState(*target->save()), c.expected) << c.programFirst;
    }
}

}  // namespace
