#include <windows.h>

#include "plughost/module_loader.h"

namespace plughost {
namespace {

class Win32Module final : public PluginModule {
public:
    Win32Module(std::string path, PluginEntry entry, HMODULE handle)
        : PluginModule(std::move(path), entry), handle(handle) {}
    ~Win32Module() override { FreeLibrary(handle); }

private:
    HMODULE handle;
};

PluginEntry findEntry(HMODULE handle) {
    for (const char* name : {"VSTPluginMain", "main"}) {
        // Through void*: FARPROC is a function type of its own, and a direct cast is flagged.
        if (FARPROC symbol = GetProcAddress(handle, name)) return reinterpret_cast<PluginEntry>(reinterpret_cast<void*>(symbol));
    }
    return nullptr;
}

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) message.pop_back();
    return "error " + std::to_string(code) + (message.empty() ? "" : " (" + message + ")");
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
    // A bare file name would make LoadLibrary search the system folders and PATH as well.
    const bool bare = path.find_first_of("/\\") == std::string::npos;
    const std::string where = bare ? ".\\" + path : path;
    HMODULE handle = LoadLibraryA(where.c_str());
    if (!handle) {
        error = path + ": cannot load the module: " + lastErrorText();
        return nullptr;
    }
    PluginEntry entry = findEntry(handle);
    if (!entry) {
        error = path + ": exports neither VSTPluginMain nor main";
        FreeLibrary(handle);
        return nullptr;
    }
    return std::make_unique<Win32Module>(path, entry, handle);
}

}  // namespace plughost
