// Services that pass every call on to another backend; a test overrides the calls it changes.
#pragma once

#include "platform/platform.h"

namespace guitest {

class ForwardingServices : public platform::Services {
public:
    explicit ForwardingServices(platform::Services& backend) : inner(backend) {}

    std::uintptr_t moduleInstanceId() const override { return inner.moduleInstanceId(); }
    void registerWindowClass(const std::string& name) override { inner.registerWindowClass(name); }
    void unregisterWindowClass(const std::string& name) override { inner.unregisterWindowClass(name); }
    std::unique_ptr<platform::Window> createChildWindow(const std::string& className, void* parent, int width,
                                                        int height, platform::WindowHandler& handler) override {
        return inner.createChildWindow(className, parent, width, height, handler);
    }
    platform::InputState inputState() override { return inner.inputState(); }
    platform::PixelPoint cursorPosition() override { return inner.cursorPosition(); }
    bool buttonsSwapped() override { return inner.buttonsSwapped(); }
    int doubleClickTime() override { return inner.doubleClickTime(); }
    std::uint32_t tickCount() override { return inner.tickCount(); }
    void sleep(std::uint32_t milliseconds) override { inner.sleep(milliseconds); }
    bool dispatchOnePendingPaint() override { return inner.dispatchOnePendingPaint(); }
    void dispatchPendingEvents() override { inner.dispatchPendingEvents(); }
    std::unique_ptr<platform::Image> loadBitmap(int resourceId) override { return inner.loadBitmap(resourceId); }
    bool findTransparentBlit() override { return inner.findTransparentBlit(); }
    void initObjectLinking() override { inner.initObjectLinking(); }
    void uninitObjectLinking() override { inner.uninitObjectLinking(); }
    void messageBox(const std::string& text, const std::string& caption, double scale) override {
        inner.messageBox(text, caption, scale);
    }

protected:
    platform::Services& inner;
};

}  // namespace guitest
