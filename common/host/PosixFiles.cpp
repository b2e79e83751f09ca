#include "host/PosixFiles.h"

#include <fcntl.h>
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

}  // namespace host
