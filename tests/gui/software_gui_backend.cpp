// The toolkit tests' backend natively: the software platform, whose windows are framebuffers
// and whose input is its own script.
#include "gui_test_backend.h"

#include "platform/software/png_writer.h"
#include "platform/software/software_platform.h"

namespace guitest {

using platform::software::SoftwareWindow;

namespace {

SoftwareWindow& framebufferOf(platform::Window& window) { return static_cast<SoftwareWindow&>(window); }

constexpr int kFilesKind = 0;
constexpr int kTextKind = 1;

}  // namespace

struct GuiTestBackend::State {
    platform::software::SoftwarePlatform system;
    platform::software::ParentWindow parent{kParentOrigin};
    platform::Services* previous = platform::installServices(&system);
};

GuiTestBackend::GuiTestBackend() : state(std::make_unique<State>()) {}

GuiTestBackend::~GuiTestBackend() { platform::installServices(state->previous); }

void* GuiTestBackend::parentWindow() { return &state->parent; }

std::string GuiTestBackend::moduleClassName() const { return "Plugin10000000"; }

void GuiTestBackend::setInput(platform::PixelPoint screenPosition, platform::InputState input) {
    state->system.setInput(screenPosition, input);
}
void GuiTestBackend::queueStep(platform::PixelPoint screenPosition, platform::InputState input) {
    state->system.queueStep(screenPosition, input);
}
std::size_t GuiTestBackend::stepsLeft() const { return state->system.stepsLeft(); }
void GuiTestBackend::setTickCount(std::uint32_t ticks) { state->system.setTickCount(ticks); }
void GuiTestBackend::advanceClock(std::uint32_t milliseconds) { state->system.advanceClock(milliseconds); }
std::uint32_t GuiTestBackend::tickCount() const { return state->system.tickCount(); }
std::uint32_t GuiTestBackend::sleepCalls() const { return state->system.sleepCalls(); }
void GuiTestBackend::setButtonsSwapped(bool swapped) { state->system.setButtonsSwapped(swapped); }
void GuiTestBackend::setDoubleClickTime(int milliseconds) { state->system.setDoubleClickTime(milliseconds); }
void GuiTestBackend::setTransparentBlitPresent(bool present) { state->system.setTransparentBlitPresent(present); }

int GuiTestBackend::classRegistrations() const { return state->system.classRegistrations(); }
bool GuiTestBackend::isClassRegistered(const std::string& name) const { return state->system.isClassRegistered(name); }
int GuiTestBackend::objectLinkingLevel() const { return state->system.objectLinkingLevel(); }
std::uint32_t GuiTestBackend::paintsDispatched() const { return state->system.paintsDispatched(); }

void GuiTestBackend::press(platform::Window& window, platform::PixelPoint where, platform::InputState input) {
    state->system.press(framebufferOf(window), where, input);
}

bool GuiTestBackend::paint() { return state->system.dispatchOnePendingPaint(); }

void GuiTestBackend::invalidate(platform::Window& window, const platform::PixelRect& area) {
    framebufferOf(window).invalidate(area);
}

platform::ColourRef GuiTestBackend::pixel(platform::Window& window, int x, int y) {
    return framebufferOf(window).pixels().at(x, y);
}

void GuiTestBackend::destroyParent() {
    // Each child reports its destruction; the list does not change while they do.
    for (SoftwareWindow* window : state->system.openWindows()) window->destroyedByHost();
}

bool GuiTestBackend::saveSnapshot(platform::Window& window, const std::string& name) {
    return platform::software::writePng(framebufferOf(window).pixels(),
                                        std::string(VELLUMINE_SNAPSHOT_DIR) + "/" + name + ".png");
}

// The software window hands any drop to its frame: only a registered target lets one through.
bool GuiTestBackend::dropText(platform::Window& window, const std::string& text) {
    if (!hasDropTarget(window)) return false;
    std::string copy = text;
    char* items[] = {copy.data()};
    framebufferOf(window).drop(items, static_cast<int>(text.size() + 1), kTextKind);
    return true;
}

bool GuiTestBackend::dropFiles(platform::Window& window, const std::vector<std::string>& names) {
    if (!hasDropTarget(window)) return false;
    std::vector<std::string> copies = names;
    std::vector<char*> items;
    for (auto& name : copies) items.push_back(name.data());
    framebufferOf(window).drop(items.data(), static_cast<int>(items.size()), kFilesKind);
    return true;
}

bool GuiTestBackend::hasDropTarget(platform::Window& window) { return framebufferOf(window).acceptsDrops(); }

std::optional<platform::PixelRect> GuiTestBackend::editorPlacement(platform::Window& window) {
    const auto* editor = framebufferOf(window).activeEditor();
    if (!editor) return std::nullopt;
    return editor->placement();
}

void GuiTestBackend::type(platform::Window& window, const std::string& keys) {
    framebufferOf(window).activeEditor()->type(keys);
}

void GuiTestBackend::pressReturn(platform::Window& window) { framebufferOf(window).activeEditor()->pressReturn(); }

void GuiTestBackend::moveFocusAway(platform::Window& window) { framebufferOf(window).activeEditor()->loseFocus(); }

}  // namespace guitest
