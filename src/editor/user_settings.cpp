#include "editor/user_settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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

std::optional<double> positiveNumber(std::string_view text) {
    const std::string number(text);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !(value > 0.0)) return std::nullopt;
    return value;
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
    std::ifstream file(path);
    if (!file) return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return scaleIn(text.str());
}

}  // namespace usersettings
