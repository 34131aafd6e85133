// The user's own settings, which win over what hosts ask for: a small text file, one
// `name=value` a line, in the user's config folder:
//   $XDG_CONFIG_HOME/vellumine/settings, or ~/.config/vellumine/settings where that is unset
//   %APPDATA%\Vellumine\settings on Windows
// Today it holds one setting, the editor's scale (`scale=2`).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace usersettings {

// The settings file's path, or empty where the environment names no config folder.
std::string settingsPath();

// The scale set in settings text: the last `scale=` line with a number above 0.
std::optional<double> scaleIn(std::string_view text);

// The scale in the user's settings file, if it sets one.
std::optional<double> userScale();

}  // namespace usersettings
