// A plug-in whose editor cannot be allocated is refused, and so is every later one in the
// same loaded module. This executable fails the editor's allocation on request, so it stands
// alone: once the refusal is latched, no plug-in can be created in the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "editor/delay_editor.h"
#include "vst2/plugin_entry.h"
#include "support/recording_host.h"

namespace {
bool failEditorAllocation = false;
}  // namespace

// The replacements pair malloc with free on purpose, as the library's functions they replace.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failEditorAllocation && size == sizeof(DelayEditor)) return nullptr;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(EditorFailureTest, RefusesThePlugInAndEveryLaterOne) {
    {
        RecordingHost host;
        AEffect* healthy = createPlugin(RecordingHost::callback());
        ASSERT_NE(healthy, nullptr);
        healthy->dispatcher(healthy, effClose, 0, 0, nullptr, 0.0f);
    }

    failEditorAllocation = true;
    {
        RecordingHost host;
        EXPECT_EQ(createPlugin(RecordingHost::callback()), nullptr);
        // The object was built (it asked for events) before it was thrown away.
        EXPECT_EQ(host.count(audioMasterWantMidi), 1);
    }
    EXPECT_TRUE(editorCreationFailed);

    failEditorAllocation = false;
    RecordingHost host;
    EXPECT_EQ(createPlugin(RecordingHost::callback()), nullptr);
}

}  // namespace
