#include "clap/clap_gui.h"

#include "clap/delay_instance.h"
#include "editor/editor_platform.h"
#ifndef _WIN32
#include "platform/x11/x11_window.h"
#endif

namespace clapdoor {
namespace {

// About 30 times a second, which every host allows; the editor's own idle paces the rest.
constexpr std::uint32_t kTimerPeriodMs = 33;

}  // namespace

DelayGui::DelayGui(DelayInstance& owner) : instance(owner) {
    ensureEditorPlatform();
    editor = std::make_unique<DelayEditor>(*this);
    const clap_host_t* host = instance.host();
    timers = static_cast<const clap_host_timer_support_t*>(host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
    if (timers && !timers->register_timer(host, kTimerPeriodMs, &timer)) timer = CLAP_INVALID_ID;
}

DelayGui::~DelayGui() {
    editor->close();
    if (timers && timer != CLAP_INVALID_ID) timers->unregister_timer(instance.host(), timer);
}

std::uint32_t DelayGui::width() const { return static_cast<std::uint32_t>(editor->getRect().right - editor->getRect().left); }
std::uint32_t DelayGui::height() const { return static_cast<std::uint32_t>(editor->getRect().bottom - editor->getRect().top); }

bool DelayGui::setScale(double scale) {
    if (editor->isOpen()) return false;
    editor->setScale(scale);
    return editor->getScale() == scale;
}

bool DelayGui::setParent(const clap_window_t& window) {
    if (editor->isOpen()) editor->close();
#ifdef _WIN32
    return editor->open(window.win32);
#else
    // Without a display the backend would draw into memory: nothing the host could show.
    return editor->open(reinterpret_cast<void*>(window.x11)) &&
           dynamic_cast<platform::x11::X11Window*>(editor->getFrame()->window()) != nullptr;
#endif
}

bool DelayGui::resizeHostWindow(int width, int height) {
    const clap_host_t* host = instance.host();
    const auto* gui = static_cast<const clap_host_gui_t*>(host->get_extension(host, CLAP_EXT_GUI));
    return gui && gui->request_resize &&
           gui->request_resize(host, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
}

void DelayGui::tick() {
    instance.takeHostChanges().forEach([&](std::int32_t index) { editor->parameterChanged(index); });
    editor->idle();
}

float DelayGui::parameterValue(std::int32_t index) { return instance.normalizedValueOf(index); }
void DelayGui::parameterText(std::int32_t index, char* text) {
    shownText(index, instance.normalizedValueOf(index), index == DelayTime ? instance.syncedMilliseconds() : std::nullopt,
              text);
}
void DelayGui::editParameter(std::int32_t index, float value) { instance.edit(index, value); }
void DelayGui::beginEdit(std::int32_t index) { instance.beginGesture(index); }
void DelayGui::endEdit(std::int32_t index) { instance.endGesture(index); }

}  // namespace clapdoor
