// The split between the two panes.
#include <gtest/gtest.h>

#include "PaneLayout.h"

using namespace viewer;

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
