#include "FolderAccess.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>

namespace zorserver {

namespace {

// The wrapper arrived in glibc 2.38 only.
int openat2Call(int folderFd, const char* name, int flags, mode_t mode) {
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    int fd;
    do {
        fd = static_cast<int>(syscall(SYS_openat2, folderFd, name, &how, sizeof how));
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

int openBeneath(int folderFd, const std::string& name, int flags, mode_t mode) {
    if (name.empty()) {
        errno = ENOENT;
        return -1;
    }
    return openat2Call(folderFd, name.c_str(), flags | O_CLOEXEC, mode);
}

int removeBeneath(int folderFd, const std::string& name) {
    std::string parent = ".";
    std::string last = name;
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string::npos) {
        parent = slash == 0 ? "/" : name.substr(0, slash);
        last = name.substr(slash + 1);
    }
    if (last == "..") {
        errno = EXDEV;
        return -1;
    }
    if (last.empty() || last == ".") {
        errno = EISDIR;
        return -1;
    }
    const int dirFd = openBeneath(folderFd, parent, O_PATH | O_DIRECTORY);
    if (dirFd < 0) return -1;
    const int removed = unlinkat(dirFd, last.c_str(), 0);
    const int saved = errno;
    close(dirFd);
    errno = saved;
    return removed;
}

bool leadsOutside(int error) {
    return error == EXDEV;
}

bool canOpenBeneath(int folderFd) {
    const int fd = openBeneath(folderFd, ".", O_PATH | O_DIRECTORY);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace zorserver
