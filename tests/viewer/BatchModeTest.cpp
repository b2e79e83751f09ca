// `ZorViewer SCRIPT` through the real program: exit status and stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TempDir.h"

using zortest::readFile;
using zortest::writeFile;

TEST(BatchModeTest, ExitStatusAndMessagesFollowTheRunsOutcome) {
    const struct {
        const char* args;
        const char* script;  // written as "my script.txt" when not null
        int status;
        const char* errors;  // a part of stderr
    } cases[] = {
        {"my script.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n", 0, ""},
        {"my script.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n", 1, ""},
        {"nothing.txt", nullptr, 2, "invalid input file: nothing.txt\n"},
        {"my script.txt", "zortst { a = 1 }\n", 2, "no outputfile defined\n"},
        {"my script.txt", "resultfile \"out.txt\"\nzortst { a = = 1 }\n", 2, "in line 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script ? c.script : c.args);
        zortest::TempDir dir;
        if (c.script) writeFile(dir.file("my script.txt"), c.script);
        const std::string command = "cd '" + dir.path().string() +
                                    "' && env -u DISPLAY -u WAYLAND_DISPLAY '" ZOR_VIEWER "' " +
                                    c.args + " 2> errors.txt";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status);
        const std::string errors = readFile(dir.file("errors.txt"));
        if (*c.errors == '\0') {
            EXPECT_EQ(errors, "");
        }
        EXPECT_NE(errors.find(c.errors), std::string::npos) << errors;
        if (c.status == 0) {
            EXPECT_NE(readFile(dir.file("out.txt")).find("a == 1"), std::string::npos);
        }
    }
}
