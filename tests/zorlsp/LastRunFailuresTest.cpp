// ZorRun's list of failed tests as the language server reads it from the
// workspace folder: only ZorRun's formats, only the script asked about, and
// only from where ZorRun keeps it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "LastFailed.h"
#include "TempDir.h"
#include "Verdicts.h"

namespace {

using zorlsp::LastFailed;
namespace fs = std::filesystem;

const std::string header = "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\n";

std::string failedIn(const LastFailed& failed) {
    std::string text = failed.scriptErrored ? "error " : "";
    for (const auto& test : failed.tests)
        text += test.name + "#" + std::to_string(test.ordinal) + "@" +
                std::to_string(test.position) + " ";
    return text;
}

TEST(LastRunFailuresTest, TakesTheScriptsLinesOfEitherFormat) {
    const std::string text = header +
                             "a\\tb.zor.txt\tlogin\t2\t14\n"
                             "other.zor.txt\tlogin\t1\t3\n"
                             "./sub/../a\\tb.zor.txt\tadd\t1\t20\n"
                             "a\\tb.zor.txt\tbroken line\n"
                             "a\\tb.zor.txt\t";
    LastFailed failed;
    ASSERT_TRUE(zorlsp::readLastFailedText(text, "/w", "/w/a\tb.zor.txt", failed));
    EXPECT_EQ(failedIn(failed), "error login#2@-1 add#1@-1 ");
    EXPECT_FALSE(zorlsp::hasFailed(failed, "login", 1, 99));

    const std::string first =
        "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION\n"
        "/w/s.zor.txt\tlogin 57\n";
    ASSERT_TRUE(zorlsp::readLastFailedText(first, "/elsewhere", "/w/s.zor.txt", failed));
    EXPECT_EQ(failedIn(failed), "login#0@57 ");
    EXPECT_TRUE(zorlsp::hasFailed(failed, "login", 1, 57));
    EXPECT_FALSE(zorlsp::hasFailed(failed, "login", 1, 58));

    // Another script's failures, another format, or no format line say nothing.
    EXPECT_FALSE(
        zorlsp::readLastFailedText(header + "x.zor.txt\tt\t1\t1\n", "/w", "/w/s.zor.txt", failed));
    EXPECT_FALSE(zorlsp::readLastFailedText("# ZorRun last failed 3\ns.zor.txt\t\n", "/w",
                                            "/w/s.zor.txt", failed));
    EXPECT_FALSE(zorlsp::readLastFailedText("s.zor.txt\t\n", "/w", "/w/s.zor.txt", failed));
    EXPECT_EQ(failedIn(failed), "");
}

// ZorRun writes the file only into a real .zorrun folder; a link there, or
// something other than a regular file, may lead anywhere and is not read.
TEST(LastRunFailuresTest, ReadsOnlyARegularFileInARealFolder) {
    zortest::TempDir work;
    const std::string folder = work.path().string();
    const std::string script = work.file("s.zor.txt");
    LastFailed failed;
    EXPECT_FALSE(zorlsp::readLastFailed(folder, script, failed));

    fs::create_directory(work.path() / "real");
    zortest::writeFile(work.file("real/lastfailed"), header + "s.zor.txt\tt\t1\t1\n");
    fs::create_directory_symlink("real", work.path() / ".zorrun");
    EXPECT_FALSE(zorlsp::readLastFailed(folder, script, failed));

    fs::remove(work.path() / ".zorrun");
    fs::rename(work.path() / "real", work.path() / ".zorrun");
    EXPECT_TRUE(zorlsp::readLastFailed(folder, script, failed));
    EXPECT_EQ(failedIn(failed), "t#1@-1 ");

    fs::rename(work.path() / ".zorrun/lastfailed", work.path() / ".zorrun/kept");
    fs::create_symlink("kept", work.path() / ".zorrun/lastfailed");
    EXPECT_FALSE(zorlsp::readLastFailed(folder, script, failed));

    // A pipe that nobody writes to would hold the reader forever.
    fs::remove(work.path() / ".zorrun/lastfailed");
    ASSERT_EQ(mkfifo(work.file(".zorrun/lastfailed").c_str(), 0600), 0);
    EXPECT_FALSE(zorlsp::readLastFailed(folder, script, failed));
    EXPECT_FALSE(zorlsp::readLastFailed("", script, failed));
    // Nor does a JSON report that a pipe stands in for.
    zorlsp::ScriptVerdicts verdicts;
    EXPECT_FALSE(zorlsp::readReportFile(work.file(".zorrun/lastfailed"), script, folder, verdicts));
}

}  // namespace
