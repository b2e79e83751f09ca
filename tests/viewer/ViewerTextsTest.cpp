// The small texts of the viewer: the test filter, the run time and the trace depth.
#include <gtest/gtest.h>

#include <string>

#include "RunFilter.h"
#include "RunTimeText.h"
#include "TraceSettings.h"

using namespace viewer;

TEST(RunFilterTest, SelectedNameIsFollowedByZeroAndItsPosition) {
    EXPECT_EQ(buildFilter("t1", 57), "t1057");
    EXPECT_EQ(buildFilter("t1", 0), "t100");
}

TEST(RunFilterTest, OnlyTheFirstLineOfTheSelectionCounts) {
    EXPECT_EQ(buildFilter("abc\ndef", 10), "abc010");
    EXPECT_EQ(buildFilter("abc\r\ndef", 10), "abc010");
    EXPECT_EQ(buildFilter("abc\rdef", 10), "abc010");
}

TEST(RunFilterTest, NoSelectionRunsEveryTest) {
    EXPECT_EQ(buildFilter("", 42), "");
}

TEST(RunFilterTest, LongSelectionIsCutSoTheLibraryTakesTheFilter) {
    const std::string filter = buildFilter(std::string(400, 'x'), 123456);
    EXPECT_EQ(filter.size(), static_cast<size_t>(filterLimit));
    EXPECT_EQ(filter.substr(filter.size() - 7), "0123456");
}

TEST(RunTimeTextTest, MinutesAndSecondsWithTwoDigitsHoursDropped) {
    EXPECT_EQ(formatRunTime(0), " (00:00 min)");
    EXPECT_EQ(formatRunTime(75), " (01:15 min)");
    EXPECT_EQ(formatRunTime(3599), " (59:59 min)");
    EXPECT_EQ(formatRunTime(3600 + 62), " (01:02 min)");
}

TEST(RunTimeTextTest, ClockSetBackShowsZero) {
    EXPECT_EQ(formatRunTime(-5), " (00:00 min)");
}

TEST(TraceSettingsTest, DepthShowsNoneNumberOrMax) {
    EXPECT_EQ(depthText(0), "NONE");
    EXPECT_EQ(depthText(1), "1");
    EXPECT_EQ(depthText(99), "99");
    EXPECT_EQ(depthText(100), "MAX");
    EXPECT_EQ(depthText(250), "MAX");
}

TEST(TraceSettingsTest, StartsUnlimitedAndApplyKeepsDepthInRange) {
    TraceSettings settings;
    EXPECT_EQ(settings.depth, 100);
    EXPECT_EQ(settings.root, "");
    applyTrace(settings, 0, "outer");
    EXPECT_EQ(settings.depth, 0);
    EXPECT_EQ(settings.root, "outer");
    applyTrace(settings, 140, "");
    EXPECT_EQ(settings.depth, 100);
}
