#include "host/PosixFiles.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

std::optional<std::string> readAll(int fd, std::size_t limit) {
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() <= limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit + 1 - bytes.size());
        const ssize_t got = read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::optional<std::string> readRegularFile(int fd, std::size_t limit, std::string* why) {
    std::string reason;
    std::optional<std::string> bytes;
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        reason = std::strerror(errno);
    else if (!S_ISREG(status.st_mode))
        reason = "not a regular file";
    else if (static_cast<std::size_t>(status.st_size) > limit)
        reason = "too large (" + std::to_string(status.st_size) + " bytes; the limit is " +
                 std::to_string(limit) + ")";
    else if (!(bytes = readAll(fd, limit)))
        reason = std::strerror(errno);
    else if (bytes->size() > limit)
        reason = "larger than " + std::to_string(limit) + " bytes";
    if (reason.empty()) return bytes;
    if (why) *why = reason;
    return std::nullopt;
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
