#include "ReplyFiles.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace remote {

namespace {

// The file arrives in small chunks; it is written in large ones.
constexpr std::size_t flushSize = 64 * 1024;

bool writeAll(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

DiskReplyFiles::~DiskReplyFiles() {
    close();
}

// A temporary file left behind by an earlier exchange is removed rather than
// emptied: see replace.
bool DiskReplyFiles::create(const std::string& name) {
    close();
    unlink(name.c_str());
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    writeFailed = false;
    return fd >= 0;
}

bool DiskReplyFiles::write(const char* bytes, std::size_t count) {
    if (fd < 0 || writeFailed) return false;
    pending.append(bytes, count);
    if (pending.size() >= flushSize) flush();
    return !writeFailed;
}

void DiskReplyFiles::flush() {
    if (!writeAll(fd, pending.data(), pending.size())) writeFailed = true;
    pending.clear();
}

bool DiskReplyFiles::close() {
    if (fd < 0) return true;
    if (!pending.empty()) flush();
    const bool closed = ::close(fd) == 0 && !writeFailed;
    fd = -1;
    return closed;
}

// Renaming over an existing file makes some file systems (ext4) write the new
// file out at once, which costs more than the rest of a short exchange; the
// former output file is therefore removed first.
bool DiskReplyFiles::replace(const std::string& from, const std::string& to) {
    unlink(to.c_str());
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void DiskReplyFiles::remove(const std::string& name) {
    unlink(name.c_str());
}

}  // namespace remote
