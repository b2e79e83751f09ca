#include <gtest/gtest.h>

#include "ZorRunFixture.h"

namespace {

class ZorRunJUnitTest : public zorruntest::ZorRunFixture {
protected:
    std::string query(const std::string& xpath) { return xmllint("--xpath", xpath); }
};

TEST_F(ZorRunJUnitTest, KnownScriptsGiveValidXmlWithTheirRecordsFailuresAndErrors) {
    // Four tests: one passes, three fail, with texts that need escaping.
    const std::string known =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { t = \"<&'>\" verify: t == \"]]>\" }\n"
        "nosuch { }\n"
        "everyByte { verify: text == \"\" }\n";
    const std::string broken = "resultfile \"broken_out.txt\"\nzortst { a = 1 }\nzortst { a = }\n";
    const std::string oddName = write("a&b <\"c\">.txt", known);
    auto run = zorRun({"--junit", "report.xml", "--load", ZOR_TEST_MODULE, oddName,
                       write("broken.txt", broken), "missing.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(xmllint("--noout"), "");

    const std::string suite = "//testsuite[1]", cases = suite + "/testcase";
    EXPECT_EQ(query("concat(" + suite + "/@name, '|', " + suite + "/@tests, ' ', " + suite +
                    "/@failures, ' ', " + suite + "/@errors)"),
              oddName + "|4 3 0");
    EXPECT_EQ(query("concat(" + cases + "[1]/@classname, '|', " + cases + "[1]/@name, '|', count(" +
                    cases + "[1]/failure), '|', " + cases + "[3]/@name)"),
              oddName + "|zortst 20|0|nosuch 91");
    // Each failure carries its test's report block.
    EXPECT_EQ(query("string(" + cases + "[2]/failure)"),
              "zortst\n{\n  verified:\n    t == \"]]>\"; [char* t = \"<&'>\"] ERROR\n"
              "  logged:\n}\n\n");
    EXPECT_EQ(query("string(" + cases + "[3]/failure)"),
              "nosuch\n{\n  verified:\n  logged:\n    nosuch = \"unknown testfunction\"\n"
              "} [ERROR]\n\n");
    EXPECT_TRUE(query("string(" + cases + "[4]/failure)").starts_with("everyByte\n{\n"));

    EXPECT_EQ(query("concat(//testsuite[2]/@tests, ' ', //testsuite[2]/@errors)"), "2 1");
    EXPECT_EQ(query("string(//testsuite[2]/testcase[2]/error/@message)"),
              "parse error in line 3 ( }... )");
    EXPECT_EQ(query("string(//testsuite[2]/testcase[2]/error)"),
              "broken.txt:3:14: parse error in line 3 ( }... )\nline 3, position 56");
    EXPECT_EQ(query("string(//testsuite[3]/testcase/error/@message)"),
              "cannot open script: No such file or directory");
}

TEST_F(ZorRunJUnitTest, FilesThatCannotBeWrittenAreErrors) {
    // A report that cannot be written stops the run before any script runs.
    auto stopped = zorRun({"--junit", "nodir/report.xml", write("none.txt", "zortst { a = 1 }\n")});
    EXPECT_EQ(stopped.status, 2);
    EXPECT_EQ(stopped.err,
              "nodir/report.xml: cannot write JUnit report: No such file or directory\n");
    EXPECT_EQ(stopped.out, "");
    // Without an output file the library makes no comparison, and says so.
    auto run = zorRun({"--junit", "report.xml", "none.txt",
                       write("nodir.txt", "resultfile \"nodir/out.txt\"\nzortst { }\n")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "none.txt: no output file: the script names no output file\n"
              "nodir.txt: no output file nodir/out.txt: directory nodir does not exist\n");
    EXPECT_NE(run.out.find("zortst 0 (none.txt:1): FAIL (no output file)\n"), std::string::npos);
    EXPECT_EQ(query("string(//testsuite[2]/testcase[1]/failure)"),
              "no comparison was made: the output file 'nodir/out.txt' could not be opened");
    EXPECT_EQ(query("string(//testsuite[2]/testcase[2]/error/@message)"),
              "no output file nodir/out.txt: directory nodir does not exist");
}

TEST_F(ZorRunJUnitTest, HugeReportBlockIsCutWithANote) {
    const std::string script = "resultfile \"out.txt\"\nbigText { verify: text == \"\" }\n";
    auto run = zorRun({"--junit", "report.xml", "--load", ZOR_TEST_MODULE, write("s.txt", script)});
    EXPECT_EQ(run.status, 1);
    const std::string failure = query("string(//failure)");
    // XML parsers read each CR LF of the block as one LF.
    EXPECT_NEAR(static_cast<double>(failure.size()), 1 << 20, 40);
    EXPECT_TRUE(failure.ends_with("\n[report cut after 1048576 bytes]\n"));
}

}  // namespace
