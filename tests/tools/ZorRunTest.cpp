#include <gtest/gtest.h>

#include <regex>

#include "ZorRunFixture.h"

namespace {

class ZorRunTest : public zorruntest::ZorRunFixture {
protected:
    const std::string passing =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { b = \"x\" verify: b != \"y\" }\n";
    const std::string failing = "resultfile \"fail_out.txt\"\nzortst { a = 1 verify: a == 2 }\n";

    const std::string passLines =
        "== pass.txt\nzortst 20 (pass.txt:2): ok (out.txt)\nzortst 51 (pass.txt:3): ok (out.txt)\n";
};

// The library's failed verification sticks for the life of the process; each
// script is still judged by its own tests.
TEST_F(ZorRunTest, EachScriptIsJudgedByItsOwnTests) {
    auto pass = zorRun({write("pass.txt", passing)});
    EXPECT_EQ(pass.status, 0);
    EXPECT_EQ(pass.out, passLines + "tests: 2, passed: 2, failed: 0, scripts with errors: 0\n");
    EXPECT_EQ(pass.err, "");

    const std::string failed =
        "== fail.txt\nzortst 25 (fail.txt:2): FAIL (fail_out.txt)\n    expected a == 2, actual 1\n";
    const std::string summary = "tests: 3, passed: 2, failed: 1, scripts with errors: 0\n";
    auto run = zorRun({write("fail.txt", failing), "pass.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, failed + passLines + summary);
    // Quiet prints only failed tests, under their script.
    auto quiet = zorRun({"-q", "pass.txt", "fail.txt"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, failed + summary);
}

TEST_F(ZorRunTest, ScriptErrorsAreNamedOnStderrAndTheOtherScriptsRun) {
    // Line ends of either kind give the same column.
    const std::string broken =
        "resultfile \"broken_out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\nzortst { a = }\r\n";
    auto run =
        zorRun({"missing.txt", write("broken.txt", broken), write("pass.txt", passing), "."});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "missing.txt: cannot open script: No such file or directory\n"
              "broken.txt:3:14: parse error in line 3 ( }... )\n"
              ".: cannot open script: is a directory\n");
    EXPECT_EQ(run.out,
              "== missing.txt\n== broken.txt\nzortst 28 (broken.txt:2): ok (broken_out.txt)\n" +
                  passLines + "== .\ntests: 3, passed: 3, failed: 0, scripts with errors: 3\n");
    // The library still appends the error text, then its closing line feed.
    EXPECT_TRUE(read("broken_out.txt").ends_with("}\r\n\r\nparse error in line 3 ( }... )\n\n"));
}

TEST_F(ZorRunTest, BadArgumentsHelpAndVersion) {
    const auto bad = [](const std::string& why) {
        return "ZorRun: " + why + "\nTry 'ZorRun --help' for more information.\n";
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, bad("no script given")},
        {{"--frobnicate", "s.txt"}, bad("unknown option '--frobnicate'")},
        {{"s.txt", "--trace-depth"}, bad("--trace-depth needs a value")},
        {{"--trace-depth=101", "s.txt"},
         bad("--trace-depth expects a number from 0 to 100, not '101'")},
        {{"--filter", std::string(256, 'f'), "s.txt"},
         bad("--filter takes at most 255 characters")},
        // "--" ends the options; help wins over everything after it.
        {{"--", "--odd.txt"}, "--odd.txt: cannot open script: No such file or directory\n"},
        {{"s.txt", "--help", "--bogus"}, ""},
    };
    for (const auto& [args, err] : cases) {
        auto run = zorRun(args);
        EXPECT_EQ(run.status, err.empty() ? 0 : 2) << err;
        EXPECT_EQ(run.err, err);
    }
    EXPECT_EQ(zorRun({"-h"}).out.rfind("Usage: ZorRun [options] SCRIPT...\n", 0), 0u);
    EXPECT_EQ(zorRun({"--version"}).out, "ZorRun " ZORRUN_VERSION "\n");
}

TEST_F(ZorRunTest, FilterRunsTheSelectedTestAlone) {
    auto run = zorRun({"--filter", "zortst 51", write("pass.txt", passing)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "== pass.txt\nzortst 51 (pass.txt:3): ok (out.txt)\n"
              "tests: 1, passed: 1, failed: 0, scripts with errors: 0\n");
    auto none = zorRun({"--filter=zortst 9999", "pass.txt"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "pass.txt: the filter 'zortst 9999' selects no test\n");
}

TEST_F(ZorRunTest, ExampleModuleRunsTheExampleScript) {
    write("example.zor.txt", zortest::readFile(ZOR_EXAMPLE_SCRIPT));
    auto run = zorRun({"--load=" ZOR_EXAMPLE_MODULE, "example.zor.txt"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(run.out.ends_with("tests: 4, passed: 4, failed: 0, scripts with errors: 0\n"));
    const std::string report = read("example_out.txt");
    EXPECT_NE(report.find("priceOrder\r\n{\r\n  // three items"), std::string::npos);
    EXPECT_NE(report.find("    (session.id) = 4711\r\n"), std::string::npos);
    EXPECT_EQ(report.find("priceOrder("), std::string::npos) << "no trace unless asked";

    // The script deletes its report first, so this one holds the second run.
    auto traced = zorRun({"--load", ZOR_EXAMPLE_MODULE, "--trace-depth", "3",
                          "--trace-root=priceOrder", "example.zor.txt"});
    EXPECT_EQ(traced.status, 0);
    const std::string tracedReport = read("example_out.txt");
    EXPECT_NE(tracedReport.find("    priceLine()\n"), std::string::npos);
    EXPECT_EQ(tracedReport.find("carrierQuote("), std::string::npos) << "outside the root";
}

TEST_F(ZorRunTest, ModulesThatCannotBeUsedAreNamedAndScriptsStillRun) {
    write("notlib.so", "this is not a shared library\n");
    auto run =
        zorRun({"--load", "missing.so", "--load", "notlib.so", "--load", ZOR_EMPTY_MODULE, "--load",
                ZOR_TEST_MODULE, "--load", ZOR_TEST_MODULE, write("pass.txt", passing)});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(
        run.err.starts_with("missing.so: cannot load module: No such file or directory\n"
                            "notlib.so: cannot load module: not a loadable shared library ("))
        << run.err;
    EXPECT_TRUE(run.err.ends_with(std::string(ZOR_EMPTY_MODULE) +
                                  ": cannot load module: registers no test function\n"));
    EXPECT_EQ(run.out, passLines + "tests: 2, passed: 2, failed: 0, scripts with errors: 0\n");
}

// Six tests of 0.3 seconds: the count appears once the run is a second old
// and is erased again before the summary.
TEST_F(ZorRunTest, LongRunShowsProgressOnATerminalOnly) {
    write("slow.txt", "resultfile \"o\"\npause{}\npause{}\npause{}\npause{}\npause{}\npause{}\n");
    auto terminal =
        zorruntest::runChild({ZORRUN_PATH, "--load", ZOR_TEST_MODULE, "slow.txt"}, dir.path(), 2);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_TRUE(std::regex_search(terminal.err, std::regex("^\r[3-6] tests run\x1b\\[K")))
        << terminal.err;
    EXPECT_TRUE(terminal.err.ends_with("\r\x1b[K"));
    EXPECT_EQ(zorRun({"--load", ZOR_TEST_MODULE, "slow.txt"}).err, "");
}

}  // namespace
