// Real input for tests under Wine: SendInput events and bounded waits. Tests that use them
// share the global cursor and key state, so ctest runs them under one resource lock.
#pragma once

#include <windows.h>

namespace win32test {

// Generous bounds on the waits, so that a broken backend fails instead of hanging.
constexpr int kMaxWaitMs = 10000;

template <typename Condition>
bool waitFor(Condition done) {
    for (int waited = 0; waited < kMaxWaitMs; ++waited) {
        if (done()) return true;
        Sleep(1);
    }
    return false;
}

inline void sendMouseButton(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void sendKey(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace win32test
