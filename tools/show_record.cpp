// Loads a VST 2 module and prints its effect record: the stand-in for a host's first look.
#include <dlfcn.h>

#include <cstdio>

#include "host/aeffect.h"

namespace {

VstIntPtr VSTCALL hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

void printCode(const char* label, VstInt32 code) {
    const auto u = static_cast<unsigned>(code);
    std::printf("%-12s %c%c%c%c (0x%08x)\n", label, u >> 24 & 0xFF, u >> 16 & 0xFF, u >> 8 & 0xFF, u & 0xFF, u);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PLUGIN.so\n", argv[0]);
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<Entry>(dlsym(module, "main"));
    AEffect* effect = entry ? entry(hostCallback) : nullptr;
    if (!effect) {
        std::fprintf(stderr, "%s: no effect\n", argv[1]);
        return 1;
    }
    char vendor[256] = {};
    effect->dispatcher(effect, effGetVendorString, 0, 0, vendor, 0.0f);
    printCode("magic", effect->magic);
    printCode("uniqueID", effect->uniqueID);
    std::printf("vendor       %s\nversion      %d\nprograms     %d\nparameters   %d\n", vendor, effect->version,
                effect->numPrograms, effect->numParams);
    std::printf("inputs       %d\noutputs      %d\nflags        %d\n", effect->numInputs, effect->numOutputs,
                effect->flags);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(module);
    return 0;
}
