#include "LockNotices.h"

#include <cstdio>

#include "ZorLib.h"

namespace zorrun {

namespace {

// Runs on the waiting thread, inside a write phase: stdio only, no allocation.
void heardLongWait(int holderPid) {
    if (holderPid > 0)
        std::fprintf(stderr, "ZorRun: waiting for the machine-wide output lock, held by pid %d\n",
                     holderPid);
    else
        std::fputs("ZorRun: waiting for the machine-wide output lock\n", stderr);
}

}  // namespace

void watchOutputLock() {
    const char* error = AdaptIO::getLockError();
    if (error && error[0])
        std::fprintf(stderr,
                     "ZorRun: warning: the output lock cannot be used (%s); reports that other "
                     "processes write to the same files at the same time may interleave\n",
                     error);
    AdaptIO::setLockWaitHook(heardLongWait);
}

}  // namespace zorrun
