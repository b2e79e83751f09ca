#include <gtest/gtest.h>

#include "ZorRunFixture.h"

namespace {

using zorruntest::positionOf;

class ZorRunTest : public zorruntest::ZorRunFixture {
protected:
    const std::string passing =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { b = \"x\" verify: b != \"y\" }\n";
    const std::string failing =
        "resultfile \"fail_out.txt\"\n"
        "zortst { a = 1 verify: a == 2 }\n";
    const std::string broken =
        "resultfile \"broken_out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { a = }\n";

    std::string line(const std::string& script, const std::string& text, const char* verdict,
                     const char* out) {
        return "zortst " + std::to_string(positionOf(script, text)) + ": " + verdict + " (" + out +
               ")\n";
    }
    std::string passingLines() {
        return line(passing, "zortst { a", "ok", "out.txt") +
               line(passing, "zortst { b", "ok", "out.txt");
    }
};

TEST_F(ZorRunTest, PassingScriptPrintsATestLineEachAndTheSummary) {
    auto run = zorRun({write("pass.txt", passing)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "== pass.txt\n" + passingLines() +
                           "tests: 2, passed: 2, failed: 0, scripts with errors: 0\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read("out.txt"),
              "zortst\r\n{\r\n  verified:\r\n    a == 1\r\n  logged:\r\n}\r\n\r\n"
              "zortst\r\n{\r\n  verified:\r\n    b != \"y\"; [char* b = \"x\"] \r\n  logged:\r\n"
              "}\r\n\r\n\n");
}

// The library's failed verification sticks for the life of the process; each
// script is still judged by its own tests.
TEST_F(ZorRunTest, FailedVerificationGivesStatusOneAndALaterScriptStillPasses) {
    auto run = zorRun({write("fail.txt", failing), write("pass.txt", passing)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "== fail.txt\n" + line(failing, "zortst", "FAIL", "fail_out.txt") +
                           "== pass.txt\n" + passingLines() +
                           "tests: 3, passed: 2, failed: 1, scripts with errors: 0\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(ZorRunTest, QuietPrintsOnlyFailedTestsUnderTheirScript) {
    auto run = zorRun({"-q", write("pass.txt", passing), write("fail.txt", failing)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "== fail.txt\n" + line(failing, "zortst", "FAIL", "fail_out.txt") +
                           "tests: 3, passed: 2, failed: 1, scripts with errors: 0\n");
}

TEST_F(ZorRunTest, UnknownTestFunctionFailsWithItsNameInTheReport) {
    const std::string script = "resultfile \"out.txt\"\nnosuch { x = 1 verify: x == 1 }\n";
    auto run = zorRun({write("s.txt", script)});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("nosuch 20: FAIL (out.txt)\n"), std::string::npos) << run.out;
    EXPECT_EQ(read("out.txt"),
              "nosuch\r\n{\r\n  verified:\r\n  logged:\r\n    nosuch = \"unknown testfunction\"\r\n"
              "} [ERROR]\r\n\r\n\n");
}

TEST_F(ZorRunTest, ScriptErrorGoesToStderrAsFileLineColumnAndTheNextScriptRuns) {
    auto run = zorRun({write("broken.txt", broken), write("pass.txt", passing)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "broken.txt:3:14: parse error in line 3 ( }... )\n");
    EXPECT_EQ(run.out, "== broken.txt\n" + line(broken, "zortst", "ok", "broken_out.txt") +
                           "== pass.txt\n" + passingLines() +
                           "tests: 3, passed: 3, failed: 0, scripts with errors: 1\n");
    // The library still appends the error text, then its closing line feed.
    const std::string tail = "}\r\n\r\nparse error in line 3 ( }... )\n\n";
    const std::string out = read("broken_out.txt");
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

TEST_F(ZorRunTest, ScriptThatCannotBeOpenedIsNamedWithTheReason) {
    auto run = zorRun({"missing.txt", write("pass.txt", passing), "."});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "missing.txt: cannot open script: No such file or directory\n"
              ".: cannot open script: is a directory\n");
    EXPECT_EQ(run.out, "== missing.txt\n== pass.txt\n" + passingLines() + "== .\n" +
                           "tests: 2, passed: 2, failed: 0, scripts with errors: 2\n");
}

TEST_F(ZorRunTest, MissingOutputFileIsAnError) {
    auto none = zorRun({write("none.txt", "zortst { a = 1 }\n")});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "none.txt: no output file: the script names no output file\n");
    EXPECT_NE(none.out.find("zortst 0: FAIL (no output file)\n"), std::string::npos);

    auto nodir = zorRun({write("nodir.txt", "resultfile \"nodir/out.txt\"\nzortst { }\n")});
    EXPECT_EQ(nodir.status, 2);
    EXPECT_EQ(nodir.err,
              "nodir.txt: no output file nodir/out.txt: directory nodir does not exist\n");
}

TEST_F(ZorRunTest, BadArgumentsHelpAndVersion) {
    auto noScript = zorRun({});
    EXPECT_EQ(noScript.status, 2);
    EXPECT_EQ(noScript.err, "ZorRun: no script given\nTry 'ZorRun --help' for more information.\n");
    EXPECT_EQ(zorRun({"--trace-depth", "deep", "s.txt"}).status, 2);
    EXPECT_EQ(zorRun({"--frobnicate", "s.txt"}).status, 2);

    auto help = zorRun({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ZorRun [options] SCRIPT...\n", 0), 0u);
    auto version = zorRun({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "ZorRun " ZORRUN_VERSION "\n");
}

TEST_F(ZorRunTest, FilterRunsTheSelectedTestAlone) {
    const std::string second = std::to_string(positionOf(passing, "zortst { b"));
    auto run = zorRun({"--filter", "zortst " + second, write("pass.txt", passing)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "== pass.txt\n" + line(passing, "zortst { b", "ok", "out.txt") +
                           "tests: 1, passed: 1, failed: 0, scripts with errors: 0\n");

    auto none = zorRun({"--filter=zortst 9999", "pass.txt"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "pass.txt: the filter 'zortst 9999' selects no test\n");
}

TEST_F(ZorRunTest, ExampleModuleRunsTheExampleScript) {
    write("example.zor.txt", zortest::readFile(ZOR_EXAMPLE_SCRIPT));
    auto run = zorRun({"--load", ZOR_EXAMPLE_MODULE, "example.zor.txt"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    for (const char* test : {"login", "priceOrder", "shipOrder", "zortst"})
        EXPECT_NE(run.out.find(std::string("\n") + test + " "), std::string::npos) << test;
    EXPECT_NE(run.out.find("tests: 4, passed: 4, failed: 0, scripts with errors: 0\n"),
              std::string::npos);
    const std::string report = read("example_out.txt");
    EXPECT_NE(report.find("priceOrder\r\n{\r\n  // three items"), std::string::npos);
    EXPECT_NE(report.find("    (session.id) = 4711\r\n"), std::string::npos);
    EXPECT_EQ(report.find("priceOrder("), std::string::npos) << "no trace unless asked";

    // The script deletes its report first, so this one holds the second run.
    auto traced = zorRun({"--load", ZOR_EXAMPLE_MODULE, "--trace-depth", "3", "example.zor.txt"});
    EXPECT_EQ(traced.status, 0);
    const std::string tracedReport = read("example_out.txt");
    EXPECT_NE(tracedReport.find("priceOrder("), std::string::npos);
    EXPECT_NE(tracedReport.find("    priceLine()\n"), std::string::npos);
    EXPECT_NE(tracedReport.find("carrierQuote("), std::string::npos);
}

TEST_F(ZorRunTest, ModulesThatCannotBeUsedAreNamedAndScriptsStillRun) {
    write("notlib.so", "this is not a shared library\n");
    auto run = zorRun({"--load", "missing.so", "--load", "notlib.so", "--load", ZOR_EMPTY_MODULE,
                       write("pass.txt", passing)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.find("missing.so: cannot load module: No such file or directory\n"), 0u)
        << run.err;
    EXPECT_NE(run.err.find("notlib.so: cannot load module: not a loadable shared library ("),
              std::string::npos);
    EXPECT_NE(run.err.find(std::string(ZOR_EMPTY_MODULE) +
                           ": cannot load module: registers no test function\n"),
              std::string::npos);
    EXPECT_EQ(run.out, "== pass.txt\n" + passingLines() +
                           "tests: 2, passed: 2, failed: 0, scripts with errors: 0\n");
}

TEST_F(ZorRunTest, LoadedModuleFunctionsRunByName) {
    const std::string script = "resultfile \"out.txt\"\nanswer { verify: value == 42 }\n";
    auto run =
        zorRun({"--load", ZOR_TEST_MODULE, "--load", ZOR_TEST_MODULE, write("s.txt", script)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "== s.txt\nanswer 20: ok (out.txt)\n"
              "tests: 1, passed: 1, failed: 0, scripts with errors: 0\n");
}

// Six tests of 0.3 seconds: the count appears once the run is a second old
// and is erased again before the summary.
TEST_F(ZorRunTest, LongRunShowsProgressOnATerminalOnly) {
    std::string script = "resultfile \"out.txt\"\n";
    for (int i = 0; i < 6; ++i) script += "pause { }\n";
    write("slow.txt", script);
    std::vector<std::string> argv{ZORRUN_PATH, "--load", ZOR_TEST_MODULE, "slow.txt"};
    auto terminal = zortest::runChildOnTerminal(argv, dir.path().string());
    EXPECT_EQ(terminal.status, 0);
    const std::size_t shown = terminal.err.find(" tests run\x1b[K");
    ASSERT_NE(shown, std::string::npos) << terminal.err;
    ASSERT_GE(shown, 2u);
    EXPECT_EQ(terminal.err[shown - 2], '\r');
    EXPECT_TRUE(terminal.err[shown - 1] >= '3' && terminal.err[shown - 1] <= '6') << terminal.err;
    EXPECT_EQ(terminal.err.substr(terminal.err.size() - 4), "\r\x1b[K");

    auto plain = zorRun({"--load", ZOR_TEST_MODULE, "slow.txt"});
    EXPECT_EQ(plain.err, "");
}

}  // namespace
