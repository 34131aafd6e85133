// GDI behind the seam's drawing calls: a Surface wraps one device context (a window's, or a
// memory context in tests) and owns the pen, brush and font it selects; an Image owns a
// device-dependent bitmap, colour or one bit per pixel.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace platform::win32 {

// The signature of msimg32's TransparentBlt, bound at run time.
using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

class Win32Image : public Image {
public:
    // Takes ownership of `bitmap`.
    explicit Win32Image(HBITMAP bitmap);
    ~Win32Image() override;
    Win32Image(const Win32Image&) = delete;
    Win32Image& operator=(const Win32Image&) = delete;

    int width() const override { return w; }
    int height() const override { return h; }
    HBITMAP handle() const { return bitmap; }

private:
    HBITMAP bitmap;
    int w = 0;
    int h = 0;
};

class Win32Surface : public Surface {
public:
    // Borrows `deviceContext`; `transparentBlt` may be null when the routine was not found.
    Win32Surface(HDC deviceContext, TransparentBltFunction transparentBlt);
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    void setPen(PenStyle style, int width, ColourRef colour) override;
    bool setBrush(ColourRef colour) override;
    void setFont(const FontDescription& font) override;
    void setTextColour(ColourRef colour) override { SetTextColor(dc, colour); }
    void setBackColour(ColourRef colour) override { SetBkColor(dc, colour); }
    ColourRef textColour() const override { return GetTextColor(dc); }
    ColourRef backColour() const override { return GetBkColor(dc); }

    void moveTo(PixelPoint to) override { MoveToEx(dc, to.x, to.y, nullptr); }
    void lineTo(PixelPoint to) override { LineTo(dc, to.x, to.y); }
    void fillRect(const PixelRect& rect) override;
    void drawText(const char* text, const PixelRect& rect, TextAlign align, bool opaque) override;

    void blit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination, RasterOp op) override;
    void transparentBlit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                         ColourRef key) override;
    std::unique_ptr<Image> makeMask(const Image& source, PixelPoint sourceOrigin, int width, int height,
                                    ColourRef key) override;

private:
    HDC dc;
    TransparentBltFunction transparentBltRoutine;
    HGDIOBJ savedPen;
    HGDIOBJ savedBrush;
    HGDIOBJ savedFont;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
};

// The LOGFONTA the toolkit's font description stands for.
LOGFONTA logicalFont(const FontDescription& font);

}  // namespace platform::win32
