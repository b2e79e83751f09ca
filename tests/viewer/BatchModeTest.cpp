// `ZorViewer SCRIPT` through the real program: exit status, stdout and stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TempDir.h"

using zortest::readFile;
using zortest::writeFile;

namespace {

struct ViewerRun {
    int status = -1;
    std::string out;
    std::string errors;
};

// ARGS are shell words; ENVIRONMENT is an env(1) command that wraps the viewer.
ViewerRun runViewer(const zortest::TempDir& dir, const std::string& environment,
                    const std::string& args) {
    const std::string command = "cd '" + dir.path().string() + "' && " + environment + " '" +
                                ZOR_VIEWER + "' " + args + " > out.log 2> errors.log";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir.file("out.log")),
            readFile(dir.file("errors.log"))};
}

const char* const noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY";

// An X display nobody serves, so that Qt's own plugin would abort: xvfb-run's
// usual :99 unless a server holds it on this machine.
std::string deadDisplay() {
    int number = 99;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    return "env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:" + std::to_string(number);
}

constexpr const char* passing = "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n";

}  // namespace

TEST(BatchModeTest, OutcomeAndMessagesReachStderrWithoutADisplay) {
    const struct {
        const char* args;
        const char* script;  // written as "my script.txt" when not null
        int status;
        const char* errors;
    } cases[] = {
        {"'my script.txt'", passing, 0, ""},
        {"'my script.txt'", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n", 1,
         "my script.txt: verification failed (out.txt)\n"},
        {"nothing.txt", nullptr, 2, "invalid input file: nothing.txt\n"},
        {"'my script.txt'", "zortst { a = 1 }\n", 2, "no outputfile defined\n"},
        {"'my script.txt'", "resultfile \"out.txt\"\nzortst { a = = 1 }\n", 2,
         "my script.txt:2:14: parse error in line 2 ( =... )\n"},
        {"'my script.txt'", "resultfile \"out.txt\"\r\nzortst { a = = 1 }\r\n", 2,
         "my script.txt:2:14: parse error in line 2 ( =... )\n"},
        {"'my script.txt'", "resultfile \"out.txt\"\nzortst { a = 1 }\n\tzortst { b = }\n", 2,
         "my script.txt:3:15: parse error in line 3 ( }... )\n"},
    };
    for (const std::string& environment : {std::string(noDisplay), deadDisplay()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(environment + " " + (c.script ? c.script : c.args));
            zortest::TempDir dir;
            if (c.script) writeFile(dir.file("my script.txt"), c.script);
            const ViewerRun run = runViewer(dir, environment, c.args);
            EXPECT_EQ(run.status, c.status);
            EXPECT_EQ(run.errors, c.errors);
            if (c.status == 0) {
                EXPECT_NE(readFile(dir.file("out.txt")).find("a == 1"), std::string::npos);
            }
        }
    }
}

TEST(BatchModeTest, CommandLineTakesHelpOrExactlyOneScript) {
    const struct {
        const char* args;
        int status;
        const char* out;     // the start of stdout
        const char* errors;  // the start of stderr
        bool runs;           // whether the script wrote its output file
    } cases[] = {
        {"--help", 0, "Usage: ZorViewer [SCRIPT]\n", "", false},
        {"-h 'my script.txt'", 0, "Usage: ZorViewer [SCRIPT]\n", "", false},
        {"my script.txt", 2, "", "ZorViewer: one script at a time: 'my' and 'script.txt' given",
         false},
        {"'my script.txt' -- -x.txt", 2, "", "ZorViewer: one script at a time", false},
        {"--bogus 'my script.txt'", 2, "", "ZorViewer: unknown option '--bogus'\n", false},
        {"-- -x.txt", 0, "", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        zortest::TempDir dir;
        writeFile(dir.file("my script.txt"), passing);
        writeFile(dir.file("-x.txt"), passing);
        const ViewerRun run = runViewer(dir, noDisplay, c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
        EXPECT_EQ(run.errors.rfind(c.errors, 0), 0u) << run.errors;
        if (*c.errors == '\0') {
            EXPECT_EQ(run.errors, "");
        }
        EXPECT_EQ(std::filesystem::exists(dir.file("out.txt")), c.runs);
    }
}
