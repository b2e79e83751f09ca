#include "host/PosixFiles.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace host {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put == 0) errno = ENOSPC;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

std::optional<std::string> readAll(int fd) {
    std::string bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// Renaming over an existing file makes some file systems (ext4) write the new
// file out at once, which costs more than the rest of a short exchange; the
// former file is therefore removed first.
bool replaceAt(int folderFd, const std::string& from, const std::string& to) {
    if (unlinkat(folderFd, to.c_str(), 0) != 0 && errno != ENOENT) return false;
    return renameat(folderFd, from.c_str(), folderFd, to.c_str()) == 0;
}

// The C library's wrapper arrived in glibc 2.38 only.
int openBeneath(int folderFd, const std::string& name, int flags, mode_t mode) {
    if (name.empty()) {
        errno = ENOENT;
        return -1;
    }
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags | O_CLOEXEC);
    how.mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    long fd;
    while ((fd = syscall(SYS_openat2, folderFd, name.c_str(), &how, sizeof how)) < 0 &&
           errno == EINTR) {
    }
    return static_cast<int>(fd);
}

}  // namespace host
