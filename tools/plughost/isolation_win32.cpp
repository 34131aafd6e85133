#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
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
        const int n = _write(descriptor, line.data() + sent, static_cast<unsigned>(line.size() - sent));
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// One argument as the C runtime splits a command line: quoted, with the backslashes before
// a quote doubled.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
}

std::string commandLine(HANDLE channel, const std::vector<std::string>& childArguments) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = quoted(self);
    for (const std::string& argument : {std::string(kIsolatedChild), std::to_string(reinterpret_cast<std::uintptr_t>(channel))}) {
        line.append(" ").append(argument);
    }
    for (const std::string& argument : childArguments) line.append(" ").append(quoted(argument));
    return line;
}

// Everything the pipe holds now, without blocking.
void drain(HANDLE pipe, std::string& all) {
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, std::min<DWORD>(available, sizeof chunk), &got, nullptr) || got == 0) return;
        all.append(chunk, got);
    }
}

std::vector<std::string> lines(const std::string& all) {
    std::vector<std::string> list;
    for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        list.push_back(all.substr(start, end - start));
    }
    return list;
}

const char* exceptionName(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: return " (access violation)";
        case EXCEPTION_STACK_OVERFLOW: return " (stack overflow)";
        case EXCEPTION_ILLEGAL_INSTRUCTION: return " (illegal instruction)";
        case EXCEPTION_INT_DIVIDE_BY_ZERO: return " (integer division by zero)";
        default: return "";
    }
}

std::string howItEnded(DWORD code) {
    char text[96];
    // Exception codes have both top bits set; anything else is the child's own exit code.
    if ((code & 0xC0000000u) == 0xC0000000u) {
        std::snprintf(text, sizeof text, "crashed: exception 0x%08lX%s", code, exceptionName(code));
    } else {
        std::snprintf(text, sizeof text, "ended early with exit code %lu", code);
    }
    return text;
}

// Ends a crashing child with the exception code as its exit code, as Windows does; Wine
// without its debugger ends it with code 3 instead, which would hide what happened.
LONG WINAPI endWithExceptionCode(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Reads the child's findings until it ends or the time limit passes; true when it ended.
bool collect(HANDLE process, HANDLE pipe, unsigned timeLimitSeconds, std::string& all) {
    const ULONGLONG deadline = GetTickCount64() + 1000ull * timeLimitSeconds;
    for (;;) {
        const bool ended = WaitForSingleObject(process, 20) == WAIT_OBJECT_0;
        drain(pipe, all);
        if (ended) return true;
        if (GetTickCount64() >= deadline) return false;
    }
}

}  // namespace

void Findings::add(const std::string& finding) {
    if (descriptor >= 0) writeLine(descriptor, finding);
    else kept.push_back(finding);
}

IsolatedOutcome runIsolated(const std::function<void(Findings&)>&, const std::vector<std::string>& childArguments,
                            unsigned timeLimitSeconds) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return {{"could not create a pipe for the check"}};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::string line = commandLine(writeEnd, childArguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return {{"could not start a process for the check"}};
    }
    std::string all;
    const bool ended = collect(child.hProcess, readEnd, timeLimitSeconds, all);
    if (!ended) {
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(readEnd);

    IsolatedOutcome outcome;
    bool done = false;
    for (const std::string& finding : lines(all)) {
        if (finding == kDone) done = true;
        else outcome.findings.push_back(finding);
    }
    if (!ended) outcome.findings.push_back("did not finish within " + std::to_string(timeLimitSeconds) + " s");
    else if (!done) outcome.findings.push_back(howItEnded(code));
    return outcome;
}

int serveIsolated(const std::string& channel, const std::function<void(Findings&)>& body) {
    const auto handle = static_cast<std::intptr_t>(std::stoull(channel));
    const int descriptor = _open_osfhandle(handle, _O_WRONLY | _O_BINARY);
    if (descriptor < 0) return 2;
    SetUnhandledExceptionFilter(endWithExceptionCode);
    Findings findings(descriptor);
    body(findings);
    writeLine(descriptor, kDone);
    _close(descriptor);
    return 0;
}

}  // namespace plughost
