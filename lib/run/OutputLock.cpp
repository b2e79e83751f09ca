#include "run/OutputLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>

namespace zor {

namespace {

constexpr const char* machineLockPath = "/tmp/ZorSem.lock";
std::atomic<const char*> lockPath{machineLockPath};

std::atomic<LockWaitHook> waitHook{nullptr};
std::atomic<FileWaitHook> fileWaitHook{nullptr};
std::atomic<int> waitNoticeMs{2000};
// The longest pause between two tries of a watched wait: a lock freed during
// a pause stays unused until its end.
// A write phase holds the lock for a few microseconds, so the first pauses are
// that short; long waits back off to this.
constexpr int longestPauseUs = 20000;

// Opens the lock file at path without following a symbolic link; -1 with
// errno telling why.
int openLockFile(const char* path) {
    // Open first without creating, so that the users of one machine share the
    // file that the first of them created.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = open(path, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fchmod(fd, 0666);  // the creator's umask must not lock other users out
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

// A planted FIFO or device would make the lock hang or do something else.
bool isRegularFile(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

enum class Try { taken, busy, broken };

// broken: the descriptor cannot be locked at all (closed, or not a file).
Try tryLock(int lock) {
    while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? Try::busy : Try::broken;
    }
    return Try::taken;
}

bool waitBlocking(int lock) {
    while (flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Tries the lock with growing pauses until the notice time has passed; busy
// when it is still taken then.
Try waitForNotice(int lock) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(waitNoticeMs.load());
    int pauseUs = 5;
    Try state = tryLock(lock);
    while (state == Try::busy && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
        state = tryLock(lock);
        pauseUs = std::min(pauseUs * 2, longestPauseUs);
    }
    return state;
}

// A line of /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF";
// waiters are listed as "1: -> FLOCK ...".
int holderInLine(const char* line, unsigned major, unsigned minor, std::uintmax_t inode) {
    char kind[16], mode[16], access[16];
    int pid = 0;
    unsigned lineMajor = 0, lineMinor = 0;
    std::uintmax_t lineInode = 0;
    const char* fields = std::strchr(line, ':');
    if (!fields || std::strstr(line, "->")) return 0;
    if (std::sscanf(fields + 1, "%15s %15s %15s %d %x:%x:%" SCNuMAX, kind, mode, access, &pid,
                    &lineMajor, &lineMinor, &lineInode) != 7)
        return 0;
    const bool same = lineMajor == major && lineMinor == minor && lineInode == inode;
    return same && pid > 0 ? pid : 0;
}

}  // namespace

const char* outputLockPath() {
    return lockPath.load();
}

void setOutputLockPath(const char* path) {
    lockPath.store(path ? path : machineLockPath);
}

int openOutputLock() {
    const int fd = openLockFile(outputLockPath());
    if (fd >= 0 && !isRegularFile(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

const char* outputLockError() {
    thread_local char text[512];
    const char* path = outputLockPath();
    const int fd = openLockFile(path);
    if (fd < 0) {
        char reason[256];
        std::snprintf(text, sizeof text, "%s: %s", path, strerror_r(errno, reason, sizeof reason));
    } else if (!isRegularFile(fd)) {
        std::snprintf(text, sizeof text, "%s: not a regular file", path);
    } else {
        text[0] = '\0';
    }
    if (fd >= 0) close(fd);
    return text;
}

bool waitForLock(int fd, const char* file) {
    const LockWaitHook hook = waitHook.load();
    const FileWaitHook fileHook = fileWaitHook.load();
    if (file ? !fileHook : !hook) return waitBlocking(fd);
    const Try state = waitForNotice(fd);
    if (state != Try::busy) return state == Try::taken;
    if (file)
        fileHook(file, lockHolder(fd));
    else
        hook(lockHolder(fd));
    return waitBlocking(fd);
}

bool takeOutputLock(int lock) {
    return lock < 0 || waitForLock(lock, nullptr);
}

void releaseOutputLock(int lock) {
    if (lock >= 0) flock(lock, LOCK_UN);
}

void closeOutputLock(int lock) {
    if (lock >= 0) close(lock);
}

void setLockWaitHook(LockWaitHook hook) {
    waitHook.store(hook);
}

void setFileWaitHook(FileWaitHook hook) {
    fileWaitHook.store(hook);
}

bool isOutputLockFile(unsigned long device, unsigned long inode, long size) {
    thread_local const char* lookedAt = nullptr;
    thread_local struct stat lock {};
    thread_local bool found = false;
    const char* path = outputLockPath();
    if (path != lookedAt || size == 0) {
        found = stat(path, &lock) == 0;
        lookedAt = path;
    }
    return found && lock.st_dev == device && lock.st_ino == inode;
}

void setLockWaitNotice(int milliseconds) {
    waitNoticeMs.store(milliseconds);
}

int lockHolder(int lock) {
    struct stat status;
    if (fstat(lock, &status) != 0) return 0;
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (!locks) return 0;
    char line[256];
    int pid = 0;
    while (pid == 0 && std::fgets(line, sizeof line, locks))
        pid = holderInLine(line, major(status.st_dev), minor(status.st_dev), status.st_ino);
    std::fclose(locks);
    return pid;
}

}  // namespace zor
