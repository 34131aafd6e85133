#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "plughost/isolation.h"

namespace plughost {
namespace {

constexpr const char* kDone = "\x01done";

void writeLine(int descriptor, std::string line) {
    for (char& c : line) {
        if (c == '\n') c = ' ';
    }
    line += '\n';
    for (std::size_t sent = 0; sent < line.size();) {
        const ssize_t n = write(descriptor, line.data() + sent, line.size() - sent);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::vector<std::string> readLines(int descriptor) {
    std::string all;
    char chunk[4096];
    for (ssize_t n; (n = read(descriptor, chunk, sizeof chunk)) != 0;) {
        if (n > 0) all.append(chunk, static_cast<std::size_t>(n));
        else if (errno != EINTR) break;
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(all.substr(start, end - start));
    }
    return lines;
}

std::string howItEnded(int status, unsigned timeLimit) {
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
        return "did not finish within " + std::to_string(timeLimit) + " s";
    }
    if (WIFSIGNALED(status)) {
        return std::string("crashed: signal ") + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    }
    return "ended early with exit status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

void Findings::add(const std::string& finding) {
    if (descriptor >= 0) writeLine(descriptor, finding);
    else kept.push_back(finding);
}

IsolatedOutcome runIsolated(const std::function<void(Findings&)>& body, const std::vector<std::string>&,
                            unsigned timeLimitSeconds) {
    int channel[2];
    if (pipe(channel) != 0) return {{"could not create a pipe for the check"}};
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return {{"could not start a process for the check"}};
    if (child == 0) {
        close(channel[0]);
        alarm(timeLimitSeconds);
        Findings findings(channel[1]);
        body(findings);
        writeLine(channel[1], kDone);
        _exit(0);  // no exit handlers: the parent owns the process-wide state
    }
    close(channel[1]);
    IsolatedOutcome outcome;
    bool done = false;
    for (const std::string& line : readLines(channel[0])) {
        if (line == kDone) done = true;
        else outcome.findings.push_back(line);
    }
    close(channel[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!done) outcome.findings.push_back(howItEnded(status, timeLimitSeconds));
    return outcome;
}

}  // namespace plughost
