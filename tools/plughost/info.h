// `plughost info`: what a host learns about a plug-in before it processes anything.
#pragma once

#include <ostream>
#include <string>

#include "vst2/aeffect.h"
#include "plughost/module_loader.h"
#include "plughost/preset_file.h"

namespace plughost {

struct InfoOptions {
    bool allParameters = false;  // otherwise the first kListedParameters
    static constexpr int kListedParameters = 64;
};

// The flag bits by their names, e.g. "HasEditor | CanReplacing", unknown bits in hex.
std::string flagNames(VstInt32 flags);

bool printInfo(const PluginModule& module, const InfoOptions& options, std::ostream& out, std::string& error);

}  // namespace plughost
