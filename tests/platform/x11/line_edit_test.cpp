// The editing rules of the X11 backend's single-line editor, key by key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/x11/line_edit.h"

namespace {

using platform::x11::LineEdit;

// One key: a character to type or a named action.
enum class Key { type, backspace, erase, left, right, home, end, shiftLeft, shiftRight, shiftHome, shiftEnd, all };
struct Press {
    Key key;
    char character = 0;
};
Press t(char c) { return {Key::type, c}; }

void apply(LineEdit& edit, const Press& p) {
    switch (p.key) {
    case Key::type: edit.type(p.character); break;
    case Key::backspace: edit.backspace(); break;
    case Key::erase: edit.erase(); break;
    case Key::left: edit.left(false); break;
    case Key::right: edit.right(false); break;
    case Key::home: edit.home(false); break;
    case Key::end: edit.end(false); break;
    case Key::shiftLeft: edit.left(true); break;
    case Key::shiftRight: edit.right(true); break;
    case Key::shiftHome: edit.home(true); break;
    case Key::shiftEnd: edit.end(true); break;
    case Key::all: edit.selectAll(); break;
    }
}

struct Case {
    const char* name;
    std::string start;
    std::vector<Press> keys;
    std::string text;
    std::size_t caret;
};

const Case kCases[] = {
    {"typing replaces the whole text selected at the start", "50.000", {t('7')}, "7", 1},
    {"backspace first deletes the selection", "50.000", {{Key::backspace}, t('1')}, "1", 1},
    {"delete first deletes the selection", "50", {{Key::erase}}, "", 0},
    {"backspace at the start deletes nothing", "ab", {{Key::home}, {Key::backspace}}, "ab", 0},
    {"delete at the end deletes nothing", "ab", {{Key::end}, {Key::erase}}, "ab", 2},
    {"left collapses the selection to its start", "abc", {{Key::left}, t('x')}, "xabc", 1},
    {"right collapses the selection to its end", "abc", {{Key::right}, t('x')}, "abcx", 4},
    {"arrows stop at the ends", "ab", {{Key::home}, {Key::left}, {Key::end}, {Key::right}, {Key::right}}, "ab", 2},
    {"insert in the middle", "ac", {{Key::home}, {Key::right}, t('b')}, "abc", 2},
    {"delete removes the character after the caret", "abc", {{Key::home}, {Key::erase}}, "bc", 0},
    {"backspace removes the character before the caret", "abc", {{Key::end}, {Key::backspace}}, "ab", 2},
    {"shift extends from the anchor", "abcd", {{Key::home}, {Key::right}, {Key::shiftEnd}, t('x')}, "ax", 2},
    {"shift left selects backwards", "abcd", {{Key::end}, {Key::shiftLeft}, {Key::shiftLeft}, {Key::backspace}}, "ab", 2},
    {"shift home selects to the start", "abcd", {{Key::end}, {Key::left}, {Key::shiftHome}, {Key::erase}}, "d", 0},
    {"select all again after moving", "abc", {{Key::end}, {Key::all}, t('z')}, "z", 1},
    {"shift right then plain left lands on the selection's start", "abcd",
     {{Key::home}, {Key::shiftRight}, {Key::shiftRight}, {Key::left}, t('x')}, "xabcd", 1},
};

class LineEditTest : public ::testing::TestWithParam<Case> {};

TEST_P(LineEditTest, KeysGiveTextAndCaret) {
    const Case& c = GetParam();
    LineEdit edit(c.start, 255);
    for (const Press& p : c.keys) apply(edit, p);
    EXPECT_EQ(edit.text(), c.text);
    EXPECT_EQ(edit.caret(), c.caret);
}

INSTANTIATE_TEST_SUITE_P(Keys, LineEditTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(LineEditLimitTest, TextStopsAtTheLimitAndLongerStartsAreCut) {
    LineEdit edit(std::string(300, 'a'), 255);
    EXPECT_EQ(edit.text().size(), 255u);
    edit.end(false);
    edit.type('b');
    EXPECT_EQ(edit.text().size(), 255u);
    EXPECT_EQ(edit.text().back(), 'a');
    edit.backspace();
    edit.type('b');
    EXPECT_EQ(edit.text().back(), 'b');
}

TEST(LineEditLimitTest, TypingOverASelectionAtTheLimitReplacesIt) {
    LineEdit edit(std::string(255, 'a'), 255);
    edit.type('b');  // the whole text is selected at the start
    EXPECT_EQ(edit.text(), "b");
}

TEST(LineEditCaretTest, PlacingTheCaretClearsTheSelectionAndStaysInsideTheText) {
    LineEdit edit("abc", 255);
    edit.placeCaret(10);
    EXPECT_FALSE(edit.hasSelection());
    EXPECT_EQ(edit.caret(), 3u);
}

}  // namespace
