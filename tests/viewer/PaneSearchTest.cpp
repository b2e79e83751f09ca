// Searching a pane forward and backward.
#include <gtest/gtest.h>

#include <string>

#include "PaneSearch.h"

using namespace viewer;

namespace {

// A pane holding its text and selection, remembering where the caret went.
class FakePane : public TextPane {
public:
    explicit FakePane(std::string text) : content(std::move(text)) {}

    std::string text() const override { return content; }
    int selectionStart() const override { return start; }
    int selectionEnd() const override { return end; }
    void select(int from, int to) override {
        start = from;
        end = to;
    }
    void focusCaret(int pos) override {
        start = end = pos;
        focused = true;
    }

    std::string content;
    int start = 0;
    int end = 0;
    bool focused = false;
};

}  // namespace

TEST(FindTextTest, MatchMustLieWithinTheRange) {
    EXPECT_EQ(findText("abcabc", "abc", 0, 6), 0);
    EXPECT_EQ(findText("abcabc", "abc", 1, 6), 3);
    EXPECT_EQ(findText("abcabc", "abc", 1, 5), -1);
    EXPECT_EQ(findText("abc", "abc", 2, 99), -1);
    EXPECT_EQ(findText("abc", "", 0, 3), -1);
}

TEST(FindTextTest, CaseIsIgnoredForLatinLetters) {
    EXPECT_EQ(findText("xxABCxx", "abc", 0, 7), 2);
    EXPECT_EQ(findText("gr\xC4\xDF", "\xE4\xDF", 0, 4), 2);
    // The multiplication and division signs are not a letter pair.
    EXPECT_EQ(findText("\xD7", "\xF7", 0, 1), -1);
}

TEST(PaneSearchTest, ForwardSelectsNextMatchAfterSelection) {
    FakePane pane("one two one two");
    pane.select(0, 3);
    search(&pane, false, "ONE", SearchDirection::forward);
    EXPECT_EQ(pane.start, 8);
    EXPECT_EQ(pane.end, 11);
    EXPECT_FALSE(pane.focused);
}

TEST(PaneSearchTest, ForwardWithoutMatchPutsCaretAtEnd) {
    FakePane pane("one two one two");
    pane.select(8, 11);
    search(&pane, false, "one", SearchDirection::forward);
    EXPECT_TRUE(pane.focused);
    EXPECT_EQ(pane.start, 15);
    EXPECT_EQ(pane.end, 15);
}

TEST(PaneSearchTest, BackwardSelectsLastMatchBeforeSelection) {
    FakePane pane("one two one two one");
    pane.select(16, 19);
    search(&pane, false, "one", SearchDirection::backward);
    EXPECT_EQ(pane.start, 8);
    EXPECT_EQ(pane.end, 11);
    search(&pane, false, "one", SearchDirection::backward);
    EXPECT_EQ(pane.start, 0);
    EXPECT_EQ(pane.end, 3);
}

TEST(PaneSearchTest, BackwardFindsOverlappingMatches) {
    FakePane pane("aaaa");
    pane.select(4, 4);
    search(&pane, false, "aa", SearchDirection::backward);
    EXPECT_EQ(pane.start, 2);
}

TEST(PaneSearchTest, BackwardWithoutMatchPutsCaretAtStart) {
    FakePane pane("one two one");
    pane.select(3, 5);
    search(&pane, false, "two", SearchDirection::backward);
    EXPECT_TRUE(pane.focused);
    EXPECT_EQ(pane.start, 0);
    EXPECT_EQ(pane.end, 0);
}

TEST(PaneSearchTest, NothingHappensWithoutTextOrOnTheGraphicDisplay) {
    FakePane pane("abc abc");
    pane.select(1, 2);
    search(&pane, false, "", SearchDirection::forward);
    search(&pane, true, "abc", SearchDirection::forward);
    search(&pane, true, "abc", SearchDirection::backward);
    search(nullptr, false, "abc", SearchDirection::forward);
    EXPECT_EQ(pane.start, 1);
    EXPECT_EQ(pane.end, 2);
    EXPECT_FALSE(pane.focused);
}
