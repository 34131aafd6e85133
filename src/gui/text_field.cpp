#include "gui/text_field.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gui/editor_frame.h"

namespace {

constexpr int kTextBufferSize = kMaxTextLength + 1;
constexpr int kNormalWeight = 400;

void copyCut(char* out, const char* in) {
    const std::size_t length = std::min(std::strlen(in), static_cast<std::size_t>(kMaxTextLength));
    std::memcpy(out, in, length);
    out[length] = '\0';
}

platform::TextAlign editAlign(int alignment) {
    if (alignment == 1) return platform::TextAlign::centre;
    if (alignment == 2) return platform::TextAlign::right;
    return platform::TextAlign::left;
}

// Sets a colour and marks the view when it changed.
void setColour(View& view, Colour& field, Colour colour) {
    if (sameColour(field, colour)) return;
    field = colour;
    view.setNeedsRedraw(true);
}

void setInt(View& view, int& field, int value) {
    if (field == value) return;
    field = value;
    view.setNeedsRedraw(true);
}

}  // namespace

TextDisplay::TextDisplay(const Rect& r, ResourceBitmap* bitmap, int styleBits)
    : Control(r, nullptr, 0, bitmap), style(styleBits) {
    if (style & drawingSuppressed) setNeedsRedraw(false);
}

void TextDisplay::setFont(int id) { setInt(*this, fontId, id); }
void TextDisplay::setTextColour(Colour colour) { setColour(*this, textColour, colour); }
void TextDisplay::setBackColour(Colour colour) { setColour(*this, backColour, colour); }
void TextDisplay::setFrameColour(Colour colour) { setColour(*this, frameColour, colour); }
void TextDisplay::setShadowColour(Colour colour) { setColour(*this, shadowColour, colour); }
void TextDisplay::setAlignment(int value) { setInt(*this, alignment, value); }
void TextDisplay::setStyle(int bits) { setInt(*this, style, bits); }
void TextDisplay::setFontStyle(int bits) { setInt(*this, fontStyle, bits); }

void TextDisplay::setValueFormatterWithData(ValueFormatterWithData formatter, void* data) {
    valueFormatterWithData = formatter;
    userData = data;
}

void TextDisplay::draw(PaintContext* context) {
    char buffer[kTextBufferSize] = {};
    if (valueFormatterWithData) {
        valueFormatterWithData(value, buffer, userData);
    } else if (valueFormatter) {
        valueFormatter(value, buffer);
    } else {
        std::snprintf(buffer, sizeof buffer, "%2.2f", static_cast<double>(value));
    }
    drawText(context, buffer);
}

void TextDisplay::drawBevel(PaintContext* context) {
    const bool in = (style & bevelIn) != 0;
    context->setLineColour(in ? backColour : frameColour);
    context->moveTo({bounds.left, bounds.bottom});
    context->lineTo({bounds.left, bounds.top});
    context->lineTo({bounds.right + 1, bounds.top});
    context->setLineColour(in ? frameColour : backColour);
    context->moveTo({bounds.right, bounds.top + 1});
    context->lineTo({bounds.right, bounds.bottom});
    context->lineTo({bounds.left, bounds.bottom});
}

void TextDisplay::drawText(PaintContext* context, const char* string) {
    setNeedsRedraw(false);
    if (style & drawingSuppressed) return;
    const bool bevelled = (style & (bevelIn | bevelOut)) != 0;
    if (background) {
        if (transparent) {
            background->drawTransparent(*context, bounds, backgroundOffset);
        } else {
            background->draw(*context, bounds, backgroundOffset);
        }
    } else if (!transparent) {
        context->setFillColour(backColour);
        context->fillRect(bounds);
        if (!bevelled) {
            context->setLineColour(frameColour);
            context->drawRectOutline(bounds);
        }
    }
    if (bevelled) drawBevel(context);
    if ((style & textHidden) || !string || !*string) return;
    context->setFont(fontId, 0, fontStyle);
    if (style & textShadowed) {
        context->setFontColour(shadowColour);
        const Rect shadow{bounds.left + 1, bounds.top + 1, bounds.right + 1, bounds.bottom + 1};
        context->drawString(string, shadow, !textTransparent, alignment);
    }
    context->setFontColour(textColour);
    context->drawString(string, bounds, !textTransparent, alignment);
}

TextField::TextField(const Rect& r, ControlListener* controlListener, std::int32_t controlTag, const char* initial,
                     ResourceBitmap* bitmap, int styleBits)
    : TextDisplay(r, bitmap, styleBits) {
    listener = controlListener;
    tag = controlTag;
    if (initial) copyCut(text, initial);
}

TextField::~TextField() = default;

void TextField::setText(const char* newText) {
    if (!newText) return;
    char cut[kTextBufferSize];
    copyCut(cut, newText);
    if (std::strcmp(cut, text) == 0) return;
    std::memcpy(text, cut, sizeof text);
    setNeedsRedraw(true);
}

void TextField::getText(char* out) { std::memcpy(out, text, std::strlen(text) + 1); }

void TextField::setTextFormatterWithData(TextFormatterWithData formatter, void* data) {
    textFormatterWithData = formatter;
    userData = data;
}

void TextField::draw(PaintContext* context) {
    if (!editor) {
        char buffer[kTextBufferSize] = {};
        if (textFormatterWithData) {
            textFormatterWithData(text, buffer, userData);
        } else if (textFormatter) {
            textFormatter(text, buffer);
        } else {
            std::memcpy(buffer, text, sizeof buffer);
        }
        drawText(context, buffer);
    }
    setNeedsRedraw(false);
}

void TextField::onMouseDown(PaintContext* context, Point) {
    if (!isMouseEnabled() || !(context->mouseButtons() & buttonLeft) || !frame || frame->getFocusView() == this) return;
    if ((style & editOnDoubleClick) && !checkDoubleClick()) return;
    frame->setFocusView(this);
    gainFocus(context);
}

void TextField::gainFocus(PaintContext* context) {
    returnPressed = false;
    platform::Window* window = frame ? frame->window() : nullptr;
    if (!window) return;
    Rect r = bounds;
    if (context) {
        const Point o = context->getOffset();
        r = {r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
    }
    platform::TextEditorSetup setup;
    // The editor covers the field's outline too: one pixel beyond right and bottom.
    const Scale k = frame->getScale();
    setup.placement = {k.pixels(r.left), k.pixels(r.top), k.pixels(r.right + 1), k.pixels(r.bottom + 1)};
    setup.text = text;
    setup.align = editAlign(alignment);
    const int id = validFontId(fontId);
    setup.font.face = fontTable[id].face;
    setup.font.pixelHeight = k.size(std::min(fontTable[id].defaultSize, r.height() - 2));
    setup.font.weight = kNormalWeight;
    setup.limit = kMaxTextLength;
    setup.textColour = textColour.ref();
    setup.backColour = backColour.ref();
    editor = window->createTextEditor(setup, *this);
}

void TextField::loseFocus(PaintContext* context) {
    if (!editor || !frame || frame->getFocusView() != this) return;
    frame->setFocusView(nullptr);
    char before[kTextBufferSize];
    std::memcpy(before, text, sizeof before);
    copyCut(text, editor->text().c_str());
    editor.reset();

    std::unique_ptr<platform::Surface> surface;
    std::unique_ptr<PaintContext> temporary;
    if (!context) {
        platform::Window* window = frame->window();
        if (window) surface = window->acquireSurface();
        temporary = std::make_unique<PaintContext>(frame, surface.get(), window);
        if (parentView) {
            Rect parentBounds;
            parentView->getBounds(parentBounds);
            temporary->setOffset({parentBounds.left, parentBounds.top});
        }
        context = temporary.get();
    }
    if (std::strcmp(before, text) != 0 && listener) listener->controlChanged(context, this);
    temporary.reset();
    surface.reset();

    View* parent = parentView ? parentView : frame;
    parent->notify(this, "LooseFocus");
}

void TextField::editorReturnPressed() {
    returnPressed = true;
    loseFocus(nullptr);
}

void TextField::editorFocusLost() { loseFocus(nullptr); }
