// Failed blocks in an output file that holds an earlier run's blocks too.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "FailureIndex.h"

using namespace viewer;

namespace {

// An earlier run's failed "t", then this run's passed "t", failed "t" and a
// failed pass flag "u".
const std::string report =
    "t\n{\n  verified:\n    a == 1; [int a = 2] ERROR\n  logged:\n}\n\n"
    "t\n{\n  verified:\n    a == 1\n  logged:\n}\n\n"
    "t\n{\n  verified:\n    a == 1; [int a = 3] ERROR\n  logged:\n}\n\n"
    "u\n{\n  verified:\n  logged:\n} [ERROR]\n\n";

}  // namespace

TEST(FailureIndexTest, OnlyTheLastRunsBlocksKnowTheirTests) {
    const FailureIndex index = indexFailures(report, {{"t", 7}, {"u", 9}});
    ASSERT_EQ(index.errorLines.size(), 3u);
    EXPECT_EQ(report.substr(index.errorLines[2].start,
                            index.errorLines[2].end - index.errorLines[2].start),
              "} [ERROR]");
    ASSERT_EQ(index.blocks.size(), 3u);
    EXPECT_EQ(std::tuple(index.blocks[0].scriptLine, index.blocks[1].scriptLine,
                         index.blocks[2].scriptLine),
              std::tuple(0, 7, 9));
    EXPECT_EQ(index.blocks[1].range.start, static_cast<int>(report.find("t\n{", 60)));

    // A failure that no block matches ends the matching there.
    EXPECT_EQ(indexFailures(report, {{"t", 7}, {"v", 9}}).blocks[1].scriptLine, 0);
    const int inSecond = index.blocks[1].range.start + 3;
    EXPECT_EQ(failedBlockAt(index, inSecond), 1);
    EXPECT_EQ(failedBlockAt(index, static_cast<int>(report.find("a == 1\n"))), -1);
    EXPECT_EQ(nextFailedBlock(index, inSecond, true), 2);
    EXPECT_EQ(nextFailedBlock(index, index.blocks[2].range.start, true), 0);
    EXPECT_EQ(nextFailedBlock(index, 0, false), 2);
    EXPECT_EQ(nextFailedBlock(FailureIndex(), 0, true), -1);
}
