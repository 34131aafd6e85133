// The CLAP module loaded from its file as hosts load it, driven through plughost's CLAP host:
// the parameters' texts, the state's bytes, and processing against the LV2 and VST 2 editions.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <sstream>

#include "lv2/ports.h"
#include "plughost/clap_commands.h"
#include "plughost/clap_host.h"
#include "plughost/default_signal.h"
#include "plughost/plugin_instance.h"
#include "plughost/render.h"
#include "support/rate_levels.h"
#include "support/urid_map.h"

namespace {

using namespace plughost::clap;

class ClapDoorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = ClapModule::load(VELLUMINE_CLAP_PATH, error);
        ASSERT_TRUE(module) << error;
        plugin = ClapPlugin::create(*module, host, 0, error);
        ASSERT_TRUE(plugin) << error;
    }

    void set(ClapPlugin& target, clap_id id, double value) {
        InputEvents events;
        OutputEvents sent;
        events.addValue(0, id, value);
        target.flush(events, sent);
    }

    ClapHost host;
    std::unique_ptr<ClapModule> module;
    std::unique_ptr<ClapPlugin> plugin;
};

struct TextCase {
    ParameterIndex index;
    double value;
    const char* text;
};

TEST_F(ClapDoorTest, ValuesShowInTheirOwnUnits) {
    for (const TextCase& c : {TextCase{DelayTime, 375.0, "375 ms"}, TextCase{DelayTime, 12.5, "12.5 ms"},
                              TextCase{OriginCutoff, 8000.0, "8000 Hz"}, TextCase{DelayFilterLfoRate, 1.0, "1.00 Hz"},
                              TextCase{OriginVolLfoRate, 0.25, "0.25 Hz"}, TextCase{OriginQ, 50.0, "50 %"},
                              TextCase{OriginMix, 200.0, "200 %"}, TextCase{OriginFilterLfoShape, 2.0, "Sine"},
                              TextCase{DelayFilterType, 3.0, "Notch"}, TextCase{OriginVolLfoShape, 2.9, "Sine"},
                              TextCase{DelayTime, 1e9, "10000 ms"}})
        EXPECT_EQ(plugin->text(static_cast<clap_id>(c.index), c.value), c.text) << c.index << " at " << c.value;
}

TEST_F(ClapDoorTest, TypedTextsAreReadWithOrWithoutTheUnit) {
    for (const TextCase& c : {TextCase{DelayTime, 375.0, "375 ms"}, TextCase{DelayTime, 375.0, "375"},
                              TextCase{DelayTime, 375.0, " 375ms "}, TextCase{OriginCutoff, 440.0, "440 hz"},
                              TextCase{OriginQ, 12.5, "12.5 %"}, TextCase{OriginFilterLfoShape, 4.0, "triangle"},
                              TextCase{OriginFilterLfoShape, 1.0, "1"}, TextCase{DelayFilterType, 2.0, "Band"}})
        EXPECT_EQ(plugin->parse(static_cast<clap_id>(c.index), c.text), c.value) << c.text;
    for (const TextCase& c : {TextCase{DelayTime, 0, "10001 ms"}, TextCase{DelayTime, 0, "-1"},
                              TextCase{DelayTime, 0, "375 Hz"}, TextCase{OriginQ, 0, "half"},
                              TextCase{OriginFilterLfoShape, 0, "1.5"}, TextCase{OriginFilterLfoShape, 0, "Ramp"},
                              TextCase{OriginCutoff, 0, ""}})
        EXPECT_EQ(plugin->parse(static_cast<clap_id>(c.index), c.text), std::nullopt) << c.text;
}

std::uint32_t word(const std::vector<unsigned char>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Little endian whatever the machine: a project moves between Linux, Windows and ARM.
TEST_F(ClapDoorTest, StateIsMagicVersionCountAndEachValuesFloatBits) {
    set(*plugin, DelayTime, 375.0);
    const auto bytes = plugin->save();
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 4u * (3 + kNumDefinedParams));
    EXPECT_EQ(std::memcmp(bytes->data(), "VLVL", 4), 0);
    EXPECT_EQ(word(*bytes, 4), 1u);
    EXPECT_EQ(word(*bytes, 8), static_cast<std::uint32_t>(kNumDefinedParams));
    EXPECT_EQ(word(*bytes, 12 + 4 * DelayTime), std::bit_cast<std::uint32_t>(0.0375f));
    EXPECT_EQ(word(*bytes, 12 + 4 * OriginMix), std::bit_cast<std::uint32_t>(0.5f));
}

// A stream written before the last parameter existed gives it its Init value.
TEST_F(ClapDoorTest, AStreamWithoutTheLastParameterLoadsItAsItsInitValue) {
    const clap_id last = kNumDefinedParams - 1;
    set(*plugin, last, 100.0);
    set(*plugin, DelayTime, 375.0);
    auto bytes = *plugin->save();
    bytes[8] = static_cast<unsigned char>(kNumDefinedParams - 1);
    bytes.resize(bytes.size() - 4);
    ASSERT_TRUE(plugin->load(bytes));
    EXPECT_EQ(plugin->value(last), toUnitValue(static_cast<std::int32_t>(last), kParameters[last].initial));
    EXPECT_EQ(plugin->value(DelayTime), 375.0);
}

TEST_F(ClapDoorTest, NewerOrMalformedStreamsAreRefusedWithNothingChanged) {
    set(*plugin, Feedback, 40.0);
    const auto good = *plugin->save();
    const auto changed = [&](std::size_t at, unsigned char byte) {
        auto bytes = good;
        bytes[at] = byte;
        return bytes;
    };
    auto longer = good;
    longer.insert(longer.end(), 4, 0);
    const std::vector<unsigned char> refused[] = {
        changed(4, 2),                                // a newer version
        changed(0, 'X'),                              // another magic
        changed(8, kNumDefinedParams + 1),            // more parameters than there are
        changed(12 + 4 * Feedback + 3, 0x7f),         // a value beyond 1.0 (here NaN)
        {good.begin(), good.end() - 1},               // truncated
        longer,                                       // trailing bytes
        {}};
    for (const auto& bytes : refused) {
        EXPECT_FALSE(plugin->load(bytes)) << bytes.size() << " bytes";
        EXPECT_EQ(plugin->save(), good);
    }
}

// The LV2 edition's plug-in from its bundle, its ports set to unit values.
class Lv2Plugin {
public:
    explicit Lv2Plugin(double rate, const LV2_Feature* feature = nullptr) {
        library = dlopen(VELLUMINE_LV2_BUNDLE "/vellumine.so", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
        descriptor = entry(0);
        const LV2_Feature* features[] = {feature, nullptr};
        handle = descriptor->instantiate(descriptor, rate, VELLUMINE_LV2_BUNDLE "/", features);
        for (std::int32_t index = 0; index < lv2ports::kNumControlPorts; ++index) {
            controls[index] = toUnitValue(index, kParameters[index].initial);
            descriptor->connect_port(handle, lv2ports::portOfParameter(index), &controls[index]);
        }
        descriptor->activate(handle);
    }
    ~Lv2Plugin() {
        if (handle) descriptor->cleanup(handle);
        if (library) dlclose(library);
    }
    bool loaded() const { return handle != nullptr; }
    void run(const float* inLeft, const float* inRight, float* outLeft, float* outRight, std::uint32_t frames) {
        descriptor->connect_port(handle, lv2ports::kAudioInLeft, const_cast<float*>(inLeft));
        descriptor->connect_port(handle, lv2ports::kAudioInRight, const_cast<float*>(inRight));
        descriptor->connect_port(handle, lv2ports::kAudioOutLeft, outLeft);
        descriptor->connect_port(handle, lv2ports::kAudioOutRight, outRight);
        descriptor->run(handle, frames);
    }
    void connectTime(const void* sequence) { descriptor->connect_port(handle, lv2ports::kTimePort, const_cast<void*>(sequence)); }
    float controls[lv2ports::kNumControlPorts];

private:
    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
};

struct Setting {
    ParameterIndex index;
    float unitValue;
};

struct EditionsCase {
    std::vector<Setting> settings;
    Setting change;
};

// Delay, feedback, filters and running LFOs at 48 kHz, and a change at frame 1000: inside one
// CLAP block, between two LV2 runs. First the delay's LFO rate; then the delay path's own
// modes: Ping-Pong gliding on tape to a shorter delay with Duck, a crossed loop freezing.
TEST_F(ClapDoorTest, OutputEqualsTheLv2EditionsBitForBitWithAChangeMidBlock) {
    constexpr double kRate = 48000.0;
    constexpr std::uint32_t kFrames = 4096, kChange = 1000;
    const std::vector<Setting> common = {{DelayMix, 80.0f}, {DelayTime, 12.5f}, {Feedback, 60.0f}, {DelayFilterType, 2.0f},
                                         {DelayCutoff, 1200.0f}, {DelayQ, 70.0f}, {DelayFilterLfoDepth, 50.0f},
                                         {DelayFilterLfoRate, 3.0f}, {OriginVolLfoDepth, 40.0f}, {OriginVolLfoShape, 0.0f}};
    auto with = [&](std::vector<Setting> more) {
        more.insert(more.begin(), common.begin(), common.end());
        return more;
    };
    const EditionsCase cases[] = {
        {common, {DelayFilterLfoRate, 7.5f}},
        {with({{DelayStereo, 2.0f}, {DelayMotion, 2.0f}, {DelayDuck, 40.0f}}), {DelayTime, 7.0f}},
        {with({{DelayStereo, 1.0f}, {DelayMotion, 1.0f}}), {DelayFreeze, 1.0f}},
    };
    std::vector<float> inLeft(kFrames), inRight(kFrames);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        inLeft[i] = std::sin(0.01f * static_cast<float>(i)) * (i % 300 < 20 ? 1.0f : 0.1f);
        inRight[i] = i % 97 == 0 ? 0.8f : 0.0f;
    }
    for (const auto& [settings, change] : cases) {
        SCOPED_TRACE(testing::Message() << "change of " << change.index);
        Lv2Plugin lv2(kRate);
        ASSERT_TRUE(lv2.loaded());
        for (const Setting& s : settings) lv2.controls[s.index] = s.unitValue;
        std::vector<float> lv2Left(kFrames), lv2Right(kFrames);
        lv2.run(&inLeft[0], &inRight[0], &lv2Left[0], &lv2Right[0], kChange);
        lv2.controls[change.index] = change.unitValue;
        lv2.run(&inLeft[kChange], &inRight[kChange], &lv2Left[kChange], &lv2Right[kChange], kFrames - kChange);

        std::string error;
        const auto clap = ClapPlugin::create(*module, host, 0, error);
        ASSERT_TRUE(clap) << error;
        InputEvents events;
        OutputEvents sent;
        for (const Setting& s : settings) events.addValue(0, s.index, s.unitValue);
        clap->flush(events, sent);
        ASSERT_TRUE(clap->activate(kRate, kFrames));
        const AudioThreadScope audio;
        ASSERT_TRUE(clap->startProcessing());
        events.clear();
        events.addValue(kChange, change.index, change.unitValue);
        std::vector<float> clapLeft(kFrames), clapRight(kFrames);
        const float* ins[2] = {inLeft.data(), inRight.data()};
        float* outs[2] = {clapLeft.data(), clapRight.data()};
        EXPECT_EQ(clap->process(ins, outs, kFrames, events, sent), CLAP_PROCESS_CONTINUE);

        EXPECT_EQ(std::memcmp(clapLeft.data(), lv2Left.data(), kFrames * sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(clapRight.data(), lv2Right.data(), kFrames * sizeof(float)), 0);
        EXPECT_GT(std::fabs(clapLeft[kFrames - 1]) + std::fabs(clapRight[kFrames - 1]), 0.0f);  // not silence
    }
}

// Silence lets the host sleep the plug-in once the tail has died away, not before; sound
// wakes it.
TEST_F(ClapDoorTest, SleepsInSilenceOnceTheTailHasDiedAway) {
    set(*plugin, DelayMix, 50.0);
    set(*plugin, DelayTime, 500.0);
    ASSERT_TRUE(plugin->activate(44100.0, 512));
    const AudioThreadScope audio;
    ASSERT_TRUE(plugin->startProcessing());
    std::vector<float> in(512, 0.0f), left(512), right(512);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    InputEvents none;
    OutputEvents sent;
    in[0] = 1.0f;
    EXPECT_EQ(plugin->process(ins, outs, 512, none, sent), CLAP_PROCESS_CONTINUE);
    in[0] = 0.0f;
    EXPECT_EQ(plugin->process(ins, outs, 512, none, sent), CLAP_PROCESS_CONTINUE);  // the echo is still due
    int blocks = 2;
    while (plugin->process(ins, outs, 512, none, sent) != CLAP_PROCESS_SLEEP && blocks < 200) ++blocks;
    EXPECT_GT(blocks, 22050 / 512);  // not before the 500 ms echo
    EXPECT_LT(blocks, 200);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float x) { return x == 0.0f; }));
    in[100] = 0.5f;
    EXPECT_EQ(plugin->process(ins, outs, 512, none, sent), CLAP_PROCESS_CONTINUE);
    in[100] = 0.0f;
    EXPECT_EQ(plugin->process(ins, outs, 512, none, sent), CLAP_PROCESS_CONTINUE);
}

// A value applied again would restart an LFO's cycle: the same value sent twice changes nothing.
TEST_F(ClapDoorTest, ARepeatedValueDoesNotRestartAnLfo) {
    ASSERT_TRUE(plugin->activate(44100.0, 512));
    std::unique_ptr<ClapPlugin> twin;
    std::string error;
    twin = ClapPlugin::create(*module, host, 0, error);
    ASSERT_TRUE(twin && twin->activate(44100.0, 512));
    const AudioThreadScope audio;
    std::vector<float> in(512, 0.25f), a(512), b(512);
    const float* ins[2] = {in.data(), in.data()};
    for (int block = 0; block < 8; ++block) {
        InputEvents once, repeated;
        OutputEvents sent;
        for (InputEvents* events : {&once, &repeated}) {
            if (events == &once && block > 0) continue;  // the twin hears the same values every block
            events->addValue(0, OriginVolLfoDepth, 100.0);
            events->addValue(0, OriginVolLfoRate, 2.0);
        }
        float* outA[2] = {a.data(), a.data() + 256};
        float* outB[2] = {b.data(), b.data() + 256};
        plugin->process(ins, outA, 256, once, sent);
        twin->process(ins, outB, 256, repeated, sent);
        ASSERT_EQ(a, b) << "block " << block;
    }
}

// Sync on a quarter note follows the host's tempo from the transport event's frame: an impulse
// before and one after a change from 90 to 140 BPM echo one beat of each later.
TEST_F(ClapDoorTest, ASyncedDelayFollowsTheTransportsTempoFromItsFrame) {
    constexpr std::uint32_t kFrames = 80000;
    InputEvents events;
    OutputEvents sent;
    for (const Setting& s : {Setting{OriginMix, 0.0f}, Setting{DelayMix, 100.0f}, Setting{DelayFilterType, 1.0f},
                             Setting{DelayCutoff, 0.0f}, Setting{DelaySync, 11.0f}})
        events.addValue(0, s.index, s.unitValue);
    plugin->flush(events, sent);
    ASSERT_TRUE(plugin->activate(44100.0, kFrames));
    const AudioThreadScope audio;
    ASSERT_TRUE(plugin->startProcessing());
    std::vector<float> in(kFrames), left(kFrames), right(kFrames);
    in[0] = in[50000] = 1.0f;
    events.clear();
    events.addTempo(0, 90.0);
    events.addTempo(40000, 140.0);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    plugin->process(ins, outs, kFrames, events, sent);
    std::vector<std::uint32_t> echoes;
    for (std::uint32_t i = 0; i < kFrames; ++i)
        if (left[i] != 0.0f) echoes.push_back(i);
    EXPECT_EQ(echoes, (std::vector<std::uint32_t>{29400, 50000 + 18900}));
}

// The doors read one table: CLAP lists each parameter under its long name and group, in its
// unit's range, stepped where it has stops, at its Init value, and the VST 2 module under
// its name, at the same Init value, with the text the table gives it.
TEST_F(ClapDoorTest, EveryDoorListsTheTablesParameters) {
    std::string error;
    auto vst2Module = plughost::PluginModule::load(VELLUMINE_PLUGIN, error);
    ASSERT_TRUE(vst2Module) << error;
    plughost::Host vst2Host;
    auto vst2 = plughost::PluginInstance::create(*vst2Module, vst2Host, error);
    ASSERT_TRUE(vst2) << error;
    const std::vector<clap_param_info_t> listed = plugin->parameters();
    ASSERT_EQ(listed.size(), static_cast<std::size_t>(kNumDefinedParams));
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const ParameterInfo& row = kParameters[index];
        const clap_param_info_t& info = listed[static_cast<std::size_t>(index)];
        SCOPED_TRACE(row.symbol);
        EXPECT_EQ(info.id, static_cast<clap_id>(index));
        EXPECT_STREQ(info.name, row.longName);
        EXPECT_STREQ(info.module, groupName(row.group));
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, row.unitFullScale);
        EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, !row.stops.empty());
        EXPECT_EQ(info.default_value, toUnitValue(index, row.initial));
        EXPECT_EQ(plugin->value(info.id), info.default_value);
        EXPECT_EQ(vst2->text(effGetParamName, index), row.name);
        EXPECT_EQ(vst2->getParameter(index), row.initial);
        char text[kDisplayTextSize];
        displayText(index, row.initial, text);
        EXPECT_EQ(vst2->text(effGetParamDisplay, index), text);
    }
}

// A transport event for one block, as plughost's CLAP host sends it while rendering.
clap_event_transport_t transportOf(double beatsPerMinute, bool playing) {
    clap_event_transport_t transport{};
    transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    transport.flags = CLAP_TRANSPORT_HAS_TEMPO | (playing ? CLAP_TRANSPORT_IS_PLAYING : 0);
    transport.tempo = beatsPerMinute;
    return transport;
}

// While Sync is on, the Rate's text is the length the delay runs at, at the transport's tempo,
// whatever value it is asked for; a tempo that moves it asks the host to read the texts again.
TEST_F(ClapDoorTest, WhileSyncIsOnTheRateShowsTheSyncedLengthAndATempoChangeRescansTheTexts) {
    EXPECT_EQ(plugin->text(DelayTime, 375.0), "375 ms");
    set(*plugin, DelaySync, 11.0);  // 1/4
    EXPECT_EQ(plugin->text(DelayTime, 375.0), "500 ms");  // 120 BPM until a host tells another
    ASSERT_TRUE(plugin->activate(48000.0, 512));
    std::vector<float> in(512, 0.0f), out(512);
    const float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    InputEvents none;
    OutputEvents sent;
    struct Block {
        double tempo;
        bool rescans;
        const char* text;
    };
    for (const Block& block : {Block{120.0, false, "500 ms"}, Block{90.0, true, "666.7 ms"},
                               Block{90.0, false, "666.7 ms"}, Block{140.0, true, "428.6 ms"}}) {
        SCOPED_TRACE(block.tempo);
        const int rescansBefore = host.rescans();
        {
            const AudioThreadScope audio;
            ASSERT_TRUE(plugin->startProcessing());
            const clap_event_transport_t transport = transportOf(block.tempo, true);
            plugin->process(ins, outs, 512, none, sent, &transport);
            plugin->stopProcessing();
        }
        EXPECT_EQ(host.takeCallbackRequest(), block.rescans);
        plugin->callOnMainThread();
        EXPECT_EQ(host.rescans(), rescansBefore + (block.rescans ? 1 : 0));
        EXPECT_EQ(plugin->text(DelayTime, 375.0), block.text);
    }
    EXPECT_EQ(host.rescanFlags(), CLAP_PARAM_RESCAN_TEXT);
    set(*plugin, DelaySync, 0.0);
    EXPECT_EQ(plugin->text(DelayTime, 375.0), "375 ms");
}

// A sequence for an LV2 time port: a time:Position at frame 0 telling a speed, or nothing.
std::vector<std::uint64_t> positionSequence(UridMap& urids, std::optional<float> speed) {
    std::vector<std::uint64_t> buffer(32);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, urids.mapper());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size() * 8);
    LV2_Atom_Forge_Frame sequence, object;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    if (speed) {
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_object(&forge, &object, 0, urids.id(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, urids.id(LV2_TIME__speed));
        lv2_atom_forge_float(&forge, *speed);
        lv2_atom_forge_pop(&forge, &object);
    }
    lv2_atom_forge_pop(&forge, &sequence);
    return buffer;
}

// A transport stop resets the filter units and the LFOs once, before the block after the one
// in which the host tells it: VST 2 at plughost's effIdle, CLAP from its blocks' transport,
// LV2 from a time:Position with speed 0, here in every block while stopped. A stop, a restart
// and a second stop mid-render sound the same through all three, bit for bit.
TEST(TransportStop, ResetsTheUnitsAtTheNextBlockThroughVst2Lv2AndClapAlike) {
    constexpr std::int64_t kBlock = 512, kStop = 86 * kBlock, kPlay = 130 * kBlock, kStopAgain = 172 * kBlock;
    plughost::RenderOptions options;
    options.settings = {{"10", 0.5f}, {"11", 0.0375f}, {"12", 0.5f}, {"6", 0.5f}, {"19", 0.75f}, {"21", 0.5f}};
    std::istringstream file(std::to_string(kStop) + " transport=stop\n" + std::to_string(kPlay) +
                            " transport=play\n" + std::to_string(kStopAgain) + " transport=stop\n");
    std::string error;
    ASSERT_TRUE(plughost::parseAutomation(file, 44100.0, options.automation, error)) << error;
    const plughost::StereoAudio input = plughost::defaultSignal(44100.0);

    auto vst2 = plughost::PluginModule::load(VELLUMINE_PLUGIN, error);
    ASSERT_TRUE(vst2) << error;
    plughost::StereoAudio vst2Output, vst2Playing, clapOutput;
    ASSERT_TRUE(plughost::render(*vst2, input, options, vst2Output, error)) << error;
    auto clapModule = ClapModule::load(VELLUMINE_CLAP_PATH, error);
    ASSERT_TRUE(clapModule && renderClap(*clapModule, input, options, clapOutput, error)) << error;
    EXPECT_EQ(clapOutput.left, vst2Output.left);
    EXPECT_EQ(clapOutput.right, vst2Output.right);

    UridMap urids;
    Lv2Plugin lv2(44100.0, &urids.feature);
    ASSERT_TRUE(lv2.loaded());
    for (const plughost::ParameterSetting& setting : options.settings) {
        const std::int32_t index = std::stoi(setting.target);
        lv2.controls[index] = toUnitValue(index, setting.value);
    }
    const auto stopped = positionSequence(urids, 0.0f), playing = positionSequence(urids, 1.0f),
               nothing = positionSequence(urids, std::nullopt);
    std::vector<float> left(input.frames()), right(input.frames());
    for (std::int64_t done = 0; done < static_cast<std::int64_t>(input.frames()); done += kBlock) {
        const bool stop = (done >= kStop && done < kPlay) || done >= kStopAgain;
        lv2.connectTime((stop ? stopped : done == kPlay ? playing : nothing).data());
        const auto at = static_cast<std::size_t>(done);
        lv2.run(&input.left[at], &input.right[at], &left[at], &right[at],
                static_cast<std::uint32_t>(std::min<std::int64_t>(kBlock, static_cast<std::int64_t>(input.frames()) - done)));
    }
    EXPECT_EQ(left, vst2Output.left);
    EXPECT_EQ(right, vst2Output.right);

    options.automation.clear();  // the stops are heard
    ASSERT_TRUE(plughost::render(*vst2, input, options, vst2Playing, error)) << error;
    EXPECT_NE(vst2Playing.left, vst2Output.left);
}

// Below 44.1 kHz a high cutoff is held where the filter stays stable: no setting roars.
TEST_F(ClapDoorTest, NoSettingIsLouderAtALowRate) {
    expectLevelsHeldAtLowRates([&](const LevelSetting& setting, double rate, const std::vector<float>& phrase) {
        std::string error;
        auto fresh = ClapPlugin::create(*module, host, 0, error);
        EXPECT_TRUE(fresh) << error;
        if (!fresh) return std::vector<float>{};
        InputEvents events;
        OutputEvents sent;
        for (std::int32_t i = 0; i < kNumDefinedParams; ++i)
            events.addValue(0, static_cast<clap_id>(i), toUnitValue(i, setting.values[static_cast<std::size_t>(i)]));
        fresh->flush(events, sent);
        EXPECT_TRUE(fresh->activate(rate, 512));
        const AudioThreadScope audio;
        EXPECT_TRUE(fresh->startProcessing());
        InputEvents none;
        std::vector<float> left(phrase.size()), right(phrase.size());
        for (std::size_t done = 0; done < phrase.size(); done += 512) {
            const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(512, phrase.size() - done));
            const float* ins[2] = {phrase.data() + done, phrase.data() + done};
            float* outs[2] = {left.data() + done, right.data() + done};
            fresh->process(ins, outs, frames, none, sent);
        }
        left.insert(left.end(), right.begin(), right.end());
        return left;
    });
}

}  // namespace
