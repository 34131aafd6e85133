// Prints what each edition of the plug-in costs per stereo frame, measured in one run so that
// the rows compare: the VST 2 module loaded through its entry as plughost loads it, the LV2
// plug-in loaded by URI from the build tree's bundle through lilv, as LV2 hosts load it, the
// CLAP module through plughost's CLAP host and the VST 3 bundle through plughost's VST 3 host.
// All at 44.1 kHz, with the Init program (the ports' defaults) and with a busy setting.
//
// Each run makes a fresh instance of every candidate and feeds it 60 s of stereo white noise
// in 512-frame blocks, then as much silence (the decaying tail, where denormals would show),
// whose last 10 s are also timed on their own (where a tail has died away).
// The runs go round the candidates in turn, so that all of them meet the same machine
// conditions, and each figure is the median over the runs, in the thread's CPU time.
//
// With --instructions it counts instead, under callgrind, what each edition costs per frame in
// 32-frame blocks with the Init program, without and with three parameters (a cutoff, a mix and
// the feedback) changed before every block, as a host's automation does.
#include <lilv/lilv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/parameters.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "callgrind_count.h"
#include "plughost/bench.h"
#include "plughost/clap_host.h"
#include "plughost/host_context.h"
#include "plughost/module_loader.h"
#include "plughost/plugin_instance.h"
#include "plughost/vst3_host.h"

namespace {

constexpr double kRate = 44100.0;
constexpr std::uint32_t kBlock = 512;
constexpr int kSeconds = 60;
constexpr int kLateSilenceSeconds = 10;
constexpr int kRuns = 7;

// A setting as normalized parameter values, the way a VST 2 host sends them.
struct Setting {
    const char* name;
    std::vector<std::pair<std::int32_t, float>> values;
};

// One instance of one edition, set up and started, ready for blocks of at most kBlock frames.
class Instance {
public:
    virtual ~Instance() = default;
    virtual void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                         std::uint32_t frames) = 0;
    // The automated parameters at this normalized value from the next block on.
    virtual void automate(float value) = 0;
};

constexpr std::int32_t kAutomated[] = {OriginCutoff, DelayMix, Feedback};

// What callgrind counts: the plug-in's calls, not the host's own work of making events.
[[gnu::noinline]] void countedPluginSetParameter(plughost::PluginInstance& plugin, std::int32_t index, float value) {
    plugin.setParameter(index, value);
}

class Vst2Instance : public Instance {
public:
    Vst2Instance(const plughost::PluginModule& module, plughost::Host& host, const Setting& setting) {
        std::string error;
        plugin = plughost::PluginInstance::create(module, host, error);
        if (!plugin) throw std::runtime_error(error);
        for (const auto& [index, value] : setting.values) plugin->setParameter(index, value);
        plugin->start(kRate, static_cast<int>(kBlock));
    }

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 std::uint32_t frames) override {
        float* inputs[] = {const_cast<float*>(inLeft), const_cast<float*>(inRight)};
        float* outputs[] = {outLeft, outRight};
        plugin->process(inputs, outputs, static_cast<int>(frames), false);
    }

    void automate(float value) override {
        for (std::int32_t index : kAutomated) countedPluginSetParameter(*plugin, index, value);
    }

private:
    std::unique_ptr<plughost::PluginInstance> plugin;  // stops and closes on destruction
};

// The LV2 world with the build tree's bundle loaded, and the plug-in's declared defaults.
class Lv2Plugin {
public:
    explicit Lv2Plugin(const char* bundlePath) : world(lilv_world_new()) {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, bundlePath);
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world, kPluginUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
        if (!plugin) {
            lilv_world_free(world);
            throw std::runtime_error(std::string("no plug-in ") + kPluginUri + " in " + bundlePath);
        }
        for (std::uint32_t i = 0; i < lv2ports::kNumControlPorts; ++i) {
            LilvNode* value = nullptr;
            lilv_port_get_range(plugin, lilv_plugin_get_port_by_index(plugin, i), &value, nullptr, nullptr);
            defaults[i] = value ? lilv_node_as_float(value) : 0.0f;
            lilv_node_free(value);
        }
    }
    ~Lv2Plugin() { lilv_world_free(world); }
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    LilvWorld* world;
    const LilvPlugin* plugin = nullptr;
    float defaults[lv2ports::kNumControlPorts] = {};
};

class Lv2Instance : public Instance {
public:
    Lv2Instance(const Lv2Plugin& lv2, const Setting& setting) {
        std::copy(std::begin(lv2.defaults), std::end(lv2.defaults), std::begin(controls));
        for (const auto& [index, value] : setting.values) controls[index] = toUnitValue(index, value);
        const LV2_Feature* const features[] = {nullptr};
        instance = lilv_plugin_instantiate(lv2.plugin, kRate, features);
        if (!instance) throw std::runtime_error(std::string(kPluginUri) + ": instantiation failed");
        for (std::uint32_t i = 0; i < lv2ports::kNumControlPorts; ++i) {
            lilv_instance_connect_port(instance, i, &controls[i]);
        }
        lilv_instance_activate(instance);
    }
    ~Lv2Instance() override {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 std::uint32_t frames) override {
        lilv_instance_connect_port(instance, lv2ports::kAudioInLeft, const_cast<float*>(inLeft));
        lilv_instance_connect_port(instance, lv2ports::kAudioInRight, const_cast<float*>(inRight));
        lilv_instance_connect_port(instance, lv2ports::kAudioOutLeft, outLeft);
        lilv_instance_connect_port(instance, lv2ports::kAudioOutRight, outRight);
        lilv_instance_run(instance, frames);
    }

    void automate(float value) override {
        for (std::int32_t index : kAutomated) controls[index] = toUnitValue(index, value);
    }

private:
    LilvInstance* instance = nullptr;
    float controls[lv2ports::kNumControlPorts] = {};
};

// The setting's values arrive in a flush before activation, in the parameters' units, as a
// CLAP host restores a project; each block is a process call without events.
class ClapInstance : public Instance {
public:
    ClapInstance(const plughost::clap::ClapModule& module, plughost::clap::ClapHost& host, const Setting& setting) {
        std::string error;
        plugin = plughost::clap::ClapPlugin::create(module, host, 0, error);
        if (!plugin) throw std::runtime_error(error);
        plughost::clap::InputEvents values;
        for (const auto& [index, value] : setting.values)
            values.addValue(0, static_cast<clap_id>(index), toUnitValue(index, value));
        plugin->flush(values, sent);
        if (!plugin->activate(kRate, kBlock)) throw std::runtime_error("the CLAP plug-in refused to activate");
        const plughost::clap::AudioThreadScope audio;
        plugin->startProcessing();
    }

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 std::uint32_t frames) override {
        const float* inputs[] = {inLeft, inRight};
        float* outputs[] = {outLeft, outRight};
        const plughost::clap::AudioThreadScope audio;
        plugin->process(inputs, outputs, frames, pending, sent);
        pending.clear();
    }

    // As a host splitting its block at every automation point sends them: at the block's start.
    void automate(float value) override {
        for (std::int32_t index : kAutomated)
            pending.addValue(0, static_cast<clap_id>(index), toUnitValue(index, value));
    }

private:
    std::unique_ptr<plughost::clap::ClapPlugin> plugin;  // stops, deactivates and destroys it
    plughost::clap::InputEvents pending;
    plughost::clap::OutputEvents sent;
};

// The setting's values are set on the controller before activation, as a VST 3 host restores a
// project; automation goes in the next block's queues at offset 0.
class Vst3Instance : public Instance {
public:
    Vst3Instance(const plughost::vst3::Vst3Module& module, const Setting& setting) {
        std::string error;
        plugin = plughost::vst3::Vst3Plugin::create(module, error);
        if (!plugin) throw std::runtime_error(error);
        for (const auto& [index, value] : setting.values) plugin->setNormalized(static_cast<v3_param_id>(index), value);
        if (!plugin->activate(kRate, kBlock)) throw std::runtime_error("the VST 3 plug-in refused to activate");
    }

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 std::uint32_t frames) override {
        const float* inputs[] = {inLeft, inRight};
        float* outputs[] = {outLeft, outRight};
        plugin->process(inputs, outputs, static_cast<std::int32_t>(frames), changed ? pending : none, sent);
        changed = false;
    }

    // The queues are made once and emptied of their points, so that the host allocates nothing
    // inside the counted call.
    void automate(float value) override {
        for (std::int32_t index : kAutomated) {
            if (auto* queue = pending.queue(static_cast<v3_param_id>(index))) queue->points.clear();
            pending.add(static_cast<v3_param_id>(index), 0, value);
        }
        changed = true;
    }

private:
    std::unique_ptr<plughost::vst3::Vst3Plugin> plugin;  // stops, deactivates, terminates and releases it
    plughost::vst3::ParameterChanges pending, none, sent;
    bool changed = false;
};

// Ns per frame over the whole silence and over its last seconds.
struct Tail {
    double whole, late;
};

enum class Edition { Vst2, Lv2, Clap, Vst3 };

struct Candidate {
    const char* edition;
    const Setting* setting;
    Edition kind;
    std::vector<double> noiseRuns;  // ns per frame
    std::vector<Tail> tailRuns;
};

struct Signal {
    std::vector<float> left, right;
};

double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Nanoseconds of this thread's CPU time per frame to process the whole signal.
double nsPerFrame(Instance& instance, const Signal& signal) {
    std::vector<float> outLeft(kBlock), outRight(kBlock);
    const std::size_t length = signal.left.size();
    const double start = threadCpuNs();
    for (std::size_t done = 0; done < length; done += kBlock) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(kBlock, length - done));
        instance.process(&signal.left[done], &signal.right[done], outLeft.data(), outRight.data(), frames);
    }
    return (threadCpuNs() - start) / static_cast<double>(length);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

constexpr std::uint32_t kCountedBlock = 32;
constexpr int kCountedSeconds = 5;
constexpr const char* kEditionNames[] = {"vst2", "lv2", "clap", "vst3"};

[[gnu::noinline]] void countedPluginProcess(Instance& instance, const float* in, float* outLeft, float* outRight) {
    instance.process(in, in, outLeft, outRight, kCountedBlock);
}

// Noise in 32-frame blocks through a fresh Init instance: plain; held, with the automated
// parameters set once to the automation's first value, so that what the changes themselves
// cost can be told from what their setting costs; or automated, each block after a change of
// the automated parameters, as engine_bench's automation row does.
enum class Run { Plain, Held, Automated };
constexpr const char* kRunNames[] = {"plain", "held", "automated"};
constexpr float kFirstAutomated = 0.25f + 1.0f / 4096.0f;

int countedRun(Edition kind, Run run) {
    std::string error;
    const Setting init{"Init", {}};
    const std::vector<float> noise = plughost::whiteNoise(static_cast<std::size_t>(kCountedSeconds * kRate), 1);
    std::vector<float> outLeft(kCountedBlock), outRight(kCountedBlock);
    std::unique_ptr<plughost::PluginModule> module;
    std::unique_ptr<plughost::clap::ClapModule> clapModule;
    std::unique_ptr<plughost::vst3::Vst3Module> vst3Module;
    std::unique_ptr<Lv2Plugin> lv2;
    plughost::Host host(kRate);
    plughost::clap::ClapHost clapHost;
    std::unique_ptr<Instance> instance;
    if (kind == Edition::Vst2) {
        module = plughost::PluginModule::load(VELLUMINE_VST2_MODULE, error);
        if (module) instance = std::make_unique<Vst2Instance>(*module, host, init);
    } else if (kind == Edition::Lv2) {
        lv2 = std::make_unique<Lv2Plugin>(VELLUMINE_LV2_BUNDLE "/");
        instance = std::make_unique<Lv2Instance>(*lv2, init);
    } else if (kind == Edition::Clap) {
        clapModule = plughost::clap::ClapModule::load(VELLUMINE_CLAP_MODULE, error);
        if (clapModule) instance = std::make_unique<ClapInstance>(*clapModule, clapHost, init);
    } else {
        vst3Module = plughost::vst3::Vst3Module::load(VELLUMINE_VST3_BUNDLE, error);
        if (vst3Module) instance = std::make_unique<Vst3Instance>(*vst3Module, init);
    }
    if (!instance) throw std::runtime_error(error);
    if (run == Run::Held) instance->automate(kFirstAutomated);
    float value = 0.25f;
    for (std::size_t at = 0; at + kCountedBlock <= noise.size(); at += kCountedBlock) {
        if (run == Run::Automated) {
            value = value < 0.75f ? value + 1.0f / 4096.0f : 0.25f;
            instance->automate(value);
        }
        countedPluginProcess(*instance, &noise[at], outLeft.data(), outRight.data());
    }
    instance.reset();
    return 0;
}

int printInstructions() {
    const double frames = static_cast<double>(static_cast<std::size_t>(kCountedSeconds * kRate) / kCountedBlock * kCountedBlock);
    std::printf("instructions per stereo frame inside the plug-in's calls, counted by callgrind over %d s of noise "
                "at 44100 Hz in %u-frame blocks, Init program; automated: a cutoff, a mix and the feedback "
                "changed before every block (ratio: to plain); held: those three set once, at the automation's "
                "first value (per change: automated minus held, then minus plain)\n\n",
                kCountedSeconds, kCountedBlock);
    std::printf("| edition | plain | held | automated | ratio | per change |\n|---|--:|--:|--:|--:|--:|\n");
    const char* titles[] = {"VST 2", "LV2", "CLAP", "VST 3"};
    for (int e = 0; e < static_cast<int>(std::size(kEditionNames)); ++e) {
        auto counted = [&](Run run) {
            return instructionsUnderCallgrind("countedPlugin",
                                              {"--counted-run", kEditionNames[e], kRunNames[static_cast<int>(run)]});
        };
        const double plain = counted(Run::Plain), held = counted(Run::Held), automated = counted(Run::Automated);
        if (plain < 0.0 || held < 0.0 || automated < 0.0) {
            std::fprintf(stderr, "callgrind run failed: is valgrind installed?\n");
            return 1;
        }
        const double changes = frames / kCountedBlock * static_cast<double>(std::size(kAutomated));
        std::printf("| %s | %.1f | %.1f | %.1f | %.2fx | %.0f (%.0f) |\n", titles[e], plain / frames, held / frames,
                    automated / frames, automated / plain, (automated - held) / changes, (automated - plain) / changes);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--instructions") == 0) return printInstructions();
    if (argc == 4 && std::strcmp(argv[1], "--counted-run") == 0) {
        for (int e = 0; e < static_cast<int>(std::size(kEditionNames)); ++e) {
            if (std::strcmp(argv[2], kEditionNames[e]) != 0) continue;
            try {
                for (int r = 0; r < static_cast<int>(std::size(kRunNames)); ++r)
                    if (std::strcmp(argv[3], kRunNames[r]) == 0) return countedRun(static_cast<Edition>(e), static_cast<Run>(r));
                return 1;
            } catch (const std::exception& error) {
                std::fprintf(stderr, "edition_bench: %s\n", error.what());
                return 1;
            }
        }
    }
    const char* modulePath = argc > 1 ? argv[1] : VELLUMINE_VST2_MODULE;
    const char* bundlePath = argc > 2 ? argv[2] : VELLUMINE_LV2_BUNDLE "/";
    const char* clapPath = argc > 3 ? argv[3] : VELLUMINE_CLAP_MODULE;
    const char* vst3Path = argc > 4 ? argv[4] : VELLUMINE_VST3_BUNDLE;
    if (argc > 5) {
        std::fprintf(stderr, "usage: %s [VST2_MODULE [LV2_BUNDLE_DIR/ [CLAP_MODULE [VST3_BUNDLE]]]]\n", argv[0]);
        return 2;
    }

    const Setting init{"Init", {}};
    const Setting busy{"busy",
                       {{OriginFilterType, 0.5f},
                        {OriginQ, 0.5f},
                        {OriginFilterLfoDepth, 0.5f},
                        {OriginVolLfoDepth, 0.5f},
                        {DelayMix, 0.5f},
                        {DelayTime, 0.5f},
                        {Feedback, 0.7f},
                        {DelayFilterType, 0.667f},
                        {DelayQ, 0.5f},
                        {DelayFilterLfoDepth, 0.5f},
                        {DelayVolLfoDepth, 0.5f}}};
    std::vector<Candidate> candidates = {
        {"VST 2", &init, Edition::Vst2, {}, {}}, {"LV2", &init, Edition::Lv2, {}, {}},
        {"CLAP", &init, Edition::Clap, {}, {}},  {"VST 3", &init, Edition::Vst3, {}, {}},
        {"VST 2", &busy, Edition::Vst2, {}, {}}, {"LV2", &busy, Edition::Lv2, {}, {}},
        {"CLAP", &busy, Edition::Clap, {}, {}},  {"VST 3", &busy, Edition::Vst3, {}, {}},
    };

    const auto frames = static_cast<std::size_t>(kSeconds * kRate);
    const Signal noise{plughost::whiteNoise(frames, 1), plughost::whiteNoise(frames, 2)};
    const auto lateFrames = static_cast<std::size_t>(kLateSilenceSeconds * kRate), earlyFrames = frames - lateFrames;
    const Signal earlySilence{std::vector<float>(earlyFrames, 0.0f), std::vector<float>(earlyFrames, 0.0f)};
    const Signal lateSilence{std::vector<float>(lateFrames, 0.0f), std::vector<float>(lateFrames, 0.0f)};

    try {
        std::string error;
        const std::unique_ptr<plughost::PluginModule> module = plughost::PluginModule::load(modulePath, error);
        if (!module) throw std::runtime_error(error);
        plughost::Host host(kRate);
        host.setPlaying(true);
        const Lv2Plugin lv2(bundlePath);
        const std::unique_ptr<plughost::clap::ClapModule> clapModule = plughost::clap::ClapModule::load(clapPath, error);
        if (!clapModule) throw std::runtime_error(error);
        plughost::clap::ClapHost clapHost;
        const std::unique_ptr<plughost::vst3::Vst3Module> vst3Module = plughost::vst3::Vst3Module::load(vst3Path, error);
        if (!vst3Module) throw std::runtime_error(error);

        for (int run = 0; run < kRuns; ++run) {
            for (Candidate& c : candidates) {
                std::unique_ptr<Instance> instance;
                switch (c.kind) {
                case Edition::Vst2: instance = std::make_unique<Vst2Instance>(*module, host, *c.setting); break;
                case Edition::Lv2: instance = std::make_unique<Lv2Instance>(lv2, *c.setting); break;
                case Edition::Clap: instance = std::make_unique<ClapInstance>(*clapModule, clapHost, *c.setting); break;
                case Edition::Vst3: instance = std::make_unique<Vst3Instance>(*vst3Module, *c.setting); break;
                }
                c.noiseRuns.push_back(nsPerFrame(*instance, noise));
                const double early = nsPerFrame(*instance, earlySilence), late = nsPerFrame(*instance, lateSilence);
                const double whole =
                    (early * static_cast<double>(earlyFrames) + late * static_cast<double>(lateFrames)) /
                    static_cast<double>(frames);
                c.tailRuns.push_back({whole, late});
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "edition_bench: %s\n", e.what());
        return 1;
    }

    std::printf("44100 Hz, blocks of %u, %d s of noise then %d s of silence (the tail; silence: its last %d s), "
                "median of %d runs in thread CPU time\n\n",
                kBlock, kSeconds, kSeconds, kLateSilenceSeconds, kRuns);
    std::printf("| edition | setting | noise ns/frame | tail ns/frame | silence ns/frame | x real time |\n");
    std::printf("|---|---|--:|--:|--:|--:|\n");
    for (const Candidate& c : candidates) {
        const double noiseNs = median(c.noiseRuns);
        std::vector<double> whole, late;
        for (const Tail& t : c.tailRuns) whole.push_back(t.whole), late.push_back(t.late);
        std::printf("| %s | %s | %.1f | %.1f | %.1f | %.0f |\n", c.edition, c.setting->name, noiseNs, median(whole),
                    median(late), 1e9 / (kRate * noiseNs));
    }
    return 0;
}
