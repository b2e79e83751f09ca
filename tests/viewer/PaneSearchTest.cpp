// The panes: the split between them, and searching them forward and backward.
#include <gtest/gtest.h>

#include <string>

#include "PaneLayout.h"
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

// Matches ignore Latin-1 case. Without a match the caret goes to the end
// (forward) or the start (backward); without text, or on the graphic display,
// nothing happens.
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
        {"gr\xC4\xDF", 0, 0, "\xE4\xDF", forward, 2, 4, false},  // Latin-1 letters fold
        {"\xD7", 0, 0, "\xF7", forward, 1, 1, true},             // not a letter pair
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

// Near either end (within five) one pane vanishes: its right edge lies left of its left.
TEST(PaneSplitTest, SliderPositionsShareTheWidthAndSnapAtTheEnds) {
    const struct {
        int position, scriptRight, outputLeft;
    } cases[] = {{50, 339, 346}, {3, 0, 8}, {0, 0, 8}, {97, 677, 683}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        const PaneSplit split = PaneLayout().split(c.position, 695, 495);
        EXPECT_EQ(split.script.left, 5);
        EXPECT_EQ(split.script.right, c.scriptRight);
        EXPECT_EQ(split.output.left, c.outputLeft);
        EXPECT_EQ(split.output.right, 680);
    }
    EXPECT_GT(PaneLayout().split(5, 695, 495).script.right, 0);
    EXPECT_LT(PaneLayout().split(95, 695, 495).output.left, 683);
}
