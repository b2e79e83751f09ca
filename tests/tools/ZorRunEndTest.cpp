// How a run ends up where CI reads it: JUnit under the strict schema or with
// places, the console's closing lines, and a run in ZorRun's own process that
// a test function ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ZorRunFixture.h"

namespace {

using ZorRunEndTest = zorruntest::ZorRunFixture;

// 25 entries that fail: more than any report carries one by one.
std::string manyFailures() {
    std::string inputs, checks;
    for (int i = 1; i <= 25; ++i) {
        inputs += " a" + std::to_string(i) + " = 1";
        checks += "\n  a" + std::to_string(i) + " == 2";
    }
    return "zortst {" + inputs + "\nverify:" + checks + "\n}\n";
}

class JUnitFamilies : public ZorRunEndTest {
protected:
    // A passing test, a double six decimals cannot tell apart, 25 failed
    // entries, a crash and a script error, each script run twice.
    zorruntest::ChildResult runSuite(const std::string& family) {
        write("a.txt",
              "resultfile \"out.txt\"\n"
              "zortst { a = 1 verify: a == 1 }\n"
              "zortst { d = 0.30000000000000004 verify: d == 0.3 }\n" +
                  manyFailures() + "crash { }\n");
        write("broken.txt", "resultfile \"b_out.txt\"\nzortst { a = 1 }\nzortst { a = }\n");
        std::vector<std::string> args{"--junit",  "report.xml", "--load", ZOR_TEST_MODULE,
                                      "--repeat", "2",          "a.txt",  "broken.txt"};
        if (!family.empty()) args.insert(args.begin(), {"--junit-family", family});
        if (family.empty())
            args.insert(args.begin(), {"--json", "report.json", "--html", "report.html"});
        return zorRun(args);
    }
};

TEST_F(JUnitFamilies, DefaultKeepsToTheStrictSchema) {
    if (!std::filesystem::exists(ZOR_JUNIT_SCHEMA))
        GTEST_SKIP() << "no JUnit schema at " ZOR_JUNIT_SCHEMA;
    EXPECT_EQ(runSuite("").status, 2);
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(query("concat(count(//@file | //@line), ' ', count(/testsuites/@skipped))"), "0 0");
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
    EXPECT_TRUE(body.starts_with("expected a1 == 2, actual 1\nexpected a2 == 2, actual 1\n"))
        << body;
    EXPECT_NE(body.find("expected a20 == 2, actual 1\n... and 5 more\n\nzortst\n{"),
              std::string::npos)
        << body;
    // The other reports say how many they leave out too.
    EXPECT_NE(read("report.json").find(R"("actual":"1"}],"moreFailures":5})"), std::string::npos);
    EXPECT_NE(read("report.html").find("... and 5 more"), std::string::npos);
}

TEST_F(JUnitFamilies, Xunit1PlacesEachTestInItsRealFile) {
    EXPECT_EQ(runSuite("xunit1").status, 2);
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(query("concat(//testsuite[3]/testcase[2]/@file, ':', "
                    "//testsuite[3]/testcase[2]/@line, '|', //testsuite[2]/testcase[2]/@name, "
                    "' ', //testsuite[2]/testcase[2]/@file, ':', "
                    "//testsuite[2]/testcase[2]/@line, '|', /testsuites/@skipped)"),
              "a.txt:3|script error broken.txt:3|0");
}

// The recap names each failed or erred test where the console placed it, the
// file as it is even under --repeat; the time stands before the summary,
// which stays the last line. Quiet runs print their failures once.
TEST_F(ZorRunEndTest, ClosingLinesRecapFailuresAndTellTheTime) {
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n"
          "zortst { a = 1 verify: a == 1 }\ncrash { }\n");
    const auto run = zorRun({"--load", ZOR_TEST_MODULE, "--repeat", "2", "s.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.whole.find("== s.txt (run 2/2)\nzortst 20 (s.txt:2): FAIL (out.txt)\n"),
              std::string::npos)
        << run.whole;
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
TEST_F(ZorRunEndTest, ExitInsideATestEndsTheInProcessRunAsAnError) {
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
