#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace xtest {

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr int kStartTimeoutMs = 10000;

class Server {
public:
    Server() { start(); }
    ~Server() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    std::string name;
    std::string reason;

private:
    void start();
    // The display number Xvfb writes to the pipe once it accepts connections.
    bool readDisplayNumber(int fd);

    pid_t pid = -1;
};

void Server::start() {
    if (access(kXvfb, X_OK) != 0) {
        reason = "no X server: install Debian's xvfb to run the X11 tests";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        reason = "no pipe for Xvfb";
        return;
    }
    pid = fork();
    if (pid == 0) {
        // The server ends with the tests even when they crash, and keeps its chatter and the
        // tests' output pipes to itself, so that nothing waits on it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, STDIN_FILENO);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        // The screen holds the editor at scale 2, 1280 x 800, with room for its parent.
        execl(kXvfb, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1200x24", "-nolisten", "tcp",
              "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0 || !readDisplayNumber(fds[0])) reason = "Xvfb did not start";
    close(fds[0]);
    if (reason.empty()) setenv("DISPLAY", name.c_str(), 1);
}

bool Server::readDisplayNumber(int fd) {
    std::string digits;
    pollfd waiting{fd, POLLIN, 0};
    while (poll(&waiting, 1, kStartTimeoutMs) == 1) {
        char c = 0;
        if (read(fd, &c, 1) != 1) return false;
        if (c == '\n') {
            name = ":" + digits;
            return !digits.empty();
        }
        digits.push_back(c);
    }
    return false;
}

}  // namespace

const std::string& XServer::display(std::string& reason) {
    static Server server;
    reason = server.reason;
    return server.name;
}

}  // namespace xtest
