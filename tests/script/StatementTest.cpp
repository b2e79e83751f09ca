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

int evenLogins(const char* name, int position) {
    return std::string(name) == "login" && position % 2 == 0 ? 1 : 0;
}

// A selector passes tests over and the parse goes on past them; a filter still
// narrows what the selector is asked. Variable records outside tests still run.
TEST_F(StatementTest, FilterAndSelectorRunOnlyTheirTests) {
    const std::string records = "log { }\nlogin { a = 1 }\nlogin { a = 22 }\n{ g = 1 }\n";
    const int first = positionOf(resultfile() + records, "login { a = 1 "),
              second = positionOf(resultfile() + records, "login { a = 22");
    const bool firstEven = first % 2 == 0;
    Parse::setTestSelector(evenLogins);
    for (const std::string& filter :
         {std::string(), "login " + std::to_string(first), "login " + std::to_string(second)}) {
        SCOPED_TRACE(filter);
        seen.clear();
        EXPECT_EQ(run(resultfile() + records, filter), 0);
        const bool evenFilter =
            filter.empty() || filter.ends_with(std::to_string(firstEven ? first : second));
        EXPECT_EQ(seen, evenFilter ? Tests{firstEven ? "login: a=1" : "login: a=22"} : Tests{});
        EXPECT_EQ(globals(), "g=1");
    }
    Parse::setTestSelector(nullptr);
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

// Running deletes files, passing over one that cannot be deleted; providing
// deletes nothing, also after a run.
TEST_F(StatementTest, ExternRecordsAndDeletionsAreForProvidersAndRunsOnly) {
    const std::string file = write("file.txt", "x");
    const std::string script = "resultfile \"/nonexistent-folder/ext.txt\"\ndeletefile \"" + file +
                               "\"\ndeletefile \"missing.txt\"\nplain { c = 3 }\n"
                               "extern ext { a = 1 s { b = \"t\" } verify: r == 2 }\n";
    // Without a callback, the way a provider parses.
    Parse::parseLoop(write("script.txt", script).c_str(), "", nullptr);
    EXPECT_TRUE(std::filesystem::exists(file));
    run(script);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Parse::getErrLine(), 0);
    write("file.txt", "x");
    EXPECT_EQ(Parse::readLoop(dir.file("script.txt").c_str(), "ext"), 0);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]), "a=1 s.b=\"t\"");
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
