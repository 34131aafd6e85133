// snapshot OUT.png [--program N] [--set INDEX=VALUE ...] [--scale S]
//
// Builds the plug-in in-process, opens its editor on the software backend at scale S (the
// nearest supported one not larger, at least 1), then selects the program and sets the values
// (normalized, 0 to 1) through the effect record as a host does, lets the editor idle so that
// the controls follow, and saves the window.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/parameters.h"
#include "editor/delay_editor.h"
#include "vst2/delay_plugin.h"
#include "vst2/plugin_entry.h"
#include "platform/software/png_writer.h"
#include "platform/software/software_platform.h"

namespace {

struct Request {
    std::string output;
    int program = -1;
    double scale = 1.0;
    std::vector<std::pair<VstInt32, float>> settings;
};

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

bool parseInt(const std::string& text, long low, long high, long& out) {
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && out >= low && out <= high;
}

bool parseSetting(const std::string& text, std::pair<VstInt32, float>& out) {
    const auto equals = text.find('=');
    long index = 0;
    if (equals == std::string::npos || !parseInt(text.substr(0, equals), 0, kNumDefinedParams - 1, index)) return false;
    const std::string value = text.substr(equals + 1);
    char* end = nullptr;
    const float v = std::strtof(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(v >= 0.0f && v <= 1.0f)) return false;
    out = {static_cast<VstInt32>(index), v};
    return true;
}

bool parse(int argc, char** argv, Request& request) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--program" && hasValue) {
            long program = 0;
            if (!parseInt(argv[++i], 0, 63, program)) return false;
            request.program = static_cast<int>(program);
        } else if (argument == "--scale" && hasValue) {
            char* end = nullptr;
            request.scale = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(request.scale > 0.0)) return false;
        } else if (argument == "--set" && hasValue) {
            std::pair<VstInt32, float> setting;
            if (!parseSetting(argv[++i], setting)) return false;
            request.settings.push_back(setting);
        } else if (request.output.empty() && !argument.starts_with("-")) {
            request.output = argument;
        } else {
            return false;
        }
    }
    return !request.output.empty();
}

int run(const Request& request) {
    platform::software::SoftwarePlatform system;
    platform::installServices(&system);
    AEffect* effect = createPlugin(quietHost);
    if (!effect) {
        std::fprintf(stderr, "snapshot: the plug-in could not be created\n");
        return 1;
    }
    const auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    };
    if (DelayEditor* editor = static_cast<DelayPlugin*>(EffectBase::fromRecord(effect))->getDelayEditor())
        editor->setScale(request.scale);
    platform::software::ParentWindow parent{};
    dispatch(effEditOpen, 0, &parent);
    system.dispatchOnePendingPaint();
    if (request.program >= 0) dispatch(effSetProgram, request.program);
    for (const auto& [index, value] : request.settings) effect->setParameter(effect, index, value);
    dispatch(effEditIdle);

    int status = 0;
    if (system.openWindows().empty()) {
        std::fprintf(stderr, "snapshot: the editor opened no window\n");
        status = 1;
    } else if (!platform::software::writePng(system.openWindows().front()->pixels(), request.output)) {
        std::fprintf(stderr, "snapshot: cannot write %s\n", request.output.c_str());
        status = 1;
    }
    dispatch(effEditClose);
    dispatch(effClose);
    platform::installServices(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    if (!parse(argc, argv, request)) {
        std::fprintf(stderr, "usage: snapshot OUT.png [--program N] [--set INDEX=VALUE ...] [--scale S]\n"
                             "  N is 0 to 63; INDEX 0 to %d; VALUE normalized, 0 to 1; S above 0\n",
                     static_cast<int>(kNumDefinedParams - 1));
        return 2;
    }
    return run(request);
}
