// The machine-wide output lock between real processes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "TempDir.h"
#include "run/AdaptIO.h"

using zortest::readFile;
using zortest::TempDir;

namespace {

// A child process that opens a write phase on path, writes "held", tells the
// parent through the pipe, then either finishes after holdMs or waits to be killed.
pid_t startWriter(const std::string& path, int holdMs, int notify) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    AdaptIO io;
    if (io.openOut(path.c_str()) != 1) _exit(3);
    io << "held";
    io.closeOut();  // the text is in the file; take the lock again for the hold
    if (io.openOut(path.c_str()) != 1) _exit(3);
    char ready = 'r';
    if (write(notify, &ready, 1) != 1) _exit(4);
    if (holdMs < 0) pause();
    usleep(static_cast<useconds_t>(holdMs) * 1000);
    io << "-done";
    io.closeOut();
    _exit(0);
}

void waitForChild(int pipeRead) {
    char ready;
    ASSERT_EQ(read(pipeRead, &ready, 1), 1);
}

// Runs one write phase in another process and reports whether it finished
// within the time limit (it is killed otherwise).
bool writerGetsInWithin(const std::string& path, int limitMs) {
    pid_t pid = fork();
    if (pid == 0) {
        AdaptIO io;
        if (io.openOut(path.c_str()) != 1) _exit(3);
        io << "next";
        io.closeOut();
        _exit(0);
    }
    for (int waited = 0; waited < limitMs; waited += 10) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

}  // namespace

TEST(OutputLockTest, SecondWriterWaitsForTheFirstToClose) {
    TempDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string first = dir.file("first.txt");
    pid_t child = startWriter(first, 300, fds[1]);
    waitForChild(fds[0]);

    AdaptIO io;
    ASSERT_EQ(io.openOut(dir.file("second.txt").c_str()), 1);
    // The lock came only after the other process ended its write phase.
    EXPECT_EQ(readFile(first), "held-done");
    io.closeOut();

    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(fds[0]);
    close(fds[1]);
}

TEST(OutputLockTest, AKilledWriterDoesNotBlockOthers) {
    TempDir dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = startWriter(dir.file("victim.txt"), -1, fds[1]);
    waitForChild(fds[0]);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    std::string next = dir.file("next.txt");
    EXPECT_TRUE(writerGetsInWithin(next, 10000));
    EXPECT_EQ(readFile(next), "next");
    close(fds[0]);
    close(fds[1]);
}
