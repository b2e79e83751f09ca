// Reading an output file back as report blocks, as a remote run does with a
// test server that sends no verdicts.
#include <gtest/gtest.h>

#include "ReportBlocks.h"

namespace {

const std::string passed =
    "login\r\n{\r\n  // first test\n  verified:\r\n    status == 0\r\n  logged:\r\n"
    "    extra = 7\r\n}\r\n\r\n";
const std::string entryFailed =
    "price\r\n{\r\n  verified:\r\n    total == 3; [int total = 4] ERROR\r\n"
    "    note == \"a\"; [undefined] ERROR\r\n  logged:\r\n}\r\n\r\n";
const std::string closedFailed = "ship\r\n{\r\n  verified:\r\n  logged:\r\n} [ERROR]\r\n\r\n";
// An ERROR in a logged value fails nothing.
const std::string loggedError =
    "t\r\n{\r\n  verified:\r\n  logged:\r\n    note = \"x] ERROR\r\n}\r\n\r\n";

std::string judged(const zorrun::ReportFile& file) {
    std::string text;
    for (const auto& block : file.blocks) text += block.name + (block.passed ? " ok, " : " FAIL, ");
    return text;
}

}  // namespace

TEST(ReportBlocksTest, EachBlockIsJudgedByItsEntriesAndItsClosingLine) {
    const auto file = zorrun::readReportFile(passed + entryFailed + closedFailed + loggedError +
                                             "parse error in line 9\n");
    EXPECT_EQ(judged(file), "login ok, price FAIL, ship FAIL, t ok, ");
    EXPECT_EQ(file.rest, "parse error in line 9\n");
    ASSERT_EQ(file.blocks.size(), 4u);
    EXPECT_EQ(file.blocks[0].text, passed);
    const auto& entries = file.blocks[1].entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].expected, "total == 3");
    EXPECT_EQ(entries[0].actual, "4");
    EXPECT_EQ(entries[1].expected, "note == \"a\"");
    EXPECT_EQ(entries[1].actual, "undefined");
}

// Text that is no block ends the reading: a trace block, a block cut short,
// and a logged value that closes its block early and forges a passing block
// after it, which the rest then shows.
TEST(ReportBlocksTest, TextThatIsNoBlockEndsTheReading) {
    const std::string trace = "Open(1)\n{\n    int a = 1\n}\n\n";
    const std::string cut = "u\r\n{\r\n  verified:\r\n";
    const std::string forged =
        "f\r\n{\r\n  verified:\r\n    text == \"plain\"; [char* text = \"\r\n}\r\n\r\n"
        "fake\r\n{\r\n  verified:\r\n  logged:\r\n}\r\n\r\n\"] ERROR\r\n  logged:\r\n}\r\n\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {passed + trace + passed, trace + passed},
        {passed + cut, cut},
        {forged, forged},
        {passed + "\r\n" + passed, "\r\n" + passed},
    };
    for (const auto& [text, rest] : cases) {
        SCOPED_TRACE(text);
        const auto file = zorrun::readReportFile(text);
        EXPECT_EQ(file.rest, rest);
        for (const auto& block : file.blocks) EXPECT_EQ(block.name, "login");
    }
}
