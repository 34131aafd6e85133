#include <dlfcn.h>

#include "plughost/module_loader.h"

namespace plughost {
namespace {

class PosixModule final : public PluginModule {
public:
    PosixModule(std::string path, PluginEntry entry, void* handle)
        : PluginModule(std::move(path), entry), handle(handle) {}
    ~PosixModule() override { dlclose(handle); }

private:
    void* handle;
};

PluginEntry findEntry(void* handle) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = dlsym(handle, name)) return reinterpret_cast<PluginEntry>(symbol);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
    // A bare file name would make dlopen search the library path instead of the folder.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = dlerror();
        return nullptr;
    }
    PluginEntry entry = findEntry(handle);
    if (!entry) {
        error = path + ": exports neither VSTPluginMain nor main";
        dlclose(handle);
        return nullptr;
    }
    return std::make_unique<PosixModule>(path, entry, handle);
}

}  // namespace plughost
