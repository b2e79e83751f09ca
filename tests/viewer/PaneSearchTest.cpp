// Searching the panes forward and backward.
#include <gtest/gtest.h>

#include <string>

#include "PaneSearch.h"

using namespace viewer;

namespace {

class FakePane : public TextPane {
public:
    explicit FakePane(std::string text) : content(std::move(text)) {}
    std::string text() const override { return content; }
    int markStart() const override { return start; }
    int markEnd() const override { return end; }
    void markMatch(int from, int to) override { start = from, end = to; }

    std::string content;
    int start = 0, end = 0;
};

}  // namespace

// Matches ignore Latin-1 case and wrap around at either end; without a match
// the mark stays. Without text, or on the graphic display, nothing is searched.
TEST(PaneSearchTest, BothDirectionsWrapAndSayWhenNothingIsFound) {
    constexpr auto forward = SearchDirection::forward, backward = SearchDirection::backward;
    using enum SearchOutcome;
    const struct {
        const char* text;
        int from, to;
        const char* what;
        SearchDirection direction;
        int start, end;
        SearchOutcome outcome;
        bool graphic = false;
    } cases[] = {
        {"one two one two", 0, 3, "ONE", forward, 8, 11, found},
        {"one two one two", 8, 11, "one", forward, 0, 3, wrapped},
        {"aaaa", 4, 4, "aa", backward, 2, 4, found},
        {"one two one", 3, 5, "two", backward, 4, 7, wrapped},
        {"one two", 1, 2, "three", forward, 1, 2, notFound},
        {"abc abc", 1, 2, "", forward, 1, 2, notSearched},
        {"gr\xC4\xDF", 0, 0, "\xE4\xDF", forward, 2, 4, found},  // Latin-1 letters fold
        {"\xD7", 0, 0, "\xF7", forward, 0, 0, notFound},         // not a letter pair
        {"abc abc", 1, 2, "abc", backward, 1, 2, notSearched, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.what);
        FakePane pane(c.text);
        pane.markMatch(c.from, c.to);
        EXPECT_EQ(search(&pane, c.graphic, c.what, c.direction), c.outcome);
        EXPECT_EQ(pane.start, c.start);
        EXPECT_EQ(pane.end, c.end);
    }
    EXPECT_EQ(search(nullptr, false, "abc", forward), notSearched);
    EXPECT_EQ(searchOutcomeText(notFound, "abc"), "not found: abc");
}
