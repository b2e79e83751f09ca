// ZorRun's output files beside other writers: a writer outside the run is
// named and bounded by --timeout, and nothing ZorRun writes reaches the
// machine's output lock file.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "ZorRunFixture.h"

namespace {

// The lock file of the library's hosts that serialise machine-wide.
constexpr const char* lockFile = "/tmp/ZorSem.lock";

using ZorRunOutputLockTest = zorruntest::ZorRunFixture;

std::string passingTest(const std::string& out) {
    return "resultfile \"" + out + "\"\nzortst { a = 1 verify: a == 1 }\n";
}

// A process outside the run keeps writing the output file: after the notice
// time ZorRun names it, and --timeout ends the test that waits for it.
TEST_F(ZorRunOutputLockTest, AWriterOutsideTheRunIsNamedAndTimedOut) {
    write("t.txt", passingTest("out.txt"));
    write("out.txt", "");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(dir.file("out.txt").c_str(), O_WRONLY);
        if (fd < 0 || flock(fd, LOCK_EX) != 0 || ::write(ready[1], "r", 1) != 1) _exit(3);
        alarm(60);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const auto run = zorRun({"--timeout", "3", "t.txt"});
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ZorRun: waiting for out.txt, which pid " + std::to_string(holder) +
                           " is writing\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("ERROR timed out after 3 s"), std::string::npos) << run.out;
}

// Reports replace their file, and a report page or a result file in the lock
// file would leave the machine's writers on a file nobody else opens: each
// way of reaching it is refused, as is a report path that is no regular file.
TEST_F(ZorRunOutputLockTest, NothingReachesTheLockFile) {
    write("t.txt", passingTest("out.txt"));
    ASSERT_EQ(symlink(lockFile, dir.file("link").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::string lockReason = "it is the output lock file " + std::string(lockFile);
    const std::pair<std::string, std::string> paths[] = {{lockFile, lockReason},
                                                         {"/tmp/./ZorSem.lock", lockReason},
                                                         {"link", lockReason},
                                                         {"fifo", "it is not a regular file"},
                                                         {".", "Is a directory"}};
    for (const auto& [path, reason] : paths)
        for (const auto& [option, kind] :
             {std::pair{"--junit", "JUnit"}, {"--json", "JSON"}, {"--html", "HTML"}}) {
            SCOPED_TRACE(path + " " + option);
            const auto run = zorRun({option, path, "t.txt"});
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, path + ": cannot write " + kind + " report: " + reason + "\n");
        }
    write("bad.txt", passingTest(lockFile));
    const auto run = zorRun({"bad.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(
        run.err.find("no output file " + std::string(lockFile) + ": it is the output lock file"),
        std::string::npos)
        << run.err;
}

}  // namespace
