// What ZorRun reads back: the lines that positions stand on, the verdicts of an output file's
// report blocks for remote runs, and the failures it keeps for --last-failed.
#include <gtest/gtest.h>

#include "LastFailed.h"
#include "RecordPositions.h"
#include "ReportBlocks.h"
#include "TempDir.h"
#include "TestSelection.h"

namespace {

using zorrun::reportBlocks;

// Paths with the separators of the format in them come back whole.
TEST(TestSelectionTest, FailuresKeptInTheFileComeBackAsTheyWere) {
    zortest::TempDir dir;
    const std::string path = dir.file("lastfailed");
    zorrun::FailedTests before;
    before["odd\tname\\with\nbreaks.txt"] = {{"login", 57}, {"", -1}};
    before["a.txt"] = {{"x.y", 0}};
    zorrun::FailureLog log(before);
    std::string reason;
    ASSERT_TRUE(log.save(dir.file("folder"), path, reason)) << reason;
    EXPECT_EQ(zorrun::readLastFailed(path), before);
    // A file of another format holds no failures.
    zortest::writeFile(path, "a.txt\tlogin 57\n");
    EXPECT_TRUE(zorrun::readLastFailed(path).empty());
}

// Positions leave out line feeds, so a CR LF counts as one character. The
// file is read a piece at a time: lines past the first piece count alike.
TEST(LineCounterTest, PositionsFindTheirLinesInOrderAndAgain) {
    zortest::TempDir dir;
    std::string text = "ab\ncd\r\n\n";
    for (int i = 0; i < 20000; ++i) text += "x\n";
    zortest::writeFile(dir.file("s.txt"), text);
    zorrun::LineCounter lines;
    lines.open(dir.file("s.txt"));
    const std::pair<int, int> asked[] = {{2, 2},         {5, 4},     {1, 1}, {9005, 9004},
                                         {20004, 20003}, {20005, 0}, {-1, 0}};
    for (const auto& [position, line] : asked) EXPECT_EQ(lines.lineOf(position), line) << position;
}

TEST(ReportBlocksTest, EachBlockIsJudgedByItsEntriesAndItsClosingLine) {
    const std::string passed =
        "login\r\n{\r\n  // first test\r\n  verified:\r\n    status == 0\r\n  logged:\r\n"
        "    extra = 7\r\n}\r\n\r\n";
    const std::string entryFailed =
        "price\r\n{\r\n  verified:\r\n    total == 3; [int total = 4] ERROR\r\n  "
        "logged:\r\n}\r\n\r\n";
    const std::string closedFailed = "ship\r\n{\r\n  verified:\r\n  logged:\r\n} [ERROR]\r\n\r\n";
    // A trace block and an error text between the blocks are passed over, an
    // ERROR in a logged value fails nothing, and a block cut short is no verdict.
    const std::string loggedError =
        "t\r\n{\r\n  verified:\r\n  logged:\r\n    note = \"x] ERROR\r\n}\r\n\r\n";
    const std::string file = passed + "trace line\n{\n}\n" + entryFailed + closedFailed +
                             "syntax error in line 9\n\n" + loggedError +
                             "u\r\n{\r\n  verified:\r\n";
    const auto blocks = reportBlocks(file);
    std::string judged;
    for (const auto& block : blocks)
        judged += block.name + (block.passed ? " passed, " : " failed, ");
    EXPECT_EQ(judged, "login passed, price failed, ship failed, t passed, ");
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0].text, passed.substr(0, passed.size() - 2));
}

}  // namespace
