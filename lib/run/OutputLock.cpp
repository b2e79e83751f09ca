#include "run/OutputLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace zor {

const char* outputLockPath() {
    return "/tmp/ZorSem.lock";
}

int openOutputLock() {
    // Open first without creating, so that the users of one machine share the
    // file that the first of them created.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = open(outputLockPath(), O_RDWR | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = open(outputLockPath(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fchmod(fd, 0666);  // the creator's umask must not lock other users out
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

void takeOutputLock(int lock) {
    if (lock < 0) return;
    while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void releaseOutputLock(int lock) {
    if (lock >= 0) flock(lock, LOCK_UN);
}

void closeOutputLock(int lock) {
    if (lock >= 0) close(lock);
}

}  // namespace zor
