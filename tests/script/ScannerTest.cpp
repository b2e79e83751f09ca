// The scanner read the way the parser reads it, one token at a time from a real
// file; each token is shown as its kind and text ("IDENT login", "{", "OTHER [").
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Grammar.hpp"
#include "TempDir.h"
#include "run/AdaptIO.h"
#include "script/ScanState.h"
#include "script/Scanner.h"
#include "script/ScriptEngine.h"

namespace {

std::string show(int kind) {
    if (kind == TOK_IDENT || kind == TOK_STRING)
        return (kind == TOK_IDENT ? "IDENT " : "STRING ") +
               std::string(zor::scanState().tokenValue.text);
    if (kind == TOK_OTHER) return "OTHER " + std::string(zor::tokenText());
    return kind == TOK_YYEOF ? "" : zor::tokenText();
}

class ScanSession {
public:
    explicit ScanSession(const std::string& script) {
        zortest::writeFile(dir.file("script.txt"), script);
        io.openIn(dir.file("script.txt").c_str());
        zor::scanRestart(io);
    }
    ~ScanSession() {
        zor::scanRelease();
        io.closeIn();
    }
    std::string next() { return show(zor::nextToken()); }
    std::string rest() {
        std::string tokens;
        for (std::string token = next(); !token.empty(); token = next())
            tokens += (tokens.empty() ? "" : "|") + token;
        return tokens;
    }

private:
    zortest::TempDir dir;
    AdaptIO io;
};

// The tokens of each script, joined by '|'; every line feed counts a line, also
// inside a block comment, and the end of the input repeats.
TEST(ScannerTest, TokensAndLineCounts) {
    const std::string s497(497, 's'), a499(499, 'a'), a500(500, 'a'), h498(498, '1');
    const struct {
        std::string script;
        std::string tokens;
    } cases[] = {
        // Strings have no escapes; a tab or a byte above 0x7E ends none.
        {"\"\" \"a\\\"b\"", "STRING |STRING a\\|IDENT b|OTHER \""},
        {"\"a\tb\"", "OTHER \"|IDENT a|IDENT b|OTHER \""},
        {std::string("a\0b\x80", 4), "IDENT a|OTHER |IDENT b|OTHER \x80"},
        // Tokens beyond the 499 characters of a token value.
        {a499 + " " + a500 + " \"" + s497 + "\" 0x" + h498,
         "IDENT " + a499 + "|OTHER " + a500 + "|STRING " + s497 + "|OTHER 0x" + h498},
        {"a\r\nb\rc\r", "IDENT a|IDENT b|IDENT c"},
        {"a /* b \n c \n */ d /*/ e /**/ f", "IDENT a|IDENT d|IDENT e|IDENT f"},
        // "/*" opens a comment inside a string and a line comment; "//*" opens none.
        {"x = \"/*\" y */ z // a /* b\n c */ d //* note\ne",
         "IDENT x|=|OTHER \"|IDENT z|IDENT d|IDENT e"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 60));
        ScanSession scan(c.script);
        EXPECT_EQ(scan.rest(), c.tokens);
        EXPECT_EQ(zor::scanState().lineNo, 1 + std::count(c.script.begin(), c.script.end(), '\n'));
        EXPECT_EQ(scan.next(), "");
        EXPECT_STREQ(zor::tokenText(), "");
    }
    EXPECT_EQ(ScanSession("\"" + std::string(498, 's') + "\"").rest().substr(0, 7), "OTHER \"");
}

// A script stopped while its reader's last character was a '/' leaves the next
// script's reader clean.
TEST(ScannerTest, NewInputStartsWithACleanReader) {
    // Its first token is read with the whole first chunk, which ends in the '/'.
    EXPECT_EQ(ScanSession("x" + std::string(8190, ' ') + "/ tail").next(), "IDENT x");
    EXPECT_EQ(ScanSession("*x").rest(), "OTHER *|IDENT x");
    // The reader takes 8192 characters at first: a comment's marks split
    // between two reads count as in one.
    for (const std::string& script :
         {"x" + std::string(8190, ' ') + "/* c */ y", "x /*" + std::string(8187, ' ') + "*/ y"})
        EXPECT_EQ(ScanSession(script).rest(), "IDENT x|IDENT y") << script.substr(8180);
}

}  // namespace
