#include "platform/x11/line_edit.h"

#include <algorithm>

namespace platform::x11 {

LineEdit::LineEdit(std::string text, std::size_t maximum) : content(std::move(text)), limit(maximum) {
    if (content.size() > limit) content.resize(limit);
    selectAll();
}

void LineEdit::type(char character) {
    deleteSelection();
    if (content.size() >= limit) return;
    content.insert(caretAt, 1, character);
    moveTo(caretAt + 1, false);
}

void LineEdit::backspace() {
    if (hasSelection()) return deleteSelection();
    if (caretAt == 0) return;
    content.erase(caretAt - 1, 1);
    moveTo(caretAt - 1, false);
}

void LineEdit::erase() {
    if (hasSelection()) return deleteSelection();
    if (caretAt < content.size()) content.erase(caretAt, 1);
}

// Without `extend`, an arrow on a selection lands on the selection's edge on that side.
void LineEdit::left(bool extend) {
    if (!extend && hasSelection()) return moveTo(selectionStart(), false);
    moveTo(caretAt > 0 ? caretAt - 1 : 0, extend);
}

void LineEdit::right(bool extend) {
    if (!extend && hasSelection()) return moveTo(selectionEnd(), false);
    moveTo(std::min(caretAt + 1, content.size()), extend);
}

void LineEdit::home(bool extend) { moveTo(0, extend); }

void LineEdit::end(bool extend) { moveTo(content.size(), extend); }

void LineEdit::selectAll() {
    anchor = 0;
    caretAt = content.size();
}

void LineEdit::placeCaret(std::size_t position) { moveTo(std::min(position, content.size()), false); }

void LineEdit::moveTo(std::size_t position, bool extend) {
    caretAt = position;
    if (!extend) anchor = position;
}

void LineEdit::deleteSelection() {
    const std::size_t start = selectionStart();
    content.erase(start, selectionEnd() - start);
    moveTo(start, false);
}

}  // namespace platform::x11
