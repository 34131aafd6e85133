// Loading a plug-in module and finding its entry. The interface hides the platform: the
// POSIX build uses dlopen, a Windows build supplies the same class over LoadLibrary.
#pragma once

#include <memory>
#include <string>

#include "vst2/aeffect.h"

namespace plughost {

using PluginEntry = AEffect*(VSTCALL*)(audioMasterCallback host);

class PluginModule {
public:
    // Loads the module at path; on failure answers null and says why in error.
    static std::unique_ptr<PluginModule> load(const std::string& path, std::string& error);

    virtual ~PluginModule() = default;
    const std::string& path() const { return modulePath; }
    // The exported entry: "VSTPluginMain", or the older "main"; never null.
    PluginEntry entry() const { return entryPoint; }

protected:
    PluginModule(std::string path, PluginEntry entry) : modulePath(std::move(path)), entryPoint(entry) {}

private:
    std::string modulePath;
    PluginEntry entryPoint;
};

}  // namespace plughost
