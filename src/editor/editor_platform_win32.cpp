// On Windows the editor draws through the Win32 backend, over the module that holds this code
// (the plug-in DLL, or a test executable that links the engine), where its bitmaps are bound.
#include <windows.h>

#include <mutex>

#include "editor/editor_platform.h"
#include "platform/win32/win32_platform.h"

namespace {

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

}  // namespace

void ensureEditorPlatform() {
    // Hosts may build plug-ins on more than one thread; the check and the installation go
    // together. Runs only when a plug-in is constructed, never on the audio path.
    static std::mutex installing;
    const std::lock_guard lock(installing);
    if (platform::installedServices()) return;
    static platform::win32::Win32Platform backend(thisModule());
    platform::installServices(&backend);
}
