#include "host/plugin_entry.h"

#include <new>

#include "engine/delay_plugin.h"

void* moduleInstance = nullptr;
bool editorCreationFailed = false;

AEffect* createPlugin(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* plugin = new (std::nothrow) DelayPlugin(host);
    if (!plugin) return nullptr;
    if (editorCreationFailed) {
        delete plugin;
        return nullptr;
    }
    return plugin->getAeffect();
}
