// The canvas of the Win32 backend: a 32-bit DIB section in a memory context, drawn with GDI,
// with msimg32's TransparentBlt bound as the backend binds it.
#include "platform/win32/win32_platform.h"
#include "../platform/win32/test_canvas.h"
#include "pixel_canvas.h"

namespace pixelcanvas {

namespace {

using platform::win32::Win32Image;
using platform::win32::Win32Platform;
using platform::win32::Win32Surface;

Win32Platform& module() {
    static Win32Platform backend(GetModuleHandleA(nullptr));
    return backend;
}

platform::win32::TransparentBltFunction transparentBlt() {
    static const bool found = module().findTransparentBlit();
    return found ? module().boundTransparentBlt() : nullptr;
}

class Win32Canvas : public Canvas {
public:
    Win32Canvas(int width, int height, platform::ColourRef paper)
        : dib(width, height, paper), drawing(dib.context(), transparentBlt()) {}
    platform::Surface& surface() override { return drawing; }
    platform::ColourRef at(int x, int y) const override { return dib.at(x, y); }
    int width() const override { return dib.width(); }
    int height() const override { return dib.height(); }

private:
    win32test::Canvas dib;
    Win32Surface drawing;
};

}  // namespace

std::unique_ptr<Canvas> makeCanvas(int width, int height, platform::ColourRef paper) {
    return std::make_unique<Win32Canvas>(width, height, paper);
}

// A 32-bit top-down DIB section: its rows are the colours, blue in the low byte.
std::unique_ptr<platform::Image> makeImage(int width, int height, const std::vector<platform::ColourRef>& colours) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    auto* bits = static_cast<std::uint32_t*>(memory);
    for (int i = 0; i < width * height; ++i) {
        const platform::ColourRef c = colours[i];
        bits[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    return std::make_unique<Win32Image>(bitmap);
}

// CreateBitmap's one-bit rows are padded to 16 bits, the leftmost pixel in the top bit.
std::unique_ptr<platform::Image> makeOneBitImage(int width, int height, const std::vector<int>& bits) {
    const int stride = (width + 15) / 16 * 2;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (bits[y * width + x]) rows[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return std::make_unique<Win32Image>(CreateBitmap(width, height, 1, 1, rows.data()));
}

std::unique_ptr<platform::Image> loadTestBitmap(int resourceId) { return module().loadBitmap(resourceId); }

}  // namespace pixelcanvas
