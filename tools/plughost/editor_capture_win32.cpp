#include <windows.h>

#include <cstdint>

#include "plughost/editor_capture.h"
#include "plughost/plugin_instance.h"
#include "plughost/render.h"

namespace plughost {
namespace {

// Idle rounds before the capture: the editor takes parameter changes on its idle calls and
// paints once per pending paint, so a few rounds with messages in between let it settle.
constexpr int kIdleRounds = 20;
constexpr DWORD kIdleIntervalMs = 20;

// A borderless top-level window standing in for the host's editor frame.
class HostWindow {
public:
    HostWindow(int width, int height) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PlughostEditorHost";
        RegisterClassA(&windowClass);
        hwnd = CreateWindowExA(0, windowClass.lpszClassName, "plughost", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~HostWindow() {
        if (hwnd) DestroyWindow(hwnd);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND handle() const { return hwnd; }

private:
    HWND hwnd;
};

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool applyOptions(PluginInstance& plugin, const SnapshotOptions& options, std::string& error) {
    if (options.program) plugin.dispatch(effSetProgram, 0, *options.program);
    if (options.settings.empty()) return true;
    const auto names = parameterNames(plugin);
    for (const ParameterSetting& setting : options.settings) {
        std::int32_t index = 0;
        if (!resolveParameter(names, setting.target, index, error)) return false;
        plugin.setParameter(index, setting.value);
    }
    return true;
}

// The window's pixels, children included: they share the top-level window's surface.
Image capture(HWND window, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP dib = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDc, dib);
    BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    Image image(width, height, {0, 0, 0});
    const auto* bgrx = static_cast<const std::uint32_t*>(memory);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = bgrx[static_cast<std::size_t>(y) * width + x];
            image.set(x, y, {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)});
        }
    }
    SelectObject(memoryDc, previous);
    DeleteObject(dib);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return image;
}

}  // namespace

std::optional<Image> captureEditor(const PluginModule& module, const SnapshotOptions& options, std::string& error) {
    // A DPI-aware host sees the screen's DPI in its windows (a DPI-unaware one sees 96 in
    // all): the plug-in's editor is captured at the scale the screen asks for.
    SetProcessDPIAware();
    Host host;
    auto plugin = PluginInstance::create(module, host, error);
    if (!plugin) return std::nullopt;
    ERect* rect = nullptr;
    if (!(plugin->record().flags & effFlagsHasEditor) || !plugin->dispatch(effEditGetRect, 0, 0, &rect) || !rect) {
        error = module.path() + ": the plug-in has no editor";
        return std::nullopt;
    }
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    HostWindow window(width, height);
    if (!window.handle() || !plugin->dispatch(effEditOpen, 0, 0, window.handle())) {
        error = module.path() + ": the editor did not open in a " + std::to_string(width) + " x " +
                std::to_string(height) + " window";
        return std::nullopt;
    }
    if (!applyOptions(*plugin, options, error)) {
        plugin->dispatch(effEditClose);
        return std::nullopt;
    }
    for (int round = 0; round < kIdleRounds; ++round) {
        plugin->dispatch(effEditIdle);
        pumpMessages();
        Sleep(kIdleIntervalMs);
    }
    std::optional<Image> image = capture(window.handle(), width, height);
    plugin->dispatch(effEditClose);
    return image;
}

}  // namespace plughost
