#include <gtest/gtest.h>

#include <csignal>

#include "ZorRunFixture.h"

namespace {

class ZorRunWorkerTest : public zorruntest::ZorRunFixture {
protected:
    // The test function under test stands at position 51, between two tests
    // that pass; a passing script follows.
    std::string badScript(const std::string& function) {
        write("pass.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n");
        return write("bad.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n" +
                                    function + " { }\nzortst { }\n");
    }
};

// Each case goes on with the next script and exits 2; the report stays valid.
TEST_F(ZorRunWorkerTest, TestFunctionsThatEndOrThrowFailTheirScriptOnly) {
    struct Case {
        std::string function, lines, error, summary;
    };
    const std::string ended = "bad.txt: script ended early: the process exited with status ";
    const Case cases[] = {
        {"crash", "", "bad.txt: test function crashed: SIGSEGV in crash 51\n",
         "tests: 3, passed: 2, failed: 1"},
        {"exitZero", "", ended + "0 inside exitZero 51\n", "tests: 3, passed: 2, failed: 1"},
        {"exitThree", "", ended + "3 inside exitThree 51\n", "tests: 3, passed: 2, failed: 1"},
        // The script goes on after an exception: the test has its verdict.
        {"throws", "throws 51 (bad.txt:3): FAIL (out.txt)\nzortst 61 (bad.txt:4): ok (out.txt)\n",
         "bad.txt: test function threw: no session in throws 51\n",
         "tests: 4, passed: 3, failed: 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        auto run = zorRun({"--load", ZOR_TEST_MODULE, "--junit", "report.xml",
                           badScript(c.function), "pass.txt"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.error);
        EXPECT_EQ(run.out, "== bad.txt\nzortst 20 (bad.txt:2): ok (out.txt)\n" + c.lines +
                               "== pass.txt\nzortst 20 (pass.txt:2): ok (out.txt)\n" + c.summary +
                               ", scripts with errors: 1\n");
        EXPECT_EQ(xmllint("--noout"), "");
        EXPECT_EQ(query("concat(//testcase[2]/@name, '|', //testcase[2]/error/@message, '|', "
                        "count(//testsuite), '|', //testsuite[1]/@errors)"),
                  c.function + " 51|" + c.error.substr(9, c.error.size() - 10) + "|2|1");
    }
}

TEST_F(ZorRunWorkerTest, StopSignalEndsTheRunWithAValidReport) {
    write("slow.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\nsleepLong { }\n");
    write("pass.txt", "resultfile \"out.txt\"\nzortst { }\n");
    write("report.xml", "the former report");
    const std::pair<int, int> cases[] = {{SIGTERM, 143}, {SIGINT, 130}};
    for (const auto& [signal, status] : cases) {
        zorruntest::PipedChild child({ZORRUN_PATH, "--load", ZOR_TEST_MODULE, "--junit",
                                      "report.xml", "slow.txt", "pass.txt"},
                                     dir.path().string());
        ASSERT_TRUE(child.waitFor("zortst 20 (slow.txt:2): ok (out.txt)\n"));
        child.sendSignal(signal);
        auto run = child.finish();
        EXPECT_EQ(run.status, status);
        const std::string name = signal == SIGTERM ? "SIGTERM" : "SIGINT";
        EXPECT_EQ(run.err, "slow.txt: interrupted by " + name +
                               " inside sleepLong 51\npass.txt: interrupted by " + name +
                               " before it started\n");
        EXPECT_TRUE(run.out.ends_with("tests: 1, passed: 1, failed: 0, scripts with errors: 2\n"));
        EXPECT_EQ(xmllint("--noout"), "");
        EXPECT_EQ(query("concat(//testcase[1]/@name, '|', count(//testcase[@name='interrupted']/"
                        "error[@message='interrupted']))"),
                  "zortst 20|2");
    }
}

// A size limit stops the output file after a few blocks: every later test
// fails, the reason is named once, and the run is broken rather than failed.
TEST_F(ZorRunWorkerTest, ReportThatCannotBeWrittenFailsTheRun) {
    std::string script = "resultfile \"out.txt\"\n";
    for (int i = 0; i < 200; ++i) script += "zortst { a = 1 verify: a == 1 }\n";
    write("many.txt", script);
    for (const std::string mode : {"--quiet", "--no-fork"}) {
        std::filesystem::remove(dir.file("out.txt"));
        auto run = zorRun({mode, "many.txt"}, 4096);
        EXPECT_EQ(run.status, 2) << mode;
        EXPECT_TRUE(run.err.starts_with("cannot write the report to out.txt: File too large\n"))
            << run.err;
        EXPECT_EQ(run.err.find("cannot write the report", 1), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("zortst 6189 (many.txt:201): FAIL (out.txt)\n"), std::string::npos);
        EXPECT_LE(std::filesystem::file_size(dir.file("out.txt")), 4096u);
    }
}

// The draft cannot grow past the limit, so it never takes the report's place.
TEST_F(ZorRunWorkerTest, JUnitReportThatCannotBeCompletedLeavesTheFormerOne) {
    std::string script;
    for (int i = 0; i < 100; ++i) script += "zortst { a = 1 }\n";
    write("nofile.txt", script);
    write("report.xml", "the former report");
    auto run = zorRun({"--junit", "report.xml", "nofile.txt"}, 4096);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.ends_with("report.xml: JUnit report incomplete: a write failed\n"))
        << run.err;
    EXPECT_EQ(read("report.xml"), "the former report");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("report.xml.")) << entry.path();
}

}  // namespace
