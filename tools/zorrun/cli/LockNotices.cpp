#include "LockNotices.h"

#include <unistd.h>

#include <cstdio>

#include "TerminalText.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

int noticeDescriptor = STDERR_FILENO;

// Runs on the waiting thread, inside a write phase: no allocation. The name
// is the script's choice, shown terminal-safe.
void heardLongWait(const char* file, int holderPid) {
    char shown[4 * AdaptIO::nameSize + 1];
    copyTerminalText(file, shown, sizeof shown);
    if (holderPid > 0)
        dprintf(noticeDescriptor, "ZorRun: waiting for %s, which pid %d is writing\n", shown,
                holderPid);
    else
        dprintf(noticeDescriptor, "ZorRun: waiting for %s, which another process is writing\n",
                shown);
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
