#include "HtmlRecorder.h"
#include "HtmlReport.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using zorrun::HtmlRun;
using zorrun::HtmlTest;
using zorrun::HtmlVerdict;

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

HtmlTest failedTest(std::string name, int position) {
    HtmlTest test;
    test.name = std::move(name);
    test.position = position;
    test.line = 3;
    test.verdict = HtmlVerdict::failed;
    return test;
}

// Every text a run brings (names, paths, values, reports, the command line)
// shows as text, in the markup and in the data alike.
TEST(HtmlReportTest, RunTextsNeverBecomeMarkup) {
    const std::string payload = "<script>alert(1)</script>";
    HtmlRun run;
    run.host = payload;
    run.commandLine = payload;
    HtmlTest test = failedTest(payload, 1);
    test.failedEntries = {{payload, payload}};
    test.report = payload;
    run.scripts.push_back({payload, {{2, 5, payload}}, {test}});
    run.spans = {{1, 0, 0, 1}, {2, 0, 1, 2}};
    const std::string page = zorrun::renderHtmlReport(run);
    EXPECT_EQ(occurrences(page, "<script>alert"), 0u);
    EXPECT_EQ(occurrences(page, "</script>"), 2u);  // the page's own two
    EXPECT_GE(occurrences(page, "&lt;script&gt;alert(1)&lt;/script&gt;"), 9u);
}

TEST(HtmlReportTest, CountsTakeScriptErrorsAndTestErrors) {
    HtmlRun run;
    HtmlTest passed = failedTest("a", 1);
    passed.verdict = HtmlVerdict::passed;
    HtmlTest crashed = failedTest("c", 3);
    crashed.verdict = HtmlVerdict::error;
    run.scripts.push_back({"one", {}, {passed, failedTest("b", 2), crashed}});
    run.scripts.push_back({"two", {{1, 1, "cannot open"}, {0, 0, "no output file"}}, {passed}});
    const zorrun::HtmlCounts counts = zorrun::countRun(run);
    EXPECT_EQ((std::array{counts.tests, counts.passed, counts.failed, counts.errors}),
              (std::array<long, 4>{4, 2, 1, 3}));
    const std::string page = zorrun::renderHtmlReport(run);
    EXPECT_NE(page.find("id=\"count-errors\"><span class=\"n\">3<"), std::string::npos);
    EXPECT_NE(page.find("two:1:1</a>: cannot open"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"#script-2\">two</a>: no output file"), std::string::npos);
    EXPECT_EQ(page.find("more failures"), std::string::npos);
}

// A run where everything fails must still give a page a browser opens: past
// the limit, failures travel as data for the tables.
TEST(HtmlReportTest, ManyFailuresPastTheLimitTravelAsData) {
    HtmlRun run;
    run.scripts.push_back({"many", {}, {}});
    for (int i = 0; i < 1200; ++i) {
        run.scripts[0].tests.push_back(failedTest("t", i));
        run.scripts[0].tests.back().failedEntries = {{"x == 1", "2"}};
    }
    const std::string page = zorrun::renderHtmlReport(run);
    EXPECT_EQ(occurrences(page, "<details open class=\"failure\""), 1000u);
    EXPECT_NE(page.find("<p class=\"note\">200 more failures"), std::string::npos);
    EXPECT_NE(page.find("\"1000\":[[[\"x == 1\",\"2\"]],\"\"]"), std::string::npos);
    EXPECT_EQ(page.find("\"999\":"), std::string::npos);
}

// The output file keeps a huge report block whole; the page keeps its start,
// cut between characters, with the verdict's line, time and entries.
TEST(HtmlReportTest, AVerdictKeepsItsLineEntriesAndTheStartOfAHugeBlock) {
    const std::string block = std::string(65535, 'x') + "\u00E9" + std::string(70000, 'y');
    std::string entries;
    zorrun::packFailedEntry(entries, "status == 200", "404");
    zorrun::Verdict failed;
    failed.name = "big";
    failed.report = block;
    failed.line = 7;
    failed.failedEntries = entries;
    zorrun::HtmlRecorder recorder;
    recorder.beginScript("s.txt", 0);
    recorder.addVerdict(failed, 1);
    const HtmlTest& test = recorder.getRun().scripts[0].tests[0];
    EXPECT_EQ(test.report, std::string(65535, 'x') +
                               "\n[cut after 65535 bytes: the output file holds the whole text]\n");
    EXPECT_EQ(test.seconds, 1);
    EXPECT_EQ(test.line, 7);
    ASSERT_EQ(test.failedEntries.size(), 1u);
    EXPECT_EQ(test.failedEntries[0].expected + "|" + test.failedEntries[0].actual,
              "status == 200|404");
}

}  // namespace
