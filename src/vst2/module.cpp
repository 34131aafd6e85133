// The platform-specific edge of the module: the load hook that records the module handle
// and the exported entry under the names hosts look up ("VSTPluginMain", then "main").
#include "vst2/plugin_entry.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    moduleInstance = instance;
    return TRUE;
}

// The undecorated "main" export is given by the module-definition file.
extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback host) { return createPlugin(host); }

#else
#include <dlfcn.h>

namespace {

__attribute__((constructor)) void onModuleLoad() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&onModuleLoad), &info) != 0) moduleInstance = info.dli_fbase;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    return createPlugin(host);
}

// C++ reserves the name main for the program entry, so the plug-in's "main" is an
// assembler-level alias of VSTPluginMain.
extern "C" __attribute__((visibility("default"))) AEffect* vstMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));

#endif
