#include "gui/paint_context.h"

#include "gui/editor_frame.h"

bool buttonsSwapped = false;

int validFontId(int fontId) { return fontId < 0 || fontId >= kFontCount ? 0 : fontId; }

PaintContext::PaintContext(EditorFrame* owner, platform::Surface* surface, platform::Window* window)
    : scale(owner ? owner->getScale() : Scale()), deviceContext(surface), nativeWindow(window), frame(owner) {
    if (nativeWindow) {
        const platform::PixelPoint origin = nativeWindow->screenOrigin();
        windowOrigin = {origin.x, origin.y};
    }
    if (deviceContext) {
        // A fresh context draws with a white solid pen, a black brush and white text.
        setLineColour(lineColour);
        setLineStyle(lineStyle);
        setFillColour(fillColour);
        setFontColour(fontColour);
    }
}

void PaintContext::moveTo(Point p) {
    penAt = p;
    if (deviceContext) deviceContext->moveTo(device(p));
}

// A line one pixel wide at scale 1 is as wide as the pixels of its start: the same line drawn
// from each pixel of the start's square to the same pixel of the end's.
void PaintContext::lineTo(Point p) {
    const Point from = penAt;
    penAt = p;
    if (!deviceContext) return;
    if (scale == Scale()) {
        deviceContext->lineTo(device(p));
        return;
    }
    const platform::PixelPoint start = device(from), end = device(p);
    const platform::PixelPoint beyond = device({from.x + 1, from.y + 1});
    for (int dy = 0; dy < beyond.y - start.y; ++dy) {
        for (int dx = 0; dx < beyond.x - start.x; ++dx) {
            deviceContext->moveTo({start.x + dx, start.y + dy});
            deviceContext->lineTo({end.x + dx, end.y + dy});
        }
    }
    deviceContext->moveTo(end);
}

void PaintContext::applyPen() {
    if (!deviceContext) return;
    const auto style = lineStyle == 1 ? platform::PenStyle::dotted : platform::PenStyle::solid;
    deviceContext->setPen(style, lineWidth, lineColour.ref());
}

void PaintContext::setLineStyle(int style) {
    lineStyle = style;
    applyPen();
}

void PaintContext::setLineColour(Colour colour) {
    lineColour = colour;
    applyPen();
}

void PaintContext::setFillColour(Colour colour) {
    fillColour = colour;
    if (!deviceContext) return;
    deviceContext->setBackColour(colour.ref());
    deviceContext->setBrush(colour.ref());
}

void PaintContext::setFontColour(Colour colour) {
    fontColour = colour;
    if (deviceContext) deviceContext->setTextColour(colour.ref());
}

void PaintContext::setFont(int id, int size, int styleBits) {
    fontId = validFontId(id);
    fontSize = size == 0 ? fontTable[fontId].defaultSize : size;
    fontWeight = (styleBits & fontBold) || fontId == kFontAlwaysBold ? 700 : 400;
    if (!deviceContext) return;
    platform::FontDescription font;
    font.face = fontTable[fontId].face;
    font.pixelHeight = scale.size(fontSize);
    font.weight = fontWeight;
    font.italic = (styleBits & fontItalic) != 0;
    font.underline = (styleBits & fontUnderline) != 0;
    font.decorative = fontId == kFontDecorative;
    deviceContext->setFont(font);
}

void PaintContext::drawRectOutline(const Rect& r) {
    moveTo({r.left, r.top});
    lineTo({r.right, r.top});
    lineTo({r.right, r.bottom});
    lineTo({r.left, r.bottom});
    lineTo({r.left, r.top});
}

void PaintContext::fillRect(const Rect& r) {
    if (!deviceContext) return;
    const platform::PixelPoint topLeft = device({r.left + 1, r.top + 1}), bottomRight = device({r.right, r.bottom});
    deviceContext->fillRect({topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
}

void PaintContext::drawString(const char* text, const Rect& r, bool opaque, int alignment) {
    if (!text || !deviceContext) return;
    const platform::PixelPoint topLeft = device({r.left, r.top}), bottomRight = device({r.right, r.bottom});
    platform::PixelRect area{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    auto align = platform::TextAlign::left;
    if (alignment == 1) {
        align = platform::TextAlign::centre;
    } else if (alignment == 2) {
        align = platform::TextAlign::right;
    } else {
        area.left += scale.pixels(1);
    }
    deviceContext->drawText(text, area, align, opaque);
}

int PaintContext::mouseButtons() {
    const platform::InputState state = platform::services().inputState();
    int bits = 0;
    if (state.left) bits |= buttonsSwapped ? buttonRight : buttonLeft;
    if (state.middle) bits |= buttonMiddle;
    if (state.right) bits |= buttonsSwapped ? buttonLeft : buttonRight;
    if (state.shift) bits |= modShift;
    if (state.control) bits |= modControl;
    if (state.alt) bits |= modAlt;
    return bits;
}

void PaintContext::mouseLocation(Point& p) {
    const platform::PixelPoint screen = platform::services().cursorPosition();
    p = {scale.unscaled(screen.x - windowOrigin.x), scale.unscaled(screen.y - windowOrigin.y)};
}
