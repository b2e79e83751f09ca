#include "LockNotices.h"

#include <cstdio>

#include "ZorLib.h"

namespace zorrun {

namespace {

// Runs on the waiting thread, inside a write phase: stdio only, no allocation.
void heardLongWait(const char* file, int holderPid) {
    if (holderPid > 0)
        std::fprintf(stderr, "ZorRun: waiting for %s, which pid %d is writing\n", file, holderPid);
    else
        std::fprintf(stderr, "ZorRun: waiting for %s, which another process is writing\n", file);
}

}  // namespace

void watchOutputLock() {
    AdaptIO::setLockMode(AdaptIO::lockPerFile);
    AdaptIO::setFileWaitHook(heardLongWait);
}

}  // namespace zorrun
