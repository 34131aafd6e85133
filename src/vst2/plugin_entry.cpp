#include "vst2/plugin_entry.h"

#include <new>

#include "vst2/delay_plugin.h"

void* moduleInstance = nullptr;
bool editorCreationFailed = false;

// No exception may leave through the host's C call: an allocation that fails while the
// plug-in is built (its delay lines, its editor's bitmaps) refuses the plug-in instead.
AEffect* createPlugin(audioMasterCallback host) noexcept {
    try {
        if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        auto* plugin = new (std::nothrow) DelayPlugin(host);
        if (!plugin) return nullptr;
        if (editorCreationFailed) {
            delete plugin;
            return nullptr;
        }
        return plugin->getAeffect();
    } catch (...) {
        return nullptr;
    }
}
