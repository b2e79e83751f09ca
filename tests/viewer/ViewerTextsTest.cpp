// The small texts of the viewer: the test filter, the run time, the trace
// depth and the event records.
#include <gtest/gtest.h>

#include <string>

#include "EventRecords.h"
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

TEST(EventRecordTest, ClicksAndKeysBecomeOneLineRecords) {
    EXPECT_EQ(buttonPressEvent(12, 345, 0), "buttonpress{x=12 y=345 button=0}");
    EXPECT_EQ(buttonPressEvent(0, 0, 2), "buttonpress{x=0 y=0 button=2}");
    EXPECT_EQ(keyPressEvent(7, 8, "pagedown"), "keypress{x=7 y=8 key=\"pagedown\"}");
    EXPECT_EQ(keyPressEvent(7, 8, "\\"), "keypress{x=7 y=8 key=\"\\\"}");
}

TEST(EventRecordTest, MousePositionHasFourPlacesAtLeast) {
    EXPECT_EQ(mousePositionText(0, 0), "X:0000 Y:0000");
    EXPECT_EQ(mousePositionText(12, 345), "X:0012 Y:0345");
    EXPECT_EQ(mousePositionText(65535, 10000), "X:65535 Y:10000");
}

TEST(EventRecordTest, TypedCharactersAreNamedByThemselvesExceptTheQuote) {
    EXPECT_EQ(typedKeyName(U'a'), "a");
    EXPECT_EQ(typedKeyName(U' '), " ");
    EXPECT_EQ(typedKeyName(U'\''), "'");
    EXPECT_EQ(typedKeyName(U'"'), "apostrophe");
    EXPECT_EQ(typedKeyName(0xE9), "\xE9");
    EXPECT_EQ(typedKeyName(0xA7), "\xA7");
}

TEST(EventRecordTest, AccentsUmlautsAndWideCharactersAreSwallowed) {
    for (char32_t swallowed : {0x60, 0xB0, 0xB4, 0xDF, 0xC4, 0xF6, 0xD6, 0xE4, 0xDC, 0xFC})
        EXPECT_EQ(typedKeyName(swallowed), std::nullopt) << static_cast<int>(swallowed);
    EXPECT_EQ(typedKeyName(0x100), std::nullopt);
    EXPECT_EQ(typedKeyName(0x20AC), std::nullopt);
}
