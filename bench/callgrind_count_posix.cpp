#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "callgrind_count.h"

namespace {

// The "summary:" line of a callgrind output file: the instructions collected; -1 if absent.
double collectedInstructions(const std::string& path) {
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        if (line.rfind("summary:", 0) == 0) return std::strtod(line.c_str() + 8, nullptr);
    return -1.0;
}

// This program's own file, for valgrind to run (valgrind's /proc/self/exe is valgrind).
std::string ownPath() {
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

double instructionsUnderCallgrind(const std::string& function, const std::vector<std::string>& arguments) {
    const std::string self = ownPath();
    const std::string out = "/tmp/callgrind_count." + std::to_string(getpid());
    std::vector<std::string> words = {"valgrind",
                                      "-q",
                                      "--tool=callgrind",
                                      "--collect-atstart=no",
                                      "--toggle-collect=*" + function + "*",
                                      "--callgrind-out-file=" + out,
                                      self};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        execvp("valgrind", argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    const double instructions = collectedInstructions(out);
    std::remove(out.c_str());
    return instructions;
}
