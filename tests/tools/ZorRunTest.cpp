#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <set>

#include "ZorRunFixture.h"

namespace {

using zorruntest::summary;

class ZorRunTest : public zorruntest::ZorRunFixture {
protected:
    const std::string passing =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { b = \"x\" verify: b != \"y\" }\n";
};

// The library's failed verification sticks for the life of the process; each
// script is still judged by its own tests. Script errors are named on stderr
// and the other scripts run; line ends of either kind give the same column.
TEST_F(ZorRunTest, EachScriptIsJudgedByItsOwnTestsAndErrorsByTheirScript) {
    write("pass.txt", passing);
    write("fail.txt", "resultfile \"fail_out.txt\"\nzortst { a = 1 verify: a == 2 }\n");
    write("broken.txt",
          "resultfile \"broken_out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\nzortst { a = }\r\n");
    auto run =
        zorRun({"--load", ZOR_TEST_MODULE, "fail.txt", "missing.txt", "broken.txt", "pass.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "missing.txt: cannot open script: No such file or directory\n"
              "broken.txt:3:14: parse error in line 3 ( }... )\n");
    EXPECT_EQ(run.out,
              "== fail.txt\nzortst 25 (fail.txt:2): FAIL (fail_out.txt)\n    expected a == 2, "
              "actual 1\n== missing.txt\n== broken.txt\nzortst 28 (broken.txt:2): ok "
              "(broken_out.txt)\n"
              "== pass.txt\nzortst 20 (pass.txt:2): ok (out.txt)\nzortst 51 (pass.txt:3): ok "
              "(out.txt)\n" +
                  summary(3, 1, 2));
}

// The console shows the library's own verdicts: a bound that holds passes
// with no entry, one that does not names it; past 20 failed entries the rest
// are counted, not dropped; a string the scanner could not close gets its
// note at the error's column.
TEST_F(ZorRunTest, TheConsoleShowsTheLibrarysVerdictsAndErrors) {
    std::string values, checks;
    for (char name = 'a'; name <= 'w'; ++name) {
        values += std::string(1, name) + " = 1 ";
        checks += std::string(" ") + name + " == 2";
    }
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 5 verify: a <= 5 }\n"
          "zortst { a = 6 verify: a <= 5 }\nzortst { " +
              values + "verify:" + checks + " }\n");
    write("bad.txt", "resultfile \"bad_out.txt\"\nzortst { s = \"caf\xc3\xa9\" }\n");
    const auto run = zorRun({"--load", ZOR_TEST_MODULE, "s.txt", "bad.txt"});
    EXPECT_EQ(run.status, 2);
    std::string entries;
    for (char name = 'a'; name <= 't'; ++name)
        entries += std::string("    expected ") + name + " == 2, actual 1\n";
    EXPECT_EQ(run.out,
              "== s.txt\nzortst 20 (s.txt:2): ok (out.txt)\n"
              "zortst 51 (s.txt:3): FAIL (out.txt)\n    expected a <= 5, actual 6\n"
              "zortst 82 (s.txt:4): FAIL (out.txt)\n" +
                  entries + "    ... and 3 more\n== bad.txt\n" + summary(1, 2, 1));
    EXPECT_EQ(run.err,
              "bad.txt:2:14: parse error in line 2 ( \"... )\n"
              "bad.txt:2:14: note: strings hold printable ASCII characters except \" and `\n");
}

// Bad options, reports that cannot be drafted or would replace a script, and
// failed-test lists that are not ZorRun's own stop the run before any script
// runs; no draft is left behind.
TEST_F(ZorRunTest, BadArgumentsAndReportFilesAreRefusedBeforeAnythingRuns) {
    write("s.txt", passing);
    ASSERT_EQ(link(dir.file("s.txt").c_str(), dir.file("link.txt").c_str()), 0);
    std::filesystem::create_directory(dir.file("folder"));
    write("foreign.xml",
          "<?xml version=\"1.0\"?>\n<testsuites><testsuite name=\"s\">"
          "<testcase classname=\"pkg.Class\" name=\"t\"/></testsuite></testsuites>\n");
    const std::string junit = ": cannot write JUnit report: ",
                      json = ": cannot write JSON report: ", html = ": cannot write HTML report: ",
                      rerun = ": cannot rerun failed tests: ";
    const std::string isScript = "it is one of the scripts";
    const std::string notOurs = "not a JUnit report written by ZorRun";
    const std::string shard =
        "ZorRun: --shard expects INDEX/COUNT with INDEX from 0 to COUNT-1 and COUNT up to 100000, "
        "not ";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "ZorRun: no script given"},
        {{"--filter", std::string(256, 'f')}, "ZorRun: --filter takes at most 255 characters"},
        {{"-j", "0"}, "ZorRun: --jobs expects a number from 1 to 64 or auto, not '0'"},
        {{"--shard", "3/3"}, shard + "'3/3'"},
        {{"--repeat", "1.5"}, "ZorRun: --repeat expects a number from 1 to 1000, not '1.5'"},
        {{"--maxfail", "0"}, "ZorRun: --maxfail expects a number from 1 to 1000000, not '0'"},
        {{"--junit-family", "xunit3", "--junit", "r.xml"},
         "ZorRun: --junit-family expects xunit1 or xunit2, not 'xunit3'"},
        {{"--no-fork", "--timeout", "5"},
         "ZorRun: --jobs and --timeout need workers: they cannot be used with --no-fork"},
        {{"--junit", "s.txt/report.xml"}, "s.txt/report.xml" + junit + "Not a directory"},
        {{"--junit", "link.txt"}, "link.txt" + junit + isScript},
        {{"--json", "s.txt"}, "s.txt" + json + isScript},
        {{"--html", "folder"}, "folder" + html + "Is a directory"},
        {{"--html", "s.txt"}, "s.txt" + html + isScript},
        {{"--rerun-failed", "foreign.xml"}, "foreign.xml" + rerun + notOurs},
    };
    for (auto [args, err] : cases) {
        SCOPED_TRACE(err);
        if (!args.empty()) args.push_back("s.txt");
        auto run = zorRun(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        // A usage error says where to read about the options; a refused file
        // is named alone.
        EXPECT_EQ(run.err, err + (err.starts_with("ZorRun: ")
                                      ? "\nTry 'ZorRun --help' for more information.\n"
                                      : "\n"));
    }
    EXPECT_EQ(read("s.txt"), passing);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"folder", "foreign.xml", "link.txt", "s.txt"}));
}

class ZorRunWorkerTest : public zorruntest::ZorRunFixture {
protected:
    // The test function under test stands at position 51, between two tests
    // that pass; a passing script with a file of its own follows.
    std::string badScript(const std::string& function) {
        write("pass.txt", "resultfile \"pass_out.txt\"\nzortst { a = 1 verify: a == 1 }\n");
        return write("bad.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n" +
                                    function + " { }\nzortst { }\n");
    }
};

// Each case exits 2 and names the test and its reason, with one worker or
// several (every reason on the console is the reports' agreement check's),
// and the time of the test that got no verdict is measured once for every
// report.
TEST_F(ZorRunWorkerTest, TestFunctionsThatEndOrThrowAreErrors) {
    const struct {
        std::string function, jobs, reason;
    } cases[] = {
        {"exitZero", "1", "script ended early: the process exited with status 0"},
        {"sleepLong", "2", "timed out after 1 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function + " -j " + c.jobs);
        auto run =
            zorRun({"-j", c.jobs, "--timeout", "1", "--load", ZOR_TEST_MODULE, "--junit",
                    "report.xml", "--json", "report.json", badScript(c.function), "pass.txt"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "bad.txt: " + c.reason +
                               (c.function == "exitZero" ? " inside " : " in ") + c.function +
                               " 51\n");
        const std::string time = query("string(//testcase[2]/@time)");
        std::smatch duration;
        const std::string json = read("report.json");
        ASSERT_TRUE(std::regex_search(json, duration,
                                      std::regex(R"("verdict":"error","duration":([0-9.e+-]+))")));
        EXPECT_NEAR(std::stod(duration[1]), std::stod(time), 1e-6);
        EXPECT_EQ(std::stod(time) >= 1.0, c.function == "sleepLong") << time;
    }
}

TEST_F(ZorRunWorkerTest, StopSignalEndsTheRunWithAValidReport) {
    write("slow.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\nsleepLong { }\n");
    write("pass.txt", "resultfile \"out.txt\"\nzortst { }\n");
    write("report.xml", "the former report");
    zorruntest::PipedChild child(
        {ZORRUN_PATH, "--load", ZOR_TEST_MODULE, "--junit", "report.xml", "slow.txt", "pass.txt"},
        dir.path().string());
    // Any verdict will do, so that a wrong one fails the test instead of hanging it.
    ASSERT_TRUE(child.waitFor(": ok (out.txt)\n"));
    child.sendSignal(SIGTERM);
    auto run = child.finish();
    EXPECT_EQ(run.status, 143);
    EXPECT_TRUE(run.out.starts_with("== slow.txt\nzortst 20 (slow.txt:2): ok (out.txt)\n"));
    EXPECT_EQ(run.err,
              "slow.txt: interrupted by SIGTERM inside sleepLong 51\n"
              "pass.txt: interrupted by SIGTERM before it started\n");
    EXPECT_TRUE(run.out.ends_with(summary(1, 0, 2))) << run.out;
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(query("concat(//testcase[1]/@name, '|', count(//testcase[@name='interrupted']/"
                    "error[@message='interrupted']))"),
              "zortst 20|2");
}

// A size limit stops the output file after a few blocks: every later test
// fails, the reason is named once, and the run is broken rather than failed.
// The JUnit draft cannot grow past the limit either, so it never takes the
// former report's place.
TEST_F(ZorRunWorkerTest, ReportsThatCannotBeWrittenFailTheRun) {
    std::string script = "resultfile \"out.txt\"\n";
    for (int i = 0; i < 200; ++i) script += "zortst { a = 1 verify: a == 1 }\n";
    write("many.txt", script);
    for (const std::string mode : {"--quiet", "--no-fork"}) {
        std::filesystem::remove(dir.file("out.txt"));
        write("report.xml", "the former report");
        auto run = zorRun({mode, "--junit", "report.xml", "many.txt"}, 4096);
        EXPECT_EQ(run.status, 2) << mode;
        EXPECT_TRUE(run.err.starts_with("cannot write the report to out.txt: File too large\n"))
            << run.err;
        EXPECT_EQ(run.err.find("cannot write the report", 1), std::string::npos) << run.err;
        EXPECT_TRUE(run.err.ends_with("report.xml: JUnit report incomplete: a write failed\n"))
            << run.err;
        EXPECT_NE(run.out.find("zortst 6189 (many.txt:201): ERROR cannot write the report to "
                               "out.txt: File too large\n"),
                  std::string::npos);
        EXPECT_EQ(run.out.find(": ok (") == std::string::npos, mode == "--quiet");
        EXPECT_LE(std::filesystem::file_size(dir.file("out.txt")), 4096u);
        EXPECT_EQ(read("report.xml"), "the former report");
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with("report.xml."))
                << entry.path();
    }
}

}  // namespace
