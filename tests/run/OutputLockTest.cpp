// Writers of one output file in real processes: they take turns, and nobody
// waits for itself or for a writer waiting for it. A stuck writer is ended by
// its watchdog alarm and fails the test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "TempDir.h"
#include "run/AdaptIO.h"
#include "run/OutputLock.h"

namespace {

using Mode = AdaptIO::LockMode;
constexpr Mode perFile = AdaptIO::lockPerFile;
constexpr Mode machineWide = AdaptIO::lockMachineWide;

// Longer than the 8192 bytes of the writer's buffer, so that a block goes out
// in several writes and two unserialised writers would interleave.
const std::string payload(9000, 'x');

// Runs body in a child process in the given mode; its exit status, or -1
// when it did not exit (the watchdog ended it).
pid_t startChild(Mode mode, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(60);
        AdaptIO::setLockMode(mode);
        _exit(body());
    }
    return pid;
}

int finish(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each block "<TAG I\n" PAYLOAD ">\n"; any openOut that is refused fails.
int writeBlocks(const std::string& file, char tag, int count) {
    AdaptIO io;
    for (int i = 0; i < count; ++i) {
        if (io.openOut(file.c_str()) != 1) return 1;
        io << "<" << std::string(1, tag).c_str() << " " << i << "\n";
        io << payload.c_str() << ">\n";
        io.closeOut();
    }
    return 0;
}

// How many whole blocks the text holds, each writer's in its own order; -1
// at the first thing that is not the next block of one of them.
int wholeBlocks(const std::string& text) {
    std::istringstream lines(text);
    int next[2] = {0, 0}, count = 0;
    for (std::string head, body; std::getline(lines, head); ++count) {
        char tag = 0;
        int number = -1;
        if (!std::getline(lines, body) || body != payload + ">" ||
            std::sscanf(head.c_str(), "<%c %d", &tag, &number) != 2 || (tag != 'a' && tag != 'b') ||
            number != next[tag - 'a']++)
            return -1;
    }
    return count;
}

class OutputLockTest : public ::testing::Test {
protected:
    OutputLockTest() {
        zor::setOutputLockPath(lockPath.c_str());
        // The lock's identity is kept per path pointer, which this path may
        // share with an earlier test's: look it up afresh, or a file made here
        // on that lock file's freed inode would count as the lock.
        zor::isOutputLockFile(0, 0, 0);
    }
    ~OutputLockTest() override { zor::setOutputLockPath(nullptr); }
    zortest::TempDir dir;
    const std::string lockPath = dir.file("lock");
    const std::string shared = dir.file("shared.out");
    const std::string other = dir.file("other.out");
};

// Crossing writers reopen their object from one file to the other while the
// first is still open, in opposite orders.
int crossing(const std::string& from, const std::string& to) {
    AdaptIO io;
    for (int i = 0; i < 300; ++i) {
        if (io.openOut(from.c_str()) != 1) return 1;
        io << payload.c_str();
        if (io.openOut(to.c_str()) != 1) return 2;
        io << payload.c_str();
        io.closeOut();
    }
    return 0;
}

// Both kinds of hosts take the file's own lock, so any pair of them takes
// turns: every block whole, none lost, each writer's in its own order. A
// machine-wide phase holds the machine's lock while it waits for a file, a
// per-file phase holds nothing while it waits, so crossing writers never wait
// for each other for ever.
TEST_F(OutputLockTest, TwoProcessesTakeTurnsAndNeverDeadlock) {
    const std::pair<Mode, Mode> pairs[] = {
        {perFile, perFile}, {perFile, machineWide}, {machineWide, machineWide}};
    for (const auto& [first, second] : pairs) {
        SCOPED_TRACE(std::to_string(first) + "/" + std::to_string(second));
        std::remove(shared.c_str());  // writers append
        pid_t a = startChild(first, [&] { return writeBlocks(shared, 'a', 300); });
        pid_t b = startChild(second, [&] { return writeBlocks(shared, 'b', 300); });
        EXPECT_EQ(std::pair(finish(a), finish(b)), std::pair(0, 0));
        EXPECT_EQ(wholeBlocks(zortest::readFile(shared)), 600);
        a = startChild(first, [&] { return crossing(shared, other); });
        b = startChild(second, [&] { return crossing(other, shared); });
        EXPECT_EQ(std::pair(finish(a), finish(b)), std::pair(0, 0));
    }
}

// A thread never waits for itself: a second phase of the file it writes or
// reads is refused at once; a phase of another file nested in its own goes
// ahead, also under the machine-wide lock it already holds.
TEST_F(OutputLockTest, AThreadNeverWaitsForItself) {
    for (const Mode mode : {perFile, machineWide}) {
        SCOPED_TRACE(mode);
        const pid_t child = startChild(mode, [&] {
            AdaptIO outer, inner;
            if (outer.openOut(shared.c_str()) != 1) return 1;
            if (inner.openOut(shared.c_str()) != 0) return 2;
            if (inner.openOut(other.c_str()) != 1) return 3;
            inner.closeOut();
            outer.closeOut();
            if (outer.openIn(shared.c_str()) != 1 || inner.openOut(shared.c_str()) != 0) return 4;
            outer.closeIn();
            return inner.openOut(shared.c_str()) == 1 ? 0 : 5;
        });
        EXPECT_EQ(finish(child), 0);
    }
}

}  // namespace
