// The single-line editor of a text field under X11: a child window over the field that takes
// the keyboard focus and draws the text with the software backend's text, with the selection
// and the caret. Return and the loss of the focus end the edit through the listener; Escape
// ends it with the text it began with; a click inside places the caret. When it closes with
// the focus still on it, the focus goes back to the window that had it before (the host's),
// so that the host's keys work again at once.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/software/software_image.h"
#include "platform/x11/line_edit.h"
#include "platform/x11/presenter.h"
#include "platform/x11/x11_platform.h"

namespace platform::x11 {

class X11TextEditor : public TextEditor, private EventTarget {
public:
    // `visual` and `depth` are those of the parent window.
    X11TextEditor(X11Platform& owner, ::Window parent, Visual* visual, int depth, const TextEditorSetup& setup,
                  TextEditorListener& listener);
    ~X11TextEditor() override;

    std::string text() const override { return model.text(); }

private:
    void handleEvent(XEvent& event) override;
    void keyPressed(XKeyEvent& key);
    void render();
    int textWidth(std::size_t from, std::size_t to);
    int textOrigin();
    void drawRun(Surface& surface, std::size_t from, std::size_t to, int x, bool selected);
    void restoreFocus();

    X11Platform& platform;
    TextEditorSetup setup;
    TextEditorListener& listener;
    LineEdit model;
    software::SoftwareImage pixels;
    ::Window window = 0;
    std::unique_ptr<Presenter> presenter;
    // Who had the keyboard focus when the edit began, and where X was to send it if that
    // window went away.
    ::Window previousFocus = None;
    int previousRevert = RevertToParent;
    // How far the text is scrolled left when it is wider than the field.
    int scroll = 0;
};

}  // namespace platform::x11
