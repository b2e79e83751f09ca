// What ZorRun reports: on its output, in the JSON and JUnit files and on the
// HTML page.
#include <gtest/gtest.h>

#include <regex>

#include "ZorRunFixture.h"

namespace {

using ZorRunReportTest = zorruntest::ZorRunFixture;

// The document as the README gives it, measured durations aside, and one
// that Python reads.
TEST_F(ZorRunReportTest, JsonReportFollowsItsSchema) {
    write("mixed.txt",
          "resultfile \"out.txt\"\n"
          "zortst { a = 1 verify: a == 1 }\n"
          "zortst { d = 0.30000000000000004 verify: d == 0.3 }\n"
          "nofunc { }\n"
          "crash { }\n");
    write("broken.txt", "resultfile \"out.txt\"\nzortst { a = }\n");
    write("report.json", "the former report");
    auto run = zorRun({"--load", ZOR_TEST_MODULE, "--json", "report.json", "mixed.txt",
                       "broken.txt", "missing.txt"});
    EXPECT_EQ(run.status, 2);
    const std::string readsIt = "import json, sys; json.load(open(sys.argv[1]))";
    EXPECT_EQ(zorruntest::runChild({ZOR_PYTHON3, "-c", readsIt, dir.file("report.json")}).status,
              0);
    // One line per script and per test; the lines are not compared.
    std::string json = std::regex_replace(
        read("report.json"), std::regex(R"("duration":[0-9][0-9.e+-]*)"), R"("duration":0)");
    json = std::regex_replace(json, std::regex(R"("startTime":"[0-9-]+T[0-9:]+Z")"),
                              R"("startTime":"T")");
    std::erase(json, '\n');
    EXPECT_EQ(json,
              R"({"version":1,"scripts":[{"path":"mixed.txt","tests":[)"
              R"( {"name":"zortst","position":20,"file":"mixed.txt","line":2,"verdict":"passed",)"
              R"("duration":0,"outFile":"out.txt","failures":[]},)"
              R"( {"name":"zortst","position":51,"file":"mixed.txt","line":3,"verdict":"failed",)"
              R"("duration":0,"outFile":"out.txt","failures":[{"expected":"d == 0.3",)"
              R"("actual":"0.30000000000000004"}]},)"
              R"( {"name":"nofunc","position":102,"file":"mixed.txt","line":4,"verdict":"failed",)"
              R"("duration":0,"outFile":"out.txt","failures":[],)"
              R"j("message":"no test function nofunc (did you mean --load?)"},)j"
              R"( {"name":"crash","position":112,"file":"mixed.txt","line":5,"verdict":"error",)"
              R"("duration":0,"outFile":"","failures":[],)"
              R"("message":"test function crashed: SIGSEGV in crash 112"}],)"
              R"("errors":[],"outcome":"error","passed":1,"failed":2,"notRun":0,"duration":0},)"
              R"({"path":"broken.txt","tests":[],)"
              R"j("errors":["broken.txt:2:14: parse error in line 2 ( }... )"],)j"
              R"("outcome":"error","passed":0,"failed":0,"notRun":0,"duration":0},)"
              R"({"path":"missing.txt","tests":[],)"
              R"("errors":["cannot open script: No such file or directory"],)"
              R"("outcome":"error","passed":0,"failed":0,"notRun":0,"duration":0}],)"
              R"("totals":{"tests":4,"passed":1,"failed":2,"errors":1,"notRun":0,)"
              R"("scriptsWithErrors":2},"startTime":"T","duration":0,"exitStatus":2})");
}

// Colour on a terminal (script(1) gives one), as in an interactive shell,
// unless NO_COLOR says otherwise; none on a pipe, as a CI job reads it, unless
// asked.
TEST_F(ZorRunReportTest, ColourOnlyOnATerminalOrWhenAsked) {
    write("s.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n");
    const std::string greenOk = "\x1b[32mok\x1b[0m";
    const auto shown = [&](const std::string& noColor, bool onTerminal) {
        const std::string command = "env -u TERM " + noColor + " " ZORRUN_PATH " s.txt";
        if (onTerminal)
            return zorruntest::runChild({"/usr/bin/script", "-qec", command, "/dev/null"},
                                        dir.path())
                .out;
        return zorruntest::runChild({"/bin/sh", "-c", command}, dir.path()).out;
    };
    EXPECT_NE(shown("NO_COLOR=", true).find(greenOk), std::string::npos);
    EXPECT_EQ(shown("NO_COLOR=1", true).find("\x1b["), std::string::npos);
    EXPECT_EQ(shown("NO_COLOR=", false).find("\x1b["), std::string::npos);
    EXPECT_EQ(zorRun({"--color=always", "s.txt"}).out,
              "== s.txt\nzortst 20 (s.txt:2): " + greenOk +
                  " (out.txt)\n\x1b[32mtests: 1, passed: 1, failed: 0, errors: 0, not run: 0, "
                  "scripts with errors: 0\x1b[0m\n");
}

// Five tests: one passes, four fail, with texts that need escaping and a
// block too large to take whole. Then a broken script, a missing one and two
// without an output file: the library makes no comparison, and says so.
TEST_F(ZorRunReportTest, KnownScriptsGiveValidXmlWithTheirRecordsFailuresAndErrors) {
    const std::string known =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { t = \"<&'>\" verify: t == \"]]>\" }\n"
        "nosuch { }\n"
        "everyByte { verify: text == \"\" }\n"
        "bigText { verify: text == \"\" }\n";
    const std::string broken = "resultfile \"broken_out.txt\"\nzortst { a = 1 }\nzortst { a = }\n";
    const std::string oddName = write("a&b <\"c\">.txt", known);
    write("none.txt", "zortst { a = 1 }\n");
    write("nodir.txt", "resultfile \"nodir/out.txt\"\nzortst { }\n");
    auto run =
        zorRun({"--junit-family", "xunit1", "--junit", "report.xml", "--load", ZOR_TEST_MODULE,
                oddName, write("broken.txt", broken), "missing.txt", "none.txt", "nodir.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_TRUE(run.err.ends_with(
        "none.txt: no output file: the script names no output file\n"
        "nodir.txt: no output file nodir/out.txt: directory nodir does not exist\n"))
        << run.err;
    EXPECT_NE(run.out.find("zortst 0 (none.txt:1): FAIL (no output file)\n"), std::string::npos);

    const std::string suite = "//testsuite[1]", cases = suite + "/testcase";
    EXPECT_EQ(query("concat(" + suite + "/@name, '|', " + suite + "/@tests, ' ', " + suite +
                    "/@failures, ' ', " + suite + "/@errors)"),
              oddName + "|5 4 0");
    EXPECT_EQ(query("concat(" + cases + "[1]/@classname, '|', " + cases + "[1]/@name, '|', count(" +
                    cases + "[1]/failure), '|', " + cases + "[3]/@name, '|', " + cases +
                    "[1]/@file, ':', " + cases + "[1]/@line, ' ', " + cases +
                    "[4]/@line, '|', count(//testcase[@time >= 0]))"),
              oddName + "|zortst 20|0|nosuch 91|" + oddName + ":2 5|12");
    // Each failure carries its test's report block, a huge one cut with a note
    // (XML parsers read each CR LF of the block as one LF).
    EXPECT_TRUE(query("string(" + cases + "[2]/failure)")
                    .ends_with("\n\nzortst\n{\n  verified:\n    t == \"]]>\"; [char* t = "
                               "\"<&'>\"] ERROR\n  logged:\n}\n\n"));
    EXPECT_EQ(query("string(" + cases + "[3]/failure)"),
              "nosuch\n{\n  verified:\n  logged:\n    nosuch = \"unknown testfunction\"\n"
              "} [ERROR]\n\n");
    EXPECT_NE(query("string(" + cases + "[4]/failure)").find("\n\neveryByte\n{\n"),
              std::string::npos);
    const std::string huge = query("string(" + cases + "[5]/failure)");
    EXPECT_NEAR(static_cast<double>(huge.size()), (1 << 20) + 250, 100);
    EXPECT_TRUE(huge.ends_with("\n[report cut after 1048576 bytes]\n"));

    EXPECT_EQ(
        query("concat(//testsuite[2]/@tests, ' ', //testsuite[2]/@errors, '|', "
              "//testsuite[2]/testcase[2]/error/@message, '|', "
              "//testsuite[2]/testcase[2]/error, '|', //testsuite[3]/testcase/error/@message)"),
        "2 1|parse error in line 3 ( }... )|broken.txt:3:14: parse error in line 3 ( }... )|"
        "cannot open script: No such file or directory");
    EXPECT_EQ(query("string(//testsuite[4]/testcase[1]/failure)"),
              "no comparison was made: the script names no output file");
    EXPECT_EQ(query("concat(//testsuite[5]/testcase[1]/failure, '|', "
                    "//testsuite[5]/testcase[2]/error/@message)"),
              "no comparison was made: the output file 'nodir/out.txt' could not be opened|"
              "no output file nodir/out.txt: directory nodir does not exist");
}

// A test that pauses keeps each worker busy long enough for the other to take
// the next script; the page keeps the scripts in the command line's order,
// whichever ended first.
TEST_F(ZorRunReportTest, SeveralJobsShowTheirWorkersOnATimeline) {
    const std::string a = write("a.txt", "resultfile \"a_out.txt\"\npause { }\nzortst { }\n");
    const std::string b = write("b.txt", "resultfile \"b_out.txt\"\npause { }\n");
    auto run = zorRun({"-j", "2", "--load", ZOR_TEST_MODULE, "--html", "report.html", a, b});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string page = read("report.html");
    const std::regex lane("<div class=\"lane\">");
    EXPECT_EQ(std::distance(std::sregex_iterator(page.begin(), page.end(), lane), {}), 2);
    EXPECT_NE(page.find("id=\"script-1\"><h3><span class=\"verdict passed\">passed</span> "
                        "<span class=\"path\">a.txt</span> <span class=\"tally\">2 of 2"),
              std::string::npos);
    EXPECT_NE(page.find("\"path\":\"b.txt\",\"tests\":[[\"pause\",22,2,0,"), std::string::npos);
    EXPECT_NE(page.find("<dt>Command</dt><dd><code>ZorRun -j 2 --load " ZOR_TEST_MODULE
                        " --html report.html a.txt b.txt<"),
              std::string::npos);
}

}  // namespace
