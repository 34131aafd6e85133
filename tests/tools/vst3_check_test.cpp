// `plughost check` on VST 3 bundles: the clean test plug-in passes every check, and each faulty
// build of the test plug-in fails the check that looks for its fault. Under a
// private Xvfb server, so that the editor check runs rather than skips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/x11/x_server.h"
#include "plughost/vst3_commands.h"

namespace plughost::vst3 {
namespace {

// The checks whose names contain `only`, or all.
CheckSummary checkVst3(const std::string& path, std::string& printed, const std::string& only = {}) {
    std::string error;
    auto module = Vst3Module::load(path, error);
    EXPECT_TRUE(module) << error;
    if (!module) return {};
    CheckOptions options;
    options.timeLimitSeconds = 60;
    options.only = only;
    std::ostringstream out;
    CheckSummary summary = runVst3Checks(*module, options, out);
    printed = out.str();
    return summary;
}

std::string faulty(const std::string& kind) { return std::string(FAULTY_PLUGIN_DIR) + "/faulty_vst3_" + kind + ".vst3"; }

// Vellumine's bundle runs the same checks as plughost.check.vellumine_vst3.
constexpr const char* kEditor = "editor attached, idled through the run loop and removed while the audio thread runs";

// Whether the private X server runs (it sets DISPLAY); the reason when not, and then no other
// display is used either.
bool display(std::string& reason) {
    if (!xtest::XServer::display(reason).empty()) return true;
    unsetenv("DISPLAY");
    return false;
}

// Without an X server the editor check skips itself and the test says so, after judging the rest.
TEST(Vst3Check, TheCleanPluginPassesEveryCheck) {
    std::string reason;
    const bool shown = display(reason);
    std::string printed;
    const CheckSummary summary = checkVst3(faulty("none"), printed);
    EXPECT_EQ(summary.failed, 0) << printed;
    EXPECT_EQ(summary.skipped, shown ? 0 : 1) << printed;
    EXPECT_EQ(summary.passed, shown ? 24 : 23) << printed;
    if (!shown) GTEST_SKIP() << "SKIPPED: the editor check not run: " << reason;
}

struct FaultCase {
    const char* kind;
    const char* check;    // the check that must fail
    const char* finding;  // words of its finding
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.kind; }

class Vst3CheckFinds : public testing::TestWithParam<FaultCase> {};

TEST_P(Vst3CheckFinds, EachFaultKind) {
    const FaultCase& c = GetParam();
    std::string reason;
    if (!display(reason) && std::string(c.check) == kEditor) GTEST_SKIP() << "SKIPPED: the editor check not run: " << reason;
    std::string printed;
    const CheckSummary summary = checkVst3(faulty(c.kind), printed, c.check);
    bool found = false;
    for (const std::string& finding : summary.findings)
        found = found || (finding.starts_with(std::string(c.check) + ":") && finding.find(c.finding) != std::string::npos);
    EXPECT_TRUE(found) << "expected \"" << c.check << ": ..." << c.finding << "...\" in\n" << printed;
}

constexpr const char* kCallOrder = "call order: initialize, buses, setup, activate, process, deactivate, terminate, repeated";
constexpr const char* kRates = "sample rates from 8 to 384 kHz through setActive";

INSTANTIATE_TEST_SUITE_P(
    Faults, Vst3CheckFinds,
    testing::Values(
        FaultCase{"no_fx_category", "factory and class info", "hold no Fx"},
        FaultCase{"mono_accepted", kCallOrder, "accepted mono in and out"},
        FaultCase{"reactivate_broken", kCallOrder, "activation 2, 256 frames: process answered"},
        FaultCase{"in_place_broken", "in place equals out of place", "differ"},
        FaultCase{"flush_writes", "block sizes 0 to 4096 and random", "0 frames wrote into its output"},
        FaultCase{"overrun", "block sizes 0 to 4096 and random", "wrote past the end"},
        FaultCase{"high_rate_refused", kRates, "at 384000 Hz refused"},
        FaultCase{"loud_at_low_rates", kRates, "at 8000 Hz the built-in phrase peaks at"},
        FaultCase{"text_in_percent", "value, text, value for every parameter at its ends and steps", "reads back as"},
        FaultCase{"default_mismatch", "defaults as declared", "the default is"},
        FaultCase{"unclamped_points", "random queue points with NaN, Inf and out-of-range values", "not finite"},
        FaultCase{"points_at_block_start", "a queue point mid-block equals the split render", "changed at offset 1000"},
        FaultCase{"state_counter", "state: save, load, save gives the same bytes", "other bytes"},
        FaultCase{"state_lax", "state: empty, truncated and random streams refused without change", "was accepted"},
        FaultCase{"refusal_changes", "state: empty, truncated and random streams refused without change",
                  "changed the state"},
        FaultCase{"timer_kept", kEditor, "timer stays registered"},
        FaultCase{"runaway", "60 s of audio with every parameter at 1", "output not finite from"},
        FaultCase{"nan_latch", "NaN and infinite input samples", "output still not finite"},
        FaultCase{"edit_while_active", "controller edits from the main thread while processing",
                  "audio thread, 256 frames: output not finite"}));

}  // namespace
}  // namespace plughost::vst3
