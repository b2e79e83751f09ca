#include "LockNotices.h"

#include <unistd.h>

#include <cstdio>

#include "ZorLib.h"

namespace zorrun {

namespace {

int noticeDescriptor = STDERR_FILENO;

// Runs on the waiting thread, inside a write phase: no allocation.
void heardLongWait(const char* file, int holderPid) {
    if (holderPid > 0)
        dprintf(noticeDescriptor, "ZorRun: waiting for %s, which pid %d is writing\n", file,
                holderPid);
    else
        dprintf(noticeDescriptor, "ZorRun: waiting for %s, which another process is writing\n",
                file);
}

}  // namespace

void sendNoticesTo(int descriptor) {
    if (descriptor >= 0) noticeDescriptor = descriptor;
}

void watchOutputLock() {
    AdaptIO::setLockMode(AdaptIO::lockPerFile);
    AdaptIO::setFileWaitHook(heardLongWait);
}

}  // namespace zorrun
