// Placement of the dialog's controls and the split between the two panes.
#include <gtest/gtest.h>

#include "PaneLayout.h"

using namespace viewer;

TEST(PaneSplitTest, MiddlePositionSharesTheWidth) {
    const PaneSplit split = PaneLayout().split(50, 695, 495);
    EXPECT_EQ(split.script.left, 5);
    EXPECT_EQ(split.script.right, 339);
    EXPECT_EQ(split.output.left, 346);
    EXPECT_EQ(split.output.right, 680);
}

TEST(PaneSplitTest, NearTheLeftEndTheScriptPaneVanishes) {
    const PaneSplit split = PaneLayout().split(3, 695, 495);
    EXPECT_EQ(split.script.right, 0);
    EXPECT_LT(split.script.right, split.script.left);
    EXPECT_EQ(split.output.left, 8);
    EXPECT_EQ(split.output.right, 680);
}

TEST(PaneSplitTest, NearTheRightEndTheOutputPaneVanishes) {
    const PaneSplit split = PaneLayout().split(97, 695, 495);
    EXPECT_EQ(split.script.left, 5);
    EXPECT_EQ(split.script.right, 677);
    EXPECT_EQ(split.output.left, 683);
    EXPECT_GT(split.output.left, split.output.right);
}

TEST(PaneSplitTest, SnappingStartsOnlyBeyondFiveFromEitherEnd) {
    const PaneLayout layout;
    EXPECT_GT(layout.split(5, 695, 495).script.right, layout.split(4, 695, 495).script.right);
    EXPECT_EQ(layout.split(0, 695, 495).script.right, layout.split(4, 695, 495).script.right);
    EXPECT_LT(layout.split(95, 695, 495).output.left, layout.split(96, 695, 495).output.left);
}

TEST(PaneSplitTest, RowsComeFromTheTemplateUntilTheFirstResize) {
    PaneLayout layout;
    const PaneSplit before = layout.split(50, 895, 990);
    EXPECT_EQ(before.rows.top, 120);
    EXPECT_EQ(before.rows.bottom, 892);
    layout.resize(895, 670, 76);
    const PaneSplit after = layout.split(50, 895, 670);
    EXPECT_EQ(after.rows.top, 81);
    EXPECT_EQ(after.rows.bottom, 640);
}

TEST(PaneLayoutTest, EdgesFollowQuartersAndTwelfthsOfTheWidth) {
    PaneLayout layout;
    const DialogLayout l = layout.resize(895, 670, 76);
    EXPECT_EQ(l.slider.left, 5);
    EXPECT_EQ(l.slider.right, 890);
    EXPECT_EQ(l.fileButton.right, 111);
    EXPECT_EQ(l.settingsButton.left, 111);
    EXPECT_EQ(l.settingsButton.right, 203);
    EXPECT_EQ(l.saveButton.left, 228);
    EXPECT_EQ(l.saveButton.right, 441);
    EXPECT_EQ(l.runButton.left, 452);
    EXPECT_EQ(l.runButton.right, 664);
    EXPECT_EQ(l.clearLogButton.left, 674);
    EXPECT_EQ(l.clearLogButton.right, 887);
    EXPECT_EQ(l.inputField.left, 233);
    EXPECT_EQ(l.outputField.right, 654);
    EXPECT_EQ(l.buttonTop, 645);
    EXPECT_EQ(l.buttonBottom, 665);
}

TEST(PaneLayoutTest, SearchRowIsComputedInRealNumbers) {
    const DialogLayout l = PaneLayout().resize(895, 670, 76);
    // 0.75 * 895 = 671.25; the buttons are (74 - 16) / 2 = 29 wide.
    EXPECT_EQ(l.searchBackButton.left, 681);
    EXPECT_EQ(l.searchBackButton.right, 710);
    // 10 * 895 / 12 = 745.83.
    EXPECT_EQ(l.searchForwardButton.left, 711);
    EXPECT_EQ(l.searchForwardButton.right, 740);
    EXPECT_EQ(l.searchField.left, 745);
    EXPECT_EQ(l.searchField.right, 877);
}
