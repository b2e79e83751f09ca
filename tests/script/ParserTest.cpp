#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "ScriptFixture.h"
#include "run/Parse.h"
#include "script/ScanState.h"

namespace {

using ParserTest = scripttest::ScriptFixture;

std::string repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

std::string nested(int depth, const std::string& inner = "x = 1") {
    return repeat("n { ", depth) + inner + repeat(" }", depth);
}

// Each script gives its last test as the callback saw it, or its error text,
// whose line is the error line; an outcome ending in '*' is checked up to it.
// Numbers read the same under a comma decimal locale.
TEST_F(ParserTest, ScriptsGiveTheirTestsOrTheirErrorText) {
    const std::string a40(40, 'a'), a250(250, 'a'), b248(248, 'b'), n17 = repeat("n.", 17);
    const std::string e400 = "1" + std::string(400, '0') + ".0";
    const struct {
        std::string script;
        std::string outcome;
        int position = -1;
    } cases[] = {
        {"", ""},
        // A comment right after a test's brace is a marker beside its results.
        {"{\n// none\n v = 1 }\nt {\n// first\r\n x // still\n = 1 // after\n}",
         "t: x=1 //000005=\"// first\r\n\" //000006=\"// still\n\""},
        // Numbers at their limits; hexadecimal literals wrap around.
        {"t { a = 2147483647 d = 0x123456789 e = -012 i = 0." + std::string(400, '0') + "1 }",
         "t: a=2147483647 d=591751049 e=-12 i=0.000000"},
        // A number token that is not one number, or does not fit, is refused
        // where it stands, even when the parser has read past it.
        {"t {\n a = 2147483648 }", "number out of range (2147483648) in line 2\n", 8},
        {"t { l[] { 1 {" + e400 + "\n} } }", "number out of range (" + e400 + ") in line 1\n", 13},
        {"t { a = - }", "malformed number (-) in line 1\n", 8},
        // 0xFF is a character: in a comment it is the comment's, elsewhere a
        // token that no rule accepts; the tests after it still run.
        {"a { x = 1 }\n// \xff\n/* \xff */ b { y = 2 }", "b: y=2"},
        {"a { x = 1 }\n\xff\nb { y = 2 }", "parse error in line 2 ( \xff... )\n", 11},
        // A block comment left open is reported where it opened.
        {"a { x = 1 }\n\n  /* open\nb { y = 2 }", "unterminated comment in line 3\n", 13},
        // Nested records are grafted at their closing brace; lists of records
        // and variables of the kinds the reference leaves out: a double, a list.
        {"{ r = 2.5 l[] { 7 { b = 8 } } }\nt { s { y = 2 d { z = 3 } } z = 4 c = (r) e = (l) "
         "p[] { { n[] { 1 } } 4 } }",
         "t: s.y=2 s.d.z=3 z=4 c=2.500000 e[0]=7 e[1].b=8 p[0].n[0]=1 p[1]=4"},
        // The end of the input inside a record has no token part.
        {"a { x = 1", "parse error in line 1\n", 9},
        {"a { s { x == 1 } }", "illegal operation (==) in line 1\n"},
        {"{ v = 1 }\nt {\n  x = (v.w)\n}", "undefined (v.w) in line 3\n"},
        // Texts longer than 499 characters are cut and still end with a line feed.
        {"a { x = 1 }\n\n" + std::string(600, 'b') + " c",
         "parse error in line 3 ( " + std::string(469, 'b') + "... )\n"},
        // Joins that do not fit a text, with the prefix after "verify:".
        {"t { " + std::string(300, 'a') + "." + std::string(199, 'b') + " = 1 }",
         "name too long (" + a40 + ") in line 1\n"},
        {"t { " + a250 + "." + b248 + " = 1 }", "t: " + a250 + "." + b248 + "=1"},
        {"t { verify: " + a250 + "." + b248 + " = 1 }",
         "name too long (==" + std::string(38, 'a') + ") in line 1\n"},
        // Each identifier and "." of a path waits on the stack until its end.
        {"t { " + repeat("a.", 260) + "a = 1 }", "parser stack overflow in line 1 ( a..*"},
        // The body is level 1; lists and record items count as levels too.
        {"t { " + nested(17, "l[] { 1 2 }") + "}", "t: " + n17 + "l[0]=1 " + n17 + "l[1]=2"},
        {"t { " + nested(17, "l[] { x = 1 }") + "}", "nesting too deep (l) in line 1\n"},
    };
    const bool commaLocale = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 60));
        seen.clear();
        run(c.script);
        std::string got = Parse::getErrString();
        EXPECT_EQ(Parse::getErrLine(),
                  got.empty() ? 0 : std::stoi(got.substr(got.find("in line ") + 8)));
        if (got.empty() && !seen.empty()) got = seen.back();
        const bool start = c.outcome.back() == '*';
        EXPECT_EQ(start ? got.substr(0, c.outcome.size() - 1) : got,
                  start ? c.outcome.substr(0, c.outcome.size() - 1) : c.outcome);
        EXPECT_TRUE(c.position < 0 || Parse::getErrPos() == c.position) << Parse::getErrPos();
    }
    if (commaLocale) std::setlocale(LC_ALL, "C");
}

// A test whose run leaves the scanner without memory for the rest of the parse.
int exhaustScannerMemory() {
    zor::scanState().allocationsFail = true;
    return -1;
}

TEST_F(ParserTest, ScannerWithoutMemoryEndsTheParseWithAnError) {
    // The comment is longer than the scan buffer, which must grow to hold it.
    const std::string script = resultfile() + "t { }\n// " + std::string(20000, 'c') + "\nu { }\n";
    EXPECT_EQ(Parse::parseLoop(write("script.txt", script).c_str(), "", exhaustScannerMemory), 3);
    zor::scanState().allocationsFail = false;
    EXPECT_STREQ(Parse::getErrString(), "out of memory (yylex::malloc) in line 3\n");
    EXPECT_EQ(output(), "out of memory (yylex::malloc) in line 3\n\n");
    // The next parse finds the scanner whole again.
    EXPECT_EQ(run(resultfile() + script), 0);
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
