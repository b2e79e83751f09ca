#include <gtest/gtest.h>

#include <filesystem>

#include "ZorRunFixture.h"

namespace {

class ZorRunHtmlTest : public zorruntest::ZorRunFixture {};

// The page is written at the end, so a page that could not be kept is found
// out before any script runs.
TEST_F(ZorRunHtmlTest, APageThatCannotBeWrittenStopsTheRunBeforeItStarts) {
    const std::string script = write("s.txt", "resultfile \"out.txt\"\nzortst { a = 1 }\n");
    std::filesystem::create_directory(dir.file("folder"));
    const std::pair<std::string, std::string> cases[] = {
        {"nodir/report.html", "No such file or directory"},
        {"folder", "Is a directory"},
        {"s.txt", "it is one of the scripts"},
    };
    for (const auto& [page, reason] : cases) {
        auto run = zorRun({"--html", page, script});
        EXPECT_EQ(run.status, 2) << page;
        EXPECT_EQ(run.err, page + ": cannot write HTML report: " + reason + "\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
}

TEST_F(ZorRunHtmlTest, ThePageHoldsTheRunsCountsFailuresAndErrors) {
    const std::string script = write("s.txt",
                                     "resultfile \"out.txt\"\n"
                                     "zortst { a = 1 verify: a == 1 }\n"
                                     "zortst { t = \"<b>\" verify: t == \"x\" }\n");
    auto run = zorRun({"--html", "report.html", script, "missing.txt"});
    EXPECT_EQ(run.status, 2);
    const std::string page = read("report.html");
    for (const char* part :
         {"id=\"count-tests\"><span class=\"n\">2<", "id=\"count-passed\"><span class=\"n\">1<",
          "id=\"count-failed\"><span class=\"n\">1<", "id=\"count-errors\"><span class=\"n\">1<",
          "<dt>Command</dt><dd><code>ZorRun --html report.html s.txt missing.txt<",
          "t == \"x\"; [char* t = \"&lt;b&gt;\"] ERROR",
          "missing.txt</a>: cannot open script: No such file or directory"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A test that pauses keeps each worker busy long enough for the other to take
// the next script.
TEST_F(ZorRunHtmlTest, SeveralJobsShowTheirWorkersOnATimeline) {
    const std::string a = write("a.txt", "resultfile \"a_out.txt\"\npause { }\nzortst { }\n");
    const std::string b = write("b.txt", "resultfile \"b_out.txt\"\npause { }\n");
    for (const char* jobs : {"1", "2"}) {
        auto run = zorRun({"-j", jobs, "--load", ZOR_TEST_MODULE, "--html", "report.html", a, b});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string page = read("report.html");
        const bool several = std::string(jobs) == "2";
        EXPECT_EQ(occurrences(page, "<div class=\"lane\">"), several ? 2u : 0u);
        EXPECT_EQ(occurrences(page, "<a class=\"span\" href=\"#script-"), several ? 2u : 0u);
        // Scripts stand in the command line's order, whichever ended first.
        EXPECT_NE(page.find("id=\"script-1\"><h3><span class=\"verdict passed\">passed</span> "
                            "<span class=\"path\">a.txt</span> <span class=\"tally\">2 of 2"),
                  std::string::npos);
        EXPECT_NE(page.find("\"path\":\"b.txt\",\"tests\":[[\"pause\",22,2,0,"), std::string::npos);
    }
}

}  // namespace
