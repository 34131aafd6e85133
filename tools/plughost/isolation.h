// Running one check where a crash cannot take the validator down with it: a child process.
// Findings travel back line by line as they are made, so a crash keeps the findings made
// before it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plughost {

// Starts the line of a check that does not apply (no editor, no display): not a finding.
constexpr const char* kSkipMarker = "\x01skip ";

class Findings {
public:
    explicit Findings(int descriptor = -1) : descriptor(descriptor) {}
    void add(const std::string& finding);
    void skip(const std::string& reason) { add(kSkipMarker + reason); }
    const std::vector<std::string>& list() const { return kept; }

private:
    int descriptor;  // where the child sends its findings; -1 keeps them here
    std::vector<std::string> kept;
};

struct IsolatedOutcome {
    std::vector<std::string> findings;  // including one for a crash or a time-out
};

// POSIX forks and runs body in the child. Windows cannot fork: it starts this program again
// with kIsolatedChild, a channel and childArguments, and that process's main must run the
// same body through serveIsolated.
IsolatedOutcome runIsolated(const std::function<void(Findings&)>& body, const std::vector<std::string>& childArguments,
                            unsigned timeLimitSeconds);

#ifdef _WIN32
constexpr const char* kIsolatedChild = "--isolated-child";
// In the started process: runs body with its findings going to the channel; the exit code.
int serveIsolated(const std::string& channel, const std::function<void(Findings&)>& body);
#endif

}  // namespace plughost
