#include "plughost/bench.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "plughost/clap_commands.h"
#include "plughost/vst3_commands.h"
#include "plughost/render.h"

namespace plughost {
namespace {

struct Subject {
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<Host> host;
    std::unique_ptr<StereoRig> rig;
    std::unique_ptr<clap::ClapStereo> clapPlugin;  // a CLAP entry instead of the rig
    std::unique_ptr<vst3::Vst3Stereo> vst3Plugin;  // a VST 3 entry instead of the rig
    std::vector<double> noise, silence, lateSilence;  // ns per frame of each run

    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames) {
        if (clapPlugin) clapPlugin->process(inLeft, inRight, outLeft, outRight, frames);
        else if (vst3Plugin) vst3Plugin->process(inLeft, inRight, outLeft, outRight, frames);
        else rig->process(inLeft, inRight, outLeft, outRight, frames, false);
    }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Nanoseconds per frame to process the first `length` frames of left and right.
double timePass(Subject& subject, const std::vector<float>& left, const std::vector<float>& right, int block,
                std::size_t length) {
    std::vector<float> outLeft(static_cast<std::size_t>(block)), outRight(static_cast<std::size_t>(block));
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t done = 0; done < length; done += static_cast<std::size_t>(block)) {
        const int frames = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), length - done));
        subject.process(&left[done], &right[done], outLeft.data(), outRight.data(), frames);
    }
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - started;
    return took.count() / static_cast<double>(length);
}

bool prepare(const BenchEntry& entry, const BenchOptions& options, Subject& subject, std::string& error) {
    if (clap::isClapPath(entry.path)) {
        subject.clapPlugin = clap::ClapStereo::create(entry, BenchOptions::kSampleRate, options.blockSize, error);
        if (!subject.clapPlugin) error = entry.label + ": " + error;
        return subject.clapPlugin != nullptr;
    }
    if (vst3::isVst3Path(entry.path)) {
        subject.vst3Plugin = vst3::Vst3Stereo::create(entry, BenchOptions::kSampleRate, options.blockSize, error);
        if (!subject.vst3Plugin) error = entry.label + ": " + error;
        return subject.vst3Plugin != nullptr;
    }
    subject.module = PluginModule::load(entry.path, error);
    if (!subject.module) return false;
    subject.host = std::make_unique<Host>(BenchOptions::kSampleRate);
    subject.rig = StereoRig::create(*subject.module, *subject.host, error);
    if (!subject.rig || !applyPresets(*subject.rig, entry.preset, entry.program, error) ||
        !applySettings(*subject.rig, entry.settings, error)) {
        error = entry.label + ": " + error;
        return false;
    }
    subject.rig->start(BenchOptions::kSampleRate, options.blockSize);
    subject.host->setPlaying(true);
    return true;
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::vector<float> whiteNoise(std::size_t frames, std::uint32_t seed) {
    std::vector<float> samples(frames);
    for (float& s : samples) {
        seed = seed * 1664525u + 1013904223u;
        s = 0.5f * (static_cast<float>(seed >> 8) / static_cast<float>(1u << 23) - 1.0f);
    }
    return samples;
}

bool runBenchmarks(const std::vector<BenchEntry>& entries, const BenchOptions& options,
                   std::vector<BenchResult>& results, std::string& error) {
    const auto frames = static_cast<std::size_t>(options.seconds * BenchOptions::kSampleRate);
    const auto left = whiteNoise(frames, 1), right = whiteNoise(frames, 2);
    const auto lateFrames = static_cast<std::size_t>(BenchOptions::kLateSilenceSeconds * BenchOptions::kSampleRate);
    const auto allSilence = static_cast<std::size_t>(options.silenceSeconds() * BenchOptions::kSampleRate);
    const std::size_t between = allSilence > frames + lateFrames ? allSilence - frames - lateFrames : 0;
    const std::vector<float> silence(std::max({frames, between, lateFrames}), 0.0f);
    std::vector<Subject> subjects(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!prepare(entries[i], options, subjects[i], error)) return false;
    }
    for (int run = 0; run < options.runs; ++run) {
        for (Subject& s : subjects) {
            s.noise.push_back(timePass(s, left, right, options.blockSize, frames));
            s.silence.push_back(timePass(s, silence, silence, options.blockSize, frames));
            if (between > 0) timePass(s, silence, silence, options.blockSize, between);
            s.lateSilence.push_back(timePass(s, silence, silence, options.blockSize, lateFrames));
        }
    }
    results.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Subject& s = subjects[i];
        const double ns = median(s.noise);
        results.push_back({entries[i].label, s.rig ? s.rig->instanceCount() : 1, ns,
                           1e9 / (ns * BenchOptions::kSampleRate), median(s.silence), median(s.lateSilence)});
        if (s.rig) s.rig->stop();
    }
    return true;
}

void printBenchmarks(const std::vector<BenchResult>& results, const BenchOptions& options, std::ostream& out) {
    out << "44100 Hz, blocks of " << options.blockSize << ", " << options.seconds << " s of noise then "
        << options.seconds << " s of silence (the tail), median of " << options.runs << " runs; silence: the last "
        << BenchOptions::kLateSilenceSeconds << " s of " << options.silenceSeconds() << " s of silence\n";
    const char* format =
        options.markdown ? "| %s | %s | %s | %s | %s | %s | %s |\n" : "%-28s %9s %12s %12s %14s %10s %17s\n";
    auto row = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                   const std::string& e, const std::string& f, const std::string& g) {
        char line[256];
        std::snprintf(line, sizeof line, format, a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str(), f.c_str(),
                      g.c_str());
        out << line;
    };
    row("plug-in", "instances", "ns/frame", "x real time", "tail ns/frame", "tail/noise", "silence ns/frame");
    if (options.markdown) out << "|---|--:|--:|--:|--:|--:|--:|\n";
    for (const BenchResult& r : results) {
        row(r.label, std::to_string(r.instances), fixed(r.nsPerFrame, 1), fixed(r.realTime, 0),
            fixed(r.silentNsPerFrame, 1), fixed(r.silentNsPerFrame / r.nsPerFrame, 2),
            fixed(r.lateSilenceNsPerFrame, 1));
    }
}

}  // namespace plughost
