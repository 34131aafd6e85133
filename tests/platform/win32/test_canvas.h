// A 32-bit top-down DIB section in a memory device context: the target the Win32 surface draws
// into in tests, with its pixels readable as colour values.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace win32test {

class Canvas {
public:
    Canvas(int width, int height, platform::ColourRef paper) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        dc = CreateCompatibleDC(nullptr);
        dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        bits = static_cast<std::uint32_t*>(memory);
        previous = SelectObject(dc, dib);
        for (int i = 0; i < w * h; ++i) bits[i] = toDib(paper);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(dib);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC context() const { return dc; }
    int width() const { return w; }
    int height() const { return h; }
    platform::ColourRef at(int x, int y) const {
        GdiFlush();
        const std::uint32_t bgr = bits[y * w + x];
        return platform::makeColourRef((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

private:
    static std::uint32_t toDib(platform::ColourRef c) {
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }

    int w;
    int h;
    HDC dc;
    HBITMAP dib;
    std::uint32_t* bits;
    HGDIOBJ previous;
};

}  // namespace win32test
