#include <gtest/gtest.h>

#include "ZorRunFixture.h"

namespace {

using zorruntest::positionOf;
using zortest::xmllintAnswer;

// XML parsers read every CR LF as LF.
std::string normalised(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
}

class ZorRunJUnitTest : public zorruntest::ZorRunFixture {
protected:
    std::string query(const std::string& xpath) {
        return xmllintAnswer({"--xpath", xpath, dir.file("report.xml")});
    }

    // Four tests: one passes, three fail, with texts that need escaping.
    const std::string known =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { t = \"<&'>\" verify: t == \"]]>\" }\n"
        "nosuch { }\n"
        "everyByte { verify: text == \"\" }\n";
    const std::string broken =
        "resultfile \"broken_out.txt\"\n"
        "zortst { a = 1 }\n"
        "zortst { a = }\n";
};

TEST_F(ZorRunJUnitTest, KnownScriptsGiveValidXmlWithTheirRecordsFailuresAndErrors) {
    const std::string oddName = write("a&b <\"c\">.txt", known);
    auto run = zorRun({"--junit", "report.xml", "--load", ZOR_TEST_MODULE, oddName,
                       write("broken.txt", broken), "missing.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(xmllintAnswer({"--noout", dir.file("report.xml")}), "");

    EXPECT_EQ(query("count(//testsuite)"), "3");
    EXPECT_EQ(query("string(//testsuite[1]/@name)"), oddName);
    EXPECT_EQ(query("string(//testsuite[1]/@tests)"), "4");
    EXPECT_EQ(query("string(//testsuite[1]/@failures)"), "3");
    EXPECT_EQ(query("string(//testsuite[1]/@errors)"), "0");
    EXPECT_EQ(query("string(//testsuite[1]/testcase[1]/@classname)"), oddName);
    EXPECT_EQ(query("string(//testsuite[1]/testcase[1]/@name)"),
              "zortst " + std::to_string(positionOf(known, "zortst { a")));
    EXPECT_EQ(query("count(//testsuite[1]/testcase[1]/failure)"), "0");
    EXPECT_EQ(query("string(//testsuite[1]/testcase[3]/@name)"),
              "nosuch " + std::to_string(positionOf(known, "nosuch")));

    // Each failure carries its test's report block, as appended to out.txt.
    const std::string out = normalised(read("out.txt"));
    const std::string second = query("string(//testsuite[1]/testcase[2]/failure)");
    EXPECT_EQ(second,
              "zortst\n{\n  verified:\n    t == \"]]>\"; [char* t = \"<&'>\"] ERROR\n"
              "  logged:\n}\n\n");
    EXPECT_NE(out.find(second), std::string::npos);
    EXPECT_EQ(query("string(//testsuite[1]/testcase[3]/failure)"),
              "nosuch\n{\n  verified:\n  logged:\n    nosuch = \"unknown testfunction\"\n"
              "} [ERROR]\n\n");
    EXPECT_NE(query("string(//testsuite[1]/testcase[4]/failure)").find("everyByte\n{\n"),
              std::string::npos);

    EXPECT_EQ(query("string(//testsuite[2]/@tests)"), "2");
    EXPECT_EQ(query("string(//testsuite[2]/@errors)"), "1");
    EXPECT_EQ(query("string(//testsuite[2]/testcase[2]/error/@message)"),
              "parse error in line 3 ( }... )");
    EXPECT_EQ(query("string(//testsuite[2]/testcase[2]/error)"),
              "broken.txt:3:14: parse error in line 3 ( }... )\nline 3, position " +
                  std::to_string(positionOf(broken, "a = }") + 4));
    EXPECT_EQ(query("string(//testsuite[3]/testcase/error/@message)"),
              "cannot open script: No such file or directory");
}

TEST_F(ZorRunJUnitTest, ReportThatCannotBeWrittenStopsBeforeAnyScriptRuns) {
    auto run = zorRun({"--junit", "nodir/report.xml", write("s.txt", known)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "nodir/report.xml: cannot write JUnit report: No such file or directory\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(ZorRunJUnitTest, PassingRunHasNoFailureElements) {
    const std::string script = "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n";
    auto run = zorRun({"--junit=report.xml", write("s.txt", script)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(query("count(//testcase)"), "1");
    EXPECT_EQ(query("count(//failure|//error)"), "0");
}

// Without an output file the library makes no comparison, and says so.
TEST_F(ZorRunJUnitTest, TestWithoutOutputFileFailsWithoutAReport) {
    auto run = zorRun(
        {"--junit", "report.xml", write("s.txt", "resultfile \"nodir/out.txt\"\nzortst { }\n")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(query("string(//testcase[1]/failure)"),
              "no comparison was made: the output file 'nodir/out.txt' could not be opened");
    EXPECT_EQ(query("string(//testcase[2]/error/@message)"),
              "no output file nodir/out.txt: directory nodir does not exist");
}

TEST_F(ZorRunJUnitTest, HugeReportBlockIsCutWithANote) {
    const std::string script = "resultfile \"out.txt\"\nbigText { verify: text == \"\" }\n";
    auto run = zorRun({"--junit", "report.xml", "--load", ZOR_TEST_MODULE, write("s.txt", script)});
    EXPECT_EQ(run.status, 1);
    const std::string failure = query("string(//failure)");
    // XML parsers read each CR LF of the block as one LF.
    EXPECT_LT(failure.size(), (1u << 20) + 34);
    EXPECT_GT(failure.size(), (1u << 20) - 20);
    const std::string note = "\n[report cut after 1048576 bytes]\n";
    EXPECT_EQ(failure.substr(failure.size() - note.size()), note);
}

}  // namespace
