#include "platform/software/software_platform.h"

#include <algorithm>

#include "platform/embedded_resources.h"
#include "platform/software/bmp_decoder.h"
#include "platform/software/software_surface.h"

namespace platform::software {

namespace {

// The class background of a window, shown where nothing has been drawn: button-face grey.
constexpr ColourRef kButtonFace = makeColourRef(240, 240, 240);

bool inside(const PixelRect& r, PixelPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

SoftwareWindow::SoftwareWindow(SoftwarePlatform& owner, PixelPoint screen, int width, int height,
                               WindowHandler& windowHandler)
    : platform(owner), origin(screen), framebuffer(width, height, false, kButtonFace), handler(windowHandler) {
    platform.windows.push_back(this);
    invalidate({0, 0, width, height});
}

SoftwareWindow::~SoftwareWindow() { std::erase(platform.windows, this); }

std::unique_ptr<Surface> SoftwareWindow::acquireSurface() {
    return std::make_unique<SoftwareSurface>(framebuffer, platform.text);
}

bool SoftwareWindow::registerDropTarget() {
    dropRegistered = true;
    return true;
}

std::unique_ptr<TextEditor> SoftwareWindow::createTextEditor(const TextEditorSetup& setup,
                                                             TextEditorListener& listener) {
    return std::make_unique<SoftwareTextEditor>(*this, setup, listener);
}

void SoftwareWindow::invalidate(const PixelRect& rect) {
    const PixelRect clipped{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, framebuffer.width()),
                            std::min(rect.bottom, framebuffer.height())};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return;
    if (!pending) {
        pending = clipped;
        return;
    }
    pending = PixelRect{std::min(pending->left, clipped.left), std::min(pending->top, clipped.top),
                        std::max(pending->right, clipped.right), std::max(pending->bottom, clipped.bottom)};
}

bool SoftwareWindow::paint() {
    if (!pending) return false;
    const PixelRect area = *pending;
    pending.reset();
    SoftwareSurface surface(framebuffer, platform.text);
    handler.windowPaint(surface, area);
    return true;
}

void SoftwareWindow::buttonDown(PixelPoint where) {
    SoftwareSurface surface(framebuffer, platform.text);
    handler.windowButtonDown(surface, where);
}

SoftwareTextEditor::SoftwareTextEditor(SoftwareWindow& owner, const TextEditorSetup& editorSetup,
                                       TextEditorListener& editorListener)
    : window(owner), setup(editorSetup), listener(editorListener), content(editorSetup.text.substr(0, setup.limit)) {
    window.editor = this;
    render();
}

SoftwareTextEditor::~SoftwareTextEditor() {
    if (window.editor == this) window.editor = nullptr;
    window.invalidate(setup.placement);
}

void SoftwareTextEditor::type(const std::string& keys) {
    for (char key : keys) {
        if (allSelected) content.clear();
        allSelected = false;
        if (key == '\b') {
            if (!content.empty()) content.pop_back();
        } else if (content.size() < setup.limit) {
            content.push_back(key);
        }
    }
    render();
}

void SoftwareTextEditor::render() {
    SoftwareSurface surface(window.framebuffer, window.platform.textRenderer());
    surface.setBrush(setup.backColour);
    surface.fillRect(setup.placement);
    surface.setFont(setup.font);
    surface.setTextColour(setup.textColour);
    surface.drawText(content.c_str(), setup.placement, setup.align, false);
}

SoftwarePlatform::SoftwarePlatform() = default;

SoftwarePlatform::~SoftwarePlatform() = default;

void SoftwarePlatform::registerWindowClass(const std::string& name) {
    ++classes[name];
    ++registrations;
}

void SoftwarePlatform::unregisterWindowClass(const std::string& name) {
    auto found = classes.find(name);
    if (found != classes.end() && --found->second == 0) classes.erase(found);
}

std::unique_ptr<Window> SoftwarePlatform::createChildWindow(const std::string& className, void* parent, int width,
                                                            int height, WindowHandler& handler) {
    if (!parent || !isClassRegistered(className) || width <= 0 || height <= 0) return nullptr;
    const PixelPoint origin = static_cast<ParentWindow*>(parent)->screenOrigin;
    return std::make_unique<SoftwareWindow>(*this, origin, width, height, handler);
}

bool SoftwarePlatform::dispatchOnePendingPaint() {
    for (SoftwareWindow* window : windows) {
        if (window->paintPending()) {
            ++paints;
            return window->paint();
        }
    }
    return false;
}

std::unique_ptr<Image> SoftwarePlatform::loadBitmap(int resourceId) {
    std::size_t count = 0;
    const EmbeddedResource* table = embeddedResources(count);
    for (std::size_t i = 0; i < count; ++i)
        if (table[i].id == (resourceId & 0xFFFF)) return decodeBmp(table[i].data, table[i].size);
    return nullptr;
}

void SoftwarePlatform::messageBox(const std::string& message, const std::string& caption, double) {
    shownMessages.push_back(caption + ": " + message);
}

void SoftwarePlatform::press(SoftwareWindow& window, PixelPoint where, InputState state) {
    setInput({window.screenOrigin().x + where.x, window.screenOrigin().y + where.y}, state);
    // A click on the text editor places its caret and stays there.
    if (window.activeEditor() && inside(window.activeEditor()->placement(), where)) return;
    window.buttonDown(where);
}

}  // namespace platform::software
