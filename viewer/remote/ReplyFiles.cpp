#include "ReplyFiles.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace remote {

DiskReplyFiles::~DiskReplyFiles() {
    close();
}

bool DiskReplyFiles::create(const std::string& name) {
    close();
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0;
}

bool DiskReplyFiles::write(const char* bytes, std::size_t count) {
    while (fd >= 0 && count > 0) {
        const ssize_t put = ::write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return count == 0;
}

bool DiskReplyFiles::close() {
    if (fd < 0) return true;
    const bool closed = ::close(fd) == 0;
    fd = -1;
    return closed;
}

bool DiskReplyFiles::replace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void DiskReplyFiles::remove(const std::string& name) {
    unlink(name.c_str());
}

}  // namespace remote
