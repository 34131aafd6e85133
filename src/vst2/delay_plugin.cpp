#include "vst2/delay_plugin.h"

#include <memory>
#include <new>

#include "vst2/plugin_entry.h"

#ifdef VELLUMINE_WITH_EDITOR
#include "editor/delay_editor.h"
#include "editor/editor_platform.h"
#include "vst2/gui_editor_base.h"
#endif

DelayPlugin::DelayPlugin(audioMasterCallback host) : DelayEffect(host) {
    setUniqueId(fourCharCode("QvRk"));
#ifdef VELLUMINE_WITH_EDITOR
    ensureEditorPlatform();
    std::unique_ptr<DelayEditor> created(new (std::nothrow) DelayEditor(*this));
    if (!created) {
        editorCreationFailed = true;
        return;
    }
    delayEditor = created.get();
    // Attaches itself to this effect, which owns it from here on.
    new GuiEditorBase(this, std::move(created));
#endif
}

DelayPlugin::~DelayPlugin() = default;

// The editor's mark of the index wakes it up: no second wake-up through the base class.
void DelayPlugin::setParameter(VstInt32 index, float value) {
#ifdef VELLUMINE_WITH_EDITOR
    if (storeAndMark(index, value) && delayEditor) delayEditor->parameterChanged(index);
#else
    DelayEffect::setParameter(index, value);
#endif
}

void DelayPlugin::setProgram(VstInt32 program) {
    DelayEffect::setProgram(program);
#ifdef VELLUMINE_WITH_EDITOR
    if (!delayEditor || program != getProgram()) return;  // refused, or already switched again
    for (VstInt32 index = 0; index < kNumDefinedParams; ++index) delayEditor->parameterChanged(index);
#endif
}

// Marks the Rate's box for the window thread: no more than an atomic mark on the audio thread.
void DelayPlugin::syncedLengthChanged() {
#ifdef VELLUMINE_WITH_EDITOR
    if (delayEditor) delayEditor->parameterChanged(DelayTime);
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

float DelayPlugin::parameterValue(std::int32_t index) { return getParameter(index); }

void DelayPlugin::parameterText(std::int32_t index, char* text) { getParameterDisplay(index, text); }

void DelayPlugin::editParameter(std::int32_t index, float value) { automateParameter(index, value); }

void DelayPlugin::beginEdit(std::int32_t index) { hostBeginEdit(index); }

void DelayPlugin::endEdit(std::int32_t index) { hostEndEdit(index); }

void DelayPlugin::runHostIdle() { hostIdle(); }

bool DelayPlugin::resizeHostWindow(int width, int height) { return requestWindowSize(width, height); }
