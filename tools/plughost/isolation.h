// Running one check where a crash cannot take the validator down with it: a child process
// on POSIX systems. Findings travel back line by line as they are made, so a crash keeps
// the findings made before it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plughost {

class Findings {
public:
    explicit Findings(int descriptor = -1) : descriptor(descriptor) {}
    void add(const std::string& finding);
    const std::vector<std::string>& list() const { return kept; }

private:
    int descriptor;  // where the child sends its findings; -1 keeps them here
    std::vector<std::string> kept;
};

struct IsolatedOutcome {
    std::vector<std::string> findings;  // including one for a crash or a time-out
};

IsolatedOutcome runIsolated(const std::function<void(Findings&)>& body, unsigned timeLimitSeconds);

}  // namespace plughost
