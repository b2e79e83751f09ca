// Placement of the dialog's controls and the split between the two panes.
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

TEST(PaneLayoutTest, RowsComeFromTheTemplateUntilTheFirstResize) {
    PaneLayout layout;
    EXPECT_EQ(layout.split(50, 895, 990).rows.top, 120);
    const DialogLayout l = layout.resize(895, 670, 76);
    EXPECT_EQ(layout.split(50, 895, 670).rows.bottom, 640);
    // Quarters and twelfths of the width, the search row in real numbers.
    EXPECT_EQ(l.settingsButton.right, 203);
    EXPECT_EQ(l.runButton.left, 452);
    EXPECT_EQ(l.outputField.right, 654);
    EXPECT_EQ(l.searchBackButton.left, 681);
    EXPECT_EQ(l.searchForwardButton.left, 711);
    EXPECT_EQ(l.searchField.right, 877);
    EXPECT_EQ(l.buttonTop, 645);
}
