// A plug-in module loaded and one instance of it opened, for tests that talk to it directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plughost/plugin_instance.h"

namespace plughost {

struct OpenedPlugin {
    explicit OpenedPlugin(const std::string& path) {
        std::string error;
        module = PluginModule::load(path, error);
        if (module) plugin = PluginInstance::create(*module, host, error);
        EXPECT_TRUE(plugin) << error;
    }
    Host host{44100.0};
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<PluginInstance> plugin;
};

}  // namespace plughost
