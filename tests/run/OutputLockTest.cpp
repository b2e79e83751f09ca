// Writers of one output file in real processes and threads: who waits for
// whom, that nobody waits for itself, and that the lock file is nobody's
// output. A stuck writer is ended by its watchdog alarm and fails the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// The tags of the whole blocks in order; "?" for anything that is not one.
std::string blockTags(const std::string& text, std::vector<int>& last) {
    std::istringstream lines(text);
    std::string head, body, end, tags;
    while (std::getline(lines, head)) {
        char tag = 0;
        int number = -1;
        const bool whole = std::getline(lines, body) && body == payload + ">" &&
                           std::sscanf(head.c_str(), "<%c %d", &tag, &number) == 2 && tag >= 'a' &&
                           tag <= 'b' && number == last[tag - 'a'] + 1;
        if (!whole) return tags + "?";
        last[tag - 'a'] = number;
        tags += tag;
    }
    return tags;
}

// Whether a process waits for a flock on the file, as /proc/locks lists it.
bool someoneWaitsFor(const std::string& file) {
    struct stat status;
    if (stat(file.c_str(), &status) != 0) return false;
    std::ifstream locks("/proc/locks");
    const std::string inode = ":" + std::to_string(status.st_ino) + " ";
    for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos)
            return true;
    return false;
}

class OutputLockTest : public ::testing::Test {
protected:
    OutputLockTest() { zor::setOutputLockPath(lockPath.c_str()); }
    ~OutputLockTest() override {
        AdaptIO::setLockMode(machineWide);
        zor::setOutputLockPath(nullptr);
        zor::setLockWaitNotice(2000);
        AdaptIO::setLockWaitHook(nullptr);
        AdaptIO::setFileWaitHook(nullptr);
    }
    zortest::TempDir dir;
    const std::string lockPath = dir.file("lock");
    const std::string shared = dir.file("shared.out");
    const std::string other = dir.file("other.out");
};

// Both kinds of hosts take the file's own lock, so any pair of them takes
// turns: every block whole, none lost, each writer's in its own order.
TEST_F(OutputLockTest, TwoProcessesOnOneFileTakeTurns) {
    const std::pair<Mode, Mode> pairs[] = {
        {perFile, perFile}, {perFile, machineWide}, {machineWide, machineWide}};
    for (const auto& [first, second] : pairs) {
        SCOPED_TRACE(std::to_string(first) + "/" + std::to_string(second));
        std::remove(shared.c_str());
        const pid_t a = startChild(first, [&] { return writeBlocks(shared, 'a', 300); });
        const pid_t b = startChild(second, [&] { return writeBlocks(shared, 'b', 300); });
        EXPECT_EQ(finish(a), 0);
        EXPECT_EQ(finish(b), 0);
        std::vector<int> last{-1, -1};
        const std::string tags = blockTags(zortest::readFile(shared), last);
        EXPECT_EQ(tags.find('?'), std::string::npos);
        EXPECT_EQ(tags.size(), 600u);
    }
}

// Two writers that each reopen their object from one file to the other, in
// opposite orders, in every pairing of modes: a machine-wide phase holds the
// machine's lock while it waits for a file, a per-file phase holds nothing
// while it waits, so neither can wait for the other for ever.
TEST_F(OutputLockTest, CrossedReopeningNeverDeadlocks) {
    const auto crossing = [](const std::string& from, const std::string& to) {
        AdaptIO io;
        for (int i = 0; i < 300; ++i) {
            if (io.openOut(from.c_str()) != 1) return 1;
            io << payload.c_str();
            if (io.openOut(to.c_str()) != 1) return 2;  // while the first is still open
            io << payload.c_str();
            io.closeOut();
        }
        return 0;
    };
    for (const Mode first : {perFile, machineWide})
        for (const Mode second : {perFile, machineWide}) {
            SCOPED_TRACE(std::to_string(first) + "/" + std::to_string(second));
            const pid_t a = startChild(first, [&] { return crossing(shared, other); });
            const pid_t b = startChild(second, [&] { return crossing(other, shared); });
            EXPECT_EQ(finish(a), 0);
            EXPECT_EQ(finish(b), 0);
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

// Another thread of the same process is another writer: it waits for the
// phase to end instead of being refused.
TEST_F(OutputLockTest, AnotherThreadWaitsForThePhase) {
    for (const Mode mode : {perFile, machineWide}) {
        SCOPED_TRACE(mode);
        std::remove(shared.c_str());
        const pid_t child = startChild(mode, [&] {
            AdaptIO io;
            if (io.openOut(shared.c_str()) != 1) return 1;
            int opened = -1;
            std::thread second([&] {
                AdaptIO own;
                opened = own.openOut(shared.c_str());
                own << "second";
            });
            // Under the machine-wide lock it waits for that lock first.
            while (!someoneWaitsFor(mode == perFile ? shared : lockPath)) std::this_thread::yield();
            io << "first";
            io.closeOut();
            second.join();
            return opened == 1 && zortest::readFile(shared) == "firstsecond" ? 0 : 2;
        });
        EXPECT_EQ(finish(child), 0);
    }
}

pid_t heldBy;
pid_t heardPid;
std::string heardFile;
void stopHolder(int holderPid) {
    heardPid = holderPid;
    kill(holderPid, SIGKILL);
}
void stopFileHolder(const char* file, int holderPid) {
    heardFile = file;
    stopHolder(holderPid);
}

// A process that holds a write phase of file until it is killed.
pid_t holdPhase(Mode mode, const std::string& file) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t holder = startChild(mode, [&] {
        AdaptIO own;
        if (own.openOut(file.c_str()) != 1 || write(ready[1], "r", 1) != 1) return 3;
        pause();
        return 0;
    });
    close(ready[1]);
    char byte;
    const bool held = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    return held ? holder : -1;
}

// A long wait for a file names the file and the process that writes it; the
// hook ends the wait by stopping that process, so nothing depends on time.
TEST_F(OutputLockTest, ALongWaitForAFileNamesItsWriter) {
    zor::setLockWaitNotice(20);
    AdaptIO::setFileWaitHook(stopFileHolder);
    AdaptIO::setLockMode(perFile);
    heardPid = 0;
    const pid_t holder = holdPhase(perFile, shared);
    ASSERT_GT(holder, 0);
    alarm(20);
    AdaptIO io;
    EXPECT_EQ(io.openOut(shared.c_str()), 1);
    io.closeOut();
    alarm(0);
    EXPECT_EQ(heardPid, holder);
    EXPECT_EQ(heardFile, shared);
    finish(holder);
}

// Code that closes descriptors it did not open (a test function tidying up)
// closes the object's lock: its next phase opens the lock again and still
// waits for the machine's other writers, which the hook hears by pid.
TEST_F(OutputLockTest, ALockClosedBehindTheObjectsBackIsOpenedAgain) {
    const pid_t holder = holdPhase(machineWide, other);
    ASSERT_GT(holder, 0);
    heldBy = holder;
    const pid_t child = startChild(machineWide, [&] {
        zor::setLockWaitNotice(20);
        AdaptIO::setLockWaitHook(stopHolder);
        AdaptIO io;
        for (int fd = 3; fd < 1024; ++fd) close(fd);
        heardPid = 0;
        if (io.openOut(shared.c_str()) != 1) return 1;
        return heardPid == heldBy ? 0 : 2;
    });
    EXPECT_EQ(finish(child), 0);
    finish(holder);
}

// The lock file is no output file and cannot be deleted, by its name or a
// hard link; a symbolic link to it is a file of its own and goes.
TEST_F(OutputLockTest, TheLockFileIsNobodysOutput) {
    const std::string hard = dir.file("hard"), soft = dir.file("soft");
    for (const Mode mode : {perFile, machineWide}) {
        SCOPED_TRACE(mode);
        AdaptIO::setLockMode(mode);
        {
            AdaptIO made;  // makes the lock file in machine-wide mode
        }
        std::ofstream(lockPath, std::ios::app).close();
        std::remove(hard.c_str());
        ASSERT_EQ(link(lockPath.c_str(), hard.c_str()), 0);
        ASSERT_EQ(symlink(lockPath.c_str(), soft.c_str()), 0);
        AdaptIO io;
        for (const std::string& name : {lockPath, hard, soft}) {
            EXPECT_EQ(io.openOut(name.c_str()), 0) << name;
            EXPECT_STREQ(io.getWriteError(), "it is the output lock file");
        }
        EXPECT_EQ(AdaptIO::deleteFile(lockPath.c_str()) + AdaptIO::deleteFile(hard.c_str()), 0);
        EXPECT_EQ(AdaptIO::deleteFile(soft.c_str()), 1);
        EXPECT_EQ(zortest::readFile(lockPath), "");
        EXPECT_EQ(io.openOut(shared.c_str()), 1);
        EXPECT_STREQ(io.getWriteError(), "");
        io.closeOut();
    }
}

}  // namespace
