// Verdicts read back from an output file's report blocks, for remote runs.
#include <gtest/gtest.h>

#include "ReportBlocks.h"

using zorrun::reportBlocks;

TEST(ReportBlocksTest, EachBlockIsJudgedByItsEntriesAndItsClosingLine) {
    const std::string passed =
        "login\r\n{\r\n  // first test\r\n  verified:\r\n    status == 0\r\n  logged:\r\n"
        "    extra = 7\r\n}\r\n\r\n";
    const std::string entryFailed =
        "price\r\n{\r\n  verified:\r\n    total == 3; [int total = 4] ERROR\r\n  "
        "logged:\r\n}\r\n\r\n";
    const std::string closedFailed = "ship\r\n{\r\n  verified:\r\n  logged:\r\n} [ERROR]\r\n\r\n";
    // A trace block and an error text between the blocks are passed over.
    const std::string file =
        passed + "trace line\n{\n}\n" + entryFailed + closedFailed + "syntax error in line 9\n\n";
    const auto blocks = reportBlocks(file);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].name, "login");
    EXPECT_TRUE(blocks[0].passed);
    EXPECT_EQ(blocks[0].text, passed.substr(0, passed.size() - 2));
    EXPECT_EQ(blocks[1].name, "price");
    EXPECT_FALSE(blocks[1].passed);
    EXPECT_EQ(blocks[2].name, "ship");
    EXPECT_FALSE(blocks[2].passed);
}

TEST(ReportBlocksTest, ALoggedErrorTextDoesNotFailATest) {
    const auto blocks =
        reportBlocks("t\r\n{\r\n  verified:\r\n  logged:\r\n    note = \"x] ERROR\r\n}\r\n\r\n");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(blocks[0].passed);
    EXPECT_TRUE(reportBlocks("t\r\n{\r\n  verified:\r\n").empty());
}
