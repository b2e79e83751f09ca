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

// A failure never exits with 0; the messages always reach stderr, whether no
// display is set or one that nobody serves.
TEST(BatchModeTest, ExitStatusAndMessagesWithoutADisplay) {
    const struct {
        const char* args;
        const char* script;  // written as "my script.txt"
        int status;
        const char* errors;    // the start of stderr
        bool written;          // whether an output file was opened
        const char* out = "";  // the start of stdout
    } cases[] = {
        {"'my script.txt'", passing, 0, "", true},
        {"'my script.txt'", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n", 1,
         "my script.txt: verification failed (out.txt)\n", true},
        {"nothing.txt", passing, 2, "nothing.txt: cannot open script: No such file or directory\n",
         false},
        {"'my script.txt'", "zortst { a = 1 }\n", 2,
         "my script.txt: no output file: the script names no output file\n", false},
        {"'my script.txt'", "resultfile \"out.txt\"\r\nzortst { a = = 1 }\r\n", 2,
         "my script.txt:2:14: parse error in line 2 ( =... )\n", true},
        {"--help", passing, 0, "", false, "Usage: ZorViewer [--load MODULE.so]... [SCRIPT]\n"},
        {"--load missing.so 'my script.txt'", passing, 2,
         "missing.so: cannot load module: No such file or directory\n", false},
        {"--load=bad.so 'my script.txt'", passing, 2, "bad.so: cannot load module: No such file",
         false},
        {"'my script.txt' --load", passing, 2, "ZorViewer: --load needs a module file\n", false},
        {"my script.txt", passing, 2,
         "ZorViewer: one script at a time: 'my' and 'script.txt' given", false},
        {"--bogus 'my script.txt'", passing, 2, "ZorViewer: unknown option '--bogus'\n", false},
        {"-- -x.txt", passing, 0, "", true},
    };
    for (const std::string& environment : {std::string(noDisplay), deadDisplay()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(environment + " " + c.args + " " + c.script);
            zortest::TempDir dir;
            writeFile(dir.file("my script.txt"), c.script);
            writeFile(dir.file("-x.txt"), passing);
            const ViewerRun run = runViewer(dir, environment, c.args);
            EXPECT_EQ(run.status, c.status);
            EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
            EXPECT_TRUE(*c.errors ? run.errors.starts_with(c.errors) : run.errors.empty())
                << run.errors;
            EXPECT_EQ(std::filesystem::exists(dir.file("out.txt")), c.written);
        }
    }
}

// Under xvfb-run a display answers, yet in CI nobody would close a message
// box: under CI or with --no-dialogs the run ends by itself, its messages on
// stderr, within the time limit.
TEST(BatchModeTest, ABatchRunUnderADisplayInCiNeverWaitsForAPerson) {
    if (std::system("command -v xvfb-run > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    const std::string display = "timeout 30 xvfb-run -a env -u QT_QPA_PLATFORM";
    for (const std::string& wrapper : {display + " CI=true", display + " CI= "}) {
        const std::string option = wrapper.ends_with("CI= ") ? "--no-dialogs " : "";
        SCOPED_TRACE(wrapper + " " + option);
        zortest::TempDir dir;
        writeFile(dir.file("broken.txt"), "resultfile \"out.txt\"\nzortst { a = }\n");
        const ViewerRun run = runViewer(dir, wrapper, option + "broken.txt");
        EXPECT_EQ(run.status, 2) << run.errors;
        EXPECT_EQ(run.errors, "broken.txt:2:14: parse error in line 2 ( }... )\n");
    }
}
