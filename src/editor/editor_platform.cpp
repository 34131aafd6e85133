#include "editor/editor_platform.h"

#include <mutex>

#include "platform/x11/x11_platform.h"

namespace {

// The X11 backend as a host's child. Where no display can be opened when the editor opens,
// or the host's window is no window of it, the editor draws into memory as on the software
// backend: the host's handle is never read then, and the framebuffer stands at the screen's
// origin.
class HostedPlatform : public platform::x11::X11Platform {
public:
    std::unique_ptr<platform::Window> createChildWindow(const std::string& className, void* parent, int width,
                                                        int height, platform::WindowHandler& handler) override {
        if (!parent) return nullptr;
        if (auto window = X11Platform::createChildWindow(className, parent, width, height, handler)) return window;
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
    static HostedPlatform backend;
    platform::installServices(&backend);
}
