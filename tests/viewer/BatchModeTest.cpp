// `ZorViewer SCRIPT` through the real program: exit status and stderr.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "TempDir.h"

using zortest::readFile;
using zortest::writeFile;

namespace {

struct Outcome {
    int status = -1;
    std::string errors;
};

class BatchModeTest : public ::testing::Test {
protected:
    // Runs the program in the test's folder without a display.
    Outcome runViewer(const std::string& arguments) {
        const std::string command = "cd '" + dir.path().string() +
                                    "' && env -u DISPLAY -u WAYLAND_DISPLAY '" ZOR_VIEWER "' " +
                                    arguments + " 2> errors.txt";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        if (WIFEXITED(raw)) outcome.status = WEXITSTATUS(raw);
        outcome.errors = readFile(dir.file("errors.txt"));
        return outcome;
    }

    zortest::TempDir dir;
};

}  // namespace

TEST_F(BatchModeTest, PassingScriptExitsWithZeroAndWritesItsReport) {
    writeFile(dir.file("pass.txt"), "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n");
    const Outcome outcome = runViewer("pass.txt");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_NE(readFile(dir.file("out.txt")).find("a == 1"), std::string::npos);
}

TEST_F(BatchModeTest, FailedVerificationExitsWithOne) {
    writeFile(dir.file("fail.txt"), "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n");
    EXPECT_EQ(runViewer("fail.txt").status, 1);
}

TEST_F(BatchModeTest, ArgumentsJoinedBySpacesNameTheScript) {
    writeFile(dir.file("my script.txt"), "resultfile \"out.txt\"\nzortst { a = 1 }\n");
    EXPECT_EQ(runViewer("my script.txt").status, 0);
}

TEST_F(BatchModeTest, MissingScriptIsAnInvalidInputFile) {
    const Outcome outcome = runViewer("nothing.txt");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.errors, "invalid input file: nothing.txt\n");
}

TEST_F(BatchModeTest, ScriptWithoutOutputFileSaysSo) {
    writeFile(dir.file("noout.txt"), "zortst { a = 1 }\n");
    const Outcome outcome = runViewer("noout.txt");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.errors, "no outputfile defined\n");
}

TEST_F(BatchModeTest, ScriptErrorShowsItsTextAndExitsWithTwo) {
    writeFile(dir.file("broken.txt"), "resultfile \"out.txt\"\nzortst { a = = 1 }\n");
    const Outcome outcome = runViewer("broken.txt");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.errors.find("in line 2"), std::string::npos) << outcome.errors;
}
