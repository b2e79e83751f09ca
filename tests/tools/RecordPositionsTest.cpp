// Finding the test record that was running when its worker ended.
#include <gtest/gtest.h>

#include "RecordPositions.h"
#include "TempDir.h"

TEST(RecordPositionsTest, FindsTheNextTopLevelTestRecordOfThatName) {
    struct Case {
        std::string script, name;
        int after, position;
    };
    const std::string twice = "resultfile \"o\"\nlogin { }\nlogin { }\n";
    const Case cases[] = {
        {twice, "login", -1, 14},
        {twice, "login", 14, 23},
        {twice, "login", 23, -1},
        {twice, "logout", -1, -1},
        // Comments, strings, bodies, extern records and file names hide the name.
        {"// login { }\n/* login\n{ */ x { s = \"login { }\" }\nlogin { }\n", "login", -1, 46},
        {"extern login { a = 1 }\nx { login { } }\nresultfile (\"o\" (login))\nlogin { }\n",
         "login", -1, 61},
        // A carriage return counts, a line feed does not.
        {"resultfile \"o\"\r\nlogin { }\r\n", "login", -1, 15},
        {"a . b[2] { }\n", "a.b[2]", -1, 0},
        {"/* login { }", "login", -1, -1},
    };
    zortest::TempDir dir;
    for (const Case& c : cases) {
        zortest::writeFile(dir.file("s.txt"), c.script);
        EXPECT_EQ(zorrun::findTestRecord(dir.file("s.txt"), c.after, c.name), c.position)
            << c.script;
    }
    EXPECT_EQ(zorrun::findTestRecord(dir.file("missing.txt"), -1, "login"), -1);
}

// Positions leave out line feeds, so a CR LF counts as one character. The
// file is read a piece at a time: lines past the first piece count alike.
TEST(LineCounterTest, PositionsFindTheirLinesInOrderAndAgain) {
    zortest::TempDir dir;
    std::string longer;
    for (int i = 0; i < 20000; ++i) longer += "x\n";
    const struct {
        std::string text;
        std::vector<std::pair<int, int>> asked;  // position, line
    } cases[] = {
        {"ab\ncd\r\n\nef",
         {{0, 1}, {1, 1}, {2, 2}, {4, 2}, {5, 4}, {1, 1}, {6, 4}, {7, 0}, {-1, 0}}},
        {longer, {{9000, 9001}, {19999, 20000}, {20000, 0}}},
    };
    zorrun::LineCounter lines;
    for (const auto& c : cases) {
        zortest::writeFile(dir.file("s.txt"), c.text);
        lines.open(dir.file("s.txt"));
        for (const auto& [position, line] : c.asked)
            EXPECT_EQ(lines.lineOf(position), line) << position;
    }
}
