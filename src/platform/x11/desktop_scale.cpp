#include "platform/x11/desktop_scale.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform::x11 {

namespace {

constexpr double kBaseDpi = 96.0;

// The value of `name` in resource lines "name:\tvalue", or empty.
std::string resource(const char* resources, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* line = resources; line && *line;) {
        const char* end = std::strchr(line, '\n');
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            const char* value = line + length + 1;
            while (*value == ' ' || *value == '\t') ++value;
            return std::string(value, end ? end : value + std::strlen(value));
        }
        line = end ? end + 1 : nullptr;
    }
    return {};
}

}  // namespace

double desktopScaleFrom(const char* resources, const char* gdkScale) {
    char* end = nullptr;
    if (gdkScale && *gdkScale) {
        const long whole = std::strtol(gdkScale, &end, 10);
        if (*end == '\0' && whole >= 1) return static_cast<double>(whole);
    }
    const std::string dpi = resource(resources, "Xft.dpi");
    const double value = std::strtod(dpi.c_str(), &end);
    return !dpi.empty() && *end == '\0' && value > 0.0 ? value / kBaseDpi : 1.0;
}

double desktopScale() {
    Display* display = XOpenDisplay(nullptr);
    const double scale = desktopScaleFrom(display ? XResourceManagerString(display) : nullptr, std::getenv("GDK_SCALE"));
    if (display) XCloseDisplay(display);
    return scale;
}

}  // namespace platform::x11
