#include <gtest/gtest.h>

#include <string>

#include "ScriptFixture.h"
#include "run/Parse.h"
#include "script/ScanState.h"
#include "script/ScriptEngine.h"

namespace {

using scripttest::positionOf;
using scripttest::ScriptFixture;
using ParserTest = ScriptFixture;

std::string repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

TEST_F(ParserTest, EmptyScriptsAreAccepted) {
    EXPECT_EQ(runWithOutput(""), 0);
    EXPECT_EQ(runWithOutput(" \n\t;\r\n/* a\n comment */ // and another\n"), 0);
    EXPECT_EQ(output(), "\n\n");
    EXPECT_EQ(Parse::getErrLine(), 0);
    EXPECT_EQ(errorText(), "");
}

TEST_F(ParserTest, SyntaxErrorsNameTheirTokenAndLine) {
    EXPECT_EQ(run("a b{}"), -3);
    EXPECT_EQ(errorText(), "parse error in line 1 ( b... )\n");
    EXPECT_EQ(Parse::getErrPos(), 2);

    run("a{x}");
    EXPECT_EQ(errorText(), "parse error in line 1 ( }... )\n");
    run("a{x=}");
    EXPECT_EQ(errorText(), "parse error in line 1 ( }... )\n");
    run("x = \"p\" \"q\"");
    EXPECT_EQ(errorText(), "parse error in line 1 ( =... )\n");

    run("a {\n  x = 1\n}\n}\n");
    EXPECT_EQ(errorText(), "parse error in line 4 ( }... )\n");
    EXPECT_EQ(Parse::getErrLine(), 4);
    EXPECT_EQ(Parse::getErrPos(), 11);
}

TEST_F(ParserTest, ErrorGoesToTheOutputFileAndItsLineIsTheResult) {
    EXPECT_EQ(runWithOutput("a { x = 1 }\nb { [ }\n"), 3);
    EXPECT_EQ(output(), "parse error in line 3 ( [... )\n\n");
}

TEST_F(ParserTest, EndOfInputInsideARecordHasNoTokenPart) {
    run("a {\n x = 1\n");
    EXPECT_EQ(errorText(), "parse error in line 3\n");
    run("a { x = 1");
    EXPECT_EQ(errorText(), "parse error in line 1\n");
    EXPECT_EQ(Parse::getErrPos(), 9);
}

TEST_F(ParserTest, ActionErrorsCarryTheirDetailInstead) {
    run("a{x>1}");
    EXPECT_EQ(errorText(), "illegal operation (> ) in line 1\n");
    run("{ v = 1 }\nt {\n  x = (v.w)\n}");
    EXPECT_EQ(errorText(), "undefined (v.w) in line 3\n");
    EXPECT_EQ(Parse::getErrLine(), 3);
}

TEST_F(ParserTest, OtherTokensAndLongTokensAreParseErrors) {
    run("a { x = 1 } @");
    EXPECT_EQ(errorText(), "parse error in line 1 ( @... )\n");
    run("a { x = " + std::string(500, '7') + " }");
    EXPECT_EQ(errorText().substr(0, 28), "parse error in line 1 ( 7777");
}

TEST_F(ParserTest, LongErrorTextsAreCutInTheirTokenAndEndWithALineFeed) {
    run("a { x = 1 }\n\n" + std::string(600, 'b') + " c");
    const std::string text = errorText();
    EXPECT_EQ(text.size(), 499u);
    EXPECT_EQ(text.substr(0, 27), "parse error in line 3 ( bbb");
    EXPECT_EQ(text.substr(text.size() - 7), "b... )\n");

    run("{ v = 1 }\nt { x = (" + std::string(300, 'v') + "." + std::string(198, 'w') + ") }");
    const std::string undefined = errorText();
    EXPECT_EQ(undefined.size(), 499u);
    EXPECT_EQ(undefined.substr(0, 14), "undefined (vvv");
    EXPECT_EQ(undefined.substr(undefined.size() - 13), "w) in line 2\n");
}

TEST_F(ParserTest, JoinsTooLongForATextAreRejected) {
    const std::string a(300, 'a');
    const std::string b(199, 'b');
    run("t { " + a + "." + b + " = 1 }");
    EXPECT_EQ(errorText(), "name too long (" + std::string(40, 'a') + ") in line 1\n");

    // Within the limit the same join works, and the prefix after "verify:"
    // counts as well.
    const std::string fits(250, 'a');
    EXPECT_EQ(run("t { " + fits + "." + std::string(248, 'b') + " = 1 }"), -3);
    EXPECT_EQ(Parse::getErrLine(), 0);
    run("t { verify: " + fits + "." + std::string(248, 'b') + " = 1 }");
    EXPECT_EQ(errorText(), "name too long (==" + std::string(38, 'a') + ") in line 1\n");
}

TEST_F(ParserTest, FileNamePartsTooLongAreRejected) {
    run("resultfile (\"" + std::string(300, 'a') + "\" \"" + std::string(200, 'b') + "\")");
    EXPECT_EQ(errorText(), "name too long (" + std::string(40, 'a') + ") in line 1\n");
}

// ---- Length and depth ----

TEST_F(ParserTest, LongScriptsRecordsAndListsNeedNoStack) {
    EXPECT_EQ(runWithOutput(repeat("a{}\n", 5000)), 0);
    EXPECT_EQ(seen.size(), 5000u);

    seen.clear();
    EXPECT_EQ(runWithOutput("t { " + repeat("x = 1 ", 5000) + " l[] { " + repeat("7 ", 5000) +
                            "} verify: " + repeat("y == 2 ", 5000) + "}"),
              0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input.size(), 5001u);
    EXPECT_EQ(seen[0].input.back(), "l[4999]=7");
}

TEST_F(ParserTest, AHundredThousandRecordsRun) {
    std::string script;
    for (int i = 0; i < 100000; ++i) script += "t" + std::to_string(i % 10) + " { x = 1 }\n";
    EXPECT_EQ(runWithOutput(script), 0);
    EXPECT_EQ(seen.size(), 100000u);
    EXPECT_EQ(seen.back().name, "t9");
}

TEST_F(ParserTest, DeepPathsOverflowTheStack) {
    // Each identifier and "." of a path waits on the stack until its end.
    run("t { " + repeat("a.", 260) + "a = 1 }");
    EXPECT_EQ(errorText().substr(0, 37), "parser stack overflow in line 1 ( a..");
    EXPECT_EQ(Parse::getErrLine(), 1);
}

// depth nested records n0, n1, ... around the innermost entries.
std::string nested(int depth, const std::string& inner = "x = 1") {
    std::string open;
    std::string close;
    for (int i = 0; i < depth; ++i) {
        open += "n" + std::to_string(i) + " { ";
        close += "} ";
    }
    return open + inner + " " + close;
}

TEST_F(ParserTest, NestingBeyondTheLastLevelIsRejected) {
    // The body is level 1; eighteen nested records reach level 19.
    EXPECT_EQ(runWithOutput("t { " + nested(18) + "}"), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input.size(), 1u);
    EXPECT_EQ(seen[0].input[0].substr(0, 9), "n0.n1.n2.");

    run("t {\n" + nested(18, "\n\na.b { x = 1 }") + "}");
    EXPECT_EQ(errorText(), "nesting too deep (a.b) in line 4\n");
    // Lists and record items count as levels too: a list at level 19 may hold
    // scalar items but no record item, and no list opens beyond it.
    EXPECT_EQ(runWithOutput("t { " + nested(17, "l[] { 1 2 }") + "}"), 0);
    run("t { " + nested(17, "l[] { x = 1 }") + "}");
    EXPECT_EQ(errorText(), "nesting too deep (l) in line 1\n");
    run("t { " + repeat("l[] { { ", 9) + "m[] { 1 }" + repeat(" } }", 9) + " }");
    EXPECT_EQ(errorText(), "nesting too deep (m) in line 1\n");
}

// ---- When actions run ----

TEST_F(ParserTest, CommentsRightAfterTheBraceBecomeMarkers) {
    runWithOutput(
        "t {\n"
        "// first\n"
        "  x // still before the first path is complete\n"
        "  = 1 // after it\n"
        "}\n");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].results, (std::vector<std::string>{
                                   "//000003=\"// first\n\"",
                                   "//000004=\"// still before the first path is complete\n\""}));
}

TEST_F(ParserTest, GlobalRecordBodiesMakeNoMarkers) {
    runWithOutput("{\n// none\n v = 1 }\nt { }\n");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].results.empty());
}

TEST_F(ParserTest, ATestRunsAtItsBraceWhateverFollows) {
    EXPECT_EQ(runWithOutput("t { x = 1 }\n}"), 3);
    EXPECT_EQ(seen.size(), 1u);
}

// ---- The stacks ----

TEST(ParserStacksTest, BlocksGrowAndTheReplacedOneStaysUntilTheNextGrowth) {
    void* first = zor::stackBuffer(1, 100);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(zor::stackBuffer(1, 50), first);
    EXPECT_EQ(zor::stackBuffer(1, 100), first);
    static_cast<char*>(first)[99] = 'k';
    void* second = zor::stackBuffer(1, 200);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    // Still readable: the parser copies out of it after the growth.
    EXPECT_EQ(static_cast<char*>(first)[99], 'k');
    EXPECT_EQ(zor::stackBuffer(1, 0), nullptr);
    EXPECT_EQ(zor::stackBuffer(2, 10), nullptr);
    EXPECT_EQ(zor::stackBuffer(-1, 10), nullptr);
}

}  // namespace

namespace {

// The scanner's allocations fail while an object of this class lives.
class ScannerOutOfMemory {
public:
    ScannerOutOfMemory() { zor::scanState().allocationsFail = true; }
    ~ScannerOutOfMemory() { zor::scanState().allocationsFail = false; }
};

TEST_F(ParserTest, ScannerWithoutMemoryEndsTheParseWithAnError) {
    {
        ScannerOutOfMemory failing;
        // Not even the output file is named: there is nothing to write to.
        EXPECT_EQ(runWithOutput("t { }"), -3);
    }
    EXPECT_EQ(Parse::getErrLine(), 1);
    EXPECT_EQ(errorText(), "out of memory (yylex::malloc) in line 1\n");
    EXPECT_TRUE(seen.empty());
}

// A test whose run leaves the scanner without memory for the rest of the parse.
int exhaustScannerMemory() {
    zor::scanState().allocationsFail = true;
    return -1;
}

TEST_F(ParserTest, ScannerThatCannotGrowItsBufferEndsTheParseWithAnError) {
    // The comment is longer than the scan buffer, which must grow to hold it.
    const std::string script = resultfile() + "t { }\n// " + std::string(20000, 'c') + "\nu { }\n";
    const std::string path = write("script.txt", script);
    EXPECT_EQ(Parse::parseLoop(path.c_str(), "", exhaustScannerMemory), 3);
    zor::scanState().allocationsFail = false;
    EXPECT_EQ(errorText(), "out of memory (yylex::malloc) in line 3\n");
    EXPECT_EQ(output(), "out of memory (yylex::malloc) in line 3\n\n");
    // The next parse finds the scanner whole again.
    EXPECT_EQ(runWithOutput(script), 0);
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace

namespace {

TEST_F(ParserTest, HugeCommentsAndBlankRunsKeepPositionsExact) {
    // Tokens far longer than the scan buffer make it grow and read more at a time.
    const std::string comment = "// " + std::string(3000000, 'c') + "\n";
    const std::string script = resultfile() + "t {\n" + comment + std::string(3000000, ' ') +
                               "x = 1 }\n" + comment + "u { y = 2 }\n";
    const std::string filter = "u" + std::to_string(positionOf(script, "u { y"));
    EXPECT_EQ(run(script, filter), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].input, (std::vector<std::string>{"y=2"}));

    seen.clear();
    EXPECT_EQ(run(script), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].results, (std::vector<std::string>{"//000003=\"" + comment + "\""}));
}

}  // namespace
