#include "engine/delay_plugin.h"

DelayPlugin::DelayPlugin(audioMasterCallback host) : DelayEffect(host) { setUniqueId(fourCharCode("QvRk")); }

DelayPlugin::~DelayPlugin() = default;

// Hosts list the plug-in under an empty effect name and product string.
bool DelayPlugin::getEffectName(char* text) {
    *text = '\0';
    return true;
}

bool DelayPlugin::getProductString(char* text) {
    *text = '\0';
    return true;
}
