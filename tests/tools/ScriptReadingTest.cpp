// What ZorRun reads back: the lines that positions stand on, the test record
// a worker was running when it ended, the verdicts of an output file's report
// blocks for remote runs, and the failures it keeps for --last-failed.
#include <gtest/gtest.h>

#include "LastFailed.h"
#include "RecordPositions.h"
#include "ReportBlocks.h"
#include "TempDir.h"
#include "TestSelection.h"

namespace {

using zorrun::reportBlocks;

// Positions count every byte but line feeds; a test never starts on an empty line.
TEST(TestSelectionTest, PositionsTurnIntoTheLinesTheyStandOn) {
    const std::string text = "ab\r\n\r\n\ncd\nef";
    const zorrun::ScriptLines lines(text);
    const std::pair<int, int> cases[] = {{0, 1}, {2, 1}, {3, 2}, {4, 4}, {5, 4}, {6, 5}, {7, 5}};
    for (const auto& [position, line] : cases) EXPECT_EQ(lines.lineOf(position), line) << position;
}

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

TEST(RecordPositionsTest, FindsTheNextTopLevelTestRecordOfThatName) {
    struct Case {
        std::string script, name;
        int after, position;
    };
    const std::string twice = "resultfile \"o\"\nlogin { }\nlogin { }\n";
    const Case cases[] = {
        {twice, "login", -1, 14},
        {twice, "login", 14, 23},
        {twice, "login", 23, -1},
        {twice, "logout", -1, -1},
        // Comments, strings, bodies, extern records and file names hide the name.
        {"// login { }\n/* login\n{ */ x { s = \"login { }\" }\nlogin { }\n", "login", -1, 46},
        {"extern login { a = 1 }\nx { login { } }\nresultfile (\"o\" (login))\nlogin { }\n",
         "login", -1, 61},
        // A carriage return counts, a line feed does not.
        {"resultfile \"o\"\r\nlogin { }\r\n", "login", -1, 15},
        {"a . b[2] { }\n", "a.b[2]", -1, 0},
        {"/* login { }", "login", -1, -1},
    };
    zortest::TempDir dir;
    for (const Case& c : cases) {
        zortest::writeFile(dir.file("s.txt"), c.script);
        EXPECT_EQ(zorrun::findTestRecord(dir.file("s.txt"), c.after, c.name), c.position)
            << c.script;
    }
    EXPECT_EQ(zorrun::findTestRecord(dir.file("missing.txt"), -1, "login"), -1);
}

// Positions leave out line feeds, so a CR LF counts as one character. The
// file is read a piece at a time: lines past the first piece count alike.
TEST(LineCounterTest, PositionsFindTheirLinesInOrderAndAgain) {
    zortest::TempDir dir;
    std::string longer;
    for (int i = 0; i < 20000; ++i) longer += "x\n";
    const struct {
        std::string text;
        std::vector<std::pair<int, int>> asked;  // position, line
    } cases[] = {
        {"ab\ncd\r\n\nef",
         {{0, 1}, {1, 1}, {2, 2}, {4, 2}, {5, 4}, {1, 1}, {6, 4}, {7, 0}, {-1, 0}}},
        {longer, {{9000, 9001}, {19999, 20000}, {20000, 0}}},
    };
    zorrun::LineCounter lines;
    for (const auto& c : cases) {
        zortest::writeFile(dir.file("s.txt"), c.text);
        lines.open(dir.file("s.txt"));
        for (const auto& [position, line] : c.asked)
            EXPECT_EQ(lines.lineOf(position), line) << position;
    }
}

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
    std::string judged;
    for (const auto& block : blocks)
        judged += block.name + (block.passed ? " passed, " : " failed, ");
    EXPECT_EQ(judged, "login passed, price failed, ship failed, ");
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0].text, passed.substr(0, passed.size() - 2));
}

TEST(ReportBlocksTest, ALoggedErrorTextDoesNotFailATest) {
    const auto blocks =
        reportBlocks("t\r\n{\r\n  verified:\r\n  logged:\r\n    note = \"x] ERROR\r\n}\r\n\r\n");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(blocks[0].passed);
    EXPECT_TRUE(reportBlocks("t\r\n{\r\n  verified:\r\n").empty());
}

}  // namespace
