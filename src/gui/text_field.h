// TextDisplay shows its value as text in a box (bitmap, or fill with an outline or a bevel,
// optional shadow); TextField shows a string instead and lets the user edit it in a native
// single-line editor placed over the field. Editing ends on Return, on focus loss and on a
// click elsewhere; the listener hears of it when the text changed.
#pragma once

#include <memory>

#include "gui/view.h"

enum TextStyleBits : int {
    textShadowed = 0x4,
    bevelIn = 0x80,
    bevelOut = 0x100,
    textHidden = 0x800,
    drawingSuppressed = 0x1000,
    editOnDoubleClick = 0x2000,
};

// Longest text a field holds or an editor accepts, without the terminator.
inline constexpr int kMaxTextLength = 255;

using ValueFormatter = void (*)(float value, char* text);
using ValueFormatterWithData = void (*)(float value, char* text, void* userData);
using TextFormatter = void (*)(const char* in, char* out);
using TextFormatterWithData = void (*)(const char* in, char* out, void* userData);

class TextDisplay : public Control {
public:
    TextDisplay(const Rect& bounds, ResourceBitmap* background, int style);

    void draw(PaintContext* context) override;

    virtual void setFont(int fontId);
    virtual void setTextColour(Colour colour);
    virtual void setBackColour(Colour colour);
    virtual void setFrameColour(Colour colour);
    virtual void setShadowColour(Colour colour);
    virtual void setAlignment(int alignment);
    virtual void setValueFormatterWithData(ValueFormatterWithData formatter, void* data);
    virtual void setValueFormatter(ValueFormatter formatter) { valueFormatter = formatter; }
    // Kept for callers that set one; nothing formats through it.
    virtual void setAuxFormatter(ValueFormatter formatter) { auxFormatter = formatter; }
    virtual void setStyle(int bits);
    virtual void setFontStyle(int bits);
    virtual void setTextTransparent(bool on) { textTransparent = on; }

    int getStyle() const { return style; }
    Colour getTextColour() const { return textColour; }
    Colour getBackColour() const { return backColour; }

protected:
    void drawText(PaintContext* context, const char* text);
    void* userData = nullptr;
    int alignment = 1;
    int style;
    int fontId = 3;
    int fontStyle = 0;
    Colour textColour = colourWhite;
    Colour backColour = colourBlack;
    Colour frameColour = colourBlack;
    Colour shadowColour = colourRed;

private:
    void drawBevel(PaintContext* context);

    ValueFormatter valueFormatter = nullptr;
    ValueFormatterWithData valueFormatterWithData = nullptr;
    ValueFormatter auxFormatter = nullptr;
    bool textTransparent = true;
};

class TextField : public TextDisplay, private platform::TextEditorListener {
public:
    TextField(const Rect& bounds, ControlListener* listener, std::int32_t tag, const char* text,
              ResourceBitmap* background, int style);

    void draw(PaintContext* context) override;
    void onMouseDown(PaintContext* context, Point where) override;
    void loseFocus(PaintContext* context) override;
    void gainFocus(PaintContext* context) override;

    // Texts longer than 255 characters are cut to 255.
    virtual void setText(const char* text);
    virtual void getText(char* out);
    virtual void setTextFormatterWithData(TextFormatterWithData formatter, void* data);
    virtual void setTextFormatter(TextFormatter formatter) { textFormatter = formatter; }

    bool isEditing() const { return editor != nullptr; }
    bool wasReturnPressed() const { return returnPressed; }

protected:
    ~TextField() override;

private:
    void editorReturnPressed() override;
    void editorFocusLost() override;

    std::unique_ptr<platform::TextEditor> editor;
    bool returnPressed = false;
    char text[kMaxTextLength + 1] = {};
    TextFormatter textFormatter = nullptr;
    TextFormatterWithData textFormatterWithData = nullptr;
};
