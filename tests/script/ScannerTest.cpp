#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScannerSupport.h"
#include "run/Parse.h"
#include "script/ScanState.h"
#include "script/Scanner.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

using scantest::ScanSession;
using scantest::tokensOf;
using Tokens = std::vector<std::string>;

TEST(ScannerTest, RecordLineGivesItsTokens) {
    EXPECT_EQ(tokensOf("login { user = \"guest\" ids[] { 4 0x1F -2.5 } }"),
              (Tokens{"IDENT login", "{", "IDENT user", "=", "STRING guest", "IDENT ids", "[]", "{",
                      "INTEGER 4", "INTEGER 31", "FLOAT -2.5", "}", "}"}));
}

TEST(ScannerTest, PathsAndIndexSuffixes) {
    EXPECT_EQ(tokensOf("a.b.c"), (Tokens{"IDENT a", ".", "IDENT b", ".", "IDENT c"}));
    EXPECT_EQ(tokensOf("x[3][12]"), (Tokens{"IDENT x[3][12]"}));
    EXPECT_EQ(tokensOf("x [3]"), (Tokens{"IDENT x", "OTHER [", "INTEGER 3", "OTHER ]"}));
    EXPECT_EQ(tokensOf("lst[]"), (Tokens{"IDENT lst", "[]"}));
    EXPECT_EQ(tokensOf("a;b"), (Tokens{"IDENT a", "IDENT b"}));
}

TEST(ScannerTest, IntegersAndFloatsSplitWithoutFailing) {
    EXPECT_EQ(tokensOf("-"), (Tokens{"INTEGER -"}));
    EXPECT_EQ(tokensOf("--5"), (Tokens{"INTEGER --5"}));
    EXPECT_EQ(tokensOf("5-3"), (Tokens{"INTEGER 5", "INTEGER -3"}));
    EXPECT_EQ(tokensOf("1e5"), (Tokens{"INTEGER 1", "IDENT e5"}));
    EXPECT_EQ(tokensOf("1.2.3 -.5 .. .5 5."),
              (Tokens{"FLOAT 1.2.3", "FLOAT -.5", "FLOAT ..", "FLOAT .5", "FLOAT 5."}));
    EXPECT_EQ(tokensOf("."), (Tokens{"."}));
}

TEST(ScannerTest, HexLiteralsBecomeDecimalIntegers) {
    EXPECT_EQ(
        tokensOf("0x 0x1F 0xab 0xFFFFFFFF 0x123456789"),
        (Tokens{"INTEGER 0", "INTEGER 31", "INTEGER 171", "INTEGER -1", "INTEGER 591751049"}));
    EXPECT_EQ(tokensOf("0xABG"), (Tokens{"IDENT 0xABG"}));
    EXPECT_EQ(tokensOf("0X1F"), (Tokens{"INTEGER 0", "IDENT X1F"}));
    EXPECT_EQ(tokensOf("0x1G"), (Tokens{"INTEGER 1", "IDENT G"}));
}

TEST(ScannerTest, KeywordsWinOnlyAtTheSameLength) {
    EXPECT_EQ(tokensOf("resultfile deletefile extern verify:"),
              (Tokens{"resultfile", "deletefile", "extern", "verify:"}));
    EXPECT_EQ(tokensOf("externA verify:x"), (Tokens{"IDENT externA", "IDENT verify:x"}));
    EXPECT_EQ(tokensOf("verify :"), (Tokens{"IDENT verify", "IDENT :"}));
}

TEST(ScannerTest, OperatorsTakeTheLongestMatch) {
    EXPECT_EQ(tokensOf("= == != > < >= <= ( ) =>"),
              (Tokens{"=", "==", "!=", ">", "<", ">=", "<=", "(", ")", "=", ">"}));
}

TEST(ScannerTest, StringsHaveNoEscapes) {
    EXPECT_EQ(tokensOf("\"a\\\"b\""), (Tokens{"STRING a\\", "IDENT b", "OTHER \""}));
    // A tab, a backquote or a byte above 0x7E is no string character.
    EXPECT_EQ(tokensOf("\"a\tb\""), (Tokens{"OTHER \"", "IDENT a", "IDENT b", "OTHER \""}));
    EXPECT_EQ(tokensOf("\"`\""), (Tokens{"OTHER \"", "OTHER `", "OTHER \""}));
    EXPECT_EQ(tokensOf("\"\""), (Tokens{"STRING "}));
}

TEST(ScannerTest, TokensWithoutValueKeepTheLastValue) {
    ScanSession scan("x = { 7 }");
    scan.next();
    scan.next();
    EXPECT_STREQ(zor::scanState().tokenValue.text, "x");
    scan.next();
    scan.next();
    scan.next();
    EXPECT_STREQ(zor::scanState().tokenValue.text, "7");
}

TEST(ScannerTest, ControlAndHighBytesAreOtherTokens) {
    EXPECT_EQ(tokensOf(std::string("a\0b", 3)), (Tokens{"IDENT a", "OTHER ", "IDENT b"}));
    EXPECT_EQ(tokensOf("a\x80"), (Tokens{"IDENT a", "OTHER \x80"}));
    // 0xFF reads as the end of the input.
    EXPECT_EQ(tokensOf("a\xff b"), (Tokens{"IDENT a"}));
}

TEST(ScannerTest, EndOfInputRepeats) {
    ScanSession scan("a");
    EXPECT_EQ(scan.next(), "IDENT a");
    EXPECT_EQ(scan.next(), "");
    EXPECT_EQ(scan.next(), "");
    EXPECT_STREQ(zor::tokenText(), "");
}

TEST(ScannerTest, LongTokensAreOtherTokens) {
    const std::string fits(499, 'a');
    const std::string tooLong(500, 'a');
    EXPECT_EQ(tokensOf(fits), (Tokens{"IDENT " + fits}));
    EXPECT_EQ(tokensOf(tooLong + " b"), (Tokens{"OTHER " + tooLong, "IDENT b"}));
    // A string's token includes its quotes.
    EXPECT_EQ(tokensOf("\"" + std::string(497, 's') + "\""),
              (Tokens{"STRING " + std::string(497, 's')}));
    EXPECT_EQ(tokensOf("\"" + std::string(498, 's') + "\"").front().substr(0, 7), "OTHER \"");
    EXPECT_EQ(tokensOf("0x" + std::string(498, '1')), (Tokens{"OTHER 0x" + std::string(498, '1')}));
}

// ---- Lines and comments ----

int lineAfter(const std::string& script) {
    ScanSession scan(script);
    scan.rest();
    return zor::scanState().lineNo;
}

TEST(ScannerTest, LineFeedsCountLinesAndCarriageReturnsDoNot) {
    EXPECT_EQ(lineAfter("a\r\nb\r\nc"), 3);
    EXPECT_EQ(tokensOf("a\rb"), (Tokens{"IDENT a", "IDENT b"}));
    EXPECT_EQ(lineAfter("a\rb\r"), 1);
    EXPECT_EQ(lineAfter("// one\n// two\r\nx"), 3);
}

TEST(ScannerTest, BlockCommentsAreBlankedWithTheirLineFeeds) {
    EXPECT_EQ(tokensOf("a /* b \n c */ d"), (Tokens{"IDENT a", "IDENT d"}));
    EXPECT_EQ(lineAfter("a /* b \n c \n */ d"), 3);
    EXPECT_EQ(tokensOf("a /*/ b"), (Tokens{"IDENT a", "IDENT b"}));
    EXPECT_EQ(tokensOf("a /**/ b"), (Tokens{"IDENT a", "IDENT b"}));
    // A comment still open at the end blanks everything after it.
    EXPECT_EQ(tokensOf("a /* b c"), (Tokens{"IDENT a"}));
}

TEST(ScannerTest, CommentOpenersCountEverywhere) {
    // Inside a string and inside a line comment "/*" opens a block comment too.
    EXPECT_EQ(tokensOf("x = \"/*\" y */ z"), (Tokens{"IDENT x", "=", "OTHER \"", "IDENT z"}));
    EXPECT_EQ(tokensOf("// a /* b\n c */ d"), (Tokens{"IDENT d"}));
    // '//*' opens nothing: a line comment may begin with an asterisk.
    EXPECT_EQ(tokensOf("//* note\nx"), (Tokens{"IDENT x"}));
}

TEST(ScannerTest, NestedOpenerInsideABlockCommentIsBlanked) {
    EXPECT_EQ(tokensOf("a /* b /* c */ d"), (Tokens{"IDENT a", "IDENT d"}));
}

TEST(ScannerTest, LineCommentWithoutLineFeedIsNoComment) {
    EXPECT_EQ(tokensOf("a\n// end"), (Tokens{"IDENT a", "OTHER /", "OTHER /", "IDENT end"}));
}

TEST(ScannerTest, LineCommentsBecomeMarkersWhileMarkersAreOn) {
    Parse::getOutStore().clear();
    {
        ScanSession scan(std::string(11, '\n') + "// setup\r\nx // later\n");
        zor::scanState().markerOn = true;
        EXPECT_EQ(scan.next(), "IDENT x");
        zor::scanState().markerOn = false;
        EXPECT_EQ(scan.next(), "");
    }
    DataMap& results = Parse::getOutStore();
    EXPECT_STREQ(static_cast<char*>(results["//000012"]), "// setup\r\n");
    EXPECT_EQ(results.getType("//000013"), 0);
    results.clear();
}

TEST(ScannerTest, NewInputStartsWithACleanReader) {
    // The first script stops while its reader's last character is a '/'.
    std::string first(8191, ' ');
    first += "/ tail";
    {
        ScanSession scan(first);
        EXPECT_EQ(scan.next(), "OTHER /");
    }
    EXPECT_EQ(tokensOf("*x"), (Tokens{"OTHER *", "IDENT x"}));
}

// ---- Positions ----

// The position of each token of a script, in order.
std::vector<int> positionsOf(const std::string& script) {
    ScanSession scan(script);
    std::vector<int> positions;
    while (!scan.next().empty()) positions.push_back(zor::currentPos());
    return positions;
}

TEST(ScannerTest, PositionsCountEachLineBreakOnce) {
    EXPECT_EQ(positionsOf("ab cd"), (std::vector<int>{0, 3}));
    // Byte offsets 0, 4 and 8; the two earlier line breaks count once each.
    EXPECT_EQ(positionsOf("ab\r\ncd\r\nef"), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(positionsOf("ab\ncd"), (std::vector<int>{0, 2}));
}

TEST(ScannerTest, PositionsStayExactAfterRefills) {
    // Tokens that straddle the 8192-character chunks and lie far beyond them.
    std::string script;
    std::vector<int> expected;
    int line = 1;
    while (script.size() < 40000) {
        expected.push_back(static_cast<int>(script.size()) - line + 1);
        script += "token" + std::to_string(script.size()) + (script.size() % 3 ? " " : "\r\n");
        if (script.back() == '\n') ++line;
    }
    EXPECT_EQ(positionsOf(script), expected);
}

TEST(ScannerTest, PositionAtTheEndOfInput) {
    {
        ScanSession scan("ab");
        scan.rest();
        EXPECT_EQ(zor::currentPos(), 2);
    }
    {
        // After line 1 the end counts two characters less (a final line break).
        ScanSession scan("ab\r\ncd\r\n");
        scan.rest();
        EXPECT_EQ(zor::currentPos(), 8 - 2 - 3 + 1);
    }
}

TEST(ScannerTest, LongTokensGrowTheBuffer) {
    // A comment line longer than the whole scan buffer, and a token after it.
    const std::string script = "//" + std::string(40000, 'c') + "\nx";
    EXPECT_EQ(positionsOf(script), (std::vector<int>{40003 - 1}));
}

}  // namespace
