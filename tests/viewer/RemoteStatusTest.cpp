// The remote settings dialog's words and its port field, apart from the widgets.
#include <gtest/gtest.h>

#include "RemoteStatus.h"

using namespace remote;

TEST(RemoteStatusTest, EveryResultHasItsWordAndCheckBox) {
    struct Row {
        int result;
        const char* word;
        bool boxWhenTicked;
        bool boxWhenCleared;
    };
    const Row rows[] = {
        {1, "connected", true, false},    {0, "disconnected", true, false},
        {-1, "invalid arg", true, false}, {-2, "ignored", false, false},
        {-3, "ignored", true, true},      {-4, "no create", false, false},
        {-5, "no host", false, false},    {-6, "no connect", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        EXPECT_EQ(statusWord(row.result), row.word);
        EXPECT_EQ(boxAfterApply(row.result, true), row.boxWhenTicked);
        EXPECT_EQ(boxAfterApply(row.result, false), row.boxWhenCleared);
    }
    EXPECT_EQ(stateWord(1), "connected");
    EXPECT_EQ(stateWord(0), "disconnected");
    EXPECT_EQ(stateWord(-1), "disconnected");
}

TEST(RemoteStatusTest, PortIsTheNumberAtTheStartOfTheField) {
    EXPECT_EQ(portFieldValue("6500"), 6500);
    EXPECT_EQ(portFieldValue("  42 tail"), 42);
    EXPECT_EQ(portFieldValue("+7"), 7);
    EXPECT_EQ(portFieldValue("-7"), -7);
    EXPECT_EQ(portFieldValue("port"), 0);
    EXPECT_EQ(portFieldValue(""), 0);
    EXPECT_EQ(portFieldValue("99999999999"), 0);
}
