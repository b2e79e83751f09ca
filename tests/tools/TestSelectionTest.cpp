#include <gtest/gtest.h>

#include "LastFailed.h"
#include "TempDir.h"
#include "TestSelection.h"

namespace {

using zorrun::FailedTests;

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
    FailedTests before;
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

}  // namespace
