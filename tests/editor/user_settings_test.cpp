// The user's settings file: where it is looked for, how its scale line is read, and that its
// scale wins over the one a host asks for.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include "editor/user_settings.h"
#include "editor_test_support.h"

namespace editortest {
namespace {

namespace fs = std::filesystem;

TEST(UserSettings, TheScaleIsTheLastScaleLineWithANumberAboveZero) {
    struct Case {
        const char* text;
        std::optional<double> scale;
    };
    const Case cases[] = {
        {"scale=2", 2.0},
        {"# big\n  scale = 1.5 \r\n", 1.5},
        {"scale=2\nscale=1\n", 1.0},
        {"scale=2\nscale=none\nscale=0\nscale=-1\n", 2.0},
        {"", std::nullopt},
        {"scales=2\nscale\nscale=\n", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(usersettings::scaleIn(c.text), c.scale) << c.text;
}

// Sets an environment variable for the length of a test, and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* variableName, const char* value) : name(variableName) {
        if (const char* old = std::getenv(name)) previous = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (previous) {
            setenv(name, previous->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

TEST(UserSettings, TheFileIsInTheXdgConfigFolderElseInDotConfigAtHome) {
    {
        const ScopedVariable config("XDG_CONFIG_HOME", "/config");
        EXPECT_EQ(usersettings::settingsPath(), "/config/vellumine/settings");
    }
    const ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    {
        const ScopedVariable home("HOME", "/home/someone");
        EXPECT_EQ(usersettings::settingsPath(), "/home/someone/.config/vellumine/settings");
    }
    const ScopedVariable home("HOME", nullptr);
    EXPECT_EQ(usersettings::settingsPath(), "");
}

// A settings file with `scale=2` in a config folder of its own, in place before the plug-in
// and its editor are built.
class SettingsFolder {
protected:
    SettingsFolder()
        : folder(fs::temp_directory_path() / ("vellumine-settings-" + std::to_string(getpid()))),
          config("XDG_CONFIG_HOME", folder.c_str()) {
        fs::create_directories(folder / "vellumine");
        std::ofstream(folder / "vellumine" / "settings") << "scale=2\n";
    }
    ~SettingsFolder() { fs::remove_all(folder); }

    fs::path folder;
    ScopedVariable config;
};

class UserScaleTest : private SettingsFolder, public EditorTest {};

TEST_F(UserScaleTest, TheFilesScaleWinsOverTheOneTheHostAsksFor) {
    editor->setScale(1.0);
    EXPECT_EQ(editor->getScale(), 2);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 1280);
    EXPECT_EQ(rect->bottom - rect->top, 800);
}

}  // namespace
}  // namespace editortest
