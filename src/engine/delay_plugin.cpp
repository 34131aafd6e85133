#include "engine/delay_plugin.h"

#include <new>

#include "host/plugin_entry.h"

#ifdef VELLUMINE_WITH_EDITOR
#include "editor/delay_editor.h"
#include "editor/editor_platform.h"
#endif

DelayPlugin::DelayPlugin(audioMasterCallback host) : DelayEffect(host) {
    setUniqueId(fourCharCode("QvRk"));
#ifdef VELLUMINE_WITH_EDITOR
    ensureEditorPlatform();
    // The editor attaches itself to this effect as it is constructed.
    delayEditor = new (std::nothrow) DelayEditor(this);
    if (!delayEditor) editorCreationFailed = true;
#endif
}

DelayPlugin::~DelayPlugin() = default;

void DelayPlugin::setParameter(VstInt32 index, float value) {
    DelayEffect::setParameter(index, value);
#ifdef VELLUMINE_WITH_EDITOR
    if (delayEditor) delayEditor->setParameter(index, value);
#endif
}

void DelayPlugin::setProgram(VstInt32 program) {
    DelayEffect::setProgram(program);
#ifdef VELLUMINE_WITH_EDITOR
    if (!delayEditor || program != getProgram()) return;  // refused, or already switched again
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) delayEditor->setParameter(index, getParameter(index));
#endif
}

// Hosts list the plug-in under an empty effect name and product string.
bool DelayPlugin::getEffectName(char* text) {
    *text = '\0';
    return true;
}

bool DelayPlugin::getProductString(char* text) {
    *text = '\0';
    return true;
}
