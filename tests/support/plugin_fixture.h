// An in-process plug-in instance created through the module's entry logic, with helpers
// to talk to it exactly as a host does: through the record's function pointers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "vst2/plugin_entry.h"
#include "support/recording_host.h"

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        effect = createPlugin(RecordingHost::callback());
        ASSERT_NE(effect, nullptr);
    }

    void TearDown() override {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    // The text an opcode writes into a host buffer that starts out as the marker "~".
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) {
        char buffer[256] = "~";
        dispatch(opcode, index, value, buffer);
        return buffer;
    }

    void set(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float get(VstInt32 index) { return effect->getParameter(effect, index); }

    RecordingHost host;
    AEffect* effect = nullptr;
};
