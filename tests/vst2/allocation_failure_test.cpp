// A plug-in that cannot get its memory is refused through the entry, never thrown at the host:
// no exception may cross the C call. Stands alone, as it replaces the allocation functions.
#include <gtest/gtest.h>

#include "support/failing_allocation.h"
#include "support/recording_host.h"
#include "vst2/plugin_entry.h"

namespace {

struct FailingAllocation {
    explicit FailingAllocation(std::size_t from) { failingAllocationSize = from; }
    ~FailingAllocation() { failingAllocationSize = 0; }
};

TEST(AllocationFailureTest, TheEntryAnswersNullAndTheNextPlugInIsBuilt) {
    // The delay lines (441,000 floats each) and the editor's 640 x 400 background; then
    // everything from a few hundred bytes on.
    for (std::size_t from : {std::size_t{1} << 20, std::size_t{1} << 9}) {
        RecordingHost host;
        const FailingAllocation failing(from);
        AEffect* effect = nullptr;
        EXPECT_NO_THROW(effect = createPlugin(RecordingHost::callback())) << from;
        EXPECT_EQ(effect, nullptr) << from;
    }
    RecordingHost host;
    AEffect* effect = createPlugin(RecordingHost::callback());
    ASSERT_NE(effect, nullptr);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace
