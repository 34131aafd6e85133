// The CLAP module loaded from its file as hosts load it, driven through plughost's CLAP host:
// the parameters' texts, the state's bytes, and processing against the LV2 edition.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "lv2/ports.h"
#include "plughost/clap_host.h"

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
    explicit Lv2Plugin(double rate) {
        library = dlopen(VELLUMINE_LV2_BUNDLE "/vellumine.so", RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
        descriptor = entry(0);
        const LV2_Feature* features[] = {nullptr};
        handle = descriptor->instantiate(descriptor, rate, VELLUMINE_LV2_BUNDLE "/", features);
        for (std::uint32_t port = 0; port < lv2ports::kNumControlPorts; ++port) {
            controls[port] = toUnitValue(static_cast<std::int32_t>(port), kParameters[port].initial);
            descriptor->connect_port(handle, port, &controls[port]);
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

// Delay, feedback, filters and running LFOs at 48 kHz, and a change of the delay's LFO rate
// at frame 1000: inside one CLAP block, between two LV2 runs.
TEST_F(ClapDoorTest, OutputEqualsTheLv2EditionsBitForBitWithAChangeMidBlock) {
    constexpr double kRate = 48000.0;
    constexpr std::uint32_t kFrames = 4096, kChange = 1000;
    const Setting settings[] = {{DelayMix, 80.0f}, {DelayTime, 12.5f}, {Feedback, 60.0f}, {DelayFilterType, 2.0f},
                                {DelayCutoff, 1200.0f}, {DelayQ, 70.0f}, {DelayFilterLfoDepth, 50.0f},
                                {DelayFilterLfoRate, 3.0f}, {OriginVolLfoDepth, 40.0f}, {OriginVolLfoShape, 0.0f}};
    const Setting change{DelayFilterLfoRate, 7.5f};
    std::vector<float> inLeft(kFrames), inRight(kFrames);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        inLeft[i] = std::sin(0.01f * static_cast<float>(i)) * (i % 300 < 20 ? 1.0f : 0.1f);
        inRight[i] = i % 97 == 0 ? 0.8f : 0.0f;
    }

    Lv2Plugin lv2(kRate);
    ASSERT_TRUE(lv2.loaded());
    for (const Setting& s : settings) lv2.controls[s.index] = s.unitValue;
    std::vector<float> lv2Left(kFrames), lv2Right(kFrames);
    lv2.run(&inLeft[0], &inRight[0], &lv2Left[0], &lv2Right[0], kChange);
    lv2.controls[change.index] = change.unitValue;
    lv2.run(&inLeft[kChange], &inRight[kChange], &lv2Left[kChange], &lv2Right[kChange], kFrames - kChange);

    InputEvents events;
    OutputEvents sent;
    for (const Setting& s : settings) events.addValue(0, s.index, s.unitValue);
    plugin->flush(events, sent);
    ASSERT_TRUE(plugin->activate(kRate, kFrames));
    const AudioThreadScope audio;
    ASSERT_TRUE(plugin->startProcessing());
    events.clear();
    events.addValue(kChange, change.index, change.unitValue);
    std::vector<float> clapLeft(kFrames), clapRight(kFrames);
    const float* ins[2] = {inLeft.data(), inRight.data()};
    float* outs[2] = {clapLeft.data(), clapRight.data()};
    EXPECT_EQ(plugin->process(ins, outs, kFrames, events, sent), CLAP_PROCESS_CONTINUE);

    EXPECT_EQ(std::memcmp(clapLeft.data(), lv2Left.data(), kFrames * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(clapRight.data(), lv2Right.data(), kFrames * sizeof(float)), 0);
    EXPECT_GT(std::fabs(clapLeft[kFrames - 1]) + std::fabs(clapRight[kFrames - 1]), 0.0f);  // not silence
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

}  // namespace
