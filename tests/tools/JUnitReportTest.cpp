#include "JUnitReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ChildProcess.h"
#include "TempDir.h"

namespace {

using zortest::xmllintAnswer;

// Every byte value, as a native test function may write into a result.
std::string allBytes() {
    std::string text;
    for (int c = 0; c < 256; ++c) text += static_cast<char>(c);
    return text;
}

class JUnitReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string reason;
        ASSERT_TRUE(report.open(path, reason)) << reason;
    }
    std::string finish() {
        std::string reason;
        EXPECT_TRUE(report.close(reason)) << reason;
        return zortest::readFile(path);
    }
    std::string query(const std::string& xpath) { return xmllintAnswer({"--xpath", xpath, path}); }

    zortest::TempDir dir;
    std::string path = dir.file("junit.xml");
    zor::JUnitReport report;
};

TEST_F(JUnitReportTest, SuitesCountTheirTestcasesFailuresAndErrors) {
    report.beginSuite("first.txt");
    report.addPassed("login", 0);
    report.addFailed("order", 57, "order\r\n{\r\n}\r\n\r\n");
    report.endSuite(0.25);
    report.beginSuite("second.txt");
    report.addError("parse error in line 4 ( }... )", "second.txt:4:3: parse error");
    report.endSuite(0);
    finish();

    EXPECT_EQ(xmllintAnswer({"--noout", path}), "");
    EXPECT_EQ(query("count(//testsuite)"), "2");
    EXPECT_EQ(query("string(//testsuite[1]/@tests)"), "2");
    EXPECT_EQ(query("string(//testsuite[1]/@failures)"), "1");
    EXPECT_EQ(query("string(//testsuite[1]/@errors)"), "0");
    EXPECT_EQ(query("string(//testsuite[1]/@time)"), "0.250");
    EXPECT_EQ(query("string(//testsuite[1]/testcase[2]/@name)"), "order 57");
    EXPECT_EQ(query("string(//testsuite[1]/testcase[2]/@classname)"), "first.txt");
    EXPECT_EQ(query("string(//testsuite[1]/testcase[2]/failure)"), "order\n{\n}\n\n");
    EXPECT_EQ(query("count(//testsuite[1]/testcase[1]/*)"), "0");
    EXPECT_EQ(query("string(//testsuite[2]/@errors)"), "1");
    EXPECT_EQ(query("string(//testsuite[2]/testcase/error/@message)"),
              "parse error in line 4 ( }... )");
}

TEST_F(JUnitReportTest, AnyNameAndReportTextStaysValidXml) {
    const std::string name = "a&b<c>\"d\"'e'\t";
    report.beginSuite("dir/x&y <z>.txt");
    report.addPassed(name, 3);
    report.addFailed("f", 9, "value = \"<&]]>\"\r\n" + allBytes());
    report.addError(allBytes(), allBytes());
    report.endSuite(1);
    finish();

    EXPECT_EQ(xmllintAnswer({"--noout", path}), "");
    EXPECT_EQ(query("string(//testcase[1]/@name)"), name + " 3");
    EXPECT_EQ(query("string(//testsuite/@name)"), "dir/x&y <z>.txt");
    const std::string failure = query("string(//failure)");
    EXPECT_EQ(failure.substr(0, 16), "value = \"<&]]>\"\n");
}

TEST_F(JUnitReportTest, EmptyRunIsStillADocument) {
    finish();
    EXPECT_EQ(xmllintAnswer({"--noout", path}), "");
    EXPECT_EQ(query("count(//testsuites)"), "1");
}

TEST(JUnitReportOpenTest, MissingDirectoryIsRefusedWithItsReason) {
    zortest::TempDir dir;
    zor::JUnitReport report;
    std::string reason;
    EXPECT_FALSE(report.open(dir.file("missing/junit.xml"), reason));
    EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace
