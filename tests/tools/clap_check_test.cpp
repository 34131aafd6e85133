// `plughost check` on CLAP modules: the clean test plug-in and Vellumine pass every check, and
// each faulty build of the test plug-in fails the check that looks for its fault. Under a
// private Xvfb server, so that the editor check runs rather than skips.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/x11/x_server.h"
#include "plughost/clap_commands.h"

namespace plughost::clap {
namespace {

// The checks whose names contain `only`, or all.
CheckSummary checkClap(const std::string& path, std::string& printed, const std::string& only = {}) {
    std::string reason;
    EXPECT_FALSE(xtest::XServer::display(reason).empty()) << reason;
    std::string error;
    auto module = ClapModule::load(path, error);
    EXPECT_TRUE(module) << error;
    if (!module) return {};
    CheckOptions options;
    options.timeLimitSeconds = 60;
    options.only = only;
    std::ostringstream out;
    CheckSummary summary = runClapChecks(*module, options, out);
    printed = out.str();
    return summary;
}

std::string faulty(const std::string& kind) { return std::string(FAULTY_PLUGIN_DIR) + "/faulty_clap_" + kind + ".clap"; }

TEST(ClapCheck, CleanPluginsPassEveryCheck) {
    for (const std::string& path : {faulty("none"), std::string(VELLUMINE_CLAP_PATH)}) {
        std::string printed;
        const CheckSummary summary = checkClap(path, printed);
        EXPECT_EQ(summary.failed, 0) << path << "\n" << printed;
        EXPECT_EQ(summary.skipped, 0) << path << "\n" << printed;
        EXPECT_EQ(summary.passed, 27) << path << "\n" << printed;
    }
}

struct FaultCase {
    const char* kind;
    const char* check;    // the check that must fail
    const char* finding;  // words of its finding
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.kind; }

class ClapCheckFinds : public testing::TestWithParam<FaultCase> {};

TEST_P(ClapCheckFinds, EachFaultKind) {
    const FaultCase& c = GetParam();
    std::string printed;
    const CheckSummary summary = checkClap(faulty(c.kind), printed, c.check);
    bool found = false;
    for (const std::string& finding : summary.findings)
        found = found || (finding.starts_with(std::string(c.check) + ":") && finding.find(c.finding) != std::string::npos);
    EXPECT_TRUE(found) << "expected \"" << c.check << ": ..." << c.finding << "...\" in\n" << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ClapCheckFinds,
    testing::Values(
        FaultCase{"no_version", "descriptor and factory", "no version"},
        FaultCase{"rescan_from_audio", "calls from the threads CLAP names", "rescan called from the audio thread"},
        FaultCase{"in_place_broken", "in place equals out of place", "differ"},
        FaultCase{"overrun", "block sizes 1 to 4096 and random", "wrote past the end"},
        FaultCase{"subnormal_output", "block sizes 1 to 4096 and random", "subnormal output"},
        FaultCase{"high_rate_refused", "sample rates from 8 to 384 kHz through deactivate and activate", "384000 Hz failed"},
        FaultCase{"reset_kept", "reset, then the same input gives the same output", "other output"},
        FaultCase{"text_in_percent", "value, text, value for every parameter at its ends and steps", "reads back as"},
        FaultCase{"default_mismatch", "defaults as declared", "the default is"},
        FaultCase{"unclamped_events", "random events with NaN, Inf and out-of-range values", "not finite"},
        FaultCase{"events_at_block_start", "an event mid-block equals the split render", "changed at frame 1000"},
        FaultCase{"flush_ignored", "flush while inactive and active, gestures in pairs", "holds"},
        FaultCase{"gesture_unended", "flush while inactive and active, gestures in pairs", "never ends"},
        FaultCase{"state_counter", "state: save, load, save gives the same bytes", "other bytes"},
        FaultCase{"state_lax", "state: empty, truncated and random streams refused without change", "was accepted"},
        FaultCase{"state_drops_echo", "state: a fresh instance with the state gives the same output", "sounds otherwise"},
        FaultCase{"gui_timer_kept", "editor opened, idled and closed while the audio thread runs", "timer stays registered"},
        FaultCase{"instance_limit", "50 open/close cycles", "create_plugin refused"},
        FaultCase{"loud_at_low_rates", "sample rates from 8 to 384 kHz through deactivate and activate",
                  "at 8000 Hz the built-in phrase peaks at"},
        FaultCase{"runaway", "60 s of audio with every parameter at 1", "output not finite from"},
        FaultCase{"nan_latch", "NaN and infinite input samples", "output still not finite"}));

}  // namespace
}  // namespace plughost::clap
