#include "run/FileLock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>

#include "run/OutputLock.h"

namespace zor {

namespace {

// Plain arrays: a thread's last trace is written by a thread-local object's
// destructor, after thread-local objects with destructors may be gone.
constexpr int mostHeld = 64;
thread_local int heldFiles[mostHeld];
thread_local int heldCount = 0;
thread_local int machinePhases = 0;

bool sameFile(const struct stat& a, int fd) {
    struct stat b;
    return fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Only asked once the lock was found taken, so the common phase pays nothing.
bool heldByThisThread(int fd) {
    struct stat status;
    if (heldCount == 0 || fstat(fd, &status) != 0) return false;
    return std::any_of(heldFiles, heldFiles + heldCount,
                       [&](int held) { return held != fd && sameFile(status, held); });
}

}  // namespace

FileTurn takeFileLock(int fd, const char* name) {
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return FileTurn::failed;
        if (heldByThisThread(fd)) return FileTurn::heldByThisThread;
        return waitForLock(fd, name) ? FileTurn::taken : FileTurn::failed;
    }
    return FileTurn::taken;
}

// Beyond mostHeld files at once a thread would only lose the quick refusal.
void noteFileHeld(int fd) {
    if (heldCount < mostHeld) heldFiles[heldCount++] = fd;
}

void noteFileReleased(int fd) {
    int* const end = heldFiles + heldCount;
    int* const found = std::find(heldFiles, end, fd);
    if (found == end) return;
    std::copy(found + 1, end, found);
    --heldCount;
}

int machinePhasesOfThisThread() {
    return machinePhases;
}

void addMachinePhase(int change) {
    machinePhases += change;
}

}  // namespace zor
