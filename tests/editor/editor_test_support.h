// A plug-in built through the module's entry logic with a software backend installed first,
// so that its editor draws into a framebuffer and takes scripted input.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/delay_editor.h"
#include "vst2/delay_plugin.h"
#include "gui/text_field.h"
#include "vst2/plugin_entry.h"
#include "platform/software/software_platform.h"
#include "support/recording_host.h"

namespace editortest {

using platform::InputState;
using platform::software::SoftwareWindow;

inline const InputState kLeft{.left = true};
inline const InputState kUp{};

class EditorTest : public ::testing::Test {
protected:
    EditorTest() : previous(platform::installServices(&system)) {
        effect = createPlugin(RecordingHost::callback());
        plugin = static_cast<DelayPlugin*>(EffectBase::fromRecord(effect));
        editor = plugin->getDelayEditor();
    }
    ~EditorTest() override {
        if (effect) dispatch(effClose);
        platform::installServices(previous);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }

    // Opens the editor and lets the host paint the window once, as it does on showing it.
    void open() {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, &parent), 1);
        system.dispatchOnePendingPaint();
    }
    void idle() { dispatch(effEditIdle); }

    SoftwareWindow& window() { return *system.openWindows().at(0); }
    platform::ColourRef pixel(int x, int y) { return window().pixels().at(x, y); }
    void press(Point where, InputState state = kLeft) { system.press(window(), {where.x, where.y}, state); }
    void step(Point where, InputState state = kLeft) {
        system.queueStep({where.x + parent.screenOrigin.x, where.y + parent.screenOrigin.y}, state);
    }

    Control* control(VstInt32 index) { return editor->cell(index).control; }
    std::string boxText(VstInt32 index) {
        char text[256] = {};
        editor->cell(index).valueBox->getText(text);
        return text;
    }
    // Clicks into a value box, types and confirms with Return.
    void typeInto(VstInt32 index, const std::string& keys) {
        Rect r;
        editor->cell(index).valueBox->getBounds(r);
        press({r.left + 5, r.top + 5});
        ASSERT_NE(window().activeEditor(), nullptr);
        window().activeEditor()->type(keys);
        window().activeEditor()->pressReturn();
    }

    // The opcode and index of every host call but the idle and time queries.
    std::vector<std::pair<VstInt32, VstInt32>> gestureCalls() const {
        std::vector<std::pair<VstInt32, VstInt32>> out;
        for (const HostCall& call : host.calls)
            if (call.opcode == audioMasterAutomate || call.opcode == audioMasterBeginEdit ||
                call.opcode == audioMasterEndEdit)
                out.emplace_back(call.opcode, call.index);
        return out;
    }

    platform::software::SoftwarePlatform system;
    platform::Services* previous;
    RecordingHost host;
    platform::software::ParentWindow parent{{200, 100}};
    AEffect* effect = nullptr;
    DelayPlugin* plugin = nullptr;
    DelayEditor* editor = nullptr;
};

inline platform::ColourRef rgb(int r, int g, int b) {
    return platform::makeColourRef(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                   static_cast<std::uint8_t>(b));
}

}  // namespace editortest
