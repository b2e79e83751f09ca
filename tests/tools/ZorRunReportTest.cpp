// What ZorRun reports: on its output, in the JSON and JUnit files and on the
// HTML page, and how a run ends up where CI reads it: JUnit under the strict
// schema or with places, the console's closing lines, and a run in ZorRun's
// own process that a test function ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ZorRunFixture.h"

namespace {

using ZorRunReportTest = zorruntest::ZorRunFixture;

// The document as the README gives it, measured durations aside (that it
// reads as JSON, its totals and script errors, are the reports' agreement
// check's).
TEST_F(ZorRunReportTest, JsonReportFollowsItsSchema) {
    write("mixed.txt",
          "resultfile \"out.txt\"\n"
          "zortst { a = 1 verify: a == 1 }\n"
          "zortst { d = 0.30000000000000004 verify: d == 0.3 }\n"
          "nofunc { }\n");
    auto run = zorRun({"--json", "report.json", "mixed.txt"});
    EXPECT_EQ(run.status, 1);
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
              R"j("message":"no test function nofunc (did you mean --load?)"}],)j"
              R"("errors":[],"outcome":"failed","passed":1,"failed":2,"notRun":0,"duration":0}],)"
              R"("totals":{"tests":3,"passed":1,"failed":2,"errors":0,"notRun":0,)"
              R"("scriptsWithErrors":0},"startTime":"T","duration":0,"exitStatus":1})");
}

// Four tests: one passes, three fail, with texts that need escaping and a
// block too large to take whole (each byte's escape is the XML text's own
// test). Then a script without an output file: the library makes no
// comparison, and says so.
TEST_F(ZorRunReportTest, KnownScriptsGiveValidXmlWithTheirRecordsFailuresAndErrors) {
    const std::string known =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { t = \"<&'>\" verify: t == \"]]>\" }\n"
        "nosuch { }\n"
        "bigText { verify: text == \"\" }\n";
    const std::string oddName = write("a&b <\"c\">.txt", known);
    write("none.txt", "zortst { a = 1 }\n");
    auto run = zorRun({"--junit-family", "xunit1", "--junit", "report.xml", "--load",
                       ZOR_TEST_MODULE, oddName, "none.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(run.err, "none.txt: no output file: the script names no output file\n");
    EXPECT_NE(run.out.find("zortst 0 (none.txt:1): FAIL (no output file)\n"), std::string::npos);

    const std::string suite = "//testsuite[1]", cases = suite + "/testcase";
    EXPECT_EQ(query("concat(" + suite + "/@name, '|', " + suite + "/@tests, ' ', " + suite +
                    "/@failures, '|', " + cases + "[1]/@classname, '|', " + cases +
                    "[3]/@name, '|', " + cases + "[1]/@file, ':', " + cases + "[4]/@line)"),
              oddName + "|4 3|" + oddName + "|nosuch 91|" + oddName + ":5");
    // Each failure carries its test's report block, a huge one cut with a note
    // (XML parsers read each CR LF of the block as one LF).
    EXPECT_TRUE(query("string(" + cases + "[2]/failure)")
                    .ends_with("\n\nzortst\n{\n  verified:\n    t == \"]]>\"; [char* t = "
                               "\"<&'>\"] ERROR\n  logged:\n}\n\n"));
    const std::string huge = query("string(" + cases + "[4]/failure)");
    EXPECT_NEAR(static_cast<double>(huge.size()), (1 << 20) + 250, 100);
    EXPECT_TRUE(huge.ends_with("\n[report cut after 1048576 bytes]\n"));

    EXPECT_EQ(query("string(//testsuite[2]/testcase[1]/failure)"),
              "no comparison was made: the script names no output file");
}

// 25 entries that fail: more than any report carries one by one.
std::string manyFailures() {
    std::string inputs, checks;
    for (int i = 1; i <= 25; ++i) {
        inputs += " a" + std::to_string(i) + " = 1";
        checks += "\n  a" + std::to_string(i) + " == 2";
    }
    return "zortst {" + inputs + "\nverify:" + checks + "\n}\n";
}

// A passing test, a double six decimals cannot tell apart, 25 failed entries,
// a crash and a script error, each script run twice.
TEST_F(ZorRunReportTest, JUnitKeepsToTheStrictSchema) {
    if (!std::filesystem::exists(ZOR_JUNIT_SCHEMA))
        GTEST_SKIP() << "no JUnit schema at " ZOR_JUNIT_SCHEMA;
    write("a.txt",
          "resultfile \"out.txt\"\n"
          "zortst { a = 1 verify: a == 1 }\n"
          "zortst { d = 0.30000000000000004 verify: d == 0.3 }\n" +
              manyFailures() + "crash { }\n");
    write("broken.txt", "resultfile \"b_out.txt\"\nzortst { a = 1 }\nzortst { a = }\n");
    EXPECT_EQ(zorRun({"--junit", "report.xml", "--json", "report.json", "--html", "report.html",
                      "--load", ZOR_TEST_MODULE, "--repeat", "2", "a.txt", "broken.txt"})
                  .status,
              2);
    EXPECT_EQ(xmllint("--noout"), "");
    const auto valid = zorruntest::runChild(
        {ZOR_XMLLINT, "--noout", "--schema", ZOR_JUNIT_SCHEMA, dir.file("report.xml")});
    EXPECT_EQ(valid.status, 0) << valid.err;
    EXPECT_EQ(query("concat(/testsuites/@tests, ' ', /testsuites/@failures, ' ', "
                    "/testsuites/@errors, '|', //testsuite[1]/@name, '|', //testsuite[3]/@name)"),
              "12 4 4|a.txt (run 1/2)|a.txt (run 2/2)");
    // The message names the first failed entry, exactly; the body lists the
    // carried entries, says how many it leaves out, then the record's block.
    const std::string cases = "//testsuite[1]/testcase";
    EXPECT_EQ(query("string(" + cases + "[2]/failure/@message)"),
              "expected d == 0.3, actual 0.30000000000000004");
    EXPECT_EQ(query("string(" + cases + "[3]/failure/@message)"),
              "expected a1 == 2, actual 1 (+24 more)");
    const std::string body = query("string(" + cases + "[3]/failure)");
    EXPECT_NE(body.find("expected a20 == 2, actual 1\n... and 5 more\n\nzortst\n{"),
              std::string::npos)
        << body;
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

// The recap names each failed or erred test where the console placed it, the
// file as it is even under --repeat; the time stands before the summary,
// which stays the last line. Quiet runs print their failures once.
TEST_F(ZorRunReportTest, ClosingLinesRecapFailuresAndTellTheTime) {
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n"
          "zortst { a = 1 verify: a == 1 }\ncrash { }\n");
    const auto run = zorRun({"--load", ZOR_TEST_MODULE, "--repeat", "2", "s.txt"});
    EXPECT_EQ(run.status, 2);
    const std::regex closing(
        "\nfailed: zortst 20 \\(s\\.txt:2\\)\nerror: crash 82 \\(s\\.txt:4\\)\n"
        "failed: zortst 20 \\(s\\.txt:2\\)\nerror: crash 82 \\(s\\.txt:4\\)\n"
        "ran in [0-9]+\\.[0-9]{2} s\n" +
        zorruntest::summary(2, 2, 0, 2) + "$");
    EXPECT_TRUE(std::regex_search(run.whole, closing)) << run.whole;

    // A script error stands in the recap too, where a CI log shows stdout alone.
    write("broken.txt", "resultfile \"out.txt\"\nzortst { a = }\n");
    const auto broken = zorRun({"broken.txt"});
    EXPECT_NE(
        broken.whole.find("\nerror: broken.txt:2:14: parse error in line 2 ( }... )\nran in "),
        std::string::npos)
        << broken.whole;

    const auto quiet = zorRun({"-q", "--load", ZOR_TEST_MODULE, "s.txt"});
    EXPECT_EQ(quiet.whole.find("\nfailed: "), std::string::npos) << quiet.whole;
    EXPECT_NE(quiet.whole.find("\nran in "), std::string::npos) << quiet.whole;
}

// A test function that calls exit(0) in ZorRun's own process would end the
// run as a pass with no reports; it errs, and the reports are written.
TEST_F(ZorRunReportTest, ExitInsideATestEndsTheInProcessRunAsAnError) {
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\nexitZero { }\n"
          "zortst { a = 1 }\n");
    const auto run =
        zorRun({"--no-fork", "--load", ZOR_TEST_MODULE, "--junit", "report.xml", "s.txt", "s.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("\nexitZero 51: ERROR test function called exit()\n"), std::string::npos)
        << run.out;
    EXPECT_TRUE(run.out.ends_with(zorruntest::summary(1, 0, 0, 1))) << run.out;
    EXPECT_TRUE(run.err.ends_with("s.txt: test function called exit() in exitZero 51\n"))
        << run.err;
    EXPECT_NE(run.whole.find("\nerror: exitZero 51\nran in "), std::string::npos) << run.whole;
    EXPECT_EQ(query("concat(/testsuites/@tests, ' ', /testsuites/@errors, ' ', "
                    "count(//testsuite))"),
              "2 1 1");
}

}  // namespace
