#include "editor/editor_platform.h"

#include <mutex>

#include "platform/software/software_platform.h"

namespace {

// The software backend as a host's child: the host's window handle (an X11 window id in a
// Linux host) means nothing to it, so it is never read; the framebuffer stands at the
// screen's origin.
class HostedSoftwarePlatform : public platform::software::SoftwarePlatform {
public:
    std::unique_ptr<platform::Window> createChildWindow(const std::string& className, void* parent, int width,
                                                        int height, platform::WindowHandler& handler) override {
        if (!parent) return nullptr;
        return SoftwarePlatform::createChildWindow(className, &origin, width, height, handler);
    }

private:
    platform::software::ParentWindow origin{};
};

}  // namespace

void ensureEditorPlatform() {
    // Hosts may build plug-ins on more than one thread; the check and the installation go
    // together. Runs only when a plug-in is constructed, never on the audio path.
    static std::mutex installing;
    const std::lock_guard lock(installing);
    if (platform::installedServices()) return;
    static HostedSoftwarePlatform backend;
    platform::installServices(&backend);
}
