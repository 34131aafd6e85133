// The LV2 bundle as a host sees it: loaded from the build tree through lilv, the library real
// LV2 hosts use. Its ports as declared, its output at 44.1 kHz bit for bit against the VST 2
// effect's for the same input and settings, and the echo spacing at other sample rates.
#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "vst2/delay_effect.h"
#include "lv2/ports.h"
#include "presets/factory_presets.h"
#include "support/rate_levels.h"
#include "support/recording_host.h"
#include "support/urid_map.h"

namespace {

constexpr const char* kUri = "urn:quorvane:vellumine";
constexpr const char* kLv2 = "http://lv2plug.in/ns/lv2core#";
constexpr const char* kUnits = "http://lv2plug.in/ns/extensions/units#";
constexpr std::uint32_t kControls = 22;

class Lv2World {
public:
    Lv2World() : world(lilv_world_new()) {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, VELLUMINE_LV2_BUNDLE "/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, kUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
    }
    ~Lv2World() {
        for (LilvNode* node : nodes) lilv_node_free(node);
        lilv_world_free(world);
    }
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    // A URI node that lives as long as the world.
    const LilvNode* node(const std::string& uri) {
        nodes.push_back(lilv_new_uri(world, uri.c_str()));
        return nodes.back();
    }

    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;

private:
    std::vector<LilvNode*> nodes;
};

Lv2World& lv2() {
    static Lv2World instance;
    return instance;
}

// The port values of one setting, and the same setting as a VST 2 host sends it.
struct Setting {
    const char* what;
    std::vector<std::pair<std::uint32_t, float>> ports;       // index, value in the port's unit
    std::vector<std::pair<std::int32_t, float>> normalized;   // the VST 2 parameters
};

// Runs the plug-in through lilv over `input` (both channels) in blocks of `block` frames; in
// place, the outputs are the input buffers.
std::vector<float> renderLv2(double rate, const Setting& setting, const std::vector<float>& input,
                             std::uint32_t block, bool inPlace = false) {
    const LilvPlugin* plugin = lv2().plugin;
    float controls[lv2ports::kNumPorts] = {};  // by port; the control ports' slots are used
    for (std::uint32_t i = 0; i < lv2ports::kNumPorts; ++i) {
        if (lv2ports::parameterOfPort(i) < 0) continue;
        LilvNode* def = nullptr;
        lilv_port_get_range(plugin, lilv_plugin_get_port_by_index(plugin, i), &def, nullptr, nullptr);
        controls[i] = lilv_node_as_float(def);
        lilv_node_free(def);
    }
    for (const auto& [index, value] : setting.ports) controls[index] = value;

    const LV2_Feature* const features[] = {nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(plugin, rate, features);
    EXPECT_NE(instance, nullptr);
    if (!instance) return {};
    std::vector<float> left(input.size()), right(input.size());
    if (inPlace) left = right = input;
    for (std::uint32_t i = 0; i < lv2ports::kNumPorts; ++i)
        if (lv2ports::parameterOfPort(i) >= 0) lilv_instance_connect_port(instance, i, &controls[i]);
    lilv_instance_activate(instance);
    for (std::size_t done = 0; done < input.size(); done += block) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(block, input.size() - done));
        lilv_instance_connect_port(instance, 22, inPlace ? left.data() + done : const_cast<float*>(input.data() + done));
        lilv_instance_connect_port(instance, 23, inPlace ? right.data() + done : const_cast<float*>(input.data() + done));
        lilv_instance_connect_port(instance, 24, left.data() + done);
        lilv_instance_connect_port(instance, 25, right.data() + done);
        lilv_instance_run(instance, frames);
    }
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

std::vector<float> renderVst2(const Setting& setting, const std::vector<float>& input, float rate = 44100.0f) {
    RecordingHost host;
    DelayEffect effect(RecordingHost::callback());
    effect.setSampleRate(rate);
    effect.resume();
    for (const auto& [index, value] : setting.normalized) effect.setParameter(index, value);
    std::vector<float> in(input), left(input.size()), right(input.size());
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {left.data(), right.data()};
    effect.processReplacing(inputs, outputs, static_cast<VstInt32>(input.size()));
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// An impulse, then a short burst of noise that excites the filters at every frequency.
std::vector<float> impulseAndNoise(std::size_t length) {
    std::vector<float> signal(length, 0.0f);
    signal[0] = 1.0f;
    std::uint32_t state = 12345;
    for (std::size_t n = 1000; n < 1400 && n < length; ++n) {
        state = state * 1664525u + 1013904223u;
        signal[n] = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    return signal;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Lv2Host, BundleLoadsFromTheBuildTreeAsADelayPlugin) {
    ASSERT_NE(lv2().plugin, nullptr);
    const LilvPlugin* plugin = lv2().plugin;
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_STREQ(lilv_node_as_string(name), "Vellumine");
    lilv_node_free(name);
    LilvNode* author = lilv_plugin_get_author_name(plugin);
    EXPECT_STREQ(lilv_node_as_string(author), "Quorvane");
    lilv_node_free(author);
    EXPECT_TRUE(lilv_world_ask(lv2().world, lilv_plugin_get_uri(plugin),
                               lv2().node("http://www.w3.org/1999/02/22-rdf-syntax-ns#type"),
                               lv2().node(std::string(kLv2) + "DelayPlugin")));
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_feature(plugin, lv2().node(std::string(kLv2) + "hardRTCapable")));
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin), 33u);
}

TEST(Lv2Host, PortsAreDeclaredInParameterOrderWithUnitsRangesAndDefaults) {
    struct Expected {
        const char* symbol;
        const char* name;
        float minimum, maximum, defaultValue;
        const char* unit;  // null: an integer enumeration
    };
    const Expected expected[kControls] = {
        {"origin_mix", "Origin Output Mix", 0, 200, 100, "pc"},
        {"origin_filter_type", "Origin Filter Type", 0, 3, 0, nullptr},
        {"origin_cutoff", "Origin Filter Rate", 0, 8000, 8000, "hz"},
        {"origin_q", "Origin Filter Q", 0, 100, 0, "pc"},
        {"origin_filter_lfo_shape", "Origin Filt. LFO Shape", 0, 4, 2, nullptr},
        {"origin_filter_lfo_rate", "Origin Filt. LFO Rate", 0, 50, 50, "hz"},
        {"origin_filter_lfo_depth", "Origin Filt. LFO Depth", 0, 100, 0, "pc"},
        {"origin_vol_lfo_shape", "Origin Vol. LFO Shape", 0, 4, 2, nullptr},
        {"origin_vol_lfo_rate", "Origin Vol. LFO Rate", 0, 50, 50, "hz"},
        {"origin_vol_lfo_depth", "Origin Vol. LFO Depth", 0, 100, 0, "pc"},
        {"delay_mix", "Delay Output Mix", 0, 200, 0, "pc"},
        {"delay_time", "Rate", 0, 10000, 0, "ms"},
        {"feedback", "Feedback", 0, 100, 0, "pc"},
        {"delay_filter_type", "Delay Filter Type", 0, 3, 0, nullptr},
        {"delay_cutoff", "Delay Filter Rate", 0, 8000, 8000, "hz"},
        {"delay_q", "Delay Filter Q", 0, 100, 0, "pc"},
        {"delay_filter_lfo_shape", "Delay Filt. LFO Shape", 0, 4, 2, nullptr},
        {"delay_filter_lfo_rate", "Delay Filt. LFO Rate", 0, 50, 50, "hz"},
        {"delay_filter_lfo_depth", "Delay Filt. LFO Depth", 0, 100, 0, "pc"},
        {"delay_vol_lfo_shape", "Delay Vol. LFO Shape", 0, 4, 2, nullptr},
        {"delay_vol_lfo_rate", "Delay Vol. LFO Rate", 0, 50, 50, "hz"},
        {"delay_vol_lfo_depth", "Delay Vol. LFO Depth", 0, 100, 0, "pc"},
    };
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    const LilvNode* input = lv2().node(std::string(kLv2) + "InputPort");
    const LilvNode* control = lv2().node(std::string(kLv2) + "ControlPort");
    const LilvNode* enumeration = lv2().node(std::string(kLv2) + "enumeration");
    const LilvNode* integer = lv2().node(std::string(kLv2) + "integer");
    const LilvNode* unit = lv2().node(std::string(kUnits) + "unit");
    for (std::uint32_t i = 0; i < kControls; ++i) {
        SCOPED_TRACE(expected[i].symbol);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), expected[i].symbol);
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_STREQ(lilv_node_as_string(name), expected[i].name);
        lilv_node_free(name);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, input) && lilv_port_is_a(plugin, port, control));
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(plugin, port, &def, &min, &max);
        EXPECT_EQ(lilv_node_as_float(min), expected[i].minimum);
        EXPECT_EQ(lilv_node_as_float(max), expected[i].maximum);
        EXPECT_EQ(lilv_node_as_float(def), expected[i].defaultValue);
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
        LilvNodes* units = lilv_port_get_value(plugin, port, unit);
        if (expected[i].unit) {
            ASSERT_EQ(lilv_nodes_size(units), 1u);
            EXPECT_EQ(lilv_node_as_uri(lilv_nodes_get_first(units)), std::string(kUnits) + expected[i].unit);
        } else {
            EXPECT_EQ(lilv_nodes_size(units), 0u);
            EXPECT_TRUE(lilv_port_has_property(plugin, port, enumeration));
            EXPECT_TRUE(lilv_port_has_property(plugin, port, integer));
        }
        lilv_nodes_free(units);
    }
}

// Each parameter at the port its row names, as the row describes it.
TEST(Lv2Host, EveryParameterIsAtItsRowsPortAsTheRowDescribesIt) {
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    const LilvNode* input = lv2().node(std::string(kLv2) + "InputPort");
    const LilvNode* enumeration = lv2().node(std::string(kLv2) + "enumeration");
    for (std::int32_t index = 0; index < kNumDefinedParams; ++index) {
        const ParameterInfo& row = kParameters[index];
        SCOPED_TRACE(row.symbol);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, row.lv2Port);
        ASSERT_NE(port, nullptr);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), row.symbol);
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_STREQ(lilv_node_as_string(name), row.longName);
        lilv_node_free(name);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, input));
        EXPECT_EQ(lilv_port_has_property(plugin, port, enumeration), !row.stops.empty());
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(plugin, port, &def, &min, &max);
        EXPECT_EQ(lilv_node_as_float(min), 0.0f);
        EXPECT_EQ(lilv_node_as_float(max), row.unitFullScale);
        EXPECT_EQ(lilv_node_as_float(def), toUnitValue(index, row.initial));
        for (LilvNode* node : {def, min, max}) lilv_node_free(node);
    }
}

// Sync after the audio ports (the older ports keep their indices), and the host's time.
TEST(Lv2Host, SyncAndTimePortsFollowTheAudioPorts) {
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    const LilvPort* sync = lilv_plugin_get_port_by_index(plugin, 26);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, sync)), "delay_sync");
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin, sync, &def, &min, &max);
    EXPECT_EQ(lilv_node_as_float(def), 0.0f);
    EXPECT_EQ(lilv_node_as_float(max), 21.0f);
    for (LilvNode* node : {def, min, max}) lilv_node_free(node);
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, sync);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(lilv_scale_points_size(points), 22u);
    LILV_FOREACH (scale_points, it, points) {
        const LilvScalePoint* point = lilv_scale_points_get(points, it);
        EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(point)),
                     kSyncNames[lilv_node_as_int(lilv_scale_point_get_value(point))]);
    }
    lilv_scale_points_free(points);
    const LilvPort* time = lilv_plugin_get_port_by_index(plugin, 27);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, time)), "time");
    EXPECT_TRUE(lilv_port_supports_event(plugin, time, lv2().node(LV2_TIME__Position)));
    // For the editor, which runs apart: an output a host may leave unconnected and not show.
    const LilvPort* synced = lilv_plugin_get_port_by_index(plugin, 28);
    EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, synced)), "synced_delay");
    EXPECT_TRUE(lilv_port_is_a(plugin, synced, lv2().node(std::string(kLv2) + "OutputPort")));
    EXPECT_TRUE(lilv_port_is_a(plugin, synced, lv2().node(std::string(kLv2) + "ControlPort")));
    EXPECT_TRUE(lilv_port_has_property(plugin, synced, lv2().node(std::string(kLv2) + "connectionOptional")));
    EXPECT_TRUE(lilv_port_has_property(plugin, synced, lv2().node("http://lv2plug.in/ns/ext/port-props#notOnGUI")));
}

TEST(Lv2Host, SwitchPortsNameEveryStop) {
    const char* const types[] = {"Low", "High", "Band", "Notch"};
    const char* const shapes[] = {"Pulse", "Sawtooth", "Sine", "Square", "Triangle"};
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    for (std::uint32_t i : {1u, 4u, 7u, 13u, 16u, 19u}) {
        const bool isType = i == 1 || i == 13;
        LilvScalePoints* points = lilv_port_get_scale_points(plugin, lilv_plugin_get_port_by_index(plugin, i));
        ASSERT_NE(points, nullptr);
        EXPECT_EQ(lilv_scale_points_size(points), isType ? 4u : 5u) << i;
        LILV_FOREACH (scale_points, it, points) {
            const LilvScalePoint* point = lilv_scale_points_get(points, it);
            const int stop = lilv_node_as_int(lilv_scale_point_get_value(point));
            ASSERT_TRUE(stop >= 0 && stop < (isType ? 4 : 5)) << i;
            EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(point)), isType ? types[stop] : shapes[stop]);
        }
        lilv_scale_points_free(points);
    }
}

TEST(Lv2Host, AudioPortsFollowTheControls) {
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    const char* const symbols[] = {"in_left", "in_right", "out_left", "out_right"};
    const LilvNode* audio = lv2().node(std::string(kLv2) + "AudioPort");
    const LilvNode* input = lv2().node(std::string(kLv2) + "InputPort");
    const LilvNode* output = lv2().node(std::string(kLv2) + "OutputPort");
    for (std::uint32_t i = 22; i < 26; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), symbols[i - 22]);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, audio));
        EXPECT_TRUE(lilv_port_is_a(plugin, port, i < 24 ? input : output));
    }
}

// The port values and the normalized values below are written out independently: the
// comparison also proves that the ports' units reach the engine as the VST 2 host's floats.
TEST(Lv2Host, AtEveryRateTheOutputIsBitIdenticalToTheVst2Effects) {
    ASSERT_NE(lv2().plugin, nullptr);
    const Setting settings[] = {
        {"Init program", {}, {}},
        {"echo with feedback",
         {{0, 0.0f}, {10, 100.0f}, {11, 100.0f}, {12, 50.0f}},
         {{0, 0.0f}, {10, 0.5f}, {11, 0.01f}, {12, 0.5f}}},
        {"every LFO running",
         {{4, 4.0f}, {5, 5.0f}, {6, 50.0f}, {7, 0.0f}, {8, 2.0f}, {9, 30.0f}, {10, 150.0f}, {11, 37.0f},
          {16, 1.0f}, {17, 12.5f}, {18, 80.0f}, {19, 3.0f}, {20, 25.0f}, {21, 60.0f}, {3, 40.0f}},
         {{4, 1.0f}, {5, 0.1f}, {6, 0.5f}, {7, 0.0f}, {8, 0.04f}, {9, 0.3f}, {10, 0.75f}, {11, 0.0037f},
          {16, 0.25f}, {17, 0.25f}, {18, 0.8f}, {19, 0.75f}, {20, 0.5f}, {21, 0.6f}, {3, 0.4f}}},
        {"high-pass origin, band-pass delay",
         {{1, 1.0f}, {2, 2000.0f}, {3, 70.0f}, {13, 2.0f}, {14, 1200.0f}, {15, 90.0f}, {10, 200.0f}, {11, 250.0f},
          {12, 90.0f}},
         {{1, 0.333333343f}, {2, 0.25f}, {3, 0.7f}, {13, 0.666666687f}, {14, 0.15f}, {15, 0.9f}, {10, 1.0f},
          {11, 0.025f}, {12, 0.9f}}},
        {"notch on both paths, shortest delay",
         {{1, 3.0f}, {13, 3.0f}, {2, 400.0f}, {14, 6000.0f}, {10, 100.0f}, {11, 0.0f}, {12, 100.0f}},
         {{1, 1.0f}, {13, 1.0f}, {2, 0.05f}, {14, 0.75f}, {10, 0.5f}, {11, 0.0f}, {12, 1.0f}}},
        {"whole line",
         {{0, 0.0f}, {10, 100.0f}, {11, 10000.0f}},
         {{0, 0.0f}, {10, 0.5f}, {11, 1.0f}}},
    };
    for (const float rate : {44100.0f, 48000.0f, 96000.0f})
        for (const Setting& setting : settings) {
            SCOPED_TRACE(testing::Message() << setting.what << " at " << rate << " Hz");
            const bool wholeLine = setting.what == std::string("whole line");
            const std::vector<float> input = impulseAndNoise(static_cast<std::size_t>(rate) * (wholeLine ? 10 : 1) + 100);
            const std::vector<float> lv2Output = renderLv2(rate, setting, input, 333);
            const std::vector<float> vstOutput = renderVst2(setting, input, rate);
            ASSERT_EQ(lv2Output.size(), vstOutput.size());
            std::size_t differing = 0, first = 0;
            for (std::size_t n = 0; n < vstOutput.size(); ++n)
                if (!sameBits(lv2Output[n], vstOutput[n]) && differing++ == 0) first = n;
            EXPECT_EQ(differing, 0u) << "first at " << first;
        }
}

// The engine is built at the host's rate: the delay is the time in ms at that rate.
TEST(Lv2Host, EchoesComeAtTheirTimeAtEverySampleRate) {
    ASSERT_NE(lv2().plugin, nullptr);
    struct Case {
        double rate;
        float milliseconds;
        std::size_t samples;
    };
    const Case cases[] = {
        {44100.0, 100.0f, 4410},   {48000.0, 100.0f, 4800},   {48000.0, 250.0f, 12000},
        {48000.0, 1000.0f, 48000}, {48000.0, 10000.0f, 480000}, {96000.0, 100.0f, 9600},
        {96000.0, 250.0f, 24000},  {96000.0, 1000.0f, 96000},  {96000.0, 10000.0f, 960000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.milliseconds) + " ms");
        // Only the delay path, high-pass so that the impulse passes its first sample unchanged.
        const Setting echo{"", {{0, 0.0f}, {10, 100.0f}, {11, c.milliseconds}, {13, 1.0f}}, {}};
        std::vector<float> input(c.samples + 10, 0.0f);
        input[0] = 1.0f;
        const std::vector<float> output = renderLv2(c.rate, echo, input, 4096);
        std::size_t firstSound = 0;
        while (firstSound < input.size() && output[firstSound] == 0.0f) ++firstSound;
        EXPECT_EQ(firstSound, c.samples);
        if (firstSound < input.size()) {
            EXPECT_EQ(output[firstSound], 1.0f);
        }
    }
}

// Hosts send NaN and values outside the ranges: they sound as the range's ends. Hosts may
// also pass the inputs as the outputs, and blocks of any length.
TEST(Lv2Host, NaNInfinitiesOutOfRangeValuesInPlaceBuffersAndBlockLengths) {
    ASSERT_NE(lv2().plugin, nullptr);
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const std::vector<float> input = impulseAndNoise(8000);
    auto all = [](float value) {
        Setting setting{"", {}, {}};
        for (std::uint32_t i = 0; i < kControls; ++i) setting.ports.push_back({i, value});
        return setting;
    };
    // The tops of the ranges, written out: the mixes 200, types 3, cutoffs 8000, shapes 4, rates 50,
    // the delay 10000 ms, percentages 100.
    const float tops[kControls] = {200, 3, 8000, 100, 4, 50, 100, 4, 50, 100, 200, 10000, 100, 3, 8000, 100, 4, 50, 100, 4, 50, 100};
    Setting top{"", {}, {}};
    for (std::uint32_t i = 0; i < kControls; ++i) top.ports.push_back({i, tops[i]});
    const std::vector<float> bottom = renderLv2(48000.0, all(0.0f), input, 512);
    const std::vector<float> highest = renderLv2(48000.0, top, input, 512);
    EXPECT_EQ(renderLv2(48000.0, all(kNaN), input, 512), bottom);
    EXPECT_EQ(renderLv2(48000.0, all(-kInf), input, 512), bottom);
    EXPECT_EQ(renderLv2(48000.0, all(-5.0f), input, 512), bottom);
    EXPECT_EQ(renderLv2(48000.0, all(kInf), input, 512), highest);
    EXPECT_EQ(renderLv2(48000.0, all(1e9f), input, 512), highest);

    const Setting busy{"",
                       {{1, 2.0f}, {3, 60.0f}, {6, 50.0f}, {9, 50.0f}, {10, 100.0f}, {11, 20.0f}, {12, 70.0f},
                        {18, 50.0f}, {21, 50.0f}},
                       {}};
    const std::vector<float> whole = renderLv2(48000.0, busy, input, 8000);
    EXPECT_EQ(renderLv2(48000.0, busy, input, 8000, true), whole);
    for (std::uint32_t block : {1u, 7u, 64u, 4096u}) EXPECT_EQ(renderLv2(48000.0, busy, input, block), whole) << block;
}

// A control port the host leaves unconnected keeps its default, the Init program's value.
TEST(Lv2Host, UnconnectedControlsSoundAsTheirDefaults) {
    ASSERT_NE(lv2().plugin, nullptr);
    const std::vector<float> input = impulseAndNoise(4000);
    const LV2_Feature* const features[] = {nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(lv2().plugin, 48000.0, features);
    ASSERT_NE(instance, nullptr);
    std::vector<float> left(input.size()), right(input.size());
    lilv_instance_connect_port(instance, 22, const_cast<float*>(input.data()));
    lilv_instance_connect_port(instance, 23, const_cast<float*>(input.data()));
    lilv_instance_connect_port(instance, 24, left.data());
    lilv_instance_connect_port(instance, 25, right.data());
    lilv_instance_activate(instance);
    lilv_instance_run(instance, static_cast<std::uint32_t>(input.size()));
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
    left.insert(left.end(), right.begin(), right.end());
    EXPECT_EQ(left, renderLv2(48000.0, Setting{"", {}, {}}, input, 4000));
}

// activate clears the delay lines as the VST 2 effect's resume does; a run of 0 frames
// leaves everything as it was.
TEST(Lv2Host, ActivateSilencesTheLineAndAnEmptyRunDoesNothing) {
    const LilvPlugin* plugin = lv2().plugin;
    ASSERT_NE(plugin, nullptr);
    float controls[kControls] = {};
    controls[10] = 100.0f;  // delay path at unity, 1 ms, no origin path
    controls[11] = 1.0f;
    controls[12] = 100.0f;  // the echo would repeat for ever
    controls[13] = 1.0f;    // high-pass: the impulse passes unchanged
    const LV2_Feature* const features[] = {nullptr};
    LilvInstance* instance = lilv_plugin_instantiate(plugin, 48000.0, features);
    ASSERT_NE(instance, nullptr);
    std::vector<float> in(96, 0.0f), left(96, 7.0f), right(96, 7.0f);
    for (std::uint32_t i = 0; i < kControls; ++i) lilv_instance_connect_port(instance, i, &controls[i]);
    lilv_instance_connect_port(instance, 22, in.data());
    lilv_instance_connect_port(instance, 23, in.data());
    lilv_instance_connect_port(instance, 24, left.data());
    lilv_instance_connect_port(instance, 25, right.data());
    lilv_instance_activate(instance);
    lilv_instance_run(instance, 0);
    EXPECT_EQ(left[0], 7.0f);
    in[0] = 1.0f;
    lilv_instance_run(instance, 96);
    EXPECT_NE(left[48], 0.0f);  // the first echo, after 48 samples
    lilv_instance_deactivate(instance);
    lilv_instance_activate(instance);
    in[0] = 0.0f;
    lilv_instance_run(instance, 96);
    for (std::size_t n = 0; n < 96; ++n) ASSERT_EQ(left[n], 0.0f) << n;
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

// The presets as a host's preset menu finds them: related to the plug-in, by label, with a
// value for every control port that the plug-in turns back into the factory table's value.
TEST(Lv2Host, PresetsCarryTheFactoryValuesInThePortsUnits) {
    Lv2World& w = lv2();
    ASSERT_NE(w.plugin, nullptr);
    const std::string pset = "http://lv2plug.in/ns/ext/presets#";
    LilvNodes* presets = lilv_plugin_get_related(w.plugin, w.node(pset + "Preset"));
    std::size_t found = 0;
    LILV_FOREACH (nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(w.world, preset);
        LilvNode* label = lilv_world_get(w.world, preset, w.node("http://www.w3.org/2000/01/rdf-schema#label"), nullptr);
        ASSERT_NE(label, nullptr);
        const std::string name = lilv_node_as_string(label);
        lilv_node_free(label);
        const auto table = factoryPresets();
        const auto match = std::find_if(table.begin(), table.end(), [&](const FactoryPreset& p) { return name == p.name; });
        ASSERT_NE(match, table.end()) << name;
        ++found;
        LilvNodes* ports = lilv_world_find_nodes(w.world, preset, w.node(std::string(kLv2) + "port"), nullptr);
        EXPECT_EQ(lilv_nodes_size(ports), kControls + 5) << name;  // Sync and the four after it too
        LILV_FOREACH (nodes, j, ports) {
            const LilvNode* port = lilv_nodes_get(ports, j);
            LilvNode* symbol = lilv_world_get(w.world, port, w.node(std::string(kLv2) + "symbol"), nullptr);
            LilvNode* value = lilv_world_get(w.world, port, w.node(pset + "value"), nullptr);
            ASSERT_TRUE(symbol && value) << name;
            const LilvPort* declared = lilv_plugin_get_port_by_symbol(w.plugin, symbol);
            ASSERT_NE(declared, nullptr) << name << " " << lilv_node_as_string(symbol);
            const auto index = lv2ports::parameterOfPort(lilv_port_get_index(w.plugin, declared));
            EXPECT_EQ(fromUnitValue(index, lilv_node_as_float(value)), match->values()[static_cast<std::size_t>(index)])
                << name << " " << lilv_node_as_string(symbol);
            lilv_node_free(symbol);
            lilv_node_free(value);
        }
        lilv_nodes_free(ports);
    }
    lilv_nodes_free(presets);
    EXPECT_EQ(found, factoryPresets().size());
}

// Sync on a quarter note: an impulse's echo comes one beat of the tempo that time:Position
// events (at their frames) last told, 120 BPM before any.
TEST(Lv2Host, ASyncedDelayFollowsTheTempoEventsFromTheirFrames) {
    ASSERT_NE(lv2().plugin, nullptr);
    struct TempoEvent {
        std::int64_t frame;
        float bpm;
    };
    struct Case {
        std::vector<TempoEvent> events;  // all in the first block
        std::size_t impulse, echo;
    };
    const Case cases[] = {
        {{}, 0, 22050},
        {{{0, 90.0f}}, 0, 29400},
        {{{0, 140.0f}}, 100, 100 + 18900},
        {{{0, 90.0f}, {300, 140.0f}}, 1000, 1000 + 18900},  // the later event wins from its frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.events.size());
        UridMap urids;
        const LV2_Feature* const features[] = {&urids.feature, nullptr};
        LilvInstance* instance = lilv_plugin_instantiate(lv2().plugin, 44100.0, features);
        ASSERT_NE(instance, nullptr);
        float controls[kControls + 1];
        for (std::uint32_t i = 0; i < kControls; ++i) controls[i] = toUnitValue(static_cast<std::int32_t>(i), kParameters[i].initial);
        controls[OriginMix] = 0.0f;
        controls[DelayMix] = 100.0f;
        controls[DelayFilterType] = 1.0f;  // high-pass: the impulse passes unchanged
        controls[DelayCutoff] = 0.0f;
        controls[kControls] = 11.0f;  // 1/4
        for (std::uint32_t i = 0; i < kControls; ++i) lilv_instance_connect_port(instance, i, &controls[i]);
        lilv_instance_connect_port(instance, lv2ports::kSyncPort, &controls[kControls]);
        float syncedDelay = -1.0f;
        lilv_instance_connect_port(instance, lv2ports::kSyncedDelayPort, &syncedDelay);

        alignas(8) std::uint8_t buffer[1024];
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, urids.mapper());
        lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        for (const TempoEvent& event : c.events) {
            LV2_Atom_Forge_Frame object;
            lv2_atom_forge_frame_time(&forge, event.frame);
            lv2_atom_forge_object(&forge, &object, 0, urids.id(LV2_TIME__Position));
            lv2_atom_forge_key(&forge, urids.id(LV2_TIME__beatsPerMinute));
            lv2_atom_forge_float(&forge, event.bpm);
            lv2_atom_forge_pop(&forge, &object);
        }
        lv2_atom_forge_pop(&forge, &sequence);
        alignas(8) std::uint8_t empty[sizeof(LV2_Atom_Sequence)];
        lv2_atom_forge_set_buffer(&forge, empty, sizeof empty);
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        lv2_atom_forge_pop(&forge, &sequence);

        std::vector<float> in(c.echo + 1000, 0.0f), left(in.size()), right(in.size());
        in[c.impulse] = 1.0f;
        lilv_instance_activate(instance);
        constexpr std::size_t kBlock = 512;
        for (std::size_t done = 0; done < in.size(); done += kBlock) {
            const auto frames = static_cast<std::uint32_t>(std::min(kBlock, in.size() - done));
            lilv_instance_connect_port(instance, lv2ports::kTimePort, done == 0 ? buffer : empty);
            lilv_instance_connect_port(instance, 22, in.data() + done);
            lilv_instance_connect_port(instance, 23, in.data() + done);
            lilv_instance_connect_port(instance, 24, left.data() + done);
            lilv_instance_connect_port(instance, 25, right.data() + done);
            lilv_instance_run(instance, frames);
        }
        lilv_instance_free(instance);
        std::vector<std::size_t> sounding;
        for (std::size_t n = 0; n < left.size(); ++n)
            if (left[n] != 0.0f) sounding.push_back(n);
        EXPECT_EQ(sounding, std::vector<std::size_t>{c.echo});  // the delay path alone: only the echo
        // The length the editor shows for the Rate: in ms as the VST 2 effect's text has it.
        EXPECT_EQ(syncedDelay, static_cast<float>((c.echo - c.impulse) * 1000.0 / 44100.0));
    }
}

// Below 44.1 kHz a high cutoff is held where the filter stays stable: no setting roars.
TEST(Lv2Host, NoSettingIsLouderAtALowRate) {
    ASSERT_NE(lv2().plugin, nullptr);
    expectLevelsHeldAtLowRates([](const LevelSetting& setting, double rate, const std::vector<float>& phrase) {
        Setting ports{setting.name.c_str(), {}, {}};
        for (std::int32_t i = 0; i < kNumDefinedParams; ++i)
            ports.ports.emplace_back(lv2ports::portOfParameter(i), toUnitValue(i, setting.values[static_cast<std::size_t>(i)]));
        return renderLv2(rate, ports, phrase, 512);
    });
}

}  // namespace
