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
