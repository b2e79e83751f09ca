#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ScriptFixture.h"
#include "run/Parse.h"
#include "script/ParseState.h"
#include "store/DataMap.h"

namespace {

using scripttest::elementsOf;
using scripttest::positionOf;
using StatementTest = scripttest::ScriptFixture;
using Tests = std::vector<std::string>;

std::string globals() {
    return elementsOf(zor::globalVars()[0]);
}

// Under a filter an undefined variable is left out, or the empty text in an
// output file name; the test's stores are filled all the same.
TEST_F(StatementTest, FilteredRunsKeepTheVariablesAndMaySelectAVariableRecord) {
    zor::globalVars()[0].clear();
    const std::string script = resultfile() + "{ a = 1 }\n{ b = 2 }\nt { }\n";
    // The selected record is reported against the variables, and the parse
    // stops right after it.
    EXPECT_EQ(run(script, "{x" + std::to_string(positionOf(script, "{ b"))), 0);
    EXPECT_TRUE(seen.empty());
    EXPECT_NE(output().find("b = 2"), std::string::npos);
    const std::string folder = dir.path().string() + "/";
    run("resultfile (\"" + folder +
            "out_\" (none) \".txt\")\n"
            "t { x = (nothing) k[] { (nothing) 5 } y = 1 }",
        "none0");
    EXPECT_EQ(Parse::getErrLine(), 0);
    EXPECT_EQ(Parse::getLastOutFile(), folder + "out_.txt");
    EXPECT_EQ(globals(), "a=1 b=2");
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]), "k[1]=5 y=1");
    run("t { }");
    EXPECT_EQ(globals(), "");
}

// Running deletes files, passing over one that cannot be deleted, and goes on
// without an output file it cannot open (a provider deletes nothing: the run
// driver's test).
TEST_F(StatementTest, RunsDeleteFilesAndPassOverThoseTheyCannot) {
    const std::string file = write("file.txt", "x");
    run("resultfile \"/nonexistent-folder/ext.txt\"\ndeletefile \"" + file +
        "\"\ndeletefile \"missing.txt\"\nplain { c = 3 }\n");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Parse::getErrLine(), 0);
    EXPECT_EQ(seen, (Tests{"plain: c=3"}));
}

TEST_F(StatementTest, ParseThatStoppedInsideANestedValueLeavesNothingBehind) {
    run("t { s { a = 1 l[] { { p = 1 ");
    EXPECT_STREQ(Parse::getErrString(), "parse error in line 1\n");
    run("{ s { g = 1 ");
    run(resultfile() + "{ s { h = 2 } }\nt { s { b = 2 } l[] { { q = 2 } } }");
    EXPECT_EQ(seen, (Tests{"t: s.b=2 l[0].q=2"}));
    EXPECT_EQ(globals(), "s.h=2");
}

}  // namespace
