// The editing state of a single-line text editor: the text, the caret and a selection that
// runs from an anchor to the caret. It starts with the whole text selected, as a native edit
// control does when a field begins editing. Knows nothing about drawing or keys.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

namespace platform::x11 {

class LineEdit {
public:
    LineEdit(std::string text, std::size_t limit);

    const std::string& text() const { return content; }
    std::size_t caret() const { return caretAt; }
    std::size_t selectionStart() const { return std::min(anchor, caretAt); }
    std::size_t selectionEnd() const { return std::max(anchor, caretAt); }
    bool hasSelection() const { return anchor != caretAt; }

    // Replaces the selection by the character; refused once the text is at its limit.
    void type(char character);
    // Deletes the selection, or the character before (backspace) or after (erase) the caret.
    void backspace();
    void erase();
    // Caret moves; with `extend` the selection grows from its anchor, otherwise it collapses.
    void left(bool extend);
    void right(bool extend);
    void home(bool extend);
    void end(bool extend);
    void selectAll();
    void placeCaret(std::size_t position);

private:
    void moveTo(std::size_t position, bool extend);
    void deleteSelection();

    std::string content;
    std::size_t limit;
    std::size_t anchor = 0;
    std::size_t caretAt = 0;
};

}  // namespace platform::x11
