#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ScriptFixture.h"
#include "run/Parse.h"
#include "script/ParseState.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

using scripttest::elementsOf;
using scripttest::positionOf;
using scripttest::ScriptFixture;
using StatementTest = ScriptFixture;
using Elements = std::vector<std::string>;

Elements globals() {
    return elementsOf(zor::globalVars()[0]);
}

TEST_F(StatementTest, WorkedExampleFillsTheStoresOfEachTest) {
    EXPECT_EQ(
        runWithOutput("{ prefix = \"log_\" count = 3 }\n"
                      "login { user = \"guest\" retries = 2 opts { fast = 1 } ids[] { 4 5 6 }\n"
                      "        verify: status == 0 elapsed < 2.5 }\n"
                      "keypress{x=12 y=40 key=\"a\"}\n"),
        0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].name, "login");
    EXPECT_EQ(seen[0].input, (Elements{"user=\"guest\"", "retries=2", "opts.fast=1", "ids[0]=4",
                                       "ids[1]=5", "ids[2]=6"}));
    EXPECT_EQ(seen[0].expected, (Elements{"==status=0", "< elapsed=2.500000"}));
    EXPECT_EQ(seen[1].name, "keypress");
    EXPECT_EQ(seen[1].input, (Elements{"x=12", "y=40", "key=\"a\""}));
    EXPECT_TRUE(seen[1].expected.empty());
    EXPECT_EQ(globals(), (Elements{"prefix=\"log_\"", "count=3"}));
    // The stores keep the last record's data after the parse.
    EXPECT_STREQ(Parse::getInStore()[0].getName(), "keypress");
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]).size(), 3u);
}

TEST_F(StatementTest, DottedRecordNameIsTheWholePath) {
    runWithOutput("a.b { }");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "a.b");
}

TEST_F(StatementTest, MarkerOfACommentAfterTheBraceSitsBesideTheResults) {
    run("\n\nt\n{\n// on line 5\n x = 1 }");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].results, (Elements{"//000005=\"// on line 5\n\""}));
}

// ---- Filters ----

const std::string records = "log { }\nlogin { a = 1 }\nlogin { a = 2 }\nother { }\n";

TEST_F(StatementTest, FilterRunsOnlyTheRecordAtItsPosition) {
    const std::string script = resultfile() + records;
    const std::string filter = "login" + std::to_string(positionOf(script, "login { a = 2"));
    EXPECT_EQ(runWithOutput(records, filter), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input, (Elements{"a=2"}));
    EXPECT_EQ(Parse::getErrLine(), 0);

    seen.clear();
    const std::string spaced = "login " + std::to_string(positionOf(script, "login { a = 2"));
    runWithOutput(records, spaced);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input, (Elements{"a=2"}));
}

TEST_F(StatementTest, FilterNeedOnlyBeginWithTheName) {
    // "log" at position 0 matches "login57": the rest, "in57", reads as 0.
    EXPECT_EQ(run("log { }\nlogin { }\n", "login57"), -3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "log");
}

TEST_F(StatementTest, FilterFindsATestFarBeyondTheFirstChunk) {
    std::string script = resultfile();
    for (int i = 0; script.size() < 25000; ++i) {
        script += "step { n = " + std::to_string(i) + " verify: n >= 0 }\r\n";
    }
    script += "step { n = -1 }\r\n";
    const std::string filter = "step" + std::to_string(positionOf(script, "step { n = -1"));
    EXPECT_EQ(run(script, filter), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input, (Elements{"n=-1"}));
}

TEST_F(StatementTest, FilterCanSelectAGlobalVariableRecord) {
    const std::string script = resultfile() + "{ a = 1 }\n{ b = 2 }\nt { }\n";
    const std::string filter = "{x" + std::to_string(positionOf(script, "{ b"));
    EXPECT_EQ(run(script, filter), 0);
    // The selected record is reported against the variables, and the parse
    // stops right after it.
    EXPECT_TRUE(seen.empty());
    EXPECT_NE(output().find("b = 2"), std::string::npos);
}

TEST_F(StatementTest, SkippedComparisonUnderAFilterLetsTheParseGoOn) {
    passFlag = -2;
    zor::globalVars()[0].clear();
    const std::string script = resultfile() + "t { }\n{ after = 1 }\n} ";
    const std::string filter = "t" + std::to_string(positionOf(script, "t {"));
    EXPECT_EQ(run(script, filter), 4);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(globals(), (Elements{"after=1"}));
}

TEST_F(StatementTest, VariablesStayForAFilteredRun) {
    runWithOutput("{ kept = 1 }\n");
    run("t { }", "none0");
    EXPECT_EQ(globals(), (Elements{"kept=1"}));
    run("t { }");
    EXPECT_TRUE(globals().empty());
}

// ---- Output and delete-file statements ----

TEST_F(StatementTest, OutputFileNameFromStringsAndTextVariables) {
    const std::string folder = dir.path().string() + "/";
    run("{ dir = \"" + folder +
        "\" prefix = \"log_\" }\nresultfile ((dir) \"out_\" (prefix) \".txt\")");
    EXPECT_EQ(Parse::getLastOutFile(), folder + "out_log_.txt");
    EXPECT_TRUE(std::filesystem::exists(folder + "out_log_.txt"));
}

TEST_F(StatementTest, UndefinedFileNameVariableStopsTheParse) {
    run("resultfile (\"out_\" (prefix) \".txt\")");
    EXPECT_EQ(errorText(), "undefined (prefix) in line 1\n");
    run("{ n = 5 }\nresultfile (\"out_\" (n) \".txt\")");
    EXPECT_EQ(errorText(), "undefined (n) in line 2\n");
}

TEST_F(StatementTest, SuppressedFileNameVariableIsEmpty) {
    const std::string folder = dir.path().string() + "/";
    run("resultfile (\"" + folder + "out_\" (prefix) \".txt\")\nresultfile ((prefix))", "other0");
    EXPECT_EQ(Parse::getErrLine(), 0);
    EXPECT_STREQ(Parse::getLastOutFile(), "");
    run("resultfile (\"" + folder + "out_\" (prefix) \".txt\")", "other0");
    EXPECT_EQ(Parse::getLastOutFile(), folder + "out_.txt");
}

TEST_F(StatementTest, DeleteFileOnlyWhenRunning) {
    const std::string victim = write("victim.txt", "x");
    runWithoutCallback("deletefile \"" + victim + "\"");
    EXPECT_TRUE(std::filesystem::exists(victim));
    run("deletefile \"" + victim + "\"\ndeletefile \"" + dir.file("missing.txt") + "\"");
    EXPECT_FALSE(std::filesystem::exists(victim));
    EXPECT_EQ(Parse::getErrLine(), 0);
}

// ---- Extern records ----

// Extern records name their output file like any test; this one is never written.
const std::string externScript =
    "resultfile \"/nonexistent-folder/ext.txt\"\n"
    "extern ext { a = 1 s { b = \"t\" } verify: r == 2 }\n"
    "plain { c = 3 }\n";

TEST_F(StatementTest, RunningIgnoresExternRecords) {
    run(externScript);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "plain");
    EXPECT_TRUE(elementsOf(Parse::getCache()).empty());
}

TEST_F(StatementTest, ProvidingCollectsOnlyExternRecords) {
    runWithoutCallback(externScript);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(elementsOf(Parse::getCache()),
              (Elements{"ext[0].a=1", "ext[0].s.b=\"t\"", "ext[1].==r=2",
                        "ext[2]=\"/nonexistent-folder/ext.txt\""}));
    // A later parse starts with an empty cache.
    runWithoutCallback("");
    EXPECT_TRUE(elementsOf(Parse::getCache()).empty());
}

// ---- Start-up ----

TEST_F(StatementTest, ParseThatStoppedInsideANestedValueLeavesNothingBehind) {
    run("t { s { a = 1 l[] { { p = 1 ");
    EXPECT_EQ(errorText(), "parse error in line 1\n");
    run("{ s { g = 1 ");
    runWithOutput("{ s { h = 2 } }\nt { s { b = 2 } l[] { { q = 2 } } }");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input, (Elements{"s.b=2", "l[0].q=2"}));
    EXPECT_EQ(globals(), (Elements{"s.h=2"}));
}

}  // namespace
