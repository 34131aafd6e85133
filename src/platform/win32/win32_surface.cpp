#include "platform/win32/win32_surface.h"

#include <algorithm>
#include <cstring>

namespace platform::win32 {

namespace {

// A bitmap selected into a fresh memory context compatible with `target`, for the length of
// one block transfer.
class SelectedBitmap {
public:
    SelectedBitmap(HDC target, HBITMAP bitmap) : dc(CreateCompatibleDC(target)), previous(SelectObject(dc, bitmap)) {}
    ~SelectedBitmap() {
        SelectObject(dc, previous);
        DeleteDC(dc);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC context() const { return dc; }

private:
    HDC dc;
    HGDIOBJ previous;
};

HBITMAP bitmapOf(const Image& image) { return static_cast<const Win32Image&>(image).handle(); }

DWORD rasterCode(RasterOp op) {
    switch (op) {
    case RasterOp::invert: return SRCINVERT;
    case RasterOp::mask: return SRCAND;
    case RasterOp::copy: break;
    }
    return SRCCOPY;
}

UINT alignFlag(TextAlign align) {
    switch (align) {
    case TextAlign::centre: return DT_CENTER;
    case TextAlign::right: return DT_RIGHT;
    case TextAlign::left: break;
    }
    return DT_LEFT;
}

}  // namespace

Win32Image::Win32Image(HBITMAP handle) : bitmap(handle) {
    BITMAP info{};
    if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        w = info.bmWidth;
        h = info.bmHeight;
    }
}

Win32Image::~Win32Image() {
    if (bitmap) DeleteObject(bitmap);
}

LOGFONTA logicalFont(const FontDescription& font) {
    LOGFONTA description{};
    description.lfHeight = -font.pixelHeight;  // negative: character height without leading
    description.lfWeight = font.weight;
    description.lfItalic = font.italic;
    description.lfUnderline = font.underline;
    description.lfCharSet = ANSI_CHARSET;
    description.lfOutPrecision = OUT_STRING_PRECIS;
    description.lfClipPrecision = CLIP_STROKE_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = font.decorative ? DEFAULT_PITCH | FF_DECORATIVE : VARIABLE_PITCH | FF_SWISS;
    const std::size_t length = std::min(font.face.size(), sizeof description.lfFaceName - 1);
    std::memcpy(description.lfFaceName, font.face.data(), length);
    return description;
}

Win32Surface::Win32Surface(HDC deviceContext, TransparentBltFunction transparentBlt)
    : dc(deviceContext),
      transparentBltRoutine(transparentBlt),
      savedPen(GetCurrentObject(dc, OBJ_PEN)),
      savedBrush(GetCurrentObject(dc, OBJ_BRUSH)),
      savedFont(GetCurrentObject(dc, OBJ_FONT)) {
    SetBkMode(dc, TRANSPARENT);
}

// The device context outlives the surface: put back what it had selected before deleting
// the surface's own objects, which GDI refuses to delete while selected.
Win32Surface::~Win32Surface() {
    if (savedBrush) SelectObject(dc, savedBrush);
    if (savedPen) SelectObject(dc, savedPen);
    if (savedFont) SelectObject(dc, savedFont);
    if (brush) DeleteObject(brush);
    if (pen) DeleteObject(pen);
    if (font) DeleteObject(font);
}

void Win32Surface::setPen(PenStyle style, int width, ColourRef colour) {
    LOGPEN description{style == PenStyle::dotted ? static_cast<UINT>(PS_DOT) : static_cast<UINT>(PS_SOLID),
                       {width, 0}, colour};
    HPEN created = CreatePenIndirect(&description);
    SelectObject(dc, created);
    if (pen) DeleteObject(pen);
    pen = created;
}

bool Win32Surface::setBrush(ColourRef colour) {
    const LOGBRUSH description{BS_SOLID, colour, 0};
    HBRUSH created = CreateBrushIndirect(&description);
    if (!created) return false;
    SelectObject(dc, created);
    if (brush) DeleteObject(brush);
    brush = created;
    return true;
}

void Win32Surface::setFont(const FontDescription& description) {
    const LOGFONTA logical = logicalFont(description);
    HFONT created = CreateFontIndirectA(&logical);
    SelectObject(dc, created);
    if (font) DeleteObject(font);
    font = created;
}

// GDI fills an inverted rectangle as if its edges were swapped; the seam's rectangle is
// empty then, as in the software backend.
void Win32Surface::fillRect(const PixelRect& rect) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(dc, &area, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
}

void Win32Surface::drawText(const char* text, const PixelRect& rect, TextAlign align, bool opaque) {
    RECT area{rect.left, rect.top, rect.right, rect.bottom};
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
    DrawTextA(dc, text, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | alignFlag(align));
    SetBkMode(dc, TRANSPARENT);
}

void Win32Surface::blit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination, RasterOp op) {
    const SelectedBitmap from(dc, bitmapOf(source));
    BitBlt(dc, destination.left, destination.top, destination.right - destination.left,
           destination.bottom - destination.top, from.context(), sourceOrigin.x, sourceOrigin.y, rasterCode(op));
}

void Win32Surface::transparentBlit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                                   ColourRef key) {
    if (!transparentBltRoutine) return;
    const SelectedBitmap from(dc, bitmapOf(source));
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    transparentBltRoutine(dc, destination.left, destination.top, width, height, from.context(), sourceOrigin.x,
                          sourceOrigin.y, width, height, key);
}

// A one-bit block transfer from a colour source sets 1 where the source pixel equals the
// source context's background colour. The mask starts white so that any part of the block
// outside the source keeps the destination, as the direct routine does.
std::unique_ptr<Image> Win32Surface::makeMask(const Image& source, PixelPoint sourceOrigin, int width, int height,
                                              ColourRef key) {
    auto mask = std::make_unique<Win32Image>(CreateBitmap(std::max(width, 1), std::max(height, 1), 1, 1, nullptr));
    const SelectedBitmap to(dc, mask->handle());
    const SelectedBitmap from(dc, bitmapOf(source));
    PatBlt(to.context(), 0, 0, width, height, WHITENESS);
    SetBkColor(from.context(), key);
    BitBlt(to.context(), 0, 0, width, height, from.context(), sourceOrigin.x, sourceOrigin.y, SRCCOPY);
    return mask;
}

}  // namespace platform::win32
