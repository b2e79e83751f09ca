#include "run/FileLock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "run/OutputLock.h"

namespace zor {

namespace {

thread_local std::vector<int> heldFiles;
thread_local int machinePhases = 0;

bool sameFile(const struct stat& a, int fd) {
    struct stat b;
    return fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Only asked once the lock was found taken, so the common phase pays nothing.
bool heldByThisThread(int fd) {
    struct stat status;
    if (heldFiles.empty() || fstat(fd, &status) != 0) return false;
    return std::any_of(heldFiles.begin(), heldFiles.end(),
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

void noteFileHeld(int fd) {
    heldFiles.push_back(fd);
}

void noteFileReleased(int fd) {
    const auto found = std::find(heldFiles.begin(), heldFiles.end(), fd);
    if (found != heldFiles.end()) heldFiles.erase(found);
}

int machinePhasesOfThisThread() {
    return machinePhases;
}

void addMachinePhase(int change) {
    machinePhases += change;
}

}  // namespace zor
