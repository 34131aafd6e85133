#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "plughost/check.h"

namespace plughost {
namespace {

CheckSummary checkModule(const std::string& path, std::string& printed, unsigned timeLimitSeconds) {
    std::string error;
    auto module = PluginModule::load(path, error);
    EXPECT_TRUE(module) << error;
    if (!module) return {};
    CheckOptions options;
    options.timeLimitSeconds = timeLimitSeconds;
    std::ostringstream out;
    CheckSummary summary = runChecks(*module, options, out);
    printed = out.str();
    return summary;
}

std::string faulty(const std::string& kind) { return std::string(FAULTY_PLUGIN_DIR) + "/faulty_" + kind + ".so"; }

struct CleanCase {
    std::string path;
    int skipped;  // the two editor opcodes that need a window, and the editor check without an editor or display
};

TEST(Check, CleanPluginsPass) {
    const int ourSkips = std::getenv("DISPLAY") ? 2 : 3;
    for (const CleanCase& c : {CleanCase{faulty("none"), 3}, CleanCase{VELLUMINE_PLUGIN, ourSkips}}) {
        std::string printed;
        const CheckSummary summary = checkModule(c.path, printed, 300);
        EXPECT_EQ(summary.failed, 0) << c.path << "\n" << printed;
        EXPECT_GT(summary.passed, 80) << c.path;
        EXPECT_EQ(summary.skipped, c.skipped) << c.path << "\n" << printed;
        const std::string last = std::to_string(summary.passed) + " passed, 0 failed, " + std::to_string(c.skipped) + " skipped\n";
        EXPECT_NE(printed.find(last), std::string::npos) << printed;
    }
}

struct FaultCase {
    const char* kind;
    const char* check;    // the check that must fail
    const char* finding;  // words of its finding
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.kind; }

class CheckFinds : public testing::TestWithParam<FaultCase> {};

TEST_P(CheckFinds, EachFaultKind) {
    const FaultCase& c = GetParam();
    std::string printed;
    // Short enough that the hanging plug-in does not hold the suite up.
    const CheckSummary summary = checkModule(faulty(c.kind), printed, 5);
    EXPECT_GE(summary.failed, 1);
    const bool found = std::any_of(summary.findings.begin(), summary.findings.end(), [&](const std::string& f) {
        return f.starts_with(c.check) && f.find(c.finding) != std::string::npos;
    });
    EXPECT_TRUE(found) << "expected '" << c.check << "' to find '" << c.finding << "'; got:\n" << printed;
    EXPECT_NE(printed.find("FAIL " + std::string(c.check)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CheckFinds,
    testing::Values(
        FaultCase{"text_overrun", "opcode 8 effGetParamName", "text written past 256 bytes"},
        FaultCase{"text_unterminated", "opcode 47 effGetVendorString", "text not terminated within 256 bytes"},
        FaultCase{"nan_from_parameter", "random automation", "output not finite"},
        FaultCase{"audio_overrun", "block sizes", "wrote past the end of an output buffer"},
        FaultCase{"input_clobber", "block sizes", "changed its input buffer"},
        FaultCase{"crash_on_empty_block", "block sizes", "crashed: signal"},
        FaultCase{"hang_on_suspend", "suspend and resume", "did not finish within 5 s"},
        FaultCase{"instance_limit", "100 open/close cycles", "no instance"},
        FaultCase{"stale_state_on_resume", "suspend and resume", "output not finite"},
        FaultCase{"program_not_kept", "opcode 2 effSetProgram", "effGetProgram then answers 0"},
        FaultCase{"parameter_out_of_range", "parameter values", "getParameter(1) is 1.5"},
        FaultCase{"replacing_flag_without_entry", "record fields", "processReplacing is null"},
        FaultCase{"pin_label_unterminated", "opcode 34 effGetOutputProperties", "label not terminated within 64"},
        FaultCase{"chunk_without_data", "opcode 23 effGetChunk", "a size but no data"},
        FaultCase{"nan_latch", "NaN and infinite input samples",
                  "one NaN input sample at 0.50 s: output still not finite at 2.50 s"},
        FaultCase{"runaway", "60 s of audio with every parameter at 1",
                  "runs away after the input stopped at 5.00 s: beyond 1e+06 from 5.00 s, "
                  "peak 1e+09 in the last second"},
        FaultCase{"program_values_shared", "state round trip of every program",
                  "edited, then other programs selected and this one again, program 0: parameter 0 was"},
        FaultCase{"program_name_to_first", "state round trip of every program",
                  "program 0: name \"Checked 1\" came back as \"Checked 4\""},
        FaultCase{"automation_during_processing", "automation from a second thread while processing", "crashed: signal"},
        FaultCase{"rate_out_of_domain", "sample rates from 8 to 384 kHz", "at 384000 Hz, block 0"},
        FaultCase{"loud_at_low_rates", "sample rates from 8 to 384 kHz",
                  "at 8000 Hz the built-in phrase peaks at +24.0 dBFS, more than 12 dB above -0.5 dBFS"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.kind); });

}  // namespace
}  // namespace plughost
