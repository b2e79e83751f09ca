// The small texts of the viewer: the test filter, the run time, the trace
// depth and the event records.
#include <gtest/gtest.h>

#include <string>

#include "EventRecords.h"
#include "RunFilter.h"
#include "RunTimeText.h"
#include "TraceSettings.h"

using namespace viewer;

TEST(RunFilterTest, FirstLineOfTheSelectionThenZeroAndItsPosition) {
    EXPECT_EQ(buildFilter("", 42), "");
    for (const char* selection : {"abc\ndef", "abc\r\ndef", "abc\rdef"})
        EXPECT_EQ(buildFilter(selection, 10), "abc010") << selection;
    // A long selection is cut so that the library takes the filter.
    const std::string filter = buildFilter(std::string(400, 'x'), 123456);
    EXPECT_EQ(filter.size(), static_cast<size_t>(filterLimit));
    EXPECT_TRUE(filter.ends_with("0123456"));
}

TEST(RunTimeTextTest, MinutesAndSecondsWithHoursDroppedAndNoNegatives) {
    EXPECT_EQ(formatRunTime(75), " (01:15 min)");
    EXPECT_EQ(formatRunTime(3599), " (59:59 min)");
    EXPECT_EQ(formatRunTime(3600 + 62), " (01:02 min)");
    EXPECT_EQ(formatRunTime(-5), " (00:00 min)");
}

// The dialog's test has the depth's texts.
TEST(TraceSettingsTest, ApplyKeepsTheDepthInRange) {
    TraceSettings settings;
    applyTrace(settings, 140, "outer");
    EXPECT_EQ(settings.depth, 100);
    EXPECT_EQ(settings.root, "outer");
}

TEST(EventRecordTest, PositionTextAndTypedKeyNames) {
    EXPECT_EQ(mousePositionText(65535, 10000), "X:65535 Y:10000");
    EXPECT_EQ(keyPressEvent(7, 8, "\\"), "keypress{x=7 y=8 key=\"\\\"}");
    EXPECT_EQ(typedKeyName(U'\''), "'");
    EXPECT_EQ(typedKeyName(0xE9), "\xE9");
    for (char32_t swallowed : {0x60, 0xB0, 0xB4, 0xDF, 0xC4, 0xF6, 0xD6, 0xE4, 0xDC, 0xFC, 0x100})
        EXPECT_EQ(typedKeyName(swallowed), std::nullopt) << static_cast<int>(swallowed);
}
