// ZorRun's output files beside other writers: runs that share a file take
// turns, a writer outside the run is named and bounded by --timeout, and
// nothing ZorRun writes reaches the machine's output lock file.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "ZorRunFixture.h"

namespace {

using zorruntest::summary;

// The lock file of the library's hosts that serialise machine-wide.
constexpr const char* lockFile = "/tmp/ZorSem.lock";

class ZorRunOutputLockTest : public zorruntest::ZorRunFixture {
protected:
    std::string passingTests(const std::string& out, int count) {
        std::string script = "resultfile \"" + out + "\"\n";
        for (int i = 0; i < count; ++i) script += "zortst { a = 1 verify: a == 1 }\n";
        return script;
    }
};

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Two runs side by side on one output file: every test passes and the file
// holds every block whole.
TEST_F(ZorRunOutputLockTest, TwoRunsOnOneFileKeepEveryBlock) {
    write("a.txt", passingTests("shared.out", 300));
    write("b.txt", passingTests("shared.out", 300));
    zorruntest::PipedChild a({ZORRUN_PATH, "--quiet", "a.txt"}, dir.path().string());
    zorruntest::PipedChild b({ZORRUN_PATH, "--quiet", "b.txt"}, dir.path().string());
    const auto first = a.finish();
    const auto second = b.finish();
    EXPECT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_EQ(second.status, 0) << second.out << second.err;
    EXPECT_TRUE(first.out.ends_with(summary(300, 0))) << first.out;
    const std::string written = read("shared.out");
    EXPECT_EQ(countOf(written, "zortst\r\n{\r\n"), 600u);
    EXPECT_EQ(countOf(written, "}\r\n"), 600u);
}

// A process outside the run keeps writing the output file: after the notice
// time ZorRun names it, and --timeout ends the test that waits for it.
TEST_F(ZorRunOutputLockTest, AWriterOutsideTheRunIsNamedAndTimedOut) {
    write("t.txt", passingTests("out.txt", 1));
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
    struct stat before {};
    const bool existed = stat(lockFile, &before) == 0;
    write("t.txt", passingTests("out.txt", 1));
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
    write("bad.txt", passingTests(lockFile, 1));
    const auto run = zorRun({"bad.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no output file " + std::string(lockFile) +
                           ": it is the output lock file"),
              std::string::npos)
        << run.err;
    struct stat after {};
    if (!existed) return;
    ASSERT_EQ(stat(lockFile, &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_size, before.st_size);
}

}  // namespace
