// A private X server for the X11 tests: Xvfb on a display number it picks itself, started once
// per test process and stopped at its end. Where Xvfb is missing or does not start, the tests
// skip with the reason.
#pragma once

#include <string>

namespace xtest {

class XServer {
public:
    // Starts the server on first use; the display name (":N") or empty with `reason` set.
    static const std::string& display(std::string& reason);
};

}  // namespace xtest
