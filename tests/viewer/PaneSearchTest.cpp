// Searching a pane forward and backward.
#include <gtest/gtest.h>

#include <string>

#include "PaneSearch.h"

using namespace viewer;

namespace {

class FakePane : public TextPane {
public:
    explicit FakePane(std::string text) : content(std::move(text)) {}
    std::string text() const override { return content; }
    int selectionStart() const override { return start; }
    int selectionEnd() const override { return end; }
    void select(int from, int to) override { start = from, end = to; }
    void focusCaret(int pos) override { start = end = pos, focused = true; }

    std::string content;
    int start = 0, end = 0;
    bool focused = false;
};

}  // namespace

TEST(FindTextTest, MatchWithinTheRangeIgnoringLatinCase) {
    EXPECT_EQ(findText("abcabc", "abc", 1, 6), 3);
    EXPECT_EQ(findText("abcabc", "abc", 1, 5), -1);
    EXPECT_EQ(findText("gr\xC4\xDF", "\xE4\xDF", 0, 4), 2);
    EXPECT_EQ(findText("\xD7", "\xF7", 0, 1), -1);  // not a letter pair
}

// Without a match the caret goes to the end (forward) or the start
// (backward); without text, or on the graphic display, nothing happens.
TEST(PaneSearchTest, BothDirectionsWithAndWithoutMatches) {
    constexpr auto forward = SearchDirection::forward, backward = SearchDirection::backward;
    const struct {
        const char* text;
        int from, to;
        const char* what;
        SearchDirection direction;
        int start, end;
        bool focused, graphic = false;
    } cases[] = {
        {"one two one two", 0, 3, "ONE", forward, 8, 11, false},
        {"one two one two", 8, 11, "one", forward, 15, 15, true},
        {"one two one two one", 16, 19, "one", backward, 8, 11, false},
        {"aaaa", 4, 4, "aa", backward, 2, 4, false},
        {"one two one", 3, 5, "two", backward, 0, 0, true},
        {"abc abc", 1, 2, "", forward, 1, 2, false},
        {"abc abc", 1, 2, "abc", backward, 1, 2, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.what);
        FakePane pane(c.text);
        pane.select(c.from, c.to);
        search(&pane, c.graphic, c.what, c.direction);
        EXPECT_EQ(pane.start, c.start);
        EXPECT_EQ(pane.end, c.end);
        EXPECT_EQ(pane.focused, c.focused);
    }
    search(nullptr, false, "abc", forward);
}
