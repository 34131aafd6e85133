#include "editor/user_settings.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace usersettings {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Read as C reads it, whatever the host's locale: "1.5" is one and a half everywhere.
std::optional<double> positiveNumber(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !(value > 0.0)) return std::nullopt;
    return value;
}

// The whole of a small file, or nothing. C's stdio rather than a C++ stream: the plug-ins carry
// their own C++ runtime, whose file streams would need a newer C library than they may find.
std::optional<std::string> fileText(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return std::nullopt;
    std::string text;
    char chunk[256];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0 && text.size() < 65536;)
        text.append(chunk, got);
    return text;
}

}  // namespace

std::string settingsPath() {
#ifdef _WIN32
    const std::string appData = environment("APPDATA");
    return appData.empty() ? "" : appData + "\\Vellumine\\settings";
#else
    const std::string config = environment("XDG_CONFIG_HOME");
    if (!config.empty()) return config + "/vellumine/settings";
    const std::string home = environment("HOME");
    return home.empty() ? "" : home + "/.config/vellumine/settings";
#endif
}

std::optional<double> scaleIn(std::string_view text) {
    std::optional<double> scale;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != "scale") continue;
        if (const auto value = positiveNumber(trimmed(line.substr(equals + 1)))) scale = value;
    }
    return scale;
}

std::optional<double> userScale() {
    const std::string path = settingsPath();
    if (path.empty()) return std::nullopt;
    const std::optional<std::string> text = fileText(path);
    return text ? scaleIn(*text) : std::nullopt;
}

}  // namespace usersettings
