// Runs an LV2 bundle's plug-in binary as a host does, without lilv: loads it, instantiates its
// first plug-in at 44.1 kHz, sets control ports, and writes its stereo output for a fixed
// signal as raw 32-bit floats. The release checks compare the output of a cross-built bundle,
// run under an emulator, with that of the native one.
//   lv2_bundle_render BINARY OUT.raw [PORT=VALUE ...]
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr std::uint32_t kFrames = 3 * 44100;
constexpr std::uint32_t kBlock = 512;
// The port layout of the bundle's Turtle: controls first, then the audio ports.
constexpr std::uint32_t kControls = 22;
constexpr std::uint32_t kAudioIn = 22, kAudioOut = 24;

int fail(const std::string& message) {
    std::fprintf(stderr, "lv2_bundle_render: %s\n", message.c_str());
    return 1;
}

// Half a second of noise, then a click every 0.37 s: values that are exact in any float
// arithmetic, so that both sides start from the same input bits.
std::vector<float> input() {
    std::vector<float> samples(kFrames);
    std::uint32_t state = 1;
    for (std::uint32_t n = 0; n < kFrames; ++n) {
        state = state * 1664525u + 1013904223u;
        if (n < kFrames / 6) samples[n] = static_cast<float>(static_cast<std::int32_t>(state >> 16) - 32768) / 65536.0f;
        if (n % 16317 == 0) samples[n] = 0.5f;
    }
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: lv2_bundle_render BINARY OUT.raw [PORT=VALUE ...]");
    std::vector<float> controls(kControls, 0.0f);
    std::vector<bool> set(kControls, false);
    for (int a = 3; a < argc; ++a) {
        char* end = nullptr;
        const unsigned long port = std::strtoul(argv[a], &end, 10);
        if (*end != '=' || port >= kControls) return fail(std::string("not PORT=VALUE: ") + argv[a]);
        controls[port] = std::strtof(end + 1, nullptr);
        set[port] = true;
    }

    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) return fail(dlerror());
    const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
    if (!descriptor) return fail("no lv2_descriptor(0) in " + std::string(argv[1]));
    const LV2_Feature* features[] = {nullptr};
    LV2_Handle plugin = descriptor->instantiate(descriptor, kRate, "", features);
    if (!plugin) return fail("instantiate failed");

    // Ports left unconnected keep the plug-in's defaults.
    for (std::uint32_t port = 0; port < kControls; ++port)
        if (set[port]) descriptor->connect_port(plugin, port, &controls[port]);
    const std::vector<float> in = input();
    std::vector<float> left(kFrames), right(kFrames);
    if (descriptor->activate) descriptor->activate(plugin);
    for (std::uint32_t start = 0; start < kFrames; start += kBlock) {
        const std::uint32_t frames = std::min(kBlock, kFrames - start);
        descriptor->connect_port(plugin, kAudioIn, const_cast<float*>(&in[start]));
        descriptor->connect_port(plugin, kAudioIn + 1, const_cast<float*>(&in[start]));
        descriptor->connect_port(plugin, kAudioOut, &left[start]);
        descriptor->connect_port(plugin, kAudioOut + 1, &right[start]);
        descriptor->run(plugin, frames);
    }
    if (descriptor->deactivate) descriptor->deactivate(plugin);
    descriptor->cleanup(plugin);

    std::vector<float> interleaved;
    for (std::uint32_t n = 0; n < kFrames; ++n) interleaved.insert(interleaved.end(), {left[n], right[n]});
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return fail(std::string("cannot write ") + argv[2]);
    const bool written = std::fwrite(interleaved.data(), sizeof(float), interleaved.size(), out) == interleaved.size();
    if (std::fclose(out) != 0 || !written) return fail(std::string("cannot write ") + argv[2]);
    return 0;
}
