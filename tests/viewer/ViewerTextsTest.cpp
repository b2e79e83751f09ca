// The small texts of the viewer: the test filter and the run time (the event
// records are checked by the graphic mode's clicks and keys).
#include <gtest/gtest.h>

#include <string>

#include "RunFilter.h"
#include "RunTimeText.h"

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
    EXPECT_EQ(formatRunTime(3600 + 62), " (01:02 min)");
    EXPECT_EQ(formatRunTime(-5), " (00:00 min)");
}
